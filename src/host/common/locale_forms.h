// How the machine's regional settings write numbers, dates and times, as the C library's locale
// data describes them.
#ifndef VINTREL_HOST_COMMON_LOCALE_FORMS_H_
#define VINTREL_HOST_COMMON_LOCALE_FORMS_H_

#include <string>

namespace vintrel {

// Dates and times in the directives of strftime and strptime (%d %m %Y %H %M %S %p ...).
struct LocaleForms {
  std::string decimal_point = ".";
  std::string thousands_separator;  // empty: no grouping
  std::string date_format = "%m/%d/%y";
  std::string time_format = "%H:%M:%S";
};

// The forms of the locale named `name` ("" is the user's, from LANG and LC_*), or of the
// process's current locale when `name` is null; the C locale's when that one is not installed.
LocaleForms ReadLocaleForms(const char* name = nullptr);

// `format` with every two-digit year (%y) made a four-digit one (%Y): a date shown on a board
// that runs for years, or read in a log next year, should not be ambiguous.
std::string WithFourDigitYear(std::string format);

}  // namespace vintrel

#endif  // VINTREL_HOST_COMMON_LOCALE_FORMS_H_
