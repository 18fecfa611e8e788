#include "host/workbook/number_format.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "host/common/ascii.h"
#include "host/workbook/decimal_digits.h"

namespace vintrel::host::workbook {

namespace {

using Token = NumberFormat::Token;
using Kind = NumberFormat::Token::Kind;
using Section = NumberFormat::Section;

const char* const kMonthNames[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};
const char* const kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

// ---------------------------------------------------------------------------------------------
// Parsing.

void AddLiteral(Section& section, std::string_view text) {
  if (!section.tokens.empty() && section.tokens.back().kind == Kind::kLiteral) {
    section.tokens.back().text += text;
    return;
  }
  Token token;
  token.kind = Kind::kLiteral;
  token.text = std::string(text);
  section.tokens.push_back(std::move(token));
}

void AddToken(Section& section, Kind kind, int count = 0, char digit = 0) {
  Token token;
  token.kind = kind;
  token.count = count;
  token.digit = digit;
  section.tokens.push_back(std::move(token));
}

// A bracketed part: colour, condition, currency and locale, elapsed time or something the
// engine ignores (calendar and numeral system switches).
void ParseBracket(Section& section, std::string_view inner) {
  if (inner.empty()) return;
  char first = LowerAscii(inner[0]);
  if (first == 'h' || first == 'm' || first == 's') {
    bool same =
        std::all_of(inner.begin(), inner.end(), [&](char c) { return LowerAscii(c) == first; });
    if (same) {
      Kind kind = first == 'h'   ? Kind::kElapsedHours
                  : first == 'm' ? Kind::kElapsedMinutes
                                 : Kind::kElapsedSeconds;
      AddToken(section, kind, static_cast<int>(inner.size()));
      section.is_date = true;
      return;
    }
  }
  if (first == '<' || first == '>' || first == '=') {
    size_t op_length = 1;
    if (inner.size() > 1 && (inner[1] == '=' || inner[1] == '>')) op_length = 2;
    std::string number(inner.substr(op_length));
    char* end = nullptr;
    double bound = std::strtod(number.c_str(), &end);
    if (end != number.c_str()) {
      section.has_condition = true;
      section.condition_operator = std::string(inner.substr(0, op_length));
      section.condition_bound = bound;
    }
    return;
  }
  if (first == '$') {
    // [$€-407]: the currency text before the dash is shown, the locale after it is not.
    std::string_view symbol = inner.substr(1);
    size_t dash = symbol.find('-');
    if (dash != std::string_view::npos) symbol = symbol.substr(0, dash);
    if (!symbol.empty()) AddLiteral(section, symbol);
    return;
  }
  // Colours ([Red], [Color10]) and switches such as [DBNum1] change nothing in the text.
}

// Splits the code into sections at semicolons outside quotes, escapes and brackets.
std::vector<std::string> SplitSections(std::string_view code) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (c == '"') {
      size_t end = code.find('"', i + 1);
      if (end == std::string_view::npos) end = code.size() - 1;
      parts.back().append(code.substr(i, end - i + 1));
      i = end;
    } else if (c == '\\' && i + 1 < code.size()) {
      parts.back().append(code.substr(i, 2));
      ++i;
    } else if (c == '[') {
      size_t end = code.find(']', i + 1);
      if (end == std::string_view::npos) end = code.size() - 1;
      parts.back().append(code.substr(i, end - i + 1));
      i = end;
    } else if (c == ';') {
      parts.emplace_back();
    } else {
      parts.back().push_back(c);
    }
  }
  return parts;
}

