// The distribution list form on the in-memory host: its default window, what it takes from the
// presentation, Add, Delete, OK and Cancel with their messages, and Clear with its question.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <map>

#include "document/presentation_object.h"
#include "host/clock.h"
#include "host/memory/memory_host.h"
#include "offline/distribution_dialog.h"
#include "support/context.h"
#include "testing/test_context.h"

namespace vintrel::testing {
namespace {

using namespace std::chrono;

constexpr const char* kStart = "QUENDRA DISTRIBUTION START";
constexpr const char* kStop = "QUENDRA DISTRIBUTION STOP";
constexpr const char* kComputer = "QUENDRA DISTRIBUTION COMPUTER";

LocalDateTime At(int y, unsigned m, unsigned d, int h, int min = 0, int s = 0) {
  return local_days{year{y} / m / d} + hours{h} + minutes{min} + seconds{s};
}

// The start or stop ("Start", "Stop") of the window as the form shows it.
std::optional<LocalDateTime> Shown(frmDistribution& form, const std::string& end) {
  return ParseDateTime(form.Text("txt" + end + "Date") + " " + form.Text("txt" + end + "Time"));
}

class DistributionDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }

  // A presentation with the given distribution tags, taken up by the add-in.
  clsPresentation& Open(const std::map<std::string, std::string>& tags) {
    deck_ = &app_.AddPresentation("/shows/board" + std::to_string(++decks_) + ".pptx");
    for (const auto& [name, value] : tags) deck_->Tags().Add(name, value);
    presentation_ = std::make_unique<clsPresentation>(ctx_);
    presentation_->SetActivePresentation(*deck_);
    return *presentation_;
  }
  // The tags of the presentation by name.
  std::map<std::string, std::string> Stored() const {
    const auto& entries = deck_->tags().entries();
    return {entries.begin(), entries.end()};
  }

  TestContext twins_;
  Context& ctx_ = twins_.ctx;
  host::memory::ScriptedFrontEnd& front_end_ = twins_.front_end;
  host::FakeClock& clock_ = twins_.clock;
  host::memory::MemoryApplication app_;
  host::memory::MemoryPresentation* deck_ = nullptr;
  std::unique_ptr<clsPresentation> presentation_;
  int decks_ = 0;
};

