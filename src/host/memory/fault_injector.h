// Failures on demand for the in-memory host. A test arms an operation, named "Interface.Method"
// after the host interface ("Shape.Delete", "Presentation.Save", "TextRange.SetText"), and the
// next calls of it raise the armed error, as the real host would when a call fails. Every call
// is also counted by name, so a test can assert that something was or was not called.
#ifndef VINTREL_HOST_MEMORY_FAULT_INJECTOR_H_
#define VINTREL_HOST_MEMORY_FAULT_INJECTOR_H_

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/error.h"
#include "host/memory/memory_object.h"

namespace vintrel::host::memory {

// Source of every error the in-memory host raises by itself.
inline constexpr char kMemoryHostSource[] = "Vintrel memory host";

// Raises the failure of a host call: `number`, and "<operation>: <why>" as the description.
[[noreturn]] void FailHostCall(int32_t number, std::string_view operation, std::string_view why);

class FaultInjector {
 public:
  // The next `times` calls of `operation` fail with `error`; a negative `times` fails every call
  // until Clear. With a `target`, only calls on that object or on objects it owns (its text
  // range, tags, ...) count down and fail.
  void Fail(std::string operation, Error error, int times = 1,
            const MemoryObject* target = nullptr);
  // The same with an unspecified failure naming the operation.
  void Fail(std::string operation, int times = 1, const MemoryObject* target = nullptr);
  // Disarms everything; the call counts stay.
  void Clear() { armed_.clear(); }

  // Calls of `operation` so far, failed ones included.
  int Calls(std::string_view operation) const;
  void ResetCalls() { calls_.clear(); }

  // Called by the in-memory objects at the start of each operation; throws when armed.
  void Enter(std::string_view operation, const MemoryObject* object);

 private:
  struct Armed {
    std::string operation;
    Error error;
    int remaining;  // negative: for ever
    const MemoryObject* target;
  };

  std::vector<Armed> armed_;
  std::map<std::string, int, std::less<>> calls_;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_FAULT_INJECTOR_H_
