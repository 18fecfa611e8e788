#include "host/memory/host_environment.h"

#include <utility>

#include "host/memory/memory_presentation.h"

namespace vintrel::host::memory {

HostEnvironment::HostEnvironment() = default;
HostEnvironment::~HostEnvironment() = default;

MemoryPresentation* HostEnvironment::FindFile(const std::string& full_name) const {
  auto it = files_.find(full_name);
  return it == files_.end() ? nullptr : it->second.get();
}

void HostEnvironment::StoreFile(const std::string& full_name,
                                std::unique_ptr<MemoryPresentation> file) {
  files_[full_name] = std::move(file);
}

bool HostEnvironment::RemoveFile(const std::string& full_name) {
  return files_.erase(full_name) != 0;
}

}  // namespace vintrel::host::memory
