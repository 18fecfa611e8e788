// What the three kinds of source share: waits that follow the module's clock, file times, the
// seconds since midnight, and the debug lines of a refresh.
#ifndef VINTREL_CONNECTIONS_SOURCE_SUPPORT_H_
#define VINTREL_CONNECTIONS_SOURCE_SUPPORT_H_

#include <chrono>
#include <string>
#include "support/context.h"

namespace vintrel::connections {

// How often a file that another program holds is tried before the failure is reported, and how
// long to wait between two tries.
inline constexpr int kOpenAttempts = 50;
inline constexpr std::chrono::milliseconds kOpenRetryWait{50};

// Inside a catch block: whether the open failed because the file or its folder is not there.
// Such a file is not tried again: it does not appear within the tries, and waiting for it held up
// the start of a show by seconds per connection.
bool FailureIsMissingFile();

// Blocks for `duration` on the module's clock (a fake clock in tests moves on at once).
void Wait(const Context& ctx, std::chrono::milliseconds duration);

// The file's modification time; fails with the file system's description.
std::chrono::system_clock::time_point FileTime(const Context& ctx, const std::string& native_path);

// Seconds since local midnight, with their fraction.
double SecondsSinceMidnight(const Context& ctx);

// Lets pending work of the event loop run once.
void PumpEvents(const Context& ctx);

// "Requery" and "Forced:True" / "Forced:False".
void LogRequery(Context& ctx, bool forced);

}  // namespace vintrel::connections

#endif  // VINTREL_CONNECTIONS_SOURCE_SUPPORT_H_
