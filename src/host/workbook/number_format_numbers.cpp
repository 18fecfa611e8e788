// Showing a number through a number section: digits in their placeholders, thousands
// grouped, fractions and exponents.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "host/workbook/decimal_digits.h"
#include "host/workbook/number_format_steps.h"

namespace vintrel::host::workbook::format_steps {
namespace {

std::string GroupThousands(const std::string& digits) {
  std::string result;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) result.push_back(',');
    result.push_back(digits[i]);
  }
  return result;
}

// Fills the integer placeholders [first, last) of `tokens` (in token order) with `digits`,
// right-aligned; the first placeholder takes every digit that does not fit.
void FillInteger(const std::vector<Token>& tokens, const std::vector<size_t>& placeholders,
                 std::string digits, bool grouping, std::vector<std::string>& out) {
  if (placeholders.empty()) return;
  if (grouping) {
    // Zero placeholders pad before grouping, so "000,000" shows 5 as 000,005.
    int zeros = 0;
    int spaces = 0;
    for (size_t p : placeholders) {
      if (tokens[p].digit == '0') ++zeros;
      if (tokens[p].digit == '?') ++spaces;
    }
    std::string padded = digits;
    if (static_cast<int>(padded.size()) < zeros) padded.insert(0, zeros - padded.size(), '0');
    std::string text = GroupThousands(padded);
    int missing = zeros + spaces - static_cast<int>(padded.size());
    if (spaces > 0 && missing > 0) text.insert(0, std::min(missing, spaces), ' ');
    out[placeholders.front()] = text;
    return;
  }
  int n = static_cast<int>(placeholders.size());
  int d = static_cast<int>(digits.size());
  for (int k = n - 1, j = d - 1; k >= 0; --k, --j) {
    std::string& slot = out[placeholders[k]];
    if (k == 0 && j > 0) {
      slot = digits.substr(0, j + 1);
    } else if (j >= 0) {
      slot = std::string(1, digits[j]);
    } else {
      char digit = tokens[placeholders[k]].digit;
      slot = digit == '0' ? "0" : digit == '?' ? " " : "";
    }
  }
}

// Fills decimal placeholders left to right; trailing zeros vanish under # and turn into spaces
// under ?.
void FillDecimals(const std::vector<Token>& tokens, const std::vector<size_t>& placeholders,
                  std::string digits, std::vector<std::string>& out) {
  // Places beyond the rounding precision show zeros.
  if (digits.size() < placeholders.size()) digits.append(placeholders.size() - digits.size(), '0');
  int keep = static_cast<int>(placeholders.size());
  while (keep > 0 && digits[keep - 1] == '0' && tokens[placeholders[keep - 1]].digit != '0') {
    --keep;
  }
  for (size_t k = 0; k < placeholders.size(); ++k) {
    char digit = tokens[placeholders[k]].digit;
    if (static_cast<int>(k) < keep) {
      out[placeholders[k]] = std::string(1, digits[k]);
    } else {
      out[placeholders[k]] = digit == '?' ? " " : "";
    }
  }
}

struct Fraction {
  long long whole = 0;
  long long numerator = 0;
  long long denominator = 1;
};

Fraction BestFraction(double value, long long max_denominator, long long fixed_denominator,
                      bool split_whole) {
  Fraction result;
  double whole = split_whole ? std::floor(value) : 0;
  double part = value - whole;
  result.whole = static_cast<long long>(whole);
  if (fixed_denominator > 0) {
    result.denominator = fixed_denominator;
    // The nearer of the two numerators around the value, the smaller one on a tie, compared in
    // the value's own terms: 0.95 in tenths is 9/10, since 0.95 lies just below 0.95.
    double d = static_cast<double>(fixed_denominator);
    double low = std::floor(part * d);
    bool up = std::fabs(part - (low + 1) / d) < std::fabs(part - low / d);
    result.numerator = static_cast<long long>(up ? low + 1 : low);
  } else {
    double best_error = 2;
    for (long long d = 1; d <= max_denominator; ++d) {
      long long n = std::llround(part * static_cast<double>(d));
      double error = std::fabs(part - static_cast<double>(n) / static_cast<double>(d));
      if (error < best_error - 1e-12) {
        best_error = error;
        result.numerator = n;
        result.denominator = d;
      }
    }
  }
  if (split_whole && result.numerator == result.denominator) {
    ++result.whole;
    result.numerator = 0;
  }
  return result;
}

