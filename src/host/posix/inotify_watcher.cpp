#include "host/posix/inotify_watcher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace vintrel::host::posix {

struct InotifyWatcher::State {
  struct Entry {
    int folder_watch;
    std::string name;
    bool every_write;
    std::function<void()> changed;
  };
  std::mutex mutex;
  int fd = -1;
  int stop[2] = {-1, -1};
  std::map<int, Entry> entries;  // by id
  int next_id = 1;
};

InotifyWatcher::InotifyWatcher(EventLoop& loop) : loop_(loop), state_(std::make_shared<State>()) {
  state_->fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (state_->fd < 0) return;
  if (pipe2(state_->stop, O_CLOEXEC) != 0) {
    close(state_->fd);
    state_->fd = -1;
    return;
  }
  reader_ = std::thread([this] { Read(); });
}

InotifyWatcher::~InotifyWatcher() {
  if (reader_.joinable()) {
    const char byte = 0;
    (void)!write(state_->stop[1], &byte, 1);
    reader_.join();
  }
  std::lock_guard<std::mutex> lock(state_->mutex);
  for (int end : state_->stop) {
    if (end >= 0) close(end);
  }
  if (state_->fd >= 0) close(state_->fd);
  state_->fd = -1;
  state_->entries.clear();
}

int InotifyWatcher::Watch(const std::string& path, bool every_write,
                          std::function<void()> changed) {
  if (state_->fd < 0 || path.empty()) return 0;
  std::error_code error;
  std::filesystem::path file = std::filesystem::absolute(path, error);
  if (error) return 0;
  const std::string folder = file.parent_path().string();
  const uint32_t mask = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MODIFY | IN_CREATE;
  const int folder_watch = inotify_add_watch(state_->fd, folder.c_str(), mask);
  if (folder_watch < 0) return 0;
  std::lock_guard<std::mutex> lock(state_->mutex);
  const int id = state_->next_id++;
  state_->entries[id] =
      State::Entry{folder_watch, file.filename().string(), every_write, std::move(changed)};
  return id;
}

void InotifyWatcher::Unwatch(int id) {
  // The folder stays watched: other entries may share it, and events for names nobody asks
  // about are dropped.
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->entries.erase(id);
}

void InotifyWatcher::Read() {
  alignas(inotify_event) char buffer[16384];
  pollfd fds[2] = {{state_->fd, POLLIN, 0}, {state_->stop[0], POLLIN, 0}};
  for (;;) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    const ssize_t length = read(state_->fd, buffer, sizeof buffer);
    if (length <= 0) continue;
    std::vector<int> hits;
    {
      std::lock_guard<std::mutex> lock(state_->mutex);
      for (ssize_t at = 0; at < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        if (event->len == 0) continue;
        const std::string name = event->name;
        for (const auto& [id, entry] : state_->entries) {
          if (entry.folder_watch != event->wd || entry.name != name) continue;
          // A file being written is read once it is closed, unless its writer keeps it open.
          const bool finished = (event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) != 0;
          if (finished || entry.every_write) hits.push_back(id);
        }
      }
    }
    for (int id : hits) {
      loop_.Post([state = state_, id] {
        std::function<void()> changed;
        {
          std::lock_guard<std::mutex> lock(state->mutex);
          auto found = state->entries.find(id);
          if (found == state->entries.end()) return;  // unwatched meanwhile
          changed = found->second.changed;
        }
        changed();
      });
    }
  }
}

}  // namespace vintrel::host::posix
