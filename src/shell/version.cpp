#include "shell/version.h"

#include "vintrel_version.h"

namespace vintrel::shell {

std::string VersionText() {
  return std::to_string(VINTREL_VERSION_MAJOR) + "." + std::to_string(VINTREL_VERSION_MINOR) + "." +
         std::to_string(VINTREL_VERSION_PATCH);
}

}  // namespace vintrel::shell
