#ifndef VINTREL_SUPPORT_TIME_SPAN_H_
#define VINTREL_SUPPORT_TIME_SPAN_H_

#include <cstdint>
#include <string>

namespace vintrel {

// Remaining time in words, each unit followed by one blank: 3725 gives
// "1 hour 2 minutes 5 seconds ", 0 gives empty text.
std::string FormatTimeSpan(int32_t seconds);

}  // namespace vintrel

#endif  // VINTREL_SUPPORT_TIME_SPAN_H_
