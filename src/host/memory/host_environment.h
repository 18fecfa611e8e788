// What all in-memory presentations of one application share: the failure switchboard, the
// clipboard chart data sheets paste from, an optional file system that pictures are checked
// against, and the presentation files saved so far (so a copy saved with SaveCopyAs can be opened
// again, as the off-line copy does).
#ifndef VINTREL_HOST_MEMORY_HOST_ENVIRONMENT_H_
#define VINTREL_HOST_MEMORY_HOST_ENVIRONMENT_H_

#include <map>
#include <memory>
#include <string>

#include "host/memory/fault_injector.h"
#include "host/memory/memory_clipboard.h"
#include "host/platform.h"

namespace vintrel::host::memory {

class MemoryPresentation;

class HostEnvironment {
 public:
  HostEnvironment();
  ~HostEnvironment();
  HostEnvironment(const HostEnvironment&) = delete;
  HostEnvironment& operator=(const HostEnvironment&) = delete;

  FaultInjector& faults() { return faults_; }

  // The clipboard chart data sheets paste from: the own MemoryClipboard unless another was set.
  host::Clipboard& clipboard() { return clipboard_ != nullptr ? *clipboard_ : own_clipboard_; }
  MemoryClipboard& own_clipboard() { return own_clipboard_; }
  // Null goes back to the own clipboard. Not owned.
  void set_clipboard(host::Clipboard* clipboard) { clipboard_ = clipboard; }

  // With a file system, AddPicture fails for a file it does not have. Not owned; may be null.
  host::FileSystem* file_system() const { return file_system_; }
  void set_file_system(host::FileSystem* file_system) { file_system_ = file_system; }

  // Presentation files by full name: what Save and SaveCopyAs wrote, or what a test put there.
  // Storing under a name that exists replaces (and destroys) the earlier file.
  MemoryPresentation* FindFile(const std::string& full_name) const;
  void StoreFile(const std::string& full_name, std::unique_ptr<MemoryPresentation> file);
  bool RemoveFile(const std::string& full_name);
  int file_count() const { return static_cast<int>(files_.size()); }

 private:
  FaultInjector faults_;
  MemoryClipboard own_clipboard_;
  host::Clipboard* clipboard_ = nullptr;
  host::FileSystem* file_system_ = nullptr;
  std::map<std::string, std::unique_ptr<MemoryPresentation>> files_;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_HOST_ENVIRONMENT_H_