Section Lex(std::string_view code) {
  Section section;
  for (size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    char lower = LowerAscii(c);
    if (c == '"') {
      size_t end = code.find('"', i + 1);
      if (end == std::string_view::npos) end = code.size();
      AddLiteral(section, code.substr(i + 1, end - i - 1));
      i = end;
    } else if (c == '\\') {
      if (i + 1 < code.size()) {
        // Keep a UTF-8 character whole.
        size_t length = 1;
        while (i + 1 + length < code.size() && (code[i + 1 + length] & 0xC0) == 0x80) ++length;
        AddLiteral(section, code.substr(i + 1, length));
        i += length;
      }
    } else if (c == '_') {
      // Room for the next character's width: one space in text.
      if (i + 1 < code.size()) {
        ++i;
        while (i + 1 < code.size() && (code[i + 1] & 0xC0) == 0x80) ++i;
      }
      AddLiteral(section, " ");
    } else if (c == '*') {
      // Repeat to fill the column: without a column width there is nothing to fill.
      if (i + 1 < code.size()) {
        ++i;
        while (i + 1 < code.size() && (code[i + 1] & 0xC0) == 0x80) ++i;
      }
    } else if (c == '[') {
      size_t end = code.find(']', i + 1);
      if (end == std::string_view::npos) end = code.size();
      ParseBracket(section, code.substr(i + 1, end - i - 1));
      i = end;
    } else if (StartsWithNoCase(code, i, "general")) {
      AddToken(section, Kind::kGeneral);
      section.has_general = true;
      i += 6;
    } else if (c == '0' || c == '#' || c == '?') {
      AddToken(section, Kind::kDigit, 0, c);
      section.has_digits = true;
    } else if (c == '.') {
      AddToken(section, Kind::kPoint);
    } else if (c == ',') {
      AddToken(section, Kind::kComma);
    } else if (c == '%') {
      AddLiteral(section, "%");
      section.scale += 2;
    } else if ((c == 'E' || c == 'e') && i + 1 < code.size() &&
               (code[i + 1] == '+' || code[i + 1] == '-')) {
      AddToken(section, Kind::kExponent, code[i + 1] == '+' ? 1 : 0);
      ++i;
    } else if (c == '/') {
      AddToken(section, Kind::kSlash);
    } else if (c == '@') {
      AddToken(section, Kind::kText);
      section.has_text = true;
    } else if (StartsWithNoCase(code, i, "am/pm") || StartsWithNoCase(code, i, "a/p")) {
      size_t length = StartsWithNoCase(code, i, "am/pm") ? 5 : 3;
      Token token;
      token.kind = Kind::kAmPm;
      token.text = std::string(code.substr(i, length));
      section.tokens.push_back(std::move(token));
      section.is_date = true;
      i += length - 1;
    } else if (lower == 'y' || lower == 'm' || lower == 'd' || lower == 'h' || lower == 's' ||
               lower == 'e') {
      size_t end = i;
      while (end < code.size() && LowerAscii(code[end]) == lower) ++end;
      int count = static_cast<int>(end - i);
      Kind kind = lower == 'y' || lower == 'e' ? Kind::kYear
                  : lower == 'm'               ? Kind::kMonth
                  : lower == 'd'               ? Kind::kDay
                  : lower == 'h'               ? Kind::kHour
                                               : Kind::kSecond;
      if (lower == 'e') count = 4;
      AddToken(section, kind, count);
      section.is_date = true;
      i = end - 1;
    } else if (c == 'B' && i + 1 < code.size() && (code[i + 1] == '1' || code[i + 1] == '2')) {
      ++i;  // calendar switch
    } else {
      size_t length = 1;
      while (i + length < code.size() && (code[i + length] & 0xC0) == 0x80) ++length;
      AddLiteral(section, code.substr(i, length));
      i += length - 1;
    }
  }
  return section;
}

bool IsDateKind(Kind kind) {
  switch (kind) {
    case Kind::kYear:
    case Kind::kMonth:
    case Kind::kDay:
    case Kind::kHour:
    case Kind::kMinute:
    case Kind::kSecond:
    case Kind::kElapsedHours:
    case Kind::kElapsedMinutes:
    case Kind::kElapsedSeconds:
      return true;
    default:
      return false;
  }
}

