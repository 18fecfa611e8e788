// Number format codes as the spreadsheet program applies them: a compiled code turns a cell's
// number or text into the text the program displays in a cell of standard width.
#ifndef VINTREL_HOST_WORKBOOK_NUMBER_FORMAT_H_
#define VINTREL_HOST_WORKBOOK_NUMBER_FORMAT_H_

#include <string>
#include <string_view>
#include <vector>

#include "host/common/serial_dates.h"

namespace vintrel::host::workbook {

class NumberFormat {
 public:
  // Compiles `code`. Every text compiles: parts the engine does not know are shown as literals,
  // as the program would show a code it cannot interpret.
  explicit NumberFormat(std::string_view code);

  const std::string& code() const { return code_; }
  // True when the code shows numbers as dates or times (its first section has date parts).
  bool IsDate() const { return is_date_; }

  std::string Format(double value, DateSystem system = DateSystem::k1900) const;
  std::string FormatText(std::string_view text) const;

  // The compiled pieces of a code; public only so the implementation's helpers can see them.
  struct Token {
    enum class Kind {
      kLiteral,
      kDigit,
      kPoint,
      kComma,
      kExponent,
      kSlash,
      kText,
      kGeneral,
      kYear,
      kMonth,
      kMonthName,
      kDay,
      kHour,
      kMinute,
      kSecond,
      kSubSecond,
      kAmPm,
      kElapsedHours,
      kElapsedMinutes,
      kElapsedSeconds,
    };
    Kind kind = Kind::kLiteral;
    std::string text;  // kLiteral: the text; kAmPm: the marker as written ("AM/PM", "a/p")
    char digit = 0;    // kDigit: '0', '#' or '?'
    int count = 0;     // repeated letters (yyyy = 4), sub-second digits, exponent sign shown
  };
  struct Section {
    std::vector<Token> tokens;
    bool has_condition = false;
    std::string condition_operator;
    double condition_bound = 0;
    bool is_date = false;
    bool has_text = false;     // holds @
    bool has_general = false;  // holds General
    bool has_digits = false;
    bool grouping = false;  // thousands separators between integer digits
    int scale = 0;          // power of ten applied: +2 per %, -3 per trailing comma
    bool has_exponent = false;
    bool is_fraction = false;
    bool round_to_subsecond = false;
    int subsecond_digits = 0;
    // A plain code, text around integer placeholders (#, then 0) and maybe a point with zeros
    // after it ("#,##0.00", "0.0%"), is shown by a shorter way to the same text.
    bool plain = false;
    int plain_zeros = 0;   // 0 placeholders before the point
    int plain_places = 0;  // 0 placeholders after it
    std::string plain_prefix;
    std::string plain_suffix;
  };

 private:
  const Section* PickSection(double value, bool* show_minus) const;

  std::string code_;
  std::vector<Section> sections_;
  bool is_date_ = false;
};

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_NUMBER_FORMAT_H_
