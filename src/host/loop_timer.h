// A timer control as forms have them: an interval, an enabled switch and a handler, ticking on
// the event loop. Disabling and enabling again starts a fresh interval, and so does a new
// interval; an interval of 0 keeps the timer from ticking at all.
#ifndef VINTREL_HOST_LOOP_TIMER_H_
#define VINTREL_HOST_LOOP_TIMER_H_

#include <functional>
#include <memory>

#include "host/event_loop.h"

namespace vintrel::host {

class LoopTimer {
 public:
  LoopTimer(EventLoop& loop, long interval_ms, bool enabled, std::function<void()> tick)
      : loop_(loop), interval_(interval_ms), state_(std::make_shared<State>()) {
    state_->tick = std::move(tick);
    SetEnabled(enabled);
  }
  ~LoopTimer() { Stop(); }
  LoopTimer(const LoopTimer&) = delete;
  LoopTimer& operator=(const LoopTimer&) = delete;

  long Interval() const { return interval_; }
  void SetInterval(long interval_ms) {
    interval_ = interval_ms;
    if (enabled_) Restart();
  }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Restart();
  }
  // Ticks as soon as the loop gets to it (right after the running tick, if this is it).
  void TriggerNow() {
    if (id_ != 0) loop_.TriggerNow(id_);
  }

 private:
  // What a running tick needs, shared with the loop's handler: a tick may end the form that
  // owns this timer (an event it lets run ends the show), and must still return through it.
  struct State {
    std::function<void()> tick;
    bool in_tick = false;
  };

  void Stop() {
    if (id_ != 0) loop_.RemoveTimer(id_);
    id_ = 0;
  }
  void Restart() {
    Stop();
    if (!enabled_ || interval_ <= 0) return;
    // A handler that restarts its own timer makes a new loop timer: that one must not tick
    // inside the handler still running either.
    id_ = loop_.AddTimer(EventLoop::Milliseconds(interval_), [state = state_] {
      if (state->in_tick) return;
      state->in_tick = true;
      state->tick();
      state->in_tick = false;
    });
  }

  EventLoop& loop_;
  long interval_;
  bool enabled_ = false;
  std::shared_ptr<State> state_;
  EventLoop::TimerId id_ = 0;
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_LOOP_TIMER_H_
