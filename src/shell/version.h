#ifndef VINTREL_SHELL_VERSION_H_
#define VINTREL_SHELL_VERSION_H_

#include <string>

namespace vintrel::shell {

inline constexpr const char* kProductName = "Quendra Vintrel 2002 - Personal Edition";

// major.minor.revision, each in plain decimal, e.g. "0.1.0".
std::string VersionText();

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_VERSION_H_