void ResolveDateSection(Section& section) {
  std::vector<Token>& tokens = section.tokens;
  std::vector<Token> resolved;
  for (size_t i = 0; i < tokens.size(); ++i) {
    Token token = tokens[i];
    if (token.kind == Kind::kPoint) {
      // ".00" right after seconds shows fractions of a second.
      size_t j = i + 1;
      while (j < tokens.size() && tokens[j].kind == Kind::kDigit && tokens[j].digit == '0') ++j;
      bool after_seconds = false;
      for (auto it = resolved.rbegin(); it != resolved.rend(); ++it) {
        if (it->kind == Kind::kLiteral) continue;
        after_seconds = it->kind == Kind::kSecond || it->kind == Kind::kElapsedSeconds;
        break;
      }
      if (j > i + 1 && after_seconds) {
        token.kind = Kind::kSubSecond;
        token.count = std::min(static_cast<int>(j - i - 1), 3);
        section.subsecond_digits = std::max(section.subsecond_digits, token.count);
        resolved.push_back(token);
        i = j - 1;
        continue;
      }
      token.kind = Kind::kLiteral;
      token.text = ".";
    } else if (token.kind == Kind::kDigit || token.kind == Kind::kComma ||
               token.kind == Kind::kSlash || token.kind == Kind::kExponent) {
      Kind kind = token.kind;
      token.text = kind == Kind::kDigit   ? std::string(1, token.digit)
                   : kind == Kind::kComma ? ","
                   : kind == Kind::kSlash ? "/"
                                          : (token.count ? "E+" : "E-");
      token.kind = Kind::kLiteral;
    }
    resolved.push_back(token);
  }
  // m and mm are minutes right after hours or right before seconds.
  for (size_t i = 0; i < resolved.size(); ++i) {
    if (resolved[i].kind != Kind::kMonth || resolved[i].count > 2) continue;
    bool minutes = false;
    for (size_t j = i; j-- > 0;) {
      if (!IsDateKind(resolved[j].kind)) continue;
      minutes = resolved[j].kind == Kind::kHour || resolved[j].kind == Kind::kElapsedHours;
      break;
    }
    for (size_t j = i + 1; !minutes && j < resolved.size(); ++j) {
      if (!IsDateKind(resolved[j].kind)) continue;
      minutes = resolved[j].kind == Kind::kSecond || resolved[j].kind == Kind::kElapsedSeconds;
      break;
    }
    if (minutes) resolved[i].kind = Kind::kMinute;
  }
  section.tokens = std::move(resolved);
}

void ResolveNumberSection(Section& section) {
  std::vector<Token>& tokens = section.tokens;
  auto is_digit = [&](size_t i) { return i < tokens.size() && tokens[i].kind == Kind::kDigit; };
  size_t point = tokens.size();
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind == Kind::kPoint) {
      if (point == tokens.size()) {
        point = i;
      } else {
        tokens[i].kind = Kind::kLiteral;
        tokens[i].text = ".";
      }
    }
    if (tokens[i].kind == Kind::kExponent) {
      if (section.has_exponent || !section.has_digits) {
        tokens[i].text = tokens[i].count ? "E+" : "E-";
        tokens[i].kind = Kind::kLiteral;
      } else {
        section.has_exponent = true;
      }
    }
  }
  // Commas: between digits of the integer part they group thousands; after the last digit
  // placeholder of a number they divide it by a thousand each; elsewhere they are text.
  std::vector<Token> original = tokens;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (original[i].kind != Kind::kComma) continue;
    size_t before = i;
    while (before > 0 && original[before - 1].kind == Kind::kComma) --before;
    size_t after = i;
    while (after < tokens.size() && original[after].kind == Kind::kComma) ++after;
    bool digit_before = before > 0 && original[before - 1].kind == Kind::kDigit;
    tokens[i].kind = Kind::kLiteral;
    if (digit_before && is_digit(after) && i < point) {
      section.grouping = true;
    } else if (digit_before) {
      section.scale -= 3;
    } else {
      tokens[i].text = ",";
    }
  }
  // A slash with digits on both sides makes a fraction; digits written after it fix the
  // denominator.
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind != Kind::kSlash) continue;
    bool digits_before = i > 0 && tokens[i - 1].kind == Kind::kDigit;
    bool fixed = i + 1 < tokens.size() && tokens[i + 1].kind == Kind::kLiteral &&
                 !tokens[i + 1].text.empty() &&
                 std::isdigit(static_cast<unsigned char>(tokens[i + 1].text[0]));
    if (digits_before && !section.is_fraction && !section.has_exponent &&
        (is_digit(i + 1) || fixed)) {
      section.is_fraction = true;
      // Zeros of a written denominator ("/100") were read as digit placeholders.
      while (fixed && i + 2 < tokens.size() && tokens[i + 2].kind == Kind::kDigit &&
             tokens[i + 2].digit == '0' &&
             tokens[i + 1].text.find_first_not_of("0123456789") == std::string::npos) {
        tokens[i + 1].text += '0';
        tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i + 2));
      }
    } else {
      tokens[i].kind = Kind::kLiteral;
      tokens[i].text = "/";
    }
  }
  if (section.is_fraction) {
    // A fraction with decimals is no valid code: the program shows such numbers in General.
    for (const Token& token : tokens) {
      if (token.kind == Kind::kPoint) {
        section.is_fraction = false;
        section.has_digits = false;
        section.has_general = true;
        tokens.clear();
        AddToken(section, Kind::kGeneral);
        break;
      }
    }
  }
}

