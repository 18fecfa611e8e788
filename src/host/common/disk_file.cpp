#include "host/common/disk_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <new>
#include <thread>

#include "host/error.h"

namespace vintrel::host {
namespace {

constexpr char kSource[] = "FileSystem";

// How long a file must have been left alone before its contents are taken. A program that
// rewrites a file in place (truncates it, then writes it in several pieces) leaves it half
// written in between; a reader that took it then would show a torn last row.
constexpr auto kSettleTime = std::chrono::milliseconds(50);
// How long a file that keeps changing is tried before the reader gives up (and the caller keeps
// what it had).
constexpr auto kStableReadLimit = std::chrono::seconds(2);

[[noreturn]] void FailSystem(const std::string& what, const std::string& path, int error) {
  throw Error(kErrUnspecified, kSource, what + " '" + path + "': " + std::strerror(error) + ".");
}

// What tells one version of a file from another.
bool SameVersion(const struct stat& a, const struct stat& b) {
  return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
         a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

void Stat(int fd, struct stat& info, const std::string& path) {
  if (::fstat(fd, &info) != 0) FailSystem("Cannot read", path, errno);
}

// Since when the file has not changed; at least kSettleTime when its time lies in the future
// (another machine's clock), which no waiting would settle.
std::chrono::nanoseconds Age(const struct stat& info) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const auto age = std::chrono::seconds(now.tv_sec - info.st_mtim.tv_sec) +
                   std::chrono::nanoseconds(now.tv_nsec - info.st_mtim.tv_nsec);
  return age < std::chrono::nanoseconds(0) ? kSettleTime : age;
}

// A file's bytes, read whole into memory of their own, which a text's rows may then point into:
// the text is held once, not once as read and again as rows. Large ones ask for huge pages,
// which saves most of the page faults of filling them.
class DiskBytes : public FileView {
 public:
  explicit DiskBytes(size_t capacity) : capacity_(std::max<size_t>(capacity, 1)) {
    void* memory =
        ::mmap(nullptr, capacity_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    if (capacity_ >= (size_t{4} << 20)) ::madvise(memory, capacity_, MADV_HUGEPAGE);
    data_ = static_cast<char*>(memory);
  }
  ~DiskBytes() override { ::munmap(data_, capacity_); }
  DiskBytes(const DiskBytes&) = delete;
  DiskBytes& operator=(const DiskBytes&) = delete;

  const char* data() const override { return data_; }
  size_t size() const override { return size_; }
  char* buffer() { return data_; }
  size_t capacity() const { return capacity_; }
  void set_size(size_t size) { size_ = size; }

 private:
  char* data_ = nullptr;
  size_t capacity_;
  size_t size_ = 0;
};

// The whole file from its start, in reads of `block_size` bytes, straight into the memory that
// keeps it. One byte more than the file's expected size is asked for: a file that has grown
// since then shows a size unlike the one expected, and is read again.
std::unique_ptr<DiskBytes> ReadBytes(int fd, off_t expected, size_t block_size,
                                     const std::string& path) {
  auto out = std::make_unique<DiskBytes>(static_cast<size_t>(std::max<off_t>(expected, 0)) + 1);
  size_t have = 0;
  while (have < out->capacity()) {
    size_t want = std::min(block_size, out->capacity() - have);
    ssize_t got = ::pread(fd, out->buffer() + have, want, static_cast<off_t>(have));
    if (got < 0) {
      if (errno == EINTR) continue;
      FailSystem("Cannot read", path, errno);
    }
    if (got == 0) break;
    have += static_cast<size_t>(got);
  }
  out->set_size(have);
  return out;
}

class DiskFile : public ReadableFile {
 public:
  DiskFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~DiskFile() override { ::close(fd_); }
  DiskFile(const DiskFile&) = delete;
  DiskFile& operator=(const DiskFile&) = delete;

  int64_t Size() const override {
    struct stat info {};
    Stat(fd_, info, path_);
    return static_cast<int64_t>(info.st_size);
  }

  // One version of the file: read only once it has been left alone for kSettleTime, and taken
  // only when nothing changed it while it was read (same size, times and identity before and
  // after, as many bytes as its size); otherwise read again. The file's times move in steps of
  // the kernel's tick, so a write in the same tick as the one before leaves them as they were:
  // only a file whose time was already well in the past when the read began shows every write
  // made during the read.
  std::unique_ptr<FileView> ReadAll(size_t block_size) override {
    block_size = std::max<size_t>(block_size, 1);
    const auto give_up = std::chrono::steady_clock::now() + kStableReadLimit;
    while (true) {
      struct stat before {};
      Stat(fd_, before, path_);
      const auto age = Age(before);
      if (age >= kSettleTime) {
        std::unique_ptr<DiskBytes> bytes = ReadBytes(fd_, before.st_size, block_size, path_);
        struct stat after {};
        Stat(fd_, after, path_);
        if (SameVersion(before, after) && static_cast<off_t>(bytes->size()) == after.st_size) {
          return bytes;
        }
      }
      if (std::chrono::steady_clock::now() >= give_up) {
        throw Error(kErrUnspecified, kSource,
                    "'" + path_ + "' kept changing while it was read; it is read again later.");
      }
      std::this_thread::sleep_for(age < kSettleTime ? kSettleTime - age
                                                    : std::chrono::nanoseconds(5'000'000));
    }
  }

 private:
  int fd_;
  std::string path_;
};

[[noreturn]] void FailOpen(const std::string& path, int error) {
  if (error == ENOENT || error == ENOTDIR) {
    std::error_code ignored;
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty() || std::filesystem::is_directory(parent, ignored)) {
      throw Error(kErrFileNotFound, kSource, "File not found: '" + path + "'.");
    }
    throw Error(kErrPathNotFound, kSource, "Path not found: '" + path + "'.");
  }
  if (error == EACCES || error == EPERM) {
    throw Error(kErrPermissionDenied, kSource, "Permission denied: '" + path + "'.");
  }
  FailSystem("Cannot open", path, error);
}

}  // namespace

std::unique_ptr<ReadableFile> OpenDiskFile(const std::string& path) {
  // Without blocking: opening a pipe would wait for a writer before it could be refused.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) FailOpen(path, errno);
  auto file = std::make_unique<DiskFile>(fd, path);
  struct stat info {};
  if (::fstat(fd, &info) == 0 && !S_ISREG(info.st_mode)) {
    // A folder cannot be read, and a device or pipe may never end.
    throw Error(kErrPermissionDenied, kSource,
                "'" + path + "' is " + (S_ISDIR(info.st_mode) ? "a folder" : "not a regular file") +
                    ", which cannot be read as a file.");
  }
  return file;
}

}  // namespace vintrel::host
