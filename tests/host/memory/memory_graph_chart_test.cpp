#include "host/memory/memory_graph_chart.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/memory/error_number.h"
#include "host/memory/memory_application.h"

namespace vintrel::host::memory {
namespace {

using ::testing::ElementsAre;
using Row = std::vector<std::string>;

class MemoryGraphChartTest : public ::testing::Test {
 protected:
  MemoryGraphChartTest()
      : deck_(app_.AddPresentation("/decks/a.pptx")), shape_(deck_.AddSlide().AddChart("Chart")) {}

  host::DataSheet& Sheet() { return shape_.OLEFormat().Object().Application().DataSheet(); }
  MemoryDataSheet& sheet() { return shape_.chart()->sheet(); }

  MemoryApplication app_;
  MemoryPresentation& deck_;
  MemoryShape& shape_;
};

TEST_F(MemoryGraphChartTest, ChartIsAnEmbeddedObjectWithTheChartProgId) {
  EXPECT_EQ(shape_.Type(), shape_type::kEmbeddedOleObject);
  EXPECT_EQ(shape_.OLEFormat().ProgID().rfind("MSGraph.Chart", 0), 0u);
}

TEST_F(MemoryGraphChartTest, PasteWritesTheClipboardBlockFromTheCell) {
  sheet().SetValue(9, 9, "old");
  Sheet().ClearContents();
  app_.clipboard().SetText("\tSales\tCost\r\nJan\t1\t2\r\nFeb\t3\t\r\n");
  Sheet().Cells(1, 1).Paste();
  EXPECT_THAT(sheet().Grid(),
              ElementsAre(Row{"", "Sales", "Cost"}, Row{"Jan", "1", "2"}, Row{"Feb", "3", ""}));
  EXPECT_EQ(Sheet().RowCount(), 3);
  EXPECT_EQ(Sheet().ColumnCount(), 3);
  EXPECT_EQ(sheet().clear_count(), 1);
  EXPECT_EQ(sheet().paste_count(), 1);
  EXPECT_EQ(sheet().last_paste_origin(), std::make_pair(1, 1));
}

TEST_F(MemoryGraphChartTest, PasteWithoutClearingKeepsCellsOutsideTheBlock) {
  sheet().SetValue(4, 1, "stale");
  app_.clipboard().SetText("a\tb\nc\td");
  Sheet().Cells(2, 2).Paste();
  EXPECT_EQ(sheet().Value(2, 2), "a");
  EXPECT_EQ(sheet().Value(3, 3), "d");
  EXPECT_EQ(sheet().Value(4, 1), "stale");
}

TEST_F(MemoryGraphChartTest, PasteFailsWithAnEmptyClipboard) {
  app_.clipboard().Clear();
  EXPECT_NE(ErrorNumberOf([&] { Sheet().Cells(1, 1).Paste(); }), 0);
  EXPECT_EQ(sheet().paste_count(), 0);
}

TEST_F(MemoryGraphChartTest, PasteReadsTheClipboardGivenToTheApplication) {
  MemoryClipboard other;
  app_.environment().set_clipboard(&other);
  other.SetText("x");
  Sheet().Cells(1, 1).Paste();
  EXPECT_EQ(sheet().Value(1, 1), "x");
}

TEST_F(MemoryGraphChartTest, ColumnsAndUpdateAreRecorded) {
  host::DataSheetColumn& column = Sheet().Columns(3);
  EXPECT_TRUE(column.Include());
  column.SetInclude(false);
  column.SetNumberFormat("0.00");
  EXPECT_FALSE(sheet().Column(3).include());
  EXPECT_EQ(sheet().Column(3).number_format(), "0.00");
  shape_.OLEFormat().Object().Application().Update();
  EXPECT_EQ(shape_.chart()->application().update_count(), 1);
  EXPECT_EQ(ErrorNumberOf([&] { Sheet().Columns(0); }), kErrInvalidArgument);
  EXPECT_EQ(ErrorNumberOf([&] { Sheet().Cells(0, 1); }), kErrInvalidArgument);
}

TEST_F(MemoryGraphChartTest, DuplicatedSlideCopiesTheDataSheet) {
  sheet().SetValue(1, 1, "kept");
  sheet().Column(2).SetInclude(false);
  host::Slide& copy = deck_.slide(1).Duplicate();
  auto& copied = static_cast<MemoryShape&>(copy.Shapes().Item(1));
  EXPECT_EQ(copied.chart()->sheet().Value(1, 1), "kept");
  EXPECT_FALSE(copied.chart()->sheet().Column(2).include());
  EXPECT_NE(copied.chart(), shape_.chart());
}

}  // namespace
}  // namespace vintrel::host::memory
