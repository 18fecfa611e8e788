#include "rendering/clock_text.h"

#include "host/clock.h"
#include "rendering/date_format.h"
#include "support/module_state.h"

namespace vintrel::rendering {

std::string ClockText(const std::string& format, int display_type,
                      std::chrono::system_clock::time_point now) {
  switch (display_type) {
    case 1:  // Value
      return FormatDate(now, format);
    case 3:  // Column: a clock's "column" is its format
      return format;
    case 2:
    case 4:
    case 5:
    case 6:
      return "[n/a]";
    default:  // Nothing
      return "";
  }
}

std::string ClockText(const std::string& format, int display_type) {
  host::Clock* clock = Services().clock;
  return ClockText(format, display_type,
                   clock != nullptr ? clock->Now() : std::chrono::system_clock::now());
}

std::string FormatTimeSpan(int32_t seconds) {
  const int32_t hours = seconds / 3600;
  const int32_t rest = seconds - hours * 3600;
  const int32_t minutes = rest / 60;
  const int32_t secs = rest - minutes * 60;
  std::string text;
  auto add = [&text](int32_t count, const char* one, const char* many) {
    if (count <= 0) return;
    text += std::to_string(count) + " " + (count == 1 ? one : many) + " ";
  };
  add(hours, "hour", "hours");
  add(minutes, "minute", "minutes");
  add(secs, "second", "seconds");
  return text;
}

}  // namespace vintrel::rendering
