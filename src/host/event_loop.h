// The single-threaded loop that stands in for the host's user-interface thread: timers, work
// posted back from other threads, and DoEvents, which lets pending work run once from inside a
// handler.
#ifndef VINTREL_HOST_EVENT_LOOP_H_
#define VINTREL_HOST_EVENT_LOOP_H_

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "host/clock.h"

namespace vintrel::host {

class EventLoop {
 public:
  using TimerId = int;
  using Milliseconds = std::chrono::milliseconds;

  explicit EventLoop(Clock& clock) : clock_(clock) {}
  virtual ~EventLoop() = default;
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  Clock& clock() const { return clock_; }

  // A timer ticks every `interval` (at least 1 ms) from now on, until removed. A timer never
  // ticks again while its own handler is still running, even if the handler calls DoEvents.
  TimerId AddTimer(Milliseconds interval, std::function<void()> tick);
  // Changes the interval; the next tick is one new interval from now.
  void SetInterval(TimerId id, Milliseconds interval);
  // Makes the timer due at once (its interval stays); one that is running ticks right after.
  void TriggerNow(TimerId id);
  // Removing an unknown or already removed timer does nothing; a handler may remove its own timer.
  void RemoveTimer(TimerId id);
  bool HasTimer(TimerId id) const { return timers_.count(id) != 0; }
  size_t TimerCount() const { return timers_.size(); }

  // The only call that may come from another thread: `work` runs on the loop's thread at the
  // next DoEvents or while the loop runs.
  void Post(std::function<void()> work);

  // Runs the posted work, then every timer that is due, each at most once, in order of due time.
  // Returns the number of handlers run. Anything may happen meanwhile (the show ends, another
  // one starts): a caller that goes on afterwards checks that what it works on is still wanted.
  // Virtual so that tests can script what happens at each point where events run.
  virtual int DoEvents();
  // Runs until `duration` has passed on the loop's clock or Quit is called.
  void RunFor(Milliseconds duration);
  // Runs until Quit is called.
  void Run();
  void Quit();

 private:
  struct Timer {
    Milliseconds interval;
    Clock::Ticks due;
    std::function<void()> tick;
    bool running = false;
  };

  int RunPosted();
  Clock::Ticks NextDue() const;
  void RunUntil(const Clock::Ticks* end);

  Clock& clock_;
  std::map<TimerId, std::shared_ptr<Timer>> timers_;
  TimerId next_id_ = 1;
  std::atomic<bool> quit_{false};

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> posted_;  // guarded by mutex_
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_EVENT_LOOP_H_
