// Reading files, the same on the disk and in memory: the sources are tested on the in-memory
// file system, so it must fail and answer as the real one does.
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "host/error.h"
#include "host/memory/memory_file_system.h"
#include "host/posix/posix_file_system.h"
#include "testing/error_of.h"
#include "testing/temp_dir.h"

namespace vintrel::host {
namespace {

using Time = std::chrono::system_clock::time_point;

struct Case {
  const char* what;
  std::optional<std::string> contents;  // none: `path` is not written
  const char* path;
  int32_t error;  // of OpenForReading; 0: none
};

const Time kModified = std::chrono::sys_days(std::chrono::year(2025) / 6 / 30) +
                       std::chrono::hours(13) + std::chrono::microseconds(250);

std::string Large() {
  std::string text;
  for (int i = 0; text.size() < (ReadableFile::kBlockSize * 5) / 2; ++i) {
    text += std::to_string(i) + "\tvalue\r\n";
  }
  return text;
}

const Case kCases[] = {
    {"a missing file", std::nullopt, "missing.txt", kErrFileNotFound},
    {"a file in a missing folder", std::nullopt, "no/such/folder.txt", kErrPathNotFound},
    {"a folder", "", "sub", kErrPermissionDenied},  // written as sub/x, read as sub
    {"an empty file", "", "empty.txt", 0},
    {"a small file", "a\tb\r\n1\t2", "small.txt", 0},
    {"a file over two blocks", Large(), "large.txt", 0},
};

// The same files on the disk (true) or in memory (false).
class FileSystemTest : public ::testing::TestWithParam<bool> {
 protected:
  FileSystemTest() { memory_.AddFolder("/data"); }

  FileSystem& files() { return GetParam() ? static_cast<FileSystem&>(disk_) : memory_; }
  std::string Path(const std::string& name) const {
    return GetParam() ? dir_.File(name) : "/data/" + name;
  }
  void Write(const std::string& name, const std::string& contents, Time modified) {
    if (!GetParam()) return memory_.WriteFile(Path(name), contents, modified);
    const auto since =
        std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch());
    const timespec time{static_cast<time_t>(since.count() / 1000000000),
                        static_cast<long>(since.count() % 1000000000)};
    const timespec times[2] = {time, time};
    ASSERT_EQ(utimensat(AT_FDCWD, dir_.Write(name, contents).c_str(), times, 0), 0);
  }

  testing::TempDir dir_;
  posix::PosixFileSystem disk_;
  memory::MemoryFileSystem memory_;
};

TEST_P(FileSystemTest, ReadsWholeFilesAndTellsWhyNot) {
  for (const Case& c : kCases) {
    const bool folder = std::string(c.path) == "sub";
    if (c.contents) Write(folder ? "sub/x" : c.path, *c.contents, kModified);
    const std::string path = Path(c.path);
    if (c.error != 0) {
      const Error error = testing::ErrorOf([&] { files().OpenForReading(path); });
      EXPECT_EQ(error.number(), c.error) << c.what;
      EXPECT_NE(error.description().find(path), std::string::npos) << c.what;
      continue;
    }
    std::unique_ptr<ReadableFile> file = files().OpenForReading(path);
    EXPECT_EQ(file->Size(), static_cast<int64_t>(c.contents->size())) << c.what;
    EXPECT_EQ(file->ReadAll(1000)->bytes(), *c.contents) << c.what;
    EXPECT_EQ(files().ReadFile(path), *c.contents) << c.what;
    EXPECT_EQ(files().FileDateTime(path), kModified) << c.what;
  }
}

TEST_P(FileSystemTest, AViewKeepsTheVersionItRead) {
  Write("data.txt", "old", kModified);
  std::unique_ptr<ReadableFile> file = files().OpenForReading(Path("data.txt"));
  std::unique_ptr<FileView> old = file->ReadAll();
  Write("data.txt", "newer", kModified + std::chrono::seconds(1));
  EXPECT_EQ(old->bytes(), "old");
  EXPECT_EQ(file->ReadAll()->bytes(), "newer") << "an open file reads what it holds now";
}

INSTANTIATE_TEST_SUITE_P(DiskAndMemory, FileSystemTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Disk" : "Memory"; });

}  // namespace
}  // namespace vintrel::host
