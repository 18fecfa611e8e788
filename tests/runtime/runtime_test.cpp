// The running show on a fake clock: how often data is refreshed and scrolled, how rows scroll,
// when slides hide, what is written and what is not.
#include <gtest/gtest.h>

#include <cmath>

#include "host/show_display.h"
#include "runtime/runtime.h"
#include "runtime/runtime_timer.h"
#include "show_fixture.h"

namespace vintrel {
namespace {

using testing::Rows;
using testing::ShowFixture;
using testing::Table;

class Intervals : public ShowFixture {};

TEST_F(Intervals, FollowTheSourcesAndTheScrollTimes) {
  struct Source {
    std::string number;
    double rate;  // -1: a text file
    int slide;
    long scroll_time;  // -1: no scrolling
  };
  struct Expected {
    double data_interval;
    double scroll_interval;
    long data_timer;
    bool connections_timer;
  };
  struct Case {
    const char* name;
    std::vector<Source> connections;
    Expected expected;
  };
  const Case cases[] = {
      {"a file source refreshes every second",
       {{"01", -1, 1, -1}, {"02", 500, 1, -1}},
       {1000, -1, 1000, false}},
      {"databases refresh at their smallest rate",
       {{"01", 5000, 1, -1}, {"02", 2000, 2, -1}},
       {2000, -1, 2000, false}},
      {"half milliseconds round to even", {{"01", 2500.5, 1, -1}}, {2500.5, -1, 2500, false}},
      {"scrolling ticks at the smallest scroll time and requeries at the data interval",
       {{"01", 5000, 1, 3000}, {"02", 5000, 2, 1500}},
       {5000, 1500, 1500, true}},
      {"a scroll time of 0 does not count",
       {{"01", 5000, 1, 0}, {"02", 5000, 2, 2500}},
       {5000, 2500, 2500, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartOver();
    for (const Source& connection : c.connections) {
      Connection(connection.number, {"A"}, Rows(3), connection.rate);
      Field(connection.slide, connection.number, "A", 1);
      if (connection.scroll_time >= 0) {
        Scroll(connection.slide, std::stoi(connection.number), 1, connection.scroll_time);
      }
    }
    Start();
    ASSERT_NE(Runtime(), nullptr);
    ASSERT_TRUE(Runtime()->ready());
    const Expected& expected = c.expected;
    EXPECT_EQ(Runtime()->data_interval(), expected.data_interval);
    EXPECT_EQ(Runtime()->scroll_interval(), expected.scroll_interval);
    FrmRuntimeTimer& form = *Runtime()->timer_form();
    EXPECT_EQ(form.tmrData.Interval(), expected.data_timer);
    EXPECT_EQ(form.tmrConnections.Enabled(), expected.connections_timer);
    if (expected.connections_timer) {
      EXPECT_EQ(form.tmrConnections.Interval(), std::lround(expected.data_interval));
    }
  }
}

class Scrolling : public ShowFixture {};

TEST_F(Scrolling, StepsWrapAndStandStillAsTheDataAllows) {
  struct Case {
    const char* name;
    std::vector<double> shape_rows;
    long step;
    int data_rows;
    // What the shapes show after each scroll step, in shape order.
    std::vector<std::vector<std::string>> steps;
  };
  const Case cases[] = {
      {"five shapes turn pages of five, the last page partly blank, then start again",
       {1, 2, 3, 4, 5},
       5,
       12,
       {{"v6", "v7", "v8", "v9", "v10"},
        {"v11", "v12", " ", " ", " "},
        {"v1", "v2", "v3", "v4", "v5"}}},
      {"a ticker of one row wraps to its lowest row", {2}, 1, 4, {{"v3"}, {"v4"}, {"v2"}}},
      {"shapes that show every row never move",
       {1, 2, 3, 4, 5},
       5,
       5,
       {{"v1", "v2", "v3", "v4", "v5"}, {"v1", "v2", "v3", "v4", "v5"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartOver();
    Connection("01", {"A"}, Rows(c.data_rows));
    std::vector<int> shapes;
    for (double row : c.shape_rows) shapes.push_back(Field(1, "01", "A", row));
    Scroll(1, 1, c.step, 3000);
    Start();
    // Data ticks every second; a shape steps once 3000 ms have been waited before a tick.
    Run(4000);
    for (const auto& expected : c.steps) {
      std::vector<std::string> shown;
      for (int shape : shapes) shown.push_back(Text(1, shape));
      EXPECT_EQ(shown, expected);
      Run(3000);
    }
  }
}

class Hiding : public ShowFixture {};

// Slide 1 is on screen; slide 2 hides while it has no data to show: only texts and pictures
// count, so a chart alone never has any, and a slide of clocks alone never hides.
TEST_F(Hiding, SlidesWithoutDataHideAndComeBack) {
  const struct {
    const char* name;
    int source;  // what slide 2 holds
    bool hidden;
    bool hidden_with_more_rows;
  } cases[] = {
      {"a field beyond the data's rows", source_type::kTextField, true, false},
      {"a chart", source_type::kGraph, true, true},
      {"a clock", source_type::kClock, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StartOver();
    Connection("01", {"A"}, Rows(2));
    Field(1, "01", "A", 1);
    HideWhenNoData(2);
    const int field = c.source == source_type::kTextField ? Field(2, "01", "A", 3) : 0;
    if (c.source == source_type::kGraph) Link(Slide(2).AddChart(), source_type::kGraph, "01");
    if (c.source == source_type::kClock) Clock(2, "Long Time");
    Slide(3);
    Start();
    EXPECT_EQ(deck_->slide(2).SlideShowTransition().Hidden(), c.hidden);
    data_.rows["01"] = Rows(3);
    Run(1000);
    EXPECT_EQ(deck_->slide(2).SlideShowTransition().Hidden(), c.hidden_with_more_rows);
    if (field != 0) {
      EXPECT_EQ(Text(2, field), "v3");
    }
  }
}

TEST_F(Hiding, TheSlideOnScreenMovesOnAtOnce) {
  Connection("01", {"A"}, Rows(2));
  HideWhenNoData(1);
  Field(1, "01", "A", 5);
  Field(2, "01", "A", 1);
  Start();
  EXPECT_TRUE(deck_->slide(1).SlideShowTransition().Hidden());
  EXPECT_EQ(host_.show()->View().Slide().SlideIndex(), 2);
}

class Refresh : public ShowFixture {};

TEST_F(Refresh, WritesOnlyWhatChanged) {
  Connection("01", {"A"}, Rows(3));
  std::vector<int> fields;
  for (int row = 1; row <= 3; ++row) fields.push_back(Field(1, "01", "A", row));
  const int beyond = Field(1, "01", "A", 9);
  Start();
  EXPECT_EQ(Text(1, beyond), " ") << "a row beyond the data shows one blank";
  host_.faults().ResetCalls();
  const int requeries = data_.requeries;
  Run(5000);
  EXPECT_GT(data_.requeries, requeries) << "every data tick requeries without scrolling";
  EXPECT_EQ(host_.faults().Calls("TextRange.SetText"), 0) << "unchanged data writes nothing";

  data_.rows["01"] = {{"v1"}, {""}, {"new"}};
  Run(1000);
  EXPECT_EQ(Text(1, fields[1]), " ") << "an empty value shows one blank";
  EXPECT_EQ(Text(1, fields[2]), "new");
  EXPECT_EQ(host_.faults().Calls("TextRange.SetText"), 2);
}

TEST_F(Refresh, ClocksAreWrittenWhenTheSecondChanges) {
  const int clock = Clock(1, "Long Time");
  Start();
  const std::string first = Text(1, clock);
  host_.faults().ResetCalls();
  Run(3000);  // sixty clock ticks
  EXPECT_EQ(host_.faults().Calls("TextRange.SetText"), 3);
  EXPECT_NE(Text(1, clock), first);
}

TEST_F(Refresh, LinkedPicturesFollowTheFilesTheirDataNames) {
  files_.WriteFile("/pictures/east.png", "png");
  Connection("01", {"Picture"}, {{"/pictures/missing.png"}});
  Link(Slide(1).AddLinkedPicture("/pictures/old.png", "Photo"), source_type::kLinkedObject, "01",
       "Picture", 1);
  Start();
  EXPECT_FALSE(deck_->slide(1).shape(1).Visible())
      << "an absolute path of a missing file hides the picture";
  data_.rows["01"] = {{"/pictures/east.png"}};
  Run(1000);
  EXPECT_TRUE(deck_->slide(1).shape(1).Visible());
  EXPECT_EQ(deck_->slide(1).shape(1).LinkFormat().SourceFullName(), "/pictures/east.png");
}

TEST_F(Refresh, LinkedFilesOfWatchedSlidesReloadWhenTheyChange) {
  files_.WriteFile("/pictures/logo.png", "one", std::chrono::system_clock::time_point{});
  Slide(1).Tags().Add("QUENDRA SLIDE PROPERTIES", "0\t1\t");
  Slide(1).AddLinkedPicture("/pictures/logo.png", "Logo");
  Start();
  host_.faults().ResetCalls();
  Run(2500);
  EXPECT_EQ(host_.faults().Calls("Presentation.UpdateLinks"), 1) << "the first check reloads";
  Run(5000);
  EXPECT_EQ(host_.faults().Calls("Presentation.UpdateLinks"), 1) << "unchanged files are not";
  files_.WriteFile("/pictures/logo.png", "two",
                   std::chrono::system_clock::time_point{} + std::chrono::hours(1));
  Run(2500);
  EXPECT_EQ(host_.faults().Calls("Presentation.UpdateLinks"), 2);
}

TEST_F(Refresh, SlidesAdvanceByTheirTimingsUnlessTheShowIsManual) {
  for (const int mode : {host::advance_mode::kUseSlideTimings, host::advance_mode::kManual}) {
    SCOPED_TRACE(mode == host::advance_mode::kManual ? "manual" : "timings");
    StartOver();
    Connection("01", {"A"}, Rows(2));
    Field(1, "01", "A", 1);
    const int field = Field(2, "01", "A", 2);
    Slide(1).SlideShowTransition().SetAdvanceOnTime(true);
    Slide(1).SlideShowTransition().SetAdvanceTime(2);
    file_->settings().set_advance_mode(mode);
    Start();
    data_.rows["01"] = {{"v1"}, {"new"}};
    Run(3000);
    const int shown = host_.show()->View().Slide().SlideIndex();
    EXPECT_EQ(shown, mode == host::advance_mode::kManual ? 1 : 2);
    EXPECT_EQ(Text(2, field), "new") << "the shown or next slide is kept current";
  }
}

TEST_F(Refresh, TheShowLeavesTheSavedStateAsItFoundIt) {
  for (const bool saved : {true, false}) {
    SCOPED_TRACE(saved ? "saved" : "changed");
    StartOver();
    Connection("01", {"A"}, Rows(1));
    const int field = Field(1, "01", "A", 1);
    Open();
    deck_->SetSaved(saved);
    host_.StartSlideShow(*deck_);
    data_.rows["01"] = {{"changed during the show"}};
    Run(2000);
    EXPECT_EQ(Text(1, field), "changed during the show");
    EXPECT_EQ(deck_->Saved(), saved);
    host_.EndSlideShow();
    EXPECT_EQ(deck_->Saved(), saved);
  }
}

// What the screen hears of a failing source.
class StatusLog : public host::DataStatusDisplay {
 public:
  void ConnectionFailed(const std::string& connection, const std::string&,
                        const std::string&) override {
    events.push_back("failed " + connection);
  }
  void ConnectionRestored(const std::string& connection, const std::string&) override {
    events.push_back("restored " + connection);
  }
  void ValuesStale(const std::string& connection, double) override {
    events.push_back("stale " + connection);
  }
  std::vector<std::string> events;
};

// A failing source goes to the error log, is announced once (with its values marked stale when
// they are kept) and the show goes on; the log is offered when the show ends.
TEST_F(Refresh, AFailingSourceIsAnnouncedOnceAndItsValuesKeptWhenAskedFor) {
  for (const bool keep : {false, true}) {
    SCOPED_TRACE(keep ? "KeepLastGoodValues=1" : "default");
    StartOver();
    StatusLog status;
    connect_.services().show_status = &status;
    if (keep) settings_.Set("Quendra Vintrel 2002", "Info", "KeepLastGoodValues", "1");
    Connection("01", {"A"}, Rows(1));
    const int field = Field(1, "01", "A", 1);
    Start();
    const size_t boxes = front_end_.message_boxes().size();  // the earlier cases' too
    data_.failing["01"] = true;
    Run(3000);
    EXPECT_EQ(front_end_.message_boxes().size(), boxes) << "no message box stops the show";
    EXPECT_TRUE(connect_.context().module.errors_during_show);
    data_.failing["01"] = false;
    data_.rows["01"] = {{"back"}};
    Run(1000);
    std::vector<std::string> expected = {"failed 01"};
    if (keep) expected.insert(expected.end(), 3, "stale 01");
    expected.push_back("restored 01");
    EXPECT_EQ(status.events, expected);
    EXPECT_EQ(Text(1, field), "back");
    host_.EndSlideShow();
    ASSERT_EQ(front_end_.message_boxes().size(), boxes + 1);
    EXPECT_EQ(front_end_.message_boxes().back().text,
              "There were errors encountered during the presentation. Do you want to open the "
              "log file?");
    connect_.services().show_status = nullptr;
  }
}

TEST_F(Refresh, ShowBeginAndEndAroundTheRuntime) {
  struct Case {
    const char* name;
    bool vintrel;
    int show_type;
    bool runtime;
    int pointer;
  };
  const Case cases[] = {
      {"a presentation without add-in tags starts no runtime", false, host::show_type::kSpeaker,
       false, host::pointer_type::kArrow},
      {"a kiosk show hides the pointer", true, host::show_type::kKiosk, true,
       host::pointer_type::kAlwaysHidden},
      {"other shows leave it", true, host::show_type::kSpeaker, true, host::pointer_type::kArrow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartOver();
    if (!c.vintrel) file_->Tags().Delete("QUENDRA VERSION");
    Slide(1);
    HideWhenNoData(2);
    Slide(2).SlideShowTransition().SetHidden(true);
    file_->settings().set_show_type(c.show_type);
    Start();
    EXPECT_EQ(Runtime() != nullptr, c.runtime);
    EXPECT_EQ(host_.show()->View().PointerType(), c.pointer);
    host_.EndSlideShow();
    EXPECT_EQ(Runtime(), nullptr) << "released at show end";
    EXPECT_EQ(deck_->slide(2).SlideShowTransition().Hidden(), !c.vintrel)
        << "slides are shown again after a show of an add-in presentation";
  }
}

}  // namespace
}  // namespace vintrel
