#ifndef VINTREL_RENDERING_CLOCK_TEXT_H_
#define VINTREL_RENDERING_CLOCK_TEXT_H_

#include <chrono>
#include <cstdint>
#include <string>

namespace vintrel::rendering {

// The date formats a clock shape offers, in the order the clock page lists them.
inline constexpr const char* kClockFormats[] = {"General Date", "Long Date", "Short Date",
                                                "Long Time", "Short Time"};

// What a clock shape shows at design time for a display type: the time in `format` (Value), the
// format itself (Column), "[n/a]" for the other labels, nothing for "Nothing".
std::string ClockText(const std::string& format, int display_type,
                      std::chrono::system_clock::time_point now);
// The same at the module clock's current time.
std::string ClockText(const std::string& format, int display_type);

// Remaining time in words, each unit followed by one blank: 3725 gives
// "1 hour 2 minutes 5 seconds ", 0 gives empty text.
std::string FormatTimeSpan(int32_t seconds);

}  // namespace vintrel::rendering

#endif  // VINTREL_RENDERING_CLOCK_TEXT_H_
