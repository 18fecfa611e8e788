#include "host/event_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace vintrel::host {
namespace {

using std::chrono::milliseconds;

class EventLoopTest : public ::testing::Test {
 protected:
  FakeClock clock;
  EventLoop loop{clock};
};

TEST_F(EventLoopTest, FakeClockRunsTimersInOrderOfDueTime) {
  std::vector<std::string> ticks;
  loop.AddTimer(milliseconds(50), [&] { ticks.push_back("clock"); });
  loop.AddTimer(milliseconds(120), [&] { ticks.push_back("data"); });

  loop.RunFor(milliseconds(260));

  // 50, 100, 120, 150, 200, 240, 250: each timer at its own interval, interleaved by due time.
  EXPECT_EQ(ticks, (std::vector<std::string>{"clock", "clock", "data", "clock", "clock", "data",
                                             "clock"}));
}

TEST_F(EventLoopTest, DoEventsRunsWhatIsDueEachTimerOnceAndNewIntervalsFromNow) {
  int ticks = 0;
  const auto id = loop.AddTimer(milliseconds(10), [&] { ++ticks; });

  EXPECT_EQ(loop.DoEvents(), 0);
  clock.Advance(milliseconds(35));  // three intervals overdue: still one tick per DoEvents
  EXPECT_EQ(loop.DoEvents(), 1);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(loop.DoEvents(), 0);  // the next one is due a whole interval after the tick

  // A new interval restarts from now: due at 90 ms, not at 45 nor 10 after the change.
  clock.Advance(milliseconds(5));
  loop.SetInterval(id, milliseconds(50));
  clock.Advance(milliseconds(20));
  EXPECT_EQ(loop.DoEvents(), 0);
  clock.Advance(milliseconds(30));
  EXPECT_EQ(loop.DoEvents(), 1);
}

TEST_F(EventLoopTest, TimerNeverReentersItsOwnHandlerThroughDoEvents) {
  int depth = 0;
  int max_depth = 0;
  int other_ticks = 0;
  loop.AddTimer(milliseconds(10), [&] {
    ++depth;
    max_depth = std::max(max_depth, depth);
    clock.Advance(milliseconds(30));  // a slow handler that lets pending work run
    loop.DoEvents();
    --depth;
  });
  loop.AddTimer(milliseconds(15), [&] { ++other_ticks; });

  loop.RunFor(milliseconds(100));

  EXPECT_EQ(max_depth, 1);
  EXPECT_GT(other_ticks, 0);  // other timers do run inside the handler's DoEvents
}

TEST_F(EventLoopTest, HandlerMayRemoveItselfAndOthers) {
  int first = 0;
  int second = 0;
  EventLoop::TimerId second_id = 0;
  EventLoop::TimerId first_id = loop.AddTimer(milliseconds(10), [&] {
    ++first;
    loop.RemoveTimer(first_id);
    loop.RemoveTimer(second_id);
  });
  second_id = loop.AddTimer(milliseconds(10), [&] { ++second; });

  loop.RunFor(milliseconds(50));

  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(loop.TimerCount(), 0u);
}

TEST(EventLoopThreadTest, WorkPostedFromAnotherThreadRunsOnTheLoopAndQuitStopsRun) {
  SystemClock clock;
  EventLoop loop(clock);
  const auto loop_thread = std::this_thread::get_id();
  std::thread::id ran_on;
  std::thread worker([&] {
    std::this_thread::sleep_for(milliseconds(20));
    loop.Post([&] {
      ran_on = std::this_thread::get_id();
      loop.Quit();
    });
  });
  loop.Run();  // would block forever if the posted work did not wake it
  worker.join();
  EXPECT_EQ(ran_on, loop_thread);
}

}  // namespace
}  // namespace vintrel::host
