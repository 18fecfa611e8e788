// The text forms in which the data-access layer hands out database values. Every value reaches
// the add-in as text, in one invariant form whatever the database or the locale:
// - integers as plain decimal digits;
// - floating-point numbers with at most 15 significant digits (7 for single precision), in
//   plain digits across the everyday range ("1000000", "0.3") and with an exponent only for
//   very large or very small magnitudes ("1E+15", "1E-05");
// - exact decimals as the database gives them, without trailing zeros ("2.500" -> "2.5");
// - dates "2026-12-31", times "16:00:00", date-times "2026-12-31 16:00:00" (fractions of a
//   second only when there are any, "2026-12-31 16:00:00.25");
// - booleans "True" / "False";
// - binary values as "0x" and upper-case hexadecimal digits, cut to the field size;
// - SQL NULL as a null value.
#ifndef VINTREL_HOST_DATA_VALUE_TEXT_H_
#define VINTREL_HOST_DATA_VALUE_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace vintrel::host::data {

std::string DoubleText(double value);
std::string FloatText(float value);
// A decimal number written by a database ("-2.500", ".5", "12.") in its shortest form.
std::string DecimalText(std::string_view text);
std::string DateText(int year, int month, int day);
std::string TimeText(int hour, int minute, int second);
// `fraction` in nanoseconds.
std::string DateTimeText(int year, int month, int day, int hour, int minute, int second,
                         uint32_t fraction = 0);
// Binary data as hexadecimal; at most `max_bytes` bytes are shown.
std::string BinaryText(const void* data, size_t size, size_t max_bytes);

}  // namespace vintrel::host::data

#endif  // VINTREL_HOST_DATA_VALUE_TEXT_H_
