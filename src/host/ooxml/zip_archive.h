// The ZIP layer of a package: reads entries of an existing archive with hard limits, and writes
// a new archive in which every entry nobody replaced is copied still compressed.
#ifndef VINTREL_HOST_OOXML_ZIP_ARCHIVE_H_
#define VINTREL_HOST_OOXML_ZIP_ARCHIVE_H_

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/common/no_case_map.h"
#include "host/common/zip_reader.h"

namespace vintrel::ooxml {

using host::ZipLimits;

// Entries are addressed by name, compared without case as package part names are. Names are
// kept as stored (no leading slash).
class ZipArchive {
 public:
  // Opens `path` for reading. Raises vintrel::Error naming the file for a missing file, a folder,
  // something that is not a ZIP archive, a damaged archive, what host::ZipReader refuses, and
  // XML parts that declare absurd sizes.
  static std::unique_ptr<ZipArchive> Open(const std::string& path, const ZipLimits& limits = {});
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  const std::string& path() const { return path_; }
  bool Has(std::string_view name) const;
  // The stored spelling of a name, or empty text.
  std::string StoredName(std::string_view name) const;
  // Current contents: the replacement when one was written, else the inflated original.
  std::string Read(std::string_view name) const;
  // Adds an entry or replaces the contents of an existing one (which keeps its place).
  void Write(std::string_view name, std::string data);
  // Adds `to` as a copy of the original entry `from` (copied compressed when saved).
  void CopyEntry(std::string_view from, std::string_view to);
  void Remove(std::string_view name);
  // Drops the contents written for an entry of the original archive, which then reads as it
  // was opened; false (and nothing changes) for an entry added since.
  bool Revert(std::string_view name);
  // Current entry names in archive order; added entries come last.
  std::vector<std::string> Names() const;
  bool IsReplaced(std::string_view name) const;

  // Writes the current entries to `target` through a temporary file in the same folder, flushed
  // to disk, and a rename, so `target` is either the old file or the complete new one. A failure
  // (a full disk, a failing write or flush, a refused rename) raises vintrel::Error naming the
  // file and what failed, and leaves the old file as it was and no temporary file behind.
  void SaveAs(const std::string& target) const;

 private:
  struct Entry {
    std::string name;
    const host::ZipReader::Entry* source = nullptr;  // entry of the original archive, or none
    std::optional<std::string> data;
    bool removed = false;
    time_t mtime = 0;
  };
  ZipArchive(std::string path, ZipLimits limits) : path_(std::move(path)), limits_(limits) {}
  const Entry* Find(std::string_view name) const;
  Entry* Find(std::string_view name);
  [[noreturn]] void Fail(const std::string& problem) const;

  std::string path_;
  ZipLimits limits_;
  std::unique_ptr<host::ZipReader> reader_;
  std::vector<Entry> entries_;
  NoCaseMap<size_t> by_key_;  // lower-case name -> entries_ index
};

// The file-system calls a save makes after libzip has written the new archive to its temporary
// file: the flush to disk and the rename over the target. Tests replace them (ScopedSaveCalls) to
// make a save fail where a real one can: a write-back error that only fsync reports (EIO, or
// ENOSPC on a thin volume), a rename the file system refuses (EBUSY, EPERM, EXDEV).
struct SaveCalls {
  std::function<int(int fd)> fsync;
  std::function<int(const char* from, const char* to)> rename;
};

// Puts `calls` in place of the real ones (an empty member keeps the real call) until it goes.
class ScopedSaveCalls {
 public:
  explicit ScopedSaveCalls(SaveCalls calls);
  ~ScopedSaveCalls();
  ScopedSaveCalls(const ScopedSaveCalls&) = delete;
  ScopedSaveCalls& operator=(const ScopedSaveCalls&) = delete;

 private:
  SaveCalls previous_;
};

// How BuildZip writes entries: their deflate level, and the date each carries (0: now).
struct ZipBuildOptions {
  int level = 6;
  time_t mtime = 0;
};

// Builds a small archive in memory (a chart's embedded workbook, decks made in code). Entries are
// deflated, in the order given.
std::string BuildZip(const std::vector<std::pair<std::string, std::string>>& entries,
                     const ZipBuildOptions& options = {});

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_ZIP_ARCHIVE_H_
