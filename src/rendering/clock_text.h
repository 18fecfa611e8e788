#ifndef VINTREL_RENDERING_CLOCK_TEXT_H_
#define VINTREL_RENDERING_CLOCK_TEXT_H_

#include <chrono>
#include <cstdint>
#include <string>

#include "support/context.h"
#include "support/time_span.h"

namespace vintrel::rendering {

// The date formats a clock shape offers, in the order the clock page lists them.
inline constexpr const char* kClockFormats[] = {"General Date", "Long Date", "Short Date",
                                                "Long Time", "Short Time"};

// What a clock shape shows at design time for a display type: the time in `format` (Value), the
// format itself (Column), "[n/a]" for the other labels, nothing for "Nothing".
std::string ClockText(const std::string& format, int display_type,
                      std::chrono::system_clock::time_point now);
// The same at the module clock's current time.
std::string ClockText(const Context& ctx, const std::string& format, int display_type);

using vintrel::FormatTimeSpan;

}  // namespace vintrel::rendering

#endif  // VINTREL_RENDERING_CLOCK_TEXT_H_
