#include "rendering/clock_text.h"

#include "host/clock.h"
#include "rendering/date_format.h"
#include "support/context.h"

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

std::string ClockText(const Context& ctx, const std::string& format, int display_type) {
  return ClockText(format, display_type, ctx.services.clock->Now());
}

}  // namespace vintrel::rendering
