#ifndef VINTREL_HOST_MEMORY_RECORDING_SHELL_H_
#define VINTREL_HOST_MEMORY_RECORDING_SHELL_H_

#include <string>
#include <vector>

#include "host/platform.h"

namespace vintrel::host::memory {

// A shell that opens nothing: it records each target and answers as set (true by default).
class RecordingShell : public host::Shell {
 public:
  bool Open(const std::string& target) override {
    opened_.push_back(target);
    return result_;
  }

  void set_result(bool result) { result_ = result; }
  const std::vector<std::string>& opened() const { return opened_; }

 private:
  std::vector<std::string> opened_;
  bool result_ = true;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_RECORDING_SHELL_H_
