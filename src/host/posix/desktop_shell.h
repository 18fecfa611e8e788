#ifndef VINTREL_HOST_POSIX_DESKTOP_SHELL_H_
#define VINTREL_HOST_POSIX_DESKTOP_SHELL_H_

#include <string>

#include "host/platform.h"

namespace vintrel::host::posix {

// Hands a file or address to the desktop's handler (xdg-open), without a command shell in
// between, and does not wait for it. Used only when the user asks for it.
class DesktopShell : public Shell {
 public:
  explicit DesktopShell(std::string opener = "xdg-open") : opener_(std::move(opener)) {}
  bool Open(const std::string& target) override;

 private:
  std::string opener_;
};

}  // namespace vintrel::host::posix

#endif  // VINTREL_HOST_POSIX_DESKTOP_SHELL_H_
