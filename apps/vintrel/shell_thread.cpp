#include "shell_thread.h"

namespace vintrel::app {

std::shared_ptr<ShellThread::Posted> ShellThread::Post(Job job) {
  auto posted = std::make_shared<Posted>();
  posted->job = std::move(job);
  queue_.push_back(posted);
  posted_.notify_all();
  return posted;
}

ShellThread::Driven ShellThread::Await(std::unique_lock<std::mutex>& lock, const Posted& posted,
                                       const std::function<bool()>& ready) {
  settled_.wait(lock, [&] { return stopping_ || posted.finished || ready(); });
  if (posted.failure) std::rethrow_exception(posted.failure);
  if (posted.finished) return Driven::kFinished;
  return stopping_ ? Driven::kStopping : Driven::kWaiting;
}

ShellThread::Driven ShellThread::Drive(Job job) {
  std::unique_lock lock(mutex_);
  if (stopping_) return Driven::kStopping;
  const std::shared_ptr<Posted> posted = Post(std::move(job));
  // Once the queue is empty the job has been taken; the shell waiting again means it is done or
  // waits for a person.
  return Await(lock, *posted, [&] { return waiting_ && queue_.empty(); });
}

bool ShellThread::Run(Job job) {
  std::unique_lock lock(mutex_);
  if (stopping_) return false;
  const std::shared_ptr<Posted> posted = Post(std::move(job));
  return Await(lock, *posted, [] { return false; }) == Driven::kFinished;
}

void ShellThread::Serve(const std::function<bool()>& done) {
  for (;;) {
    std::shared_ptr<Posted> next;
    {
      std::unique_lock lock(mutex_);
      while (!stopping_ && !done() && queue_.empty()) {
        waiting_ = true;
        settled_.notify_all();
        posted_.wait(lock);
      }
      waiting_ = false;
      if (stopping_ || done()) return;
      next = queue_.front();
      queue_.pop_front();
    }
    try {
      next->job();
    } catch (...) {
      next->failure = std::current_exception();
    }
    std::lock_guard lock(mutex_);
    next->finished = true;
    settled_.notify_all();
  }
}

void ShellThread::Stop() {
  std::lock_guard lock(mutex_);
  stopping_ = true;
  posted_.notify_all();
  settled_.notify_all();
}

bool ShellThread::stopping() const {
  std::lock_guard lock(mutex_);
  return stopping_;
}

}  // namespace vintrel::app
