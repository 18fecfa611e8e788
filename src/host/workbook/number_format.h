// Number format codes as the spreadsheet program applies them: a compiled code turns a cell's
// number or text into the text the program displays in a cell of standard width.
#ifndef VINTREL_HOST_WORKBOOK_NUMBER_FORMAT_H_
#define VINTREL_HOST_WORKBOOK_NUMBER_FORMAT_H_

#include <string>
#include <string_view>
#include <vector>

namespace vintrel::host::workbook {

// Which day serial number 0 stands for: 1900 (with the program's phantom 29 February 1900) or
// 1904 (old Macintosh workbooks).
enum class DateSystem { k1900, k1904 };

// The format code of a built-in number format id as the program shows it for en-US; empty text
// for ids that have no fixed code.
std::string BuiltInFormatCode(int id);

// A number in the General format of a standard-width column: at most 11 characters, switching to
// scientific form when the decimal form would hide too much of the number.
std::string FormatGeneral(double value);

// Calendar parts of a day serial number (the 1900 system after conversion).
struct DateParts {
  int year = 1900;
  int month = 1;
  int day = 0;
  int weekday = 0;  // 0 = Sunday
};
DateParts DatePartsFromSerial(long long serial);
// The serial number of a calendar date in the 1900 system; the inverse of DatePartsFromSerial.
long long SerialFromDate(int year, int month, int day);

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
      kPercent,
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
  };

 private:
  const Section* PickSection(double value, bool* show_minus) const;

  std::string code_;
  std::vector<Section> sections_;
  bool is_date_ = false;
};

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_NUMBER_FORMAT_H_
