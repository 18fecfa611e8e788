// Day serial numbers, the spreadsheet program's way of storing dates and times: whole days since
// its epoch plus the fraction of the day.
#ifndef VINTREL_HOST_COMMON_SERIAL_DATES_H_
#define VINTREL_HOST_COMMON_SERIAL_DATES_H_

namespace vintrel::host {

// Which day serial number 0 stands for: 1900 (with the program's phantom 29 February 1900) or
// 1904 (old Macintosh workbooks).
enum class DateSystem { k1900, k1904 };

// Days between 1 January 1904 and the 1900 system's day 0.
inline constexpr double k1904Offset = 1462.0;
// The last serial that is a date: 31 December 9999.
inline constexpr double kLastDateSerial = 2958465.0;

// Calendar parts of a day serial number (the 1900 system after conversion).
struct DateParts {
  int year = 1900;
  int month = 1;
  int day = 0;
  int weekday = 0;  // 0 = Sunday
};
DateParts DatePartsFromSerial(long long serial);
// The calendar date `days` after 30 December 1899 on the real calendar, with no phantom day: how
// the automation converts dates to text (day 1 is 31 December 1899, day 61 is 1 March 1900).
DateParts DatePartsFromDays(long long days);
// The serial number of a calendar date in the 1900 system; the inverse of DatePartsFromSerial.
long long SerialFromDate(int year, int month, int day);

}  // namespace vintrel::host

#endif  // VINTREL_HOST_COMMON_SERIAL_DATES_H_
