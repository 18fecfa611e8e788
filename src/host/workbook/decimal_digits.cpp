#include "host/workbook/decimal_digits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace vintrel::host::workbook {

namespace {

int SignificantDigits(const std::string& digits) {
  size_t first = digits.find_first_not_of("0.");
  if (first == std::string::npos) return 0;
  size_t last = digits.find_last_not_of("0.");
  int count = 0;
  for (size_t i = first; i <= last; ++i) count += digits[i] != '.';
  return count;
}

std::string JoinDecimal(const Decimal& d, bool trim_zeros) {
  std::string text = d.int_digits.empty() ? "0" : d.int_digits;
  std::string frac = d.frac_digits;
  if (trim_zeros) {
    size_t last = frac.find_last_not_of('0');
    frac.erase(last == std::string::npos ? 0 : last + 1);
  }
  if (!frac.empty()) text += "." + frac;
  return text;
}

}  // namespace

Digits DigitsOf(double value) {
  Digits result;
  value = std::fabs(value);
  if (value == 0 || !std::isfinite(value)) return result;
  char buffer[48];
  auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  (void)ec;
  // "d.ddddddddddddddde+XX"
  result.digits[0] = buffer[0];
  std::memcpy(result.digits + 1, buffer + 2, 14);
  std::from_chars(buffer + 18, end, result.exponent);
  if (buffer[17] == '-') result.exponent = -result.exponent;
  result.zero = false;
  return result;
}

// The number times 10^shift, rounded to `decimals` places.
Decimal RoundDecimal(const Digits& number, int decimals, int shift) {
  decimals = std::clamp(decimals, 0, kMaxDecimals);
  Decimal result;
  if (number.zero) {
    result.frac_digits.assign(decimals, '0');
    return result;
  }
  std::string digits(number.digits, 15);
  int point = number.exponent + 1 + shift;  // digits before the decimal point
  if (point < 0) {
    if (point + decimals < -1) {
      // Far below the last place shown: zero.
      result.frac_digits.assign(decimals, '0');
      return result;
    }
    digits.insert(0, static_cast<size_t>(-point), '0');
    point = 0;
  }
  if (point > static_cast<int>(digits.size())) digits.append(point - digits.size(), '0');
  size_t keep = static_cast<size_t>(point + decimals);
  if (keep < digits.size()) {
    bool round_up = digits[keep] >= '5';
    digits.resize(keep);
    if (round_up) {
      int i = static_cast<int>(keep) - 1;
      while (i >= 0 && digits[i] == '9') digits[i--] = '0';
      if (i >= 0) {
        ++digits[i];
      } else {
        digits.insert(digits.begin(), '1');
        ++point;
      }
    }
  }
  digits.append(static_cast<size_t>(point + decimals) - digits.size(), '0');
  result.int_digits = digits.substr(0, point);
  result.frac_digits = digits.substr(point);
  size_t first = result.int_digits.find_first_not_of('0');
  result.int_digits.erase(0, first == std::string::npos ? result.int_digits.size() : first);
  return result;
}

Decimal RoundDecimal(double value, int decimals, int shift) {
  return RoundDecimal(DigitsOf(value), decimals, shift);
}

// The power of ten of |value|'s first significant digit, taken from the 15-digit decimal form so
// that 1000 is 3 even when log10 says 2.9999999.
int DecimalExponent(double value) {
  return DigitsOf(value).exponent;
}

std::string ExponentText(int exponent, int min_digits, bool sign_always) {
  std::string digits = std::to_string(std::abs(exponent));
  if (static_cast<int>(digits.size()) < min_digits) {
    digits.insert(0, min_digits - digits.size(), '0');
  }
  if (exponent < 0) return "-" + digits;
  return (sign_always ? "+" : "") + digits;
}

std::string FormatGeneral(double value) {
  if (std::isnan(value) || std::isinf(value)) return "#NUM!";
  if (value == 0) return "0";
  const bool negative = value < 0;
  const double magnitude = std::fabs(value);
  if (magnitude < 1e10 && magnitude == std::floor(magnitude)) {
    // Whole numbers of up to ten digits show as they are, the common case.
    char buffer[16];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value));
    (void)ec;
    return std::string(buffer, end);
  }
  const int width = 11 - (negative ? 1 : 0);
  const std::string sign = negative ? "-" : "";
  const Digits digits = DigitsOf(magnitude);
  const int exponent = digits.exponent;

  // Scientific form: one digit, as many decimals as fit beside the exponent.
  int sci_exponent = exponent;
  std::string exponent_text = ExponentText(sci_exponent, 2, true);
  int mantissa_places = width - 2 - 1 - static_cast<int>(exponent_text.size());
  Decimal mantissa = RoundDecimal(digits, mantissa_places, -sci_exponent);
  if (mantissa.int_digits.size() > 1) {
    ++sci_exponent;
    exponent_text = ExponentText(sci_exponent, 2, true);
    mantissa = RoundDecimal(digits, mantissa_places, -sci_exponent);
  }
  std::string mantissa_text = JoinDecimal(mantissa, true);
  std::string scientific = mantissa_text + "E" + exponent_text;

  int integer_digits = exponent >= 0 ? exponent + 1 : 1;
  if (integer_digits > width) return sign + scientific;
  int places = std::max(0, width - integer_digits - 1);
  std::string decimal = JoinDecimal(RoundDecimal(digits, places), true);
  if (static_cast<int>(decimal.size()) > width) return sign + scientific;
  int shown = SignificantDigits(decimal);
  if (shown == 0) return sign + scientific;
  int all = 15;
  while (all > 0 && digits.digits[all - 1] == '0') --all;
  if (shown >= all || shown >= SignificantDigits(mantissa_text)) return sign + decimal;
  return sign + scientific;
}

}  // namespace vintrel::host::workbook
