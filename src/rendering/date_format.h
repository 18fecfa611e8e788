// Dates and times as the user reads them: the five named forms a clock offers ("General Date",
// "Long Date", "Short Date", "Long Time", "Short Time") and date patterns built from the letters
// d, m, y, h, n, s and friends. Named forms follow the user's regional settings (LC_TIME); the
// C and POSIX locales give the United States forms. Weeks start on Sunday, and the week holding
// 1 January is the first week of the year.
#ifndef VINTREL_RENDERING_DATE_FORMAT_H_
#define VINTREL_RENDERING_DATE_FORMAT_H_

#include <chrono>
#include <ctime>
#include <string>

namespace vintrel::rendering {

// The regional forms in strftime notation.
struct RegionalForms {
  std::string short_date;  // "%m/%d/%Y" style; month and day without leading zeros in the US
  std::string long_date;
  std::string long_time;
  bool us = true;  // the United States forms (M/d/yyyy, h:mm:ss AM/PM)
};

// The forms of the current LC_TIME locale.
RegionalForms CurrentRegionalForms();

// Formats a broken-down local time with a named form or a pattern. `has_date` false means a time
// of day only (General Date then shows the time alone).
std::string FormatDate(const std::tm& local, const std::string& format, const RegionalForms& forms,
                       bool has_date = true);

// Formats a point in time, in local time, with the current regional forms.
std::string FormatDate(std::chrono::system_clock::time_point time, const std::string& format);

}  // namespace vintrel::rendering

#endif  // VINTREL_RENDERING_DATE_FORMAT_H_
