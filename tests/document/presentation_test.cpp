#include "document/presentation_object.h"

#include <gtest/gtest.h>

#include "document/shape.h"
#include "document/tag_schema.h"
#include "host/memory/memory_application.h"
#include "host/memory/memory_presentation.h"
#include "host/memory/memory_slide.h"
#include "host/posix/posix_file_system.h"
#include "support/error_codes.h"
#include "testing/shape_link.h"
#include "testing/table_connection.h"
#include "testing/test_context.h"

namespace vintrel {
namespace {

using host::memory::MemoryPresentation;
using host::memory::MemoryShape;
using host::memory::MemorySlide;
using testing::LinkShape;
using testing::Table;

class PresentationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx_.module.host = &app_;
    ctx_.services.clipboard = &app_.clipboard();
    ctx_.services.files = &posix_files_;  // linked pictures are real files
    twins_.clock.SetWallTime(host::Clock::WallTime(std::chrono::seconds(1796486647)));  // 16:04:07
    // Every connection the presentation loads reads the table of its number.
    ctx_.services.sources = [this](int) -> std::unique_ptr<ConnectionSource> {
      return std::make_unique<testing::TableSource>(
          std::vector<std::string>{"Region", "Sales", "Picture"}, rows_, &requeries_, &rows_);
    };
    deck_ = &app_.AddPresentation(dir_.File("board.pptx"));
    deck_->Tags().Add("QUENDRA VERSION", "1");
    deck_->Tags().Add("QUENDRA CONNECTION01", "0\tSales\tsales.txt\tTrue\t");
    deck_->Tags().Add("QUENDRA CONNECTION02", "0\tTargets\ttargets.txt\tTrue\t");
    slide_ = &deck_->AddSlide();
  }

  // A text box linked to `column` of `row` of connection `number`, and a clock.
  MemoryShape& Field(const std::string& number, const std::string& column, double row,
                     MemorySlide* slide = nullptr) {
    return LinkShape((slide ? *slide : *slide_).AddTextBox("old text"),
                     {source_type::kTextField, number, column, row});
  }
  MemoryShape& Clock(const std::string& format = "Short Time") {
    return LinkShape(slide_->AddTextBox(""), {source_type::kClock, "", "", 0, format});
  }

  clsPresentation& Load() {
    presentation_ = std::make_unique<clsPresentation>(ctx_);
    presentation_->SetActivePresentation(*deck_);
    return *presentation_;
  }

  testing::ScopedEnv utc_{"TZ", "UTC"};
  testing::TestContext twins_;
  Context& ctx_ = twins_.ctx;
  host::memory::ScriptedFrontEnd& front_end_ = twins_.front_end;
  host::posix::PosixFileSystem posix_files_;
  testing::TempDir dir_;
  host::memory::MemoryApplication app_;
  Table rows_ = {{"North", "1250.5", "north.png"}, {"South", "980", "south.png"}};
  int requeries_ = 0;
  MemoryPresentation* deck_ = nullptr;
  MemorySlide* slide_ = nullptr;
  std::unique_ptr<clsPresentation> presentation_;
};

TEST_F(PresentationTest, LoadingReadsEveryTagAndFillsTextFieldsAndClocks) {
  tzset();
  deck_->Tags().Add("QUENDRA DISPLAYTYPE", "3");
  deck_->Tags().Add("QUENDRA DISTRIBUTION START", "2026-12-01T08:00:00");
  deck_->Tags().Add("QUENDRA DISTRIBUTION COMPUTER", "board1\tboard2\t");
  auto& sales = Field("01", "Sales", 2);
  auto& beyond = Field("01", "Sales", 9);
  auto& clock = Clock();

  clsPresentation& presentation = Load();

  ASSERT_EQ(presentation.Connections().size(), 2u);
  EXPECT_TRUE(presentation.FindConnection("02")->ConnectionReady());
  EXPECT_TRUE(presentation.FindConnection("01")->DesignMode());
  EXPECT_EQ(presentation.DisplayType(), 3);
  EXPECT_EQ(ctx_.module.current_display_type, 1);  // only the display type setter changes it
  EXPECT_TRUE(presentation.DistributionStart().has_value());
  EXPECT_EQ(presentation.DistributionComputers(), (std::vector<std::string>{"board1", "board2"}));
  EXPECT_EQ(sales.text(), "980");
  EXPECT_EQ(beyond.text(), " ");  // a row beyond the data shows one blank
  EXPECT_EQ(clock.text(), "16:04");
  EXPECT_TRUE(front_end_.message_boxes().empty());
}

