#include "host/common/serial_dates.h"

namespace vintrel::host {

DateParts DatePartsFromDays(long long days) {
  DateParts parts;
  parts.weekday = static_cast<int>(((days + 6) % 7 + 7) % 7);
  // Civil date from days since 1970-01-01 (proleptic Gregorian).
  long long z = days - 25569 + 719468;
  long long era = (z >= 0 ? z : z - 146096) / 146097;
  long long doe = z - era * 146097;
  long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long y = yoe + era * 400;
  long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long long mp = (5 * doy + 2) / 153;
  long long d = doy - (153 * mp + 2) / 5 + 1;
  long long m = mp < 10 ? mp + 3 : mp - 9;
  parts.year = static_cast<int>(y + (m <= 2 ? 1 : 0));
  parts.month = static_cast<int>(m);
  parts.day = static_cast<int>(d);
  return parts;
}

DateParts DatePartsFromSerial(long long serial) {
  // The program counts a 29 February 1900 that never was: serial 60. Serials before it are one
  // day off the real calendar, and 0 shows as 0 January 1900. Its weekdays count from serial 1
  // as a Sunday, so they too are off before 1 March 1900.
  DateParts parts;
  if (serial == 60) {
    parts.month = 2;
    parts.day = 29;
  } else if (serial != 0) {
    parts = DatePartsFromDays(serial < 60 ? serial + 1 : serial);
  }
  parts.weekday = static_cast<int>(((serial + 6) % 7 + 7) % 7);
  return parts;
}

long long SerialFromDate(int year, int month, int day) {
  if (year == 1900 && month == 2 && day == 29) return 60;
  long long y = year - (month <= 2 ? 1 : 0);
  long long era = (y >= 0 ? y : y - 399) / 400;
  long long yoe = y - era * 400;
  long long mp = month > 2 ? month - 3 : month + 9;
  long long doy = (153 * mp + 2) / 5 + day - 1;
  long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  long long days = era * 146097 + doe - 719468 + 25569;  // since 1899-12-30
  return days < 61 ? days - 1 : days;
}

}  // namespace vintrel::host
