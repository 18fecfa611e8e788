#include "host/event_loop.h"

#include <algorithm>
#include <vector>

namespace vintrel::host {

EventLoop::TimerId EventLoop::AddTimer(Milliseconds interval, std::function<void()> tick) {
  interval = std::max(interval, Milliseconds(1));
  auto timer = std::make_shared<Timer>();
  timer->interval = interval;
  timer->due = clock_.Steady() + interval;
  timer->tick = std::move(tick);
  TimerId id = next_id_++;
  timers_.emplace(id, std::move(timer));
  return id;
}

void EventLoop::SetInterval(TimerId id, Milliseconds interval) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  it->second->interval = std::max(interval, Milliseconds(1));
  it->second->due = clock_.Steady() + it->second->interval;
}

void EventLoop::TriggerNow(TimerId id) {
  auto it = timers_.find(id);
  if (it != timers_.end()) it->second->due = clock_.Steady();
}

void EventLoop::RemoveTimer(TimerId id) {
  timers_.erase(id);
}

void EventLoop::Post(std::function<void()> work) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    posted_.push_back(std::move(work));
  }
  wake_.notify_all();
}

int EventLoop::RunPosted() {
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    batch.swap(posted_);
  }
  int count = 0;
  for (auto& work : batch) {
    work();
    ++count;
  }
  return count;
}

int EventLoop::DoEvents() {
  int count = RunPosted();
  // Each timer that is due now ticks once. Collect them first: a handler may add or remove
  // timers, and timers it makes due meanwhile wait for the next round.
  Clock::Ticks now = clock_.Steady();
  std::vector<std::pair<Clock::Ticks, TimerId>> due;
  for (const auto& [id, timer] : timers_) {
    if (!timer->running && timer->due <= now) due.emplace_back(timer->due, id);
  }
  std::sort(due.begin(), due.end());
  for (const auto& [when, id] : due) {
    auto it = timers_.find(id);
    if (it == timers_.end()) continue;  // removed by an earlier handler
    std::shared_ptr<Timer> timer = it->second;
    if (timer->running || timer->due > clock_.Steady()) continue;
    timer->running = true;
    timer->due = clock_.Steady() + timer->interval;
    timer->tick();
    timer->running = false;
    ++count;
  }
  return count;
}

Clock::Ticks EventLoop::NextDue() const {
  Clock::Ticks next = Clock::Ticks::max();
  for (const auto& [id, timer] : timers_) {
    if (!timer->running) next = std::min(next, timer->due);
  }
  return next;
}

void EventLoop::RunUntil(const Clock::Ticks* end) {
  quit_ = false;
  while (!quit_) {
    DoEvents();
    if (quit_) break;
    Clock::Ticks now = clock_.Steady();
    if (end != nullptr && now >= *end) break;
    Clock::Ticks deadline = NextDue();
    if (end != nullptr) deadline = std::min(deadline, *end);
    std::unique_lock<std::mutex> lock(mutex_);
    if (!posted_.empty()) continue;
    if (deadline == Clock::Ticks::max()) {
      // Nothing scheduled and no end: only posted work or Quit can wake us.
      wake_.wait(lock, [this] { return !posted_.empty() || quit_; });
    } else if (deadline > now) {
      clock_.WaitUntil(deadline, wake_, lock);
    }
  }
}

void EventLoop::RunFor(Milliseconds duration) {
  Clock::Ticks end = clock_.Steady() + duration;
  RunUntil(&end);
}

void EventLoop::Run() {
  RunUntil(nullptr);
}

void EventLoop::Quit() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
}

}  // namespace vintrel::host