TEST_F(PresentationTest, DisplayTypesChangeWhatTextFieldsAndClocksShow) {
  auto& sales = Field("01", "Sales", 2);
  auto& clock = Clock();
  clsPresentation& presentation = Load();

  const std::vector<std::string> clock_texts = {"16:04", "[n/a]", "Short Time", "[n/a]", "[n/a]",
                                                "[n/a]", ""};
  for (int type = 1; type <= 7; ++type) {
    presentation.SetDisplayType(type);
    EXPECT_EQ(ctx_.module.current_display_type, type);
    EXPECT_EQ(clock.text(), clock_texts[type - 1]) << "display type " << type;
  }
  // A text field shows what its connection gives for the type (the connection's tests).
  EXPECT_EQ(sales.text(), " ");
}

TEST_F(PresentationTest, AnUnchangedFillWritesNothing) {
  Field("01", "Region", 1);
  Field("01", "Region", 2);
  clsPresentation& presentation = Load();
  const long after_load = presentation.fill_writes();
  EXPECT_EQ(after_load, 2);
  presentation.FillValues(false);
  presentation.FillValues(true);  // a requery that brings the same data
  EXPECT_EQ(presentation.fill_writes(), after_load);
  EXPECT_EQ(requeries_, 2);
}

TEST_F(PresentationTest, RemovedConnectionUnlinksAndBlanksOnlyItsShapes) {
  auto& sales = Field("01", "Sales", 1);
  auto& target = Field("02", "Sales", 1);
  clsPresentation& presentation = Load();
  ASSERT_EQ(target.text(), "1250.5");

  // Without the connection the shape is skipped by the fill and keeps its text...
  ConnectionList kept;
  kept.push_back(std::move(presentation.Connections()[0]));
  presentation.Connections().clear();
  presentation.FillValues(false);
  EXPECT_EQ(target.text(), "1250.5");

  // ...until the connection writer clears it.
  presentation.SetConnectionTags(std::move(kept));
  EXPECT_EQ(target.text(), "");
  EXPECT_EQ(sales.text(), "1250.5");
}

TEST_F(PresentationTest, LinkedPictureHidesWithoutDataAndComesBackRelinked) {
  const std::string south = dir_.Write("pics/south.png", "png");
  dir_.Write("pics/north.png", "png");
  auto& picture = LinkShape(slide_->AddLinkedPicture(dir_.File("pics/old.png")),
                            {source_type::kLinkedObject, "01", "Picture", 2, "", "pics"});
  rows_ = {{"North", "1", "north.png"}};  // row 2 does not exist yet
  clsPresentation& presentation = Load();
  EXPECT_FALSE(picture.Visible());

  rows_ = {{"North", "1", "north.png"}, {"South", "2", "south.png"}};
  presentation.FillValues(true);
  EXPECT_TRUE(picture.Visible());
  EXPECT_EQ(picture.LinkFormat().SourceFullName(), south);
}

TEST_F(PresentationTest, ChartTakesAllRowsOrTheScrollingWindow) {
  auto& chart = LinkShape(slide_->AddChart("Chart"), {source_type::kGraph, "01", "", 0});
  chart.SetVisible(false);
  Load();
  EXPECT_TRUE(chart.Visible());
  slide_->Tags().Add("QUENDRA SCROLLSTEP1", "True\t1\t5000");
  presentation_->FillValues(false);
  EXPECT_EQ(chart.chart()->sheet().Grid(),
            (std::vector<std::vector<std::string>>{{"Region", "Sales", "Picture"},
                                                   {"North", "1250.5", "north.png"}}));
}

