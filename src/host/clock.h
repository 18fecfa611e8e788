#ifndef VINTREL_HOST_CLOCK_H_
#define VINTREL_HOST_CLOCK_H_

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vintrel::host {

// Time as the add-in sees it: the wall clock for what it shows and logs, a steady clock for its
// timers. Tests use FakeClock, which moves only when told.
class Clock {
 public:
  using WallTime = std::chrono::system_clock::time_point;
  using Ticks = std::chrono::steady_clock::time_point;

  virtual ~Clock() = default;
  virtual WallTime Now() const = 0;
  virtual Ticks Steady() const = 0;
  // Blocks until `deadline` or until `wake` is notified, whichever comes first. A fake clock
  // jumps to the deadline at once.
  virtual void WaitUntil(Ticks deadline, std::condition_variable& wake,
                         std::unique_lock<std::mutex>& lock) = 0;
};

class SystemClock : public Clock {
 public:
  WallTime Now() const override { return std::chrono::system_clock::now(); }
  Ticks Steady() const override { return std::chrono::steady_clock::now(); }
  void WaitUntil(Ticks deadline, std::condition_variable& wake,
                 std::unique_lock<std::mutex>& lock) override {
    wake.wait_until(lock, deadline);
  }
};

// A clock that stands still until advanced. Wall and steady time move together.
class FakeClock : public Clock {
 public:
  explicit FakeClock(WallTime start = WallTime(std::chrono::hours(24 * 365 * 56)))
      : wall_(start), steady_(Ticks(std::chrono::hours(1))) {}

  WallTime Now() const override { return wall_; }
  Ticks Steady() const override { return steady_; }
  void WaitUntil(Ticks deadline, std::condition_variable&, std::unique_lock<std::mutex>&) override {
    if (deadline > steady_) Advance(deadline - steady_);
  }

  void Advance(std::chrono::steady_clock::duration by) {
    steady_ += by;
    wall_ += std::chrono::duration_cast<std::chrono::system_clock::duration>(by);
  }
  void SetWallTime(WallTime time) { wall_ = time; }

 private:
  WallTime wall_;
  Ticks steady_;
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_CLOCK_H_
