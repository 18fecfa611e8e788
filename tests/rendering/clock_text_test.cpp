#include "rendering/clock_text.h"

#include <gtest/gtest.h>

#include <ctime>

#include "rendering/date_format.h"

namespace vintrel::rendering {
namespace {

// A local time of 2026 (months from 1), with its weekday and day of the year filled in.
std::tm In2026(int month, int day, int hour = 0, int minute = 0, int second = 0) {
  std::tm t{};
  t.tm_year = 126;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  timegm(&t);
  return t;
}

// Saturday 5 December 2026, 16:04:07.
const std::tm kAfternoon = In2026(12, 5, 16, 4, 7);

RegionalForms Us() {
  RegionalForms forms;
  forms.us = true;
  forms.long_date = "%A, %B %-d, %Y";
  return forms;
}

TEST(DateFormatTest, NamedFormsInUnitedStatesForms) {
  const std::tm t = kAfternoon;
  EXPECT_EQ(FormatDate(t, "General Date", Us()), "12/5/2026 4:04:07 PM");
  EXPECT_EQ(FormatDate(t, "Long Date", Us()), "Saturday, December 5, 2026");
  EXPECT_EQ(FormatDate(t, "Short Date", Us()), "12/5/2026");
  EXPECT_EQ(FormatDate(t, "Long Time", Us()), "4:04:07 PM");
  EXPECT_EQ(FormatDate(t, "Short Time", Us()), "16:04");
  EXPECT_EQ(FormatDate(t, "short time", Us()), "16:04");
  // A general date drops midnight and a missing date.
  EXPECT_EQ(FormatDate(In2026(12, 5), "General Date", Us()), "12/5/2026");
  EXPECT_EQ(FormatDate(kAfternoon, "General Date", Us(), /*has_date=*/false), "4:04:07 PM");
  EXPECT_EQ(FormatDate(In2026(12, 5, 0, 4, 7), "Long Time", Us()), "12:04:07 AM");
}

TEST(DateFormatTest, PatternLetters) {
  const std::tm t = kAfternoon;
  EXPECT_EQ(FormatDate(t, "dd/mm/yyyy hh:nn:ss", Us()), "05/12/2026 16:04:07");
  EXPECT_EQ(FormatDate(t, "d-m-yy h:n:s", Us()), "5-12-26 16:4:7");
  EXPECT_EQ(FormatDate(t, "hh:mm", Us()), "16:04");  // m after an hour is minutes
  EXPECT_EQ(FormatDate(t, "mm:ss", Us()), "04:07");  // and so before seconds
  EXPECT_EQ(FormatDate(t, "mmm d, yyyy", Us()), "Dec 5, 2026");
  EXPECT_EQ(FormatDate(t, "dddd mmmm", Us()), "Saturday December");
  EXPECT_EQ(FormatDate(t, "h:nn AM/PM", Us()), "4:04 PM");
  EXPECT_EQ(FormatDate(t, "\"Week\" ww, \\d\\a\\y w, q, y", Us()), "Week 49, day 7, 4, 339");
  // 1 January 2026 is a Thursday: Saturday 3 January is still in week 1, Sunday the 4th starts
  // week 2.
  EXPECT_EQ(FormatDate(In2026(1, 3), "ww", Us()), "1");
  EXPECT_EQ(FormatDate(In2026(1, 4), "ww", Us()), "2");
}

// What a clock shows under each display type is in the presentation's display type table.
TEST(ClockTextTest, TimeSpanWording) {
  EXPECT_EQ(FormatTimeSpan(0), "");
  EXPECT_EQ(FormatTimeSpan(59), "59 seconds ");
  EXPECT_EQ(FormatTimeSpan(60), "1 minute ");
  EXPECT_EQ(FormatTimeSpan(61), "1 minute 1 second ");
  EXPECT_EQ(FormatTimeSpan(3725), "1 hour 2 minutes 5 seconds ");
}

}  // namespace
}  // namespace vintrel::rendering
