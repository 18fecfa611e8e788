// Decimal digits of numbers as the spreadsheet program keeps them (15 significant digits),
// rounding half away from zero on that decimal form, and the General format built on them.
#ifndef VINTREL_HOST_WORKBOOK_DECIMAL_DIGITS_H_
#define VINTREL_HOST_WORKBOOK_DECIMAL_DIGITS_H_

#include <string>

namespace vintrel::host::workbook {

inline constexpr int kMaxDecimals = 30;

// The 15 significant decimal digits of |value| and the power of ten of the first one.
struct Digits {
  char digits[15];
  int exponent = 0;
  bool zero = true;
};
Digits DigitsOf(double value);

struct Decimal {
  std::string int_digits;   // no leading zeros; empty for zero
  std::string frac_digits;  // exactly the requested count
};

// The number times 10^shift, rounded to `decimals` places (at most kMaxDecimals): 2.675 with two
// decimals is 2.68 although the binary double lies a little below it.
Decimal RoundDecimal(const Digits& number, int decimals, int shift = 0);
Decimal RoundDecimal(double value, int decimals, int shift = 0);

// The power of ten of |value|'s first significant digit (1000 is 3 even where log10 is not).
int DecimalExponent(double value);

// The exponent's digits, at least `min_digits` of them, with "-" or, if asked, "+".
std::string ExponentText(int exponent, int min_digits, bool sign_always);

// A number in the General format of a standard-width column: at most 11 characters, switching to
// scientific form when the decimal form would hide too much of the number.
std::string FormatGeneral(double value);

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_DECIMAL_DIGITS_H_
