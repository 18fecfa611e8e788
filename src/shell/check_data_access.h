#ifndef VINTREL_SHELL_CHECK_DATA_ACCESS_H_
#define VINTREL_SHELL_CHECK_DATA_ACCESS_H_

#include "support/context.h"

namespace vintrel::host {
class Application;
}

namespace vintrel::shell {

inline constexpr const char* kNoDataAccessMessage =
    "Could not find Microsoft ActiveX Data Objects.";

// True when the add-in may run: the host is of generation 10 and the data-access components can
// be created. Sets the module's cannot-run flag otherwise. Only a missing data-access component
// is told to the user.
bool CheckDataAccess(Context& ctx, host::Application& host);

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_CHECK_DATA_ACCESS_H_
