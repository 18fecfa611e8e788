#include "rendering/graph_fill.h"

#include <gtest/gtest.h>

#include "host/memory/memory_application.h"
#include "host/memory/memory_presentation.h"
#include "host/memory/memory_slide.h"
#include "testing/table_connection.h"
#include "testing/test_context.h"

namespace vintrel::rendering {
namespace {

using host::memory::MemoryApplication;
using host::memory::MemoryShape;
using Grid = std::vector<std::vector<std::string>>;

class GraphFillTest : public ::testing::Test {
 protected:
  void SetUp() override {
    twins_.ctx.services.clipboard = &app_.clipboard();
    auto& slide = app_.AddPresentation("/shows/board.pptx").AddSlide();
    chart_ = &slide.AddChart("Sales chart");
    text_ = &slide.AddTextBox("not a chart");
    sales_ = testing::MakeTableConnection(
        twins_.ctx, "01", "Sales", {"Region", "Sales", "When"},
        {{"North", "1250.5", "2026-12-01 09:15:00"}, {"South", "980", "16:00:00"}});
  }

  host::memory::MemoryDataSheet& Sheet() { return chart_->chart()->sheet(); }

  testing::TestContext twins_;
  MemoryApplication app_;
  MemoryShape* chart_ = nullptr;
  MemoryShape* text_ = nullptr;
  std::unique_ptr<clsConnection> sales_;
};

TEST_F(GraphFillTest, ValuesReachTheSheetInItsOwnForms) {
  EXPECT_EQ(GraphValueText(" 42 "), "42");
  EXPECT_EQ(GraphValueText("2026-12-01 09:15:00"), "12-01-2026 09:15:00");
  EXPECT_EQ(GraphValueText("12/31/2026 4:00:00 PM"), "12-31-2026 16:00:00");
  EXPECT_EQ(GraphValueText("16:00:00"), "16:00:00");  // a time alone stays as it is
  EXPECT_EQ(GraphValueText("North"), "North");
  EXPECT_EQ(GraphValueText(""), "");
}

TEST_F(GraphFillTest, BlockHasTheHeaderThenOneLinePerRecordEachEndedByCrLf) {
  EXPECT_EQ(BuildGraphBlock(*sales_, 1, 2),
            "Region\tSales\tWhen\r\n"
            "North\t1250.5\t12-01-2026 09:15:00\r\n"
            "South\t980\t16:00:00\r\n");
  EXPECT_EQ(BuildGraphBlock(*sales_, 2, 2), "Region\tSales\tWhen\r\nSouth\t980\t16:00:00\r\n");
}

TEST_F(GraphFillTest, FillPastesEveryRowShowsTheChartAndLeavesTheClipboardEmpty) {
  chart_->SetVisible(false);
  app_.clipboard().SetText("what the user copied");
  FillGraph(*chart_, *sales_, false);

  EXPECT_TRUE(chart_->Visible());
  EXPECT_EQ(Sheet().Grid(), (Grid{{"Region", "Sales", "When"},
                                  {"North", "1250.5", "12-01-2026 09:15:00"},
                                  {"South", "980", "16:00:00"}}));
  EXPECT_EQ(chart_->chart()->application().update_count(), 1);
  EXPECT_FALSE(app_.clipboard().GetText().has_value());
}

TEST_F(GraphFillTest, ExcludedColumnsAndNumberFormatsSurviveRefills) {
  Sheet().Column(2).SetInclude(false);
  Sheet().Column(3).SetNumberFormat("dd/mm");
  Sheet().Column(1).SetNumberFormat(";;");
  FillGraph(*chart_, *sales_, false);
  FillGraph(*chart_, *sales_, false);
  EXPECT_FALSE(Sheet().Column(2).include());
  EXPECT_EQ(Sheet().Column(3).number_format(), "dd/mm");
  EXPECT_EQ(Sheet().clear_count(), 2);
}

TEST_F(GraphFillTest, ShapesThatAreNotChartsAreLeftAlone) {
  EXPECT_FALSE(IsGraphShape(*text_));
  EXPECT_NO_THROW(FillGraph(*text_, *sales_, false));
  EXPECT_EQ(text_->TextFrame().TextRange().Text(), "not a chart");
}

}  // namespace
}  // namespace vintrel::rendering