// Finds whether a resolved number section is a plain one (see Section::plain).
void MarkPlain(Section& section) {
  section.plain = false;
  if (section.has_general || !section.has_digits || section.is_fraction || section.has_exponent ||
      section.has_text) {
    return;
  }
  const std::vector<Token>& tokens = section.tokens;
  const size_t n = tokens.size();
  size_t i = 0;
  std::string prefix;
  while (i < n && tokens[i].kind == Kind::kLiteral) prefix += tokens[i++].text;
  int hashes = 0;
  int zeros = 0;
  // Integer placeholders, #s before 0s; commas between them (empty text now) group or scale.
  for (; i < n; ++i) {
    const Token& token = tokens[i];
    if (token.kind == Kind::kLiteral && token.text.empty()) continue;
    if (token.kind != Kind::kDigit) break;
    if (token.digit == '?' || (token.digit == '#' && zeros > 0)) return;
    ++(token.digit == '#' ? hashes : zeros);
  }
  if (hashes + zeros == 0) return;
  int places = 0;
  if (i < n && tokens[i].kind == Kind::kPoint) {
    for (++i; i < n && tokens[i].kind == Kind::kDigit && tokens[i].digit == '0'; ++i) ++places;
  }
  std::string suffix;
  while (i < n && tokens[i].kind == Kind::kLiteral) suffix += tokens[i++].text;
  if (i != n) return;
  section.plain = true;
  section.plain_zeros = zeros;
  section.plain_places = places;
  section.plain_prefix = std::move(prefix);
  section.plain_suffix = std::move(suffix);
}

bool ConditionHolds(const Section& section, double value) {
  const std::string& op = section.condition_operator;
  double bound = section.condition_bound;
  if (op == "<") return value < bound;
  if (op == "<=") return value <= bound;
  if (op == ">") return value > bound;
  if (op == ">=") return value >= bound;
  if (op == "<>") return value != bound;
  return value == bound;
}

