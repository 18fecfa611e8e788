#include "host/memory/memory_object.h"

#include <string>

#include "host/error.h"
#include "host/memory/host_environment.h"

namespace vintrel::host::memory {

bool MemoryObject::Exists() const {
  if (deleted_) return false;
  if (document_ != nullptr && document_->closed) return false;
  return owner_ == nullptr || owner_->Exists();
}

bool MemoryObject::IsWithin(const MemoryObject& other) const {
  for (const MemoryObject* object = this; object != nullptr; object = object->owner_) {
    if (object == &other) return true;
  }
  return false;
}

HostEnvironment* MemoryObject::environment() const {
  return document_ != nullptr ? document_->environment : nullptr;
}

void MemoryObject::Enter(std::string_view operation) const {
  if (!Exists()) {
    throw Error(kErrUnspecified, kMemoryHostSource,
                std::string(operation) + ": the object no longer exists");
  }
  if (HostEnvironment* env = environment()) env->faults().Enter(operation, this);
}

void MemoryObject::MarkChanged() const {
  if (document_ == nullptr) return;
  document_->saved = false;
  ++document_->change_count;
}

}  // namespace vintrel::host::memory
