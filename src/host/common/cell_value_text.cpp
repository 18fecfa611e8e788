#include "host/spreadsheet.h"

#include <cmath>
#include <cstdio>

#include "host/common/serial_dates.h"

namespace vintrel::host {

std::string CellValue::ToText() const {
  switch (kind) {
    case Kind::kEmpty:
      return "";
    case Kind::kText:
    case Kind::kError:
      return text;
    case Kind::kBoolean:
      return number != 0 ? "True" : "False";
    case Kind::kDate: {
      // The automation's default date conversion in the US form: "12/31/2026 4:05:09 PM"; the
      // date alone at midnight, the time alone on day 0 (30 December 1899).
      if (std::isnan(number) || std::isinf(number)) return "";
      long long total = std::llround(number * 86400.0);
      long long days = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
      long long seconds = total - days * 86400;
      std::string result;
      if (days != 0) {
        DateParts date = DatePartsFromDays(days);
        result = std::to_string(date.month) + "/" + std::to_string(date.day) + "/" +
                 std::to_string(date.year);
      }
      if (seconds != 0 || days == 0) {
        long long hour = seconds / 3600;
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld %s",
                      hour % 12 == 0 ? 12 : hour % 12, seconds / 60 % 60, seconds % 60,
                      hour < 12 ? "AM" : "PM");
        result += (result.empty() ? "" : " ") + std::string(buffer);
      }
      return result;
    }
    case Kind::kNumber: {
      // Fifteen significant digits, as the spreadsheet's automation converts numbers to text.
      if (std::isnan(number) || std::isinf(number)) return "";
      if (number == 0) return "0";  // also for -0, which has no sign of its own there
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "%.15G", number);
      return buffer;
    }
  }
  return "";
}

}  // namespace vintrel::host