// ---------------------------------------------------------------------------------------------
// Rendering numbers.

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
    size_t slash = 0;
    while (tokens[slash].kind != Kind::kSlash) ++slash;
    std::vector<size_t> numerator, whole, denominator;
    size_t i = slash;
    while (i > 0 && tokens[i - 1].kind == Kind::kDigit) numerator.insert(numerator.begin(), --i);
    for (size_t j = 0; j < i; ++j) {
      if (tokens[j].kind == Kind::kDigit) whole.push_back(j);
    }
    long long fixed = 0;
    if (tokens[slash + 1].kind == Kind::kLiteral) {
      fixed = std::atoll(tokens[slash + 1].text.c_str());
      std::string rest = tokens[slash + 1].text;
      size_t end = rest.find_first_not_of("0123456789");
      out[slash + 1] = std::to_string(fixed) + (end == std::string::npos ? "" : rest.substr(end));
    }
    for (size_t j = slash + 1; j < tokens.size() && tokens[j].kind == Kind::kDigit; ++j) {
      denominator.push_back(j);
    }
    long long max_denominator = 1;
    for (size_t k = 0; k < denominator.size() && k < 4; ++k) max_denominator *= 10;
    double magnitude = scaled * std::pow(10.0, shift);
    if (!(magnitude < 1e15)) return (minus ? "-" : "") + FormatGeneral(magnitude);
    Fraction f = BestFraction(magnitude, std::max(1LL, max_denominator - 1), fixed, !whole.empty());
    if (f.whole == 0 && f.numerator == 0) minus = false;  // nothing left to be negative
    out[slash] = "/";
    if (!whole.empty()) {
      std::string whole_digits = f.whole == 0 ? "" : std::to_string(f.whole);
      // A value without fraction part shows its whole number alone; zero then needs a digit.
      if (f.whole == 0 && f.numerator == 0) whole_digits = "0";
      FillInteger(tokens, whole, whole_digits, section.grouping, out);
    }
    if (f.numerator == 0 && !whole.empty()) {
      // A whole number keeps the width of its missing fraction: spaces under ?, nothing under #.
      size_t end = slash + 1;
      while (end < tokens.size() && tokens[end].kind == Kind::kDigit) ++end;
      if (fixed > 0) {
        out[slash + 1] = "";
        end = slash + 2;
      }
      for (size_t j = numerator.front(); j < end; ++j) {
        if (tokens[j].kind == Kind::kDigit) out[j] = tokens[j].digit == '?' ? " " : "";
        if (j == slash) out[j] = " ";
      }
    } else {
      FillInteger(tokens, numerator, std::to_string(f.numerator), false, out);
      if (fixed == 0) {
        // The denominator is left-aligned: "1/4 " for ??/??.
        std::string digits = std::to_string(f.denominator);
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
    }
  } else {
    size_t point = tokens.size();
    size_t exponent = tokens.size();
    for (size_t i = 0; i < tokens.size(); ++i) {
      if (tokens[i].kind == Kind::kPoint && point == tokens.size()) point = i;
      if (tokens[i].kind == Kind::kExponent) exponent = i;
    }
    size_t mantissa_end = std::min(exponent, tokens.size());
    std::vector<size_t> integer, decimals, exponent_digits;
    for (size_t i = 0; i < tokens.size(); ++i) {
      if (tokens[i].kind != Kind::kDigit) continue;
      if (i > exponent) {
        exponent_digits.push_back(i);
      } else if (i < point && i < mantissa_end) {
        integer.push_back(i);
      } else if (i < mantissa_end) {
        decimals.push_back(i);
      }
    }
    int places = static_cast<int>(decimals.size());
    Decimal rounded;
    int exp10 = 0;
    if (section.has_exponent) {
      double magnitude = scaled * std::pow(10.0, shift);
      int step = std::max<int>(1, static_cast<int>(integer.size()));
      if (magnitude != 0) {
        int e = DecimalExponent(magnitude);
        // With several integer digits the exponent moves in steps of that many: ##0.0E+0
        // shows engineering notation.
        exp10 = step > 1 ? static_cast<int>(std::floor(static_cast<double>(e) / step)) * step : e;
      }
      rounded = RoundDecimal(magnitude, places, -exp10);
      if (step == 1 && rounded.int_digits.size() > 1) {
        ++exp10;
        rounded = RoundDecimal(magnitude, places, -exp10);
      } else if (step > 1 && static_cast<int>(rounded.int_digits.size()) > step) {
        exp10 += step;
        rounded = RoundDecimal(magnitude, places, -exp10);
      }
      int min_digits = static_cast<int>(exponent_digits.size());
      std::string text = ExponentText(exp10, 0, false);
      if (!text.empty() && text[0] == '-') text.erase(0, 1);
      std::string sign = exp10 < 0 ? "-" : (tokens[exponent].count ? "+" : "");
      out[exponent] = "E" + sign;
      std::string digits = text;
      if (static_cast<int>(digits.size()) < min_digits) {
        digits.insert(0, min_digits - digits.size(), '0');
      }
      FillInteger(tokens, exponent_digits, digits, false, out);
      if (exponent_digits.empty()) out[exponent] += digits;
    } else {
      rounded = RoundDecimal(scaled, places, shift);
    }
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
    bool all_zero = rounded.int_digits.empty() &&
                    rounded.frac_digits.find_first_not_of('0') == std::string::npos;
    if (all_zero && !section.has_exponent) minus = false;
  }
  std::string text = minus ? "-" : "";
  for (const std::string& part : out) text += part;
  return text;
}

