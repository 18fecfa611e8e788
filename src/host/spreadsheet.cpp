#include "host/spreadsheet.h"

#include <cmath>
#include <cstdio>

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
        // Civil date from days since 1970-01-01 (proleptic Gregorian).
        long long z = days - 25569 + 719468;
        long long era = (z >= 0 ? z : z - 146096) / 146097;
        long long doe = z - era * 146097;
        long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
        long long mp = (5 * doy + 2) / 153;
        long long day = doy - (153 * mp + 2) / 5 + 1;
        long long month = mp < 10 ? mp + 3 : mp - 9;
        long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
        result = std::to_string(month) + "/" + std::to_string(day) + "/" + std::to_string(year);
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
