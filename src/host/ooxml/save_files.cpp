#include "host/ooxml/save_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "host/error.h"

namespace vintrel::ooxml {

namespace {

constexpr char kSource[] = "vintrel.ooxml";
constexpr size_t kRandomPart = 6;  // what mkstemp puts in place of XXXXXX

std::string Folder(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ".deck.pptx.vintrel-": what every marker of a save of `target` begins with.
std::string MarkerPrefix(const std::string& target) {
  return "." + BaseName(target) + ".vintrel-";
}

}  // namespace

int RemoveStaleSaveFiles(const std::string& target) {
  const std::string folder = Folder(target);
  const std::string prefix = MarkerPrefix(target);
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      std::string name = entry->d_name;
      if (name.compare(0, prefix.size(), prefix) == 0) names.push_back(std::move(name));
    }
    ::closedir(dir);
  }
  int removed = 0;
  for (const std::string& marker : names) {
    if (marker.size() != prefix.size() + kRandomPart) continue;
    const std::string marker_path = folder + "/" + marker;
    int fd = ::open(marker_path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat info {};
    // A save that is running holds its marker locked; only a dead one's can be locked here.
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      for (const std::string& name : names) {
        if (name.size() > marker.size() && name.compare(0, marker.size() + 1, marker + ".") == 0 &&
            ::unlink((folder + "/" + name).c_str()) == 0) {
          ++removed;
        }
      }
      if (::unlink(marker_path.c_str()) == 0) ++removed;
    }
    ::close(fd);
  }
  return removed;
}

SaveFiles::SaveFiles(const std::string& target) {
  RemoveStaleSaveFiles(target);
  // A cleaner in another process may take a marker between its creation and its locking, and
  // remove it; then the marker is made again.
  for (int attempt = 0; attempt < 8 && fd_ < 0; ++attempt) {
    std::string marker = Folder(target) + "/" + MarkerPrefix(target) + "XXXXXX";
    int fd = ::mkostemp(marker.data(), O_CLOEXEC);
    if (fd < 0) {
      throw Error(kErrPermissionDenied, kSource,
                  "cannot save \"" + target + "\": cannot create a file in its folder (" +
                      std::strerror(errno) + ")");
    }
    struct stat info {};
    if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &info) == 0 && info.st_nlink > 0) {
      fd_ = fd;
      marker_ = std::move(marker);
    } else {
      ::close(fd);
    }
  }
  if (fd_ < 0) {
    throw Error(kErrPermissionDenied, kSource,
                "cannot save \"" + target + "\": its temporary file keeps disappearing");
  }
  package_ = marker_ + ".zip";
}

SaveFiles::~SaveFiles() {
  ::unlink(package_.c_str());
  ::unlink(marker_.c_str());
  ::close(fd_);
}

}  // namespace vintrel::ooxml