// ---------------------------------------------------------------------------------------------
// Rendering dates and times.

// Appends n (not negative) with at least `width` digits.
void AppendNumber(std::string& text, long long n, int width = 1) {
  char buffer[24];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, n);
  (void)ec;
  for (int pad = width - static_cast<int>(end - buffer); pad > 0; --pad) text.push_back('0');
  text.append(buffer, end);
}

std::string RenderDateSection(const Section& section, double serial, DateSystem system) {
  // Clock times are cut to the finest unit shown (10:59:59.6 shows as 10:59:59, so a day never
  // ends at 24:00:00); elapsed times and fractions of seconds are rounded to it. Microseconds are
  // rounded first so that a third of a day is 8:00:00. This is how Calc shows them.
  long long units_per_second = 1;
  for (int i = 0; i < section.subsecond_digits; ++i) units_per_second *= 10;
  const long long units_per_day = 86400 * units_per_second;
  bool has_date = false;
  bool has_time = false;
  bool elapsed = false;
  for (const Token& token : section.tokens) {
    has_date |= token.kind == Kind::kYear || token.kind == Kind::kMonth || token.kind == Kind::kDay;
    has_time |=
        token.kind == Kind::kHour || token.kind == Kind::kMinute || token.kind == Kind::kSecond;
    elapsed |= token.kind == Kind::kElapsedHours || token.kind == Kind::kElapsedMinutes ||
               token.kind == Kind::kElapsedSeconds;
  }
  if (has_date && has_time && !elapsed && section.subsecond_digits == 0) {
    // Dates with clock times first drop the digits of the serial beyond the tenth significant
    // one, so 23:59:59.9 of a day in 2026 is already the next midnight.
    int integer_digits = serial >= 1 ? static_cast<int>(std::floor(std::log10(serial))) + 1 : 0;
    double scale = std::pow(10.0, std::clamp(10 - integer_digits, 2, 9));
    double rounded = std::round(serial * scale) / scale;
    if (rounded < kLastDateSerial + 1) serial = rounded;  // 31 December 9999 stays the last day
  }
  const long long micros = std::llround(serial * 86400.0 * 1e6);
  const long long unit = 1000000 / units_per_second;
  long long total = 0;
  if (section.subsecond_digits > 0) {
    // Whole seconds are cut; the fraction is rounded to the digits shown but never carries into
    // the next second (59.96 shows as 59.9 with one digit).
    long long fraction = std::min((micros % 1000000 + unit / 2) / unit, units_per_second - 1);
    total = micros / 1000000 * units_per_second + fraction;
  } else {
    total = elapsed ? (micros + unit / 2) / unit : micros / unit;
  }
  // Elapsed times count from the serial itself; calendar days from the 1900 system's day 0.
  long long day = total / units_per_day + (system == DateSystem::k1904 ? 1462 : 0);
  long long in_day = total % units_per_day;
  long long seconds_in_day = in_day / units_per_second;
  long long sub = in_day % units_per_second;
  int hour = static_cast<int>(seconds_in_day / 3600);
  int minute = static_cast<int>(seconds_in_day / 60 % 60);
  int second = static_cast<int>(seconds_in_day % 60);
  DateParts date = DatePartsFromSerial(day);
  bool twelve_hour = false;
  for (const Token& token : section.tokens) twelve_hour |= token.kind == Kind::kAmPm;

  std::string text;
  text.reserve(32);
  for (const Token& token : section.tokens) {
    switch (token.kind) {
      case Kind::kLiteral:
        text += token.text;
        break;
      case Kind::kYear:
        AppendNumber(text, token.count <= 2 ? date.year % 100 : date.year,
                     token.count <= 2 ? 2 : 1);
        break;
      case Kind::kMonth:
        if (token.count == 1) {
          text += std::to_string(date.month);
        } else if (token.count == 2) {
          AppendNumber(text, date.month, 2);
        } else if (token.count == 3) {
          text += std::string(kMonthNames[date.month - 1]).substr(0, 3);
        } else if (token.count == 5) {
          text += kMonthNames[date.month - 1][0];
        } else {
          text += kMonthNames[date.month - 1];
        }
        break;
      case Kind::kDay:
        if (token.count == 1) {
          text += std::to_string(date.day);
        } else if (token.count == 2) {
          AppendNumber(text, date.day, 2);
        } else if (token.count == 3) {
          text += std::string(kDayNames[date.weekday]).substr(0, 3);
        } else {
          text += kDayNames[date.weekday];
        }
        break;
      case Kind::kHour: {
        int shown = hour;
        if (twelve_hour) shown = hour % 12 == 0 ? 12 : hour % 12;
        AppendNumber(text, shown, token.count >= 2 ? 2 : 1);
        break;
      }
      case Kind::kMinute:
        AppendNumber(text, minute, token.count >= 2 ? 2 : 1);
        break;
      case Kind::kSecond:
        AppendNumber(text, second, token.count >= 2 ? 2 : 1);
        break;
      case Kind::kSubSecond: {
        std::string digits = std::to_string(sub);
        digits.insert(0, section.subsecond_digits - digits.size(), '0');
        text += "." + digits.substr(0, token.count);
        break;
      }
      case Kind::kAmPm: {
        bool pm = hour >= 12;
        if (token.text.size() == 5) {
          text += pm ? "PM" : "AM";
        } else {
          text += pm ? 'p' : 'a';  // A/P and a/p alike, as Calc shows them
        }
        break;
      }
      case Kind::kElapsedHours:
      case Kind::kElapsedMinutes:
      case Kind::kElapsedSeconds: {
        long long seconds = total / units_per_second;
        long long amount = token.kind == Kind::kElapsedHours     ? seconds / 3600
                           : token.kind == Kind::kElapsedMinutes ? seconds / 60
                                                                 : seconds;
        std::string digits = std::to_string(amount);
        if (static_cast<int>(digits.size()) < token.count) {
          digits.insert(0, token.count - digits.size(), '0');
        }
        text += digits;
        break;
      }
      default:
        break;
    }
  }
  return text;
}

}  // namespace