TEST_F(PresentationTest, PrepareSaveBlanksAndHidesOnlyLinkedShapesOfAnAddInPresentation) {
  auto& sales = Field("01", "Sales", 1);
  auto& plain = slide_->AddTextBox("my own text");
  auto& picture =
      LinkShape(slide_->AddLinkedPicture(dir_.Write("pics/north.png", "png")),
                {source_type::kLinkedObject, "01", "Picture", 1, "", dir_.File("pics")});
  auto& chart = LinkShape(slide_->AddChart("Chart"), {source_type::kGraph, "01", "", 0});
  clsPresentation& presentation = Load();
  ASSERT_EQ(sales.text(), "1250.5");

  presentation.PrepareSave();
  EXPECT_EQ(sales.text(), " ");
  EXPECT_EQ(plain.text(), "my own text");
  EXPECT_FALSE(picture.Visible());
  EXPECT_FALSE(chart.Visible());

  presentation.FillValues();  // shows them again, as the first fill shows hidden charts
  EXPECT_EQ(sales.text(), "1250.5");

  deck_->Tags().Delete("QUENDRA VERSION");
  presentation.PrepareSave();
  EXPECT_EQ(sales.text(), "1250.5");
}

TEST_F(PresentationTest, AFailingFillAsksOkCancelAndCancelSilencesTheRest) {
  for (int i = 0; i < 3; ++i) Field("01", "NoSuchColumn", 1);
  front_end_.QueueAnswer(host::msg_box::kCancel);
  Load();
  ASSERT_EQ(front_end_.message_boxes().size(), 1u);
  EXPECT_EQ(front_end_.message_boxes()[0].buttons, host::msg_box::kOkCancel);

  // A new fill asks again; during a show failures go to the error log instead.
  ctx_.module.in_slide_show = true;
  presentation_->FillValues();
  EXPECT_EQ(front_end_.message_boxes().size(), 1u);
  EXPECT_TRUE(ctx_.module.errors_during_show);
}

TEST_F(PresentationTest, SlideHasConnectionsNeedsAConnectionAColumnAndARow) {
  Clock("Long Time");
  Field("01", "Sales", 1, &deck_->AddSlide());
  clsPresentation& presentation = Load();
  EXPECT_FALSE(presentation.SlideHasConnections(1));
  EXPECT_TRUE(presentation.SlideHasConnections(2));
}

TEST_F(PresentationTest, RemoveVintrelLeavesNoAddInTag) {
  auto& sales = Field("01", "Sales", 1);
  deck_->Tags().Add("QUENDRA DISPLAYTYPE", "1");
  deck_->Tags().Add("OTHER TOOL", "kept");
  clsPresentation& presentation = Load();
  presentation.RemoveVintrel();
  for (int i = 1; i <= deck_->Tags().Count(); ++i) {
    EXPECT_FALSE(HasTagPrefix(deck_->Tags().Name(i), "QUENDRA")) << deck_->Tags().Name(i);
  }
  EXPECT_EQ(deck_->Tags().Item("OTHER TOOL"), "kept");
  EXPECT_FALSE(IsLinkedShape(sales.Tags()));
  EXPECT_TRUE(presentation.Connections().empty());
}

TEST_F(PresentationTest, TagWritersAddTheVersionTagFirst) {
  deck_->Tags().Delete("QUENDRA VERSION");
  clsPresentation& presentation = Load();
  EXPECT_FALSE(IsVintrelPresentation(*deck_));
  presentation.SetDistributionListTags(std::nullopt, std::nullopt, {"wall"});
  EXPECT_TRUE(IsVintrelPresentation(*deck_));
  EXPECT_EQ(deck_->Tags().Item("QUENDRA DISTRIBUTION COMPUTER"), "wall\t");
  presentation.SetDisplayType();
  EXPECT_EQ(deck_->Tags().Item("QUENDRA DISPLAYTYPE"), "0");
}

}  // namespace
}  // namespace vintrel
