// File watching with Linux inotify. The folder of each watched file is watched (so a file that
// is replaced by a rename, as editors and spreadsheets save, is still seen); a reader thread
// hands every change to the event loop, where the callback runs.
#ifndef VINTREL_HOST_POSIX_INOTIFY_WATCHER_H_
#define VINTREL_HOST_POSIX_INOTIFY_WATCHER_H_

#include <memory>
#include <thread>

#include "host/event_loop.h"
#include "host/platform.h"

namespace vintrel::host::posix {

class InotifyWatcher : public FileWatcher {
 public:
  // Without inotify (a system that refuses it) nothing is ever reported and Watch returns 0.
  explicit InotifyWatcher(EventLoop& loop);
  ~InotifyWatcher() override;
  InotifyWatcher(const InotifyWatcher&) = delete;
  InotifyWatcher& operator=(const InotifyWatcher&) = delete;

  int Watch(const std::string& path, bool every_write, std::function<void()> changed) override;
  void Unwatch(int id) override;

 private:
  struct State;
  void Read();

  EventLoop& loop_;
  // Shared with the work posted to the loop, which may run after the watcher is gone.
  std::shared_ptr<State> state_;
  std::thread reader_;
};

}  // namespace vintrel::host::posix

#endif  // VINTREL_HOST_POSIX_INOTIFY_WATCHER_H_
