// The ways the add-in deals with a failure: a shell step is skipped and the next one runs; a
// presentation-level operation reports the failure (a message box at design time, an error log
// line during a show) and goes on; a host event handler logs it and ends.
#ifndef VINTREL_SUPPORT_FAILURE_HANDLING_H_
#define VINTREL_SUPPORT_FAILURE_HANDLING_H_

#include <string>
#include <utility>

#include "host/error.h"
#include "host/platform.h"
#include "support/context.h"
#include "support/error_codes.h"

namespace vintrel {

// The title of every message box the add-in shows.
inline constexpr const char* kMessageTitle = "Quendra Vintrel 2002";

// Inside a catch block: the failure being handled, whatever was thrown, as an Error.
Error CurrentFailure();

// Copies the failure into the module's last-error state.
void RememberFailure(Context& ctx, const Error& failure);

// Runs one step of a routine whose failing steps are passed over: a failure is swallowed and
// nothing is written. Returns whether the step succeeded.
template <typename Step>
bool SkipFailure(Step&& step) noexcept {
  try {
    std::forward<Step>(step)();
    return true;
  } catch (...) {
    return false;
  }
}

// The message for a failure met by an operation: an own failure's description is complete
// already; a foreign one is wrapped in the operation's own message.
std::string FailureMessage(const Error& failure, ErrorCode operation);

// Presentation-level handling: remembers the failure, then at design time shows the message
// (exclamation icon, `buttons`) and returns the answer; during a show writes the error log line
// "<message> (<number>-<source>)" and returns msg_box::kOk.
int ReportFailure(Context& ctx, const Error& failure, ErrorCode operation,
                  int buttons = host::msg_box::kOkOnly);

// Host event handlers: one error log line "<description> (<number>-<source>)".
void LogFailure(Context& ctx, const Error& failure);

// Shows a message box through the front end with the add-in's title.
int ShowMessage(const Context& ctx, const std::string& text, int style);

}  // namespace vintrel

#endif  // VINTREL_SUPPORT_FAILURE_HANDLING_H_
