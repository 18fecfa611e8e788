#include "host/memory/fault_injector.h"

#include <utility>

namespace vintrel::host::memory {

void FailHostCall(int32_t number, std::string_view operation, std::string_view why) {
  throw Error(number, kMemoryHostSource, std::string(operation) + ": " + std::string(why));
}

void FaultInjector::Fail(std::string operation, Error error, int times,
                         const MemoryObject* target) {
  if (times == 0) return;
  armed_.push_back(Armed{std::move(operation), std::move(error), times, target});
}

void FaultInjector::Fail(std::string operation, int times, const MemoryObject* target) {
  Error error(kErrUnspecified, kMemoryHostSource, "Method '" + operation + "' failed");
  Fail(std::move(operation), std::move(error), times, target);
}

int FaultInjector::Calls(std::string_view operation) const {
  auto it = calls_.find(operation);
  return it == calls_.end() ? 0 : it->second;
}

void FaultInjector::Enter(std::string_view operation, const MemoryObject* object) {
  auto it = calls_.find(operation);
  if (it == calls_.end()) {
    calls_.emplace(std::string(operation), 1);
  } else {
    ++it->second;
  }
  for (auto armed = armed_.begin(); armed != armed_.end(); ++armed) {
    if (armed->operation != operation) continue;
    if (armed->target != nullptr && (object == nullptr || !object->IsWithin(*armed->target))) {
      continue;
    }
    Error error = armed->error;
    if (armed->remaining > 0 && --armed->remaining == 0) armed_.erase(armed);
    throw error;
  }
}

}  // namespace vintrel::host::memory