// A plain section (Section::plain): the digits, padded to the 0 placeholders and grouped when
// the code groups, and the decimals, between the code's texts; what the general way below gives
// for such a code.
std::string RenderPlainSection(const Section& section, double value, bool minus) {
  const Decimal rounded = RoundDecimal(std::fabs(value), section.plain_places, section.scale);
  std::string digits = rounded.int_digits;
  if (static_cast<int>(digits.size()) < section.plain_zeros) {
    digits.insert(0, section.plain_zeros - digits.size(), '0');
  }
  if (rounded.int_digits.empty() &&
      rounded.frac_digits.find_first_not_of('0') == std::string::npos) {
    minus = false;  // nothing shown is not zero
  }
  std::string text;
  text.reserve(section.plain_prefix.size() + digits.size() * 4 / 3 + section.plain_places +
               section.plain_suffix.size() + 2);
  if (minus) text.push_back('-');
  text += section.plain_prefix;
  text += section.grouping ? GroupThousands(digits) : digits;
  if (section.plain_places > 0) {
    text.push_back('.');
    text += rounded.frac_digits;
    // Places beyond the rounding precision show zeros.
    const size_t places = static_cast<size_t>(section.plain_places);
    if (rounded.frac_digits.size() < places) text.append(places - rounded.frac_digits.size(), '0');
  }
  text += section.plain_suffix;
  return text;
}

// Where a fraction's parts go: the slash, the placeholders of the whole number, numerator and
// denominator, and a denominator written out ("/100"), 0 when there is none.
struct FractionSlots {
  size_t slash = 0;
  std::vector<size_t> whole, numerator, denominator;
  long long fixed = 0;
};

// Finds the fraction's parts; a written denominator is shown as its number at once.
FractionSlots FindFractionSlots(const std::vector<Token>& tokens, std::vector<std::string>& out) {
  FractionSlots slots;
  size_t& slash = slots.slash;
  while (tokens[slash].kind != Kind::kSlash) ++slash;
  size_t i = slash;
  while (i > 0 && tokens[i - 1].kind == Kind::kDigit)
    slots.numerator.insert(slots.numerator.begin(), --i);
  for (size_t j = 0; j < i; ++j) {
    if (tokens[j].kind == Kind::kDigit) slots.whole.push_back(j);
  }
  if (tokens[slash + 1].kind == Kind::kLiteral) {
    slots.fixed = std::atoll(tokens[slash + 1].text.c_str());
    std::string rest = tokens[slash + 1].text;
    size_t end = rest.find_first_not_of("0123456789");
    out[slash + 1] =
        std::to_string(slots.fixed) + (end == std::string::npos ? "" : rest.substr(end));
  }
  for (size_t j = slash + 1; j < tokens.size() && tokens[j].kind == Kind::kDigit; ++j) {
    slots.denominator.push_back(j);
  }
  return slots;
}

// A whole number keeps the width of its missing fraction: spaces under ?, nothing under #.
void BlankFraction(const std::vector<Token>& tokens, const FractionSlots& slots,
                   std::vector<std::string>& out) {
  const size_t slash = slots.slash;
  size_t end = slash + 1;
  while (end < tokens.size() && tokens[end].kind == Kind::kDigit) ++end;
  if (slots.fixed > 0) {
    out[slash + 1] = "";
    end = slash + 2;
  }
  for (size_t j = slots.numerator.front(); j < end; ++j) {
    if (tokens[j].kind == Kind::kDigit) out[j] = tokens[j].digit == '?' ? " " : "";
    if (j == slash) out[j] = " ";
  }
}

