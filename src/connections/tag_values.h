// The text forms of values kept in tags: fields separated by one TAB, booleans, whole and
// fractional numbers, and dates. Writers use one invariant form so that a presentation reads
// back the same on every machine; readers also accept the US form and the form of the machine's
// own regional settings, because presentations written elsewhere carry those.
#ifndef VINTREL_CONNECTIONS_TAG_VALUES_H_
#define VINTREL_CONNECTIONS_TAG_VALUES_H_

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/common/number_text.h"

namespace vintrel {

inline constexpr char kFieldSeparator = '\t';

// Splits at every TAB. An empty text gives no fields at all, and a trailing TAB gives an empty
// last field, so a value "1<TAB>" has two fields: "1" and "".
std::vector<std::string> SplitFields(std::string_view text);
// Joins the fields with a TAB between them, and after the last one when `trailing_tab`.
std::string JoinFields(const std::vector<std::string>& fields, bool trailing_tab);

// "True" or "False".
std::string FormatBoolean(bool value);
// "True" and "False" in any letter case, or any number (non-zero is true).
std::optional<bool> ParseBoolean(std::string_view text);

// How a machine's regional settings write numbers and dates. `date_format` and `time_format`
// use the directives of strptime (%d %m %Y %y %H %I %M %S %p ...).
struct RegionalFormat {
  std::string decimal_point = ".";
  std::string thousands_separator = ",";  // may be empty: no grouping
  std::string date_format = "%m/%d/%Y";
  std::string time_format = "%I:%M:%S %p";
};

// The US form: "1,234.5" and "12/31/2026 4:00:00 PM".
RegionalFormat UsRegionalFormat();
// The form of the user's locale (LANG, LC_NUMERIC, LC_TIME); the C locale when none is set or
// the one set is not installed.
RegionalFormat CurrentRegionalFormat();

// Plain decimal: "2", "-1".
std::string FormatWholeNumber(long value);

// Reads, after trimming blanks, the invariant form ("1234.5", "1e3"), then the `local` form
// (its decimal point, its thousands separator between groups of three), then the US form, then a
// decimal comma with ".", " " or no-break-space groups ("2500,5", "1.234,5") as European
// machines write it.
std::optional<double> ParseNumber(std::string_view text, const RegionalFormat& local);
// As above with the current regional settings.
std::optional<double> ParseNumber(std::string_view text);
// A number rounded to a whole one as the host's conversions do (half to even: "2.5" gives 2),
// within 32-bit range.
std::optional<long> ParseWholeNumber(std::string_view text, const RegionalFormat& local);
std::optional<long> ParseWholeNumber(std::string_view text);

// Date and time on the local calendar, with no time zone, as the tags hold them.
using LocalDateTime = std::chrono::local_seconds;

// ISO 8601 without zone: "2026-12-31T16:00:00".
std::string FormatDateTime(LocalDateTime value);
// Reads ISO 8601 ("2026-12-31T16:00:00", "2026-12-31 16:00", "2026-12-31"), then the `local`
// form (date, date and time), then the US form ("12/31/2026 4:00:00 PM", "12/31/2026 16:00:00",
// "12/31/2026"), then day-first forms ("31.12.2026 16:00:00", "31/12/2026 16:00"). A time
// alone ("4:00:00 PM") falls on 30 December 1899, the host's day zero.
std::optional<LocalDateTime> ParseDateTime(std::string_view text, const RegionalFormat& local);
std::optional<LocalDateTime> ParseDateTime(std::string_view text);

}  // namespace vintrel

#endif  // VINTREL_CONNECTIONS_TAG_VALUES_H_
