// The one thread the add-in runs on while a page drives it. The add-in's forms, message boxes and
// pickers block that thread as they do on a desktop, so other threads (the page's requests) hand
// it work through a queue, and every wait for a person serves the queue again: a form waiting for
// its next action takes that action from the queue, a read of the slide runs between two actions.
#ifndef VINTREL_APPS_VINTREL_SHELL_THREAD_H_
#define VINTREL_APPS_VINTREL_SHELL_THREAD_H_

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

namespace vintrel::app {

class ShellThread {
 public:
  using Job = std::function<void()>;

  enum class Driven {
    kFinished,
    kWaiting,   // the job goes on once a person has answered what it showed
    kStopping,  // the job may not have run
  };
  // From another thread: runs `job` on the shell thread and returns once it has finished or the
  // shell waits for a person (a form, message box or picker the job showed). A failure of the
  // job is thrown here.
  Driven Drive(Job job);
  // From another thread: runs `job` and returns once it has finished (for work that shows
  // nothing); false when the shell is stopping and the job did not run.
  bool Run(Job job);

  // On the shell thread: runs what is handed over until `done` holds or Stop is called.
  // Every wait for a person calls this, so calls nest.
  void Serve(const std::function<bool()>& done);
  // Ends every Serve; work handed over afterwards is not run.
  void Stop();
  bool stopping() const;

 private:
  struct Posted {
    Job job;
    bool finished = false;
    std::exception_ptr failure;
  };
  std::shared_ptr<Posted> Post(Job job);
  // Waits (under `lock`) until `ready` holds or the shell stops; rethrows the job's failure.
  Driven Await(std::unique_lock<std::mutex>& lock, const Posted& posted,
               const std::function<bool()>& ready);

  mutable std::mutex mutex_;
  std::condition_variable posted_;
  std::condition_variable settled_;
  std::deque<std::shared_ptr<Posted>> queue_;
  bool waiting_ = false;  // the shell thread waits for work (idle, or for a person)
  bool stopping_ = false;
};

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_SHELL_THREAD_H_
