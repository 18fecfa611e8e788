#include "host/data/value_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "host/common/text_encoding.h"

namespace vintrel::host::data {
namespace {

// A number as the host's default conversion writes it: at most `digits` significant digits, plain
// digits from 1E-5 up to below 1E+15 (for a double), an exponent beyond ("1E+15", "1.5E-07").
// Negative zero is written as 0; NaN and the infinities get names a reader recognises.
template <typename T>
std::string GeneralText(T value, int digits) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  if (value == 0) return "0";
  char buffer[64];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
  std::string text(buffer, result.ptr);
  if (size_t e = text.find('e'); e != std::string::npos) text[e] = 'E';
  return text;
}

}  // namespace

std::string DoubleText(double value) {
  return GeneralText(value, 15);
}

std::string FloatText(float value) {
  return GeneralText(value, 7);
}

std::string DecimalText(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::string out(text);
  size_t point = out.find('.');
  if (point == std::string::npos || out.find_first_of("eE") != std::string::npos) return out;
  size_t last = out.find_last_not_of('0');
  out.erase(last == point ? point : last + 1);
  // ".5" and "-.5" as "0.5" and "-0.5"; "-0" as "0".
  size_t digits = (!out.empty() && (out[0] == '-' || out[0] == '+')) ? 1 : 0;
  if (out.size() == digits || out[digits] == '.') out.insert(digits, "0");
  if (out == "-0" || out == "+0") out = "0";
  return out;
}

std::string DateText(int year, int month, int day) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
  return buffer;
}

std::string TimeText(int hour, int minute, int second) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", hour, minute, second);
  return buffer;
}

std::string DateTimeText(int year, int month, int day, int hour, int minute, int second,
                         uint32_t fraction) {
  std::string text = DateText(year, month, day) + " " + TimeText(hour, minute, second);
  if (fraction != 0) {
    char digits[16];
    std::snprintf(digits, sizeof digits, ".%09u", fraction);
    std::string part = digits;
    part.erase(part.find_last_not_of('0') + 1);
    text += part;
  }
  return text;
}

std::string BinaryText(const void* data, size_t size, size_t max_bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  size_t shown = size < max_bytes ? size : max_bytes;
  std::string text = "0x";
  text.reserve(2 + shown * 2);
  for (size_t i = 0; i < shown; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}

}  // namespace vintrel::host::data
