#ifndef VINTREL_HOST_POSIX_PROCESS_CLIPBOARD_H_
#define VINTREL_HOST_POSIX_PROCESS_CLIPBOARD_H_

#include <optional>
#include <string>

#include "host/platform.h"

namespace vintrel::host::posix {

// The clipboard chart data travels through. It lives in the process: filling a chart never
// replaces what the user copied on their desktop.
class ProcessClipboard : public Clipboard {
 public:
  void Clear() override { text_.reset(); }
  void SetText(const std::string& text) override { text_ = text; }
  std::optional<std::string> GetText() const override { return text_; }

 private:
  std::optional<std::string> text_;
};

}  // namespace vintrel::host::posix

#endif  // VINTREL_HOST_POSIX_PROCESS_CLIPBOARD_H_
