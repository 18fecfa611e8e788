#include "host/memory/memory_file_system.h"

#include <cstdio>
#include <memory>
#include <utility>

#include "host/error.h"
#include "host/memory/fault_injector.h"

namespace vintrel::host::memory {

namespace {

std::string ParentOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return "";
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

// A version of a file's contents, shared with the file system until the file is written again.
class ContentsView : public FileView {
 public:
  explicit ContentsView(std::shared_ptr<const std::string> contents)
      : contents_(std::move(contents)) {}
  const char* data() const override { return contents_->data(); }
  size_t size() const override { return contents_->size(); }

 private:
  std::shared_ptr<const std::string> contents_;
};

// An open file reads whatever the path holds when it is read, as a file rewritten in place does.
class MemoryReadableFile : public ReadableFile {
 public:
  MemoryReadableFile(const MemoryFileSystem& files, std::string path)
      : files_(files), path_(std::move(path)) {}
  int64_t Size() const override { return files_.FileLength(path_); }
  std::unique_ptr<FileView> ReadAll(size_t /*block_size*/) override {
    std::shared_ptr<const std::string> contents = files_.SharedContents(path_);
    if (contents == nullptr) {
      throw Error(kErrUnspecified, kMemoryHostSource, "Cannot read '" + path_ + "': it is gone.");
    }
    return std::make_unique<ContentsView>(std::move(contents));
  }

 private:
  const MemoryFileSystem& files_;
  std::string path_;
};

}  // namespace

MemoryFileSystem::MemoryFileSystem(const host::Clock* clock)
    : clock_(clock), next_time_(std::chrono::sys_days(std::chrono::year(2026) / 1 / 1)) {
  AddFolder(temp_folder_);
}

MemoryFileSystem::Time MemoryFileSystem::NextTime() {
  if (clock_ != nullptr) return clock_->Now();
  const Time time = next_time_;
  next_time_ += std::chrono::seconds(1);
  return time;
}

const MemoryFileSystem::File& MemoryFileSystem::Get(const std::string& path,
                                                    const char* operation) const {
  auto it = files_.find(path);
  if (it == files_.end()) {
    throw Error(kErrFileNotFound, kMemoryHostSource,
                std::string(operation) + ": file not found: " + path);
  }
  return it->second;
}

bool MemoryFileSystem::Exists(const std::string& path) const {
  return files_.count(path) != 0;
}

int64_t MemoryFileSystem::FileLength(const std::string& path) const {
  const File& file = Get(path, "FileLength");
  return file.length ? *file.length : static_cast<int64_t>(file.contents->size());
}

MemoryFileSystem::Time MemoryFileSystem::FileDateTime(const std::string& path) const {
  return Get(path, "FileDateTime").modified;
}

std::unique_ptr<ReadableFile> MemoryFileSystem::OpenForReading(const std::string& path) const {
  if (files_.count(path) == 0) {
    if (FolderExists(path)) {
      throw Error(kErrPermissionDenied, kMemoryHostSource, "'" + path + "' is a folder.");
    }
    const std::string parent = ParentOf(path);
    if (!parent.empty() && !FolderExists(parent)) {
      throw Error(kErrPathNotFound, kMemoryHostSource, "Path not found: '" + path + "'.");
    }
    throw Error(kErrFileNotFound, kMemoryHostSource, "File not found: '" + path + "'.");
  }
  return std::make_unique<MemoryReadableFile>(*this, path);
}

std::shared_ptr<const std::string> MemoryFileSystem::SharedContents(const std::string& path) const {
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : it->second.contents;
}

std::string MemoryFileSystem::CreateUniqueFile(const std::string& folder,
                                               const std::string& prefix) {
  const std::string base = WithoutTrailingSeparator(folder);
  if (fail_unique_files_ || !FolderExists(base)) return "";
  const std::string separator = base == "/" ? "" : "/";
  for (;;) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04X", ++unique_counter_ & 0xFFFF);
    std::string path = base + separator + prefix + digits + ".tmp";
    if (Exists(path)) continue;
    WriteFile(path, "");
    created_.push_back(path);
    return path;
  }
}

bool MemoryFileSystem::Remove(const std::string& path) {
  if (files_.erase(path) == 0) return false;
  removed_.push_back(path);
  return true;
}

void MemoryFileSystem::WriteFile(const std::string& path, std::string contents) {
  WriteFile(path, std::move(contents), NextTime());
}

void MemoryFileSystem::WriteFile(const std::string& path, std::string contents, Time modified) {
  files_[path] =
      File{std::make_shared<const std::string>(std::move(contents)), modified, std::nullopt};
  const std::string parent = ParentOf(path);
  if (!parent.empty()) AddFolder(parent);
}

void MemoryFileSystem::SetModified(const std::string& path, Time modified) {
  auto it = files_.find(path);
  if (it != files_.end()) it->second.modified = modified;
}

void MemoryFileSystem::SetLength(const std::string& path, int64_t length) {
  auto it = files_.find(path);
  if (it != files_.end()) it->second.length = length;
}

void MemoryFileSystem::AddFolder(const std::string& path) {
  // A folder implies its parents.
  for (std::string folder = WithoutTrailingSeparator(path); !folder.empty();
       folder = ParentOf(folder)) {
    if (!folders_.insert(folder).second) break;
    if (folder == "/") break;
  }
}

void MemoryFileSystem::set_temp_folder(std::string folder) {
  temp_folder_ = WithoutTrailingSeparator(std::move(folder));
  AddFolder(temp_folder_);
}

std::optional<std::string> MemoryFileSystem::Contents(const std::string& path) const {
  auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  return *it->second.contents;
}

bool MemoryFileSystem::FolderExists(const std::string& path) const {
  return folders_.count(WithoutTrailingSeparator(path)) != 0;
}

}  // namespace vintrel::host::memory
