// Files as a map from path to contents and modification time; folders exist when made, or when
// a file lies in them. It is also a spy: created and removed files are recorded in order.
#ifndef VINTREL_HOST_MEMORY_MEMORY_FILE_SYSTEM_H_
#define VINTREL_HOST_MEMORY_MEMORY_FILE_SYSTEM_H_

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/clock.h"
#include "host/platform.h"

namespace vintrel::host::memory {

class MemoryFileSystem : public host::FileSystem {
 public:
  using Time = std::chrono::system_clock::time_point;

  // Written files take the clock's wall time; without a clock, a time that starts at
  // 2026-01-01 00:00:00 UTC and moves on one second per write, so each write is newer.
  explicit MemoryFileSystem(const host::Clock* clock = nullptr);

  // Reads whatever the path holds when read; a file removed meanwhile fails (kErrUnspecified).
  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) const override;
  bool Exists(const std::string& path) const override;
  int64_t FileLength(const std::string& path) const override;
  Time FileDateTime(const std::string& path) const override;
  // "/tmp-memory" unless set.
  std::string TempFolder() const override { return temp_folder_; }
  // "<folder>/<prefix><4 hex digits>.tmp"; empty text when the folder does not exist or
  // creation was set to fail.
  std::string CreateUniqueFile(const std::string& folder, const std::string& prefix) override;
  bool Remove(const std::string& path) override;

  // Set-up. Writing creates the file or replaces its contents, with a new modification time.
  void WriteFile(const std::string& path, std::string contents);
  void WriteFile(const std::string& path, std::string contents, Time modified);
  void SetModified(const std::string& path, Time modified);
  // A length reported instead of the contents' size (a file bigger than its test contents).
  void SetLength(const std::string& path, int64_t length);
  void AddFolder(const std::string& path);
  void set_temp_folder(std::string folder);
  void set_fail_unique_files(bool fail) { fail_unique_files_ = fail; }

  // Inspection.
  std::optional<std::string> Contents(const std::string& path) const;
  // The contents without a copy (null for a missing file); they stay as they are when the file
  // is written again.
  std::shared_ptr<const std::string> SharedContents(const std::string& path) const;
  bool FolderExists(const std::string& path) const;
  const std::vector<std::string>& created() const { return created_; }
  const std::vector<std::string>& removed() const { return removed_; }

 private:
  struct File {
    std::shared_ptr<const std::string> contents;
    Time modified;
    std::optional<int64_t> length;
  };

  const File& Get(const std::string& path, const char* operation) const;
  Time NextTime();

  const host::Clock* clock_;
  Time next_time_;
  std::map<std::string, File> files_;
  std::set<std::string> folders_;
  std::string temp_folder_ = "/tmp-memory";
  bool fail_unique_files_ = false;
  int unique_counter_ = 0;
  std::vector<std::string> created_;
  std::vector<std::string> removed_;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_MEMORY_FILE_SYSTEM_H_