TEST_F(DistributionDialogTest, TheDefaultWindowOpensAtTheNextFullHourForTwoHours) {
  const struct {
    LocalDateTime now;
    LocalDateTime start;
  } cases[] = {
      {At(2026, 12, 6, 12, 34, 56), At(2026, 12, 6, 13)},
      {At(2026, 12, 6, 14, 0, 0), At(2026, 12, 6, 15)},
      {At(2026, 12, 31, 23, 59, 59), At(2027, 1, 1, 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(FormatDateTime(c.now));
    clock_.SetWallTime(system_clock::time_point{c.now.time_since_epoch()});
    frmDistribution form(ctx_);
    form.SetActivePresentation(Open({}));
    EXPECT_EQ(Shown(form, "Start"), c.start);
    EXPECT_EQ(Shown(form, "Stop"), c.start + hours{2});
    EXPECT_TRUE(form.DistributionList().empty());
  }
}

TEST_F(DistributionDialogTest, TheStoredListAndWindowReplaceTheDefaults) {
  frmDistribution form(ctx_);
  form.SetActivePresentation(Open({{kStart, "2027-03-01T08:00:00"},
                                   {kComputer, "wall-1\tlobby\t"},
                                   {kStop, "2027-03-01T17:30:00"}}));
  EXPECT_EQ(Shown(form, "Start"), At(2027, 3, 1, 8));
  EXPECT_EQ(Shown(form, "Stop"), At(2027, 3, 1, 17, 30));
  EXPECT_EQ(form.DistributionList(), (std::vector<std::string>{"wall-1", "lobby"}));
  EXPECT_EQ(form.Selected(), 0u);
  EXPECT_TRUE(form.cmdDeleteEnabled());
}

TEST_F(DistributionDialogTest, AddAppendsThePickedComputerOnce) {
  const struct {
    const char* name;
    const char* picked;  // "" = the user cancelled the picker
    std::vector<std::string> list;
    std::optional<size_t> selected;
    bool told;
  } cases[] = {
      {"cancelled", "", {"a", "b", "c"}, 2, false},
      {"new", "d", {"a", "b", "c", "d"}, 3, false},
      {"listed", "a", {"a", "b", "c"}, 0, true},
      {"other letter case", "A", {"a", "b", "c", "A"}, 3, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    frmDistribution form(ctx_);
    form.SetActivePresentation(Open({{kComputer, "a\tb\tc\t"}}));
    form.Select(2);
    const size_t boxes = front_end_.message_boxes().size();
    front_end_.QueueComputer(c.picked);
    form.cmdNew_Click();
    EXPECT_EQ(form.DistributionList(), c.list);
    EXPECT_EQ(form.Selected(), c.selected);
    ASSERT_EQ(front_end_.message_boxes().size(), boxes + (c.told ? 1 : 0));
    if (c.told) {
      EXPECT_EQ(front_end_.message_boxes().back().text,
                "This computer was already added to the distrubtion list.");
      EXPECT_EQ(front_end_.message_boxes().back().icon, host::msg_box::kInformation);
      EXPECT_TRUE(front_end_.message_boxes().back().topmost);
    }
  }
}

TEST_F(DistributionDialogTest, DeleteSelectsTheEntryThatTakesThePlace) {
  const struct {
    const char* stored;
    size_t selected;
    std::vector<std::string> list;
    std::optional<size_t> then_selected;
  } cases[] = {
      {"a\tb\tc\t", 0, {"b", "c"}, 0},
      {"a\tb\tc\t", 2, {"a", "b"}, 1},
      {"a\t", 0, {}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored + std::to_string(c.selected));
    frmDistribution form(ctx_);
    form.SetActivePresentation(Open({{kComputer, c.stored}}));
    form.Select(c.selected);
    form.cmdDelete_Click();
    EXPECT_EQ(form.DistributionList(), c.list);
    EXPECT_EQ(form.Selected(), c.then_selected);
    EXPECT_EQ(form.cmdDeleteEnabled(), c.then_selected.has_value());
  }
}

TEST_F(DistributionDialogTest, OkWritesOnlyAValidWindow) {
  const std::string no_start = "No valid start date specified. Please specify date and time.";
  const std::string no_stop = "No valid end date specified. Please specify date and time.";
  const std::string order = "End date must be greater than the start date.";
  const std::map<std::string, std::string> untouched = {{"QUENDRA VERSION", "1"},
                                                        {kComputer, "wall\t"}};
  const struct {
    const char* name;
    std::string start_date, start_time, stop_date, stop_time;
    std::vector<std::string> messages;
  } cases[] = {
      {"neither", "", "", "x", "y", {no_start, no_stop}},
      {"a date without a time", "12/24/2026", " ", "12/24/2026", "8:00:00 PM", {no_start}},
      {"equal", "12/24/2026", "6:00:00 PM", "12/24/2026", "6:00:00 PM", {order}},
      {"valid", "12/24/2026", "6:00:00 PM", "12/25/2026", "2:00:00 AM", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t boxes = front_end_.message_boxes().size();
    frmDistribution form(ctx_);
    form.SetActivePresentation(Open(untouched));
    form.SetText("txtStartDate", c.start_date);
    form.SetText("txtStartTime", c.start_time);
    form.SetText("txtStopDate", c.stop_date);
    form.SetText("txtStopTime", c.stop_time);
    form.cmdClose_Click();

    EXPECT_EQ(MessagesSince(front_end_, boxes), c.messages);
    EXPECT_EQ(form.closed(), c.messages.empty());
    std::map<std::string, std::string> stored = untouched;
    if (c.messages.empty()) {
      stored[kStart] = "2026-12-24T18:00:00";
      stored[kStop] = "2026-12-25T02:00:00";
    }
    EXPECT_EQ(Stored(), stored);
  }
}

// The form's own list is what OK writes (emptied, it leaves no computer tag); Cancel writes
// nothing.
TEST_F(DistributionDialogTest, OkWritesTheFormsListAndCancelNothing) {
  for (const bool ok : {true, false}) {
    SCOPED_TRACE(ok ? "OK" : "Cancel");
    frmDistribution form(ctx_);
    form.SetActivePresentation(Open({{kComputer, "old\t"}}));
    form.cmdDelete_Click();
    ok ? form.cmdClose_Click() : form.cmdCancel_Click();
    EXPECT_TRUE(form.closed());
    EXPECT_EQ(Stored().count(kComputer), ok ? 0u : 1u);
    EXPECT_EQ(Stored().count(kStart), ok ? 1u : 0u);
  }
}

TEST_F(DistributionDialogTest, ClearDeletesTheTagsOnlyWhenTheAnswerIsYes) {
  for (const bool cleared : {true, false}) {
    SCOPED_TRACE(cleared ? "Yes" : "Cancel");
    clsPresentation& presentation = Open({{kStart, "2027-03-01T08:00:00"},
                                          {kStop, "2027-03-01T09:00:00"},
                                          {kComputer, "a\t"},
                                          {"QUENDRA VERSION", "1"}});
    front_end_.QueueAnswer(cleared ? host::msg_box::kYes : host::msg_box::kCancel);
    EXPECT_EQ(ClearDistributionList(presentation), cleared);
    const auto& question = front_end_.message_boxes().back();
    EXPECT_EQ(question.text, "Are you sure you want to clear the distribution list?");
    EXPECT_EQ(question.buttons, host::msg_box::kYesNoCancel);
    EXPECT_EQ(question.icon, host::msg_box::kQuestion);
    EXPECT_EQ(Stored().size(), cleared ? 1u : 4u);
    EXPECT_EQ(Stored().count("QUENDRA VERSION"), 1u);
    EXPECT_EQ(presentation.DistributionComputers().size(), 1u) << "memory waits for the next load";
  }
}

}  // namespace
}  // namespace vintrel::testing
