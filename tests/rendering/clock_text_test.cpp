#include "rendering/clock_text.h"

#include <gtest/gtest.h>

#include <ctime>

#include "rendering/date_format.h"

namespace vintrel::rendering {
namespace {

// Saturday 5 December 2026, 16:04:07 local time.
std::tm Afternoon() {
  std::tm local{};
  local.tm_year = 126;
  local.tm_mon = 11;
  local.tm_mday = 5;
  local.tm_hour = 16;
  local.tm_min = 4;
  local.tm_sec = 7;
  local.tm_wday = 6;
  local.tm_yday = 338;
  return local;
}

RegionalForms Us() {
  RegionalForms forms;
  forms.us = true;
  forms.long_date = "%A, %B %-d, %Y";
  return forms;
}

TEST(DateFormatTest, NamedFormsInUnitedStatesForms) {
  const std::tm t = Afternoon();
  EXPECT_EQ(FormatDate(t, "General Date", Us()), "12/5/2026 4:04:07 PM");
  EXPECT_EQ(FormatDate(t, "Long Date", Us()), "Saturday, December 5, 2026");
  EXPECT_EQ(FormatDate(t, "Short Date", Us()), "12/5/2026");
  EXPECT_EQ(FormatDate(t, "Long Time", Us()), "4:04:07 PM");
  EXPECT_EQ(FormatDate(t, "Short Time", Us()), "16:04");
  EXPECT_EQ(FormatDate(t, "short time", Us()), "16:04");
}

TEST(DateFormatTest, GeneralDateDropsMidnightAndMissingDate) {
  std::tm midnight = Afternoon();
  midnight.tm_hour = midnight.tm_min = midnight.tm_sec = 0;
  EXPECT_EQ(FormatDate(midnight, "General Date", Us()), "12/5/2026");
  EXPECT_EQ(FormatDate(Afternoon(), "General Date", Us(), /*has_date=*/false), "4:04:07 PM");
  std::tm morning = Afternoon();
  morning.tm_hour = 0;
  EXPECT_EQ(FormatDate(morning, "Long Time", Us()), "12:04:07 AM");
}

TEST(DateFormatTest, PatternLetters) {
  const std::tm t = Afternoon();
  EXPECT_EQ(FormatDate(t, "dd/mm/yyyy hh:nn:ss", Us()), "05/12/2026 16:04:07");
  EXPECT_EQ(FormatDate(t, "d-m-yy h:n:s", Us()), "5-12-26 16:4:7");
  EXPECT_EQ(FormatDate(t, "hh:mm", Us()), "16:04");  // m after an hour is minutes
  EXPECT_EQ(FormatDate(t, "mm:ss", Us()), "04:07");  // and so before seconds
  EXPECT_EQ(FormatDate(t, "mmm d, yyyy", Us()), "Dec 5, 2026");
  EXPECT_EQ(FormatDate(t, "dddd mmmm", Us()), "Saturday December");
  EXPECT_EQ(FormatDate(t, "h:nn AM/PM", Us()), "4:04 PM");
  EXPECT_EQ(FormatDate(t, "\"Week\" ww, \\d\\a\\y w, q, y", Us()), "Week 49, day 7, 4, 339");
}

TEST(DateFormatTest, WeeksStartOnSundayAndTheFirstHoldsJanuaryFirst) {
  std::tm t{};
  t.tm_year = 126;  // 1 January 2026 is a Thursday
  t.tm_mday = 3;    // Saturday 3 January: still week 1
  t.tm_wday = 6;
  t.tm_yday = 2;
  EXPECT_EQ(FormatDate(t, "ww", Us()), "1");
  t.tm_mday = 4;  // Sunday 4 January starts week 2
  t.tm_wday = 0;
  t.tm_yday = 3;
  EXPECT_EQ(FormatDate(t, "ww", Us()), "2");
}

// What a clock shows under each display type is in the presentation's display type table.
TEST(ClockTextTest, TimeSpanWording) {
  EXPECT_EQ(FormatTimeSpan(0), "");
  EXPECT_EQ(FormatTimeSpan(59), "59 seconds ");
  EXPECT_EQ(FormatTimeSpan(60), "1 minute ");
  EXPECT_EQ(FormatTimeSpan(61), "1 minute 1 second ");
  EXPECT_EQ(FormatTimeSpan(3600), "1 hour ");
  EXPECT_EQ(FormatTimeSpan(3725), "1 hour 2 minutes 5 seconds ");
  EXPECT_EQ(FormatTimeSpan(86399), "23 hours 59 minutes 59 seconds ");
}

}  // namespace
}  // namespace vintrel::rendering