NumberFormat::NumberFormat(std::string_view code) : code_(code) {
  // An empty code is General, as the program reads it.
  for (std::string part : SplitSections(code.empty() ? "General" : code)) {
    // The system's long date and time formats stand in for whatever follows them; here those
    // are the en-US ones.
    if (part.find("[$-F800]") != std::string::npos) part = "dddd, mmmm d, yyyy";
    if (part.find("[$-F400]") != std::string::npos) part = "hh:mm:ss AM/PM";
    Section section = Lex(part);
    if (section.is_date && !section.has_general) {
      ResolveDateSection(section);
    } else {
      section.is_date = false;
      ResolveNumberSection(section);
      MarkPlain(section);
    }
    sections_.push_back(std::move(section));
  }
  if (sections_.size() > 4) sections_.resize(4);
  is_date_ = sections_.front().is_date;
}

const NumberFormat::Section* NumberFormat::PickSection(double value, bool* show_minus) const {
  // The fourth section is for text only.
  size_t count = std::min<size_t>(sections_.size(), 3);
  *show_minus = false;
  const Section& first = sections_[0];
  bool conditional = first.has_condition || (count > 1 && sections_[1].has_condition);
  if (!conditional) {
    if (count == 1 || value > 0 || (value == 0 && count == 2)) {
      *show_minus = value < 0;
      return &first;
    }
    if (value < 0) return &sections_[1];
    return &sections_[2];
  }
  // With conditions the value keeps its sign unless a section written for negative numbers
  // ([<0]) shows it.
  auto pick = [&](const Section& section) {
    bool negative_section =
        section.has_condition &&
        (section.condition_operator == "<" || section.condition_operator == "<=") &&
        section.condition_bound <= 0;
    *show_minus = value < 0 && !negative_section;
    return &section;
  };
  if (first.has_condition ? ConditionHolds(first, value) : value >= 0) return pick(first);
  if (count == 1) return pick(first);
  const Section& second = sections_[1];
  // A second section without a condition of its own takes the rest, without the sign.
  if (count == 2) return second.has_condition ? pick(second) : &second;
  if (second.has_condition ? ConditionHolds(second, value) : value < 0) {
    if (!second.has_condition) return &second;
    return pick(second);
  }
  const Section& third = sections_[2];
  return third.has_condition ? pick(third) : &third;
}

