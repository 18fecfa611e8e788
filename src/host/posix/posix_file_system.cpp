#include "host/posix/posix_file_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/common/disk_file.h"
#include "host/error.h"

namespace vintrel::host::posix {
namespace {

struct stat StatOrFail(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    const int error = errno;
    throw Error(error == ENOENT ? kErrFileNotFound : kErrPathNotFound, "FileSystem",
                "File not found: " + path + " (" + std::strerror(error) + ")");
  }
  return info;
}

}  // namespace

std::unique_ptr<ReadableFile> PosixFileSystem::OpenForReading(const std::string& path) const {
  return OpenDiskFile(path);
}

bool PosixFileSystem::Exists(const std::string& path) const {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

int64_t PosixFileSystem::FileLength(const std::string& path) const {
  return static_cast<int64_t>(StatOrFail(path).st_size);
}

std::chrono::system_clock::time_point PosixFileSystem::FileDateTime(const std::string& path) const {
  const struct stat info = StatOrFail(path);
  const auto since_epoch =
      std::chrono::seconds(info.st_mtim.tv_sec) + std::chrono::nanoseconds(info.st_mtim.tv_nsec);
  return std::chrono::system_clock::time_point(
      std::chrono::duration_cast<std::chrono::system_clock::duration>(since_epoch));
}

std::string PosixFileSystem::TempFolder() const {
  const char* folder = std::getenv("TMPDIR");
  return folder && *folder ? folder : "/tmp";
}

std::string PosixFileSystem::CreateUniqueFile(const std::string& folder,
                                              const std::string& prefix) {
  std::string pattern = folder;
  if (!pattern.empty() && pattern.back() != '/') pattern += '/';
  pattern += prefix + "XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) return "";
  ::close(fd);
  return pattern;
}

bool PosixFileSystem::Remove(const std::string& path) {
  return std::remove(path.c_str()) == 0;
}

}  // namespace vintrel::host::posix
