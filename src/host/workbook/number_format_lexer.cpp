// Reading a number format code: its sections, the tokens of each, and what the placeholders
// mean once the whole section is known (a date's minutes, a number's grouping and fractions).
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "host/common/ascii.h"
#include "host/workbook/number_format_steps.h"

namespace vintrel::host::workbook::format_steps {
namespace {

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

// The length of the UTF-8 character that starts at `at` (one byte for a stray one).
size_t CharacterLength(std::string_view code, size_t at) {
  size_t length = 1;
  while (at + length < code.size() && (code[at + length] & 0xC0) == 0x80) ++length;
  return length;
}

// Quoted text, escapes, spacing and fill characters, brackets: parts that show text or change
// the section without being placeholders. Moves `i` to the part's last character.
bool LexTextPart(Section& section, std::string_view code, size_t& i) {
  const char c = code[i];
  if (c == '"') {
    size_t end = code.find('"', i + 1);
    if (end == std::string_view::npos) end = code.size();
    AddLiteral(section, code.substr(i + 1, end - i - 1));
    i = end;
  } else if (c == '\\') {
    if (i + 1 < code.size()) {
      // Keep a UTF-8 character whole.
      const size_t length = CharacterLength(code, i + 1);
      AddLiteral(section, code.substr(i + 1, length));
      i += length;
    }
  } else if (c == '_' || c == '*') {
    // _x leaves room for the width of x: one space in text. *x repeats x to fill the column:
    // without a column width there is nothing to fill.
    if (i + 1 < code.size()) i += CharacterLength(code, i + 1);
    if (c == '_') AddLiteral(section, " ");
  } else if (c == '[') {
    size_t end = code.find(']', i + 1);
    if (end == std::string_view::npos) end = code.size();
    ParseBracket(section, code.substr(i + 1, end - i - 1));
    i = end;
  } else {
    return false;
  }
  return true;
}

// General, digit placeholders, point, comma, percent, exponent, fraction slash and @.
bool LexNumberPart(Section& section, std::string_view code, size_t& i) {
  const char c = code[i];
  if (StartsWithNoCase(code, i, "general")) {
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
  } else {
    return false;
  }
  return true;
}

// AM/PM markers and runs of date letters (y, m, d, h, s; e is the year).
bool LexDatePart(Section& section, std::string_view code, size_t& i) {
  const char lower = LowerAscii(code[i]);
  if (StartsWithNoCase(code, i, "am/pm") || StartsWithNoCase(code, i, "a/p")) {
    size_t length = StartsWithNoCase(code, i, "am/pm") ? 5 : 3;
    Token token;
    token.kind = Kind::kAmPm;
    token.text = std::string(code.substr(i, length));
    section.tokens.push_back(std::move(token));
    section.is_date = true;
    i += length - 1;
    return true;
  }
  if (lower != 'y' && lower != 'm' && lower != 'd' && lower != 'h' && lower != 's' &&
      lower != 'e') {
    return false;
  }
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
  return true;
}

Section Lex(std::string_view code) {
  Section section;
  for (size_t i = 0; i < code.size(); ++i) {
    if (LexTextPart(section, code, i) || LexNumberPart(section, code, i) ||
        LexDatePart(section, code, i)) {
      continue;
    }
    if (code[i] == 'B' && i + 1 < code.size() && (code[i + 1] == '1' || code[i + 1] == '2')) {
      ++i;  // calendar switch
    } else {
      const size_t length = CharacterLength(code, i);
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

}  // namespace

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

Section CompileSection(std::string_view code) {
  Section section = Lex(code);
  if (section.is_date && !section.has_general) {
    ResolveDateSection(section);
  } else {
    section.is_date = false;
    ResolveNumberSection(section);
    MarkPlain(section);
  }
  return section;
}

}  // namespace vintrel::host::workbook::format_steps
