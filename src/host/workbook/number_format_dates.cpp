// Showing a serial date or time through a date section: calendar parts, clock times, elapsed
// times and fractions of a second.
#include <algorithm>
#include <charconv>
#include <cmath>

#include "host/workbook/number_format_steps.h"

namespace vintrel::host::workbook::format_steps {
namespace {

const char* const kMonthNames[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};
const char* const kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

// Appends n (not negative) with at least `width` digits.
void AppendNumber(std::string& text, long long n, int width = 1) {
  char buffer[24];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, n);
  (void)ec;
  for (int pad = width - static_cast<int>(end - buffer); pad > 0; --pad) text.push_back('0');
  text.append(buffer, end);
}

// The moment a serial stands for, in the units the section shows.
struct Moment {
  long long units_per_second = 1;  // 10 per digit of fractions of a second shown
  long long total = 0;             // units since day 0 (elapsed times: since the serial's 0)
  DateParts date;
  int hour = 0, minute = 0, second = 0;
  long long sub = 0;  // units beyond the second
};

// Clock times are cut to the finest unit shown (10:59:59.6 shows as 10:59:59, so a day never
// ends at 24:00:00); elapsed times and fractions of seconds are rounded to it. Microseconds are
// rounded first so that a third of a day is 8:00:00. This is how Calc shows them.
Moment ReadMoment(const Section& section, double serial, DateSystem system) {
  Moment moment;
  for (int i = 0; i < section.subsecond_digits; ++i) moment.units_per_second *= 10;
  const long long units_per_second = moment.units_per_second;
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
  long long& total = moment.total;
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
  moment.sub = in_day % units_per_second;
  moment.hour = static_cast<int>(seconds_in_day / 3600);
  moment.minute = static_cast<int>(seconds_in_day / 60 % 60);
  moment.second = static_cast<int>(seconds_in_day % 60);
  moment.date = DatePartsFromSerial(day);
  return moment;
}

// m, mm, mmm (Jan), mmmmm (J), mmmm and longer (January).
void AppendMonth(std::string& text, int count, int month) {
  if (count == 1) {
    text += std::to_string(month);
  } else if (count == 2) {
    AppendNumber(text, month, 2);
  } else if (count == 3) {
    text += std::string(kMonthNames[month - 1]).substr(0, 3);
  } else if (count == 5) {
    text += kMonthNames[month - 1][0];
  } else {
    text += kMonthNames[month - 1];
  }
}

// d, dd, ddd (Mon), dddd and longer (Monday).
void AppendDay(std::string& text, int count, const DateParts& date) {
  if (count == 1) {
    text += std::to_string(date.day);
  } else if (count == 2) {
    AppendNumber(text, date.day, 2);
  } else if (count == 3) {
    text += std::string(kDayNames[date.weekday]).substr(0, 3);
  } else {
    text += kDayNames[date.weekday];
  }
}

// [h], [m] or [s]: the whole duration in that unit, padded to the letters written.
void AppendElapsed(std::string& text, const Token& token, const Moment& moment) {
  long long seconds = moment.total / moment.units_per_second;
  long long amount = token.kind == Kind::kElapsedHours     ? seconds / 3600
                     : token.kind == Kind::kElapsedMinutes ? seconds / 60
                                                           : seconds;
  std::string digits = std::to_string(amount);
  if (static_cast<int>(digits.size()) < token.count) {
    digits.insert(0, token.count - digits.size(), '0');
  }
  text += digits;
}

void AppendPart(std::string& text, const Token& token, const Section& section, const Moment& moment,
                bool twelve_hour) {
  switch (token.kind) {
    case Kind::kLiteral:
      text += token.text;
      break;
    case Kind::kYear:
      AppendNumber(text, token.count <= 2 ? moment.date.year % 100 : moment.date.year,
                   token.count <= 2 ? 2 : 1);
      break;
    case Kind::kMonth:
      AppendMonth(text, token.count, moment.date.month);
      break;
    case Kind::kDay:
      AppendDay(text, token.count, moment.date);
      break;
    case Kind::kHour: {
      int shown = moment.hour;
      if (twelve_hour) shown = moment.hour % 12 == 0 ? 12 : moment.hour % 12;
      AppendNumber(text, shown, token.count >= 2 ? 2 : 1);
      break;
    }
    case Kind::kMinute:
      AppendNumber(text, moment.minute, token.count >= 2 ? 2 : 1);
      break;
    case Kind::kSecond:
      AppendNumber(text, moment.second, token.count >= 2 ? 2 : 1);
      break;
    case Kind::kSubSecond: {
      std::string digits = std::to_string(moment.sub);
      digits.insert(0, section.subsecond_digits - digits.size(), '0');
      text += "." + digits.substr(0, token.count);
      break;
    }
    case Kind::kAmPm: {
      bool pm = moment.hour >= 12;
      if (token.text.size() == 5) {
        text += pm ? "PM" : "AM";
      } else {
        text += pm ? 'p' : 'a';  // A/P and a/p alike, as Calc shows them
      }
      break;
    }
    case Kind::kElapsedHours:
    case Kind::kElapsedMinutes:
    case Kind::kElapsedSeconds:
      AppendElapsed(text, token, moment);
      break;
    default:
      break;
  }
}

}  // namespace

std::string RenderDateSection(const Section& section, double serial, DateSystem system) {
  const Moment moment = ReadMoment(section, serial, system);
  bool twelve_hour = false;
  for (const Token& token : section.tokens) twelve_hour |= token.kind == Kind::kAmPm;
  std::string text;
  text.reserve(32);
  for (const Token& token : section.tokens) AppendPart(text, token, section, moment, twelve_hour);
  return text;
}

}  // namespace vintrel::host::workbook::format_steps
