// The debug log (a trace switched on by the "Debug" setting) and the error log (failures met
// while no message box may interrupt the audience). Both live in the add-in's folder, are
// emptied at their first line after each load, and never fail their caller.
#ifndef VINTREL_SUPPORT_LOGS_H_
#define VINTREL_SUPPORT_LOGS_H_

#include <chrono>
#include <string>

#include <string_view>
#include "support/context.h"

namespace vintrel {

enum class DebugLevel { kEvent = 0, kVariable = 1, kInformation = 2, kError = 3 };

// The level word as written, padded with blanks to twelve characters.
std::string_view DebugLevelWord(DebugLevel level);

// The source names the object or module writing; it is accepted but not written.
void WriteDebugLog(Context& ctx, DebugLevel level, std::string_view source,
                   std::string_view message);
// Writes one error log line and sets the errors-during-show flag.
void WriteErrorLog(Context& ctx, std::string_view text);
// Appends "<local date and time>.<milliseconds> <text>" and a line end to the file; every line
// opens and closes the file. Failures are swallowed: the line is lost.
void AppendLogLine(const Context& ctx, const std::string& path, std::string_view text);
// Hands the error log to the desktop's handler for text files.
void OpenErrorLog(const Context& ctx);
// True while no slide show runs: failures may be shown in message boxes.
bool ShowErrorMessages(const Context& ctx);

std::string DebugLogPath(const Context& ctx);
std::string ErrorLogPath(const Context& ctx);

// "<short date> <long time>.<mmm>" in the user's regional form (the C locale gives the US
// month/day/year form with a four-digit year and a 24-hour time).
std::string FormatLogTimestamp(std::chrono::system_clock::time_point time);

}  // namespace vintrel

#endif  // VINTREL_SUPPORT_LOGS_H_
