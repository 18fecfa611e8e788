#include "support/progress_window.h"

#include <gtest/gtest.h>

#include "testing/test_context.h"

namespace vintrel {
namespace {

// A front end whose progress windows note the last estimate shown and whether they stay on top.
class ProgressFrontEnd : public host::memory::ScriptedFrontEnd {
 public:
  std::unique_ptr<host::ProgressDisplay> OpenProgress() override {
    struct Display : host::ProgressDisplay {
      explicit Display(ProgressFrontEnd& owner) : owner(owner) {}
      void SetTitle(const std::string&) override {}
      void SetStatus(const std::string&) override {}
      void SetProgress(int, int) override {}
      void SetRemaining(const std::string& text) override { owner.remaining = text; }
      void SetTopmost(bool topmost) override { owner.topmost = topmost; }
      void Close() override {}
      ProgressFrontEnd& owner;
    };
    return std::make_unique<Display>(*this);
  }
  std::string remaining = "(never shown)";
  bool topmost = false;
};

// The estimate is shown by a timer every 3 s, once more than 5 s have passed and a step is done:
// whole seconds so far, per step done, times the steps left, rounded half to even.
TEST(ProgressWindowTest, RemainingTimeFromTheFifthSecondOn) {
  struct Case {
    const char* name;
    int step;  // reached right after the start
    int steps;
    int run_seconds;  // then the loop runs this long
    std::string shown;
  };
  const std::vector<Case> cases = {
      {"too early to tell", 5, 10, 5, "(never shown)"},
      {"the first tick after five seconds", 2, 10, 6, "Remaining time: 24 seconds "},
      {"no step done yet", 0, 10, 30, "(never shown)"},
      {"minutes", 1, 3, 60, "Remaining time: 2 minutes "},
      {"a half rounds to even", 2, 3, 9, "Remaining time: 4 seconds "},
      {"all steps done", 3, 3, 9, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TestContext twins;
    ProgressFrontEnd front_end;
    twins.ctx.services.front_end = &front_end;
    host::EventLoop& loop = twins.loop;
    {
      ProgressWindow window(twins.ctx);
      window.SetSteps(c.steps);
      window.Start();
      EXPECT_TRUE(front_end.topmost) << "the work goes on behind it: it stays on top";
      window.NewStepValue(c.step);
      loop.RunFor(std::chrono::seconds(c.run_seconds));
      EXPECT_EQ(front_end.remaining, c.shown);
      window.Close();
      const std::string before = front_end.remaining;
      loop.RunFor(std::chrono::seconds(30));
      EXPECT_EQ(front_end.remaining, before) << "a closed window's timer is stopped";
    }
  }
}

}  // namespace
}  // namespace vintrel