std::string NumberFormat::Format(double value, DateSystem system) const {
  if (std::isnan(value) || std::isinf(value)) return "#NUM!";
  bool minus = false;
  const Section* section = PickSection(value, &minus);
  if (section->tokens.empty()) return "";
  if (section->is_date) {
    bool calendar = false;
    bool elapsed = false;
    for (const Token& token : section->tokens) {
      calendar |=
          token.kind == Kind::kYear || token.kind == Kind::kMonth || token.kind == Kind::kDay;
      elapsed |= token.kind == Kind::kElapsedHours || token.kind == Kind::kElapsedMinutes ||
                 token.kind == Kind::kElapsedSeconds;
    }
    if (elapsed && !calendar) {
      // A negative duration shows with its sign: -1 in [h]:mm is -24:00.
      if (std::fabs(value) >= kLastDateSerial + 1) return FormatGeneral(value);
      std::string text = RenderDateSection(*section, std::fabs(value), system);
      return value < 0 ? "-" + text : text;
    }
    if (!calendar) {
      // A clock time shows the time of day of any number: -0.25 is 18:00.
      return RenderDateSection(*section, value - std::floor(value), system);
    }
    // Dates before the first day or after 9999 do not exist; the program would fill the cell
    // with #, which is no text to pass on.
    if (value < 0 || value >= kLastDateSerial + 1) return FormatGeneral(value);
    return RenderDateSection(*section, value, system);
  }
  if (section->has_text && !section->has_digits && !section->has_general) {
    // A text section has no say over numbers: they show in General.
    return FormatGeneral(value);
  }
  return RenderNumberSection(*section, value, minus);
}

std::string NumberFormat::FormatText(std::string_view text) const {
  if (text.empty()) return "";  // an empty text shows nothing, whatever surrounds it
  const Section* section = nullptr;
  if (sections_.size() >= 4) {
    section = &sections_[3];
  } else if (sections_.front().has_text) {
    section = &sections_.front();
  }
  if (section == nullptr) return std::string(text);
  std::string result;
  for (const Token& token : section->tokens) {
    if (token.kind == Kind::kText) {
      result += text;
    } else if (token.kind == Kind::kLiteral) {
      result += token.text;
    }
  }
  return result;
}

}  // namespace vintrel::host::workbook