// The denominator is left-aligned: "1/4 " for ??/??.
void FillDenominator(const std::vector<Token>& tokens, const std::vector<size_t>& denominator,
                     long long value, std::vector<std::string>& out) {
  std::string digits = std::to_string(value);
  for (size_t k = 0; k < denominator.size(); ++k) {
    char digit = tokens[denominator[k]].digit;
    if (k < digits.size()) {
      out[denominator[k]] =
          k + 1 == denominator.size() ? digits.substr(k) : std::string(1, digits[k]);
    } else {
      out[denominator[k]] = digit == '?' ? " " : digit == '0' ? "0" : "";
    }
  }
}

// A fraction section's pieces for `magnitude`; false when the number is too large for one (it
// then shows in General). Clears `minus` when nothing is left to be negative.
bool FillFraction(const Section& section, double magnitude, bool& minus,
                  std::vector<std::string>& out) {
  const std::vector<Token>& tokens = section.tokens;
  const FractionSlots slots = FindFractionSlots(tokens, out);
  long long max_denominator = 1;
  for (size_t k = 0; k < slots.denominator.size() && k < 4; ++k) max_denominator *= 10;
  if (!(magnitude < 1e15)) return false;
  Fraction f = BestFraction(magnitude, std::max(1LL, max_denominator - 1), slots.fixed,
                            !slots.whole.empty());
  if (f.whole == 0 && f.numerator == 0) minus = false;  // nothing left to be negative
  out[slots.slash] = "/";
  if (!slots.whole.empty()) {
    std::string whole_digits = f.whole == 0 ? "" : std::to_string(f.whole);
    // A value without fraction part shows its whole number alone; zero then needs a digit.
    if (f.whole == 0 && f.numerator == 0) whole_digits = "0";
    FillInteger(tokens, slots.whole, whole_digits, section.grouping, out);
  }
  if (f.numerator == 0 && !slots.whole.empty()) {
    BlankFraction(tokens, slots, out);
  } else {
    FillInteger(tokens, slots.numerator, std::to_string(f.numerator), false, out);
    if (slots.fixed == 0) FillDenominator(tokens, slots.denominator, f.denominator, out);
  }
  return true;
}

// Where a decimal number's parts go: the point, the exponent and the digit placeholders of the
// integer part, the decimals and the exponent (a missing point or exponent is the end).
struct DigitSlots {
  size_t point = 0;
  size_t exponent = 0;
  std::vector<size_t> integer, decimals, exponent_digits;
};

DigitSlots FindDigitSlots(const std::vector<Token>& tokens) {
  DigitSlots slots;
  slots.point = tokens.size();
  slots.exponent = tokens.size();
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind == Kind::kPoint && slots.point == tokens.size()) slots.point = i;
    if (tokens[i].kind == Kind::kExponent) slots.exponent = i;
  }
  size_t mantissa_end = std::min(slots.exponent, tokens.size());
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind != Kind::kDigit) continue;
    if (i > slots.exponent) {
      slots.exponent_digits.push_back(i);
    } else if (i < slots.point && i < mantissa_end) {
      slots.integer.push_back(i);
    } else if (i < mantissa_end) {
      slots.decimals.push_back(i);
    }
  }
  return slots;
}

