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
    case Kind::kNumber:
    case Kind::kDate: {
      // Fifteen significant digits, as the spreadsheet's automation converts numbers to text.
      if (std::isnan(number) || std::isinf(number)) return "";
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "%.15G", number);
      return buffer;
    }
  }
  return "";
}

}  // namespace vintrel::host
