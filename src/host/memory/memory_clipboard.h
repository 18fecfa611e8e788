#ifndef VINTREL_HOST_MEMORY_MEMORY_CLIPBOARD_H_
#define VINTREL_HOST_MEMORY_MEMORY_CLIPBOARD_H_

#include <optional>
#include <string>

#include "host/platform.h"

namespace vintrel::host::memory {

// A clipboard that is one text slot, counting writes so tests can see each paste's set-up.
class MemoryClipboard : public host::Clipboard {
 public:
  void Clear() override {
    text_.reset();
    ++clear_count_;
  }
  void SetText(const std::string& text) override {
    text_ = text;
    ++set_count_;
  }
  std::optional<std::string> GetText() const override { return text_; }

  int clear_count() const { return clear_count_; }
  int set_count() const { return set_count_; }

 private:
  std::optional<std::string> text_;
  int clear_count_ = 0;
  int set_count_ = 0;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_MEMORY_CLIPBOARD_H_