// The mantissa of a number shown with an exponent, whose text is written into its slots.
Decimal RoundScientific(const std::vector<Token>& tokens, const DigitSlots& slots, double magnitude,
                        std::vector<std::string>& out) {
  const int places = static_cast<int>(slots.decimals.size());
  int exp10 = 0;
  int step = std::max<int>(1, static_cast<int>(slots.integer.size()));
  if (magnitude != 0) {
    int e = DecimalExponent(magnitude);
    // With several integer digits the exponent moves in steps of that many: ##0.0E+0
    // shows engineering notation.
    exp10 = step > 1 ? static_cast<int>(std::floor(static_cast<double>(e) / step)) * step : e;
  }
  Decimal rounded = RoundDecimal(magnitude, places, -exp10);
  if (step == 1 && rounded.int_digits.size() > 1) {
    ++exp10;
    rounded = RoundDecimal(magnitude, places, -exp10);
  } else if (step > 1 && static_cast<int>(rounded.int_digits.size()) > step) {
    exp10 += step;
    rounded = RoundDecimal(magnitude, places, -exp10);
  }
  int min_digits = static_cast<int>(slots.exponent_digits.size());
  std::string text = ExponentText(exp10, 0, false);
  if (!text.empty() && text[0] == '-') text.erase(0, 1);
  std::string sign = exp10 < 0 ? "-" : (tokens[slots.exponent].count ? "+" : "");
  out[slots.exponent] = "E" + sign;
  std::string digits = text;
  if (static_cast<int>(digits.size()) < min_digits) {
    digits.insert(0, min_digits - digits.size(), '0');
  }
  FillInteger(tokens, slots.exponent_digits, digits, false, out);
  if (slots.exponent_digits.empty()) out[slots.exponent] += digits;
  return rounded;
}

// A decimal number's pieces, with or without an exponent. Clears `minus` when every digit
// shown is zero.
void FillDigits(const Section& section, double scaled, bool& minus, std::vector<std::string>& out) {
  const std::vector<Token>& tokens = section.tokens;
  const DigitSlots slots = FindDigitSlots(tokens);
  const std::vector<size_t>& integer = slots.integer;
  const std::vector<size_t>& decimals = slots.decimals;
  const size_t point = slots.point;
  const int places = static_cast<int>(decimals.size());
  const Decimal rounded =
      section.has_exponent
          ? RoundScientific(tokens, slots, scaled * std::pow(10.0, section.scale), out)
          : RoundDecimal(scaled, places, section.scale);
  FillInteger(tokens, integer, rounded.int_digits, section.grouping, out);
  FillDecimals(tokens, decimals, rounded.frac_digits, out);
  // The point goes when no decimal shows ("#.##" shows 1 as 1), as Calc shows it.
  bool decimals_shown = false;
  for (size_t d : decimals) decimals_shown |= !out[d].empty();
  if (point < tokens.size()) out[point] = decimals_shown ? "." : "";
  if (integer.empty() && !rounded.int_digits.empty()) {
    // Digits before the point still show when the code has no place for them.
    size_t at = point < tokens.size() ? point : (decimals.empty() ? 0 : decimals.front());
    out[at] = rounded.int_digits + out[at];
  }
  bool all_zero =
      rounded.int_digits.empty() && rounded.frac_digits.find_first_not_of('0') == std::string::npos;
  if (all_zero && !section.has_exponent) minus = false;
}

}  // namespace

std::string RenderNumberSection(const Section& section, double value, bool minus) {
  if (section.plain) return RenderPlainSection(section, value, minus);
  const std::vector<Token>& tokens = section.tokens;
  // One buffer per thread: ranges format a million cells, and the pieces stay small.
  thread_local std::vector<std::string> out;
  out.resize(tokens.size());
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind == Kind::kLiteral) {
      out[i] = tokens[i].text;
    } else {
      out[i].clear();
    }
  }
  double scaled = std::fabs(value);
  int shift = section.scale;

  if (section.has_general || !section.has_digits) {
    for (size_t i = 0; i < tokens.size(); ++i) {
      if (tokens[i].kind == Kind::kGeneral) out[i] = FormatGeneral(scaled * std::pow(10.0, shift));
      if (tokens[i].kind == Kind::kPoint) out[i] = ".";
    }
  } else if (section.is_fraction) {
    double magnitude = scaled * std::pow(10.0, shift);
    if (!FillFraction(section, magnitude, minus, out)) {
      return (minus ? "-" : "") + FormatGeneral(magnitude);
    }
  } else {
    FillDigits(section, scaled, minus, out);
  }
  std::string text = minus ? "-" : "";
  for (const std::string& part : out) text += part;
  return text;
}

}  // namespace vintrel::host::workbook::format_steps
