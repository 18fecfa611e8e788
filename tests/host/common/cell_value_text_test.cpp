#include <gtest/gtest.h>

#include "host/common/serial_dates.h"
#include "host/spreadsheet.h"

namespace vintrel::host {
namespace {

// The automation's conversion of cell values to text, which the workbook source falls back on.
TEST(CellValueTextTest, DatesBooleansAndNumbers) {
  auto text = [](CellValue::Kind kind, double number) {
    CellValue value;
    value.kind = kind;
    value.number = number;
    return value.ToText();
  };
  using Kind = CellValue::Kind;
  EXPECT_EQ(text(Kind::kDate, 46387), "12/31/2026");
  EXPECT_EQ(text(Kind::kDate, 46387 + 16.0 / 24 + 5.0 / 1440 + 9.0 / 86400),
            "12/31/2026 4:05:09 PM");
  EXPECT_EQ(text(Kind::kDate, 0.5), "12:00:00 PM");
  EXPECT_EQ(text(Kind::kDate, 0), "12:00:00 AM");
  EXPECT_EQ(text(Kind::kDate, 1), "12/31/1899");
  EXPECT_EQ(text(Kind::kDate, 61), "3/1/1900");
  EXPECT_EQ(text(Kind::kDate, 46387.9999999), "1/1/2027");
  EXPECT_EQ(text(Kind::kBoolean, 1), "True");
  EXPECT_EQ(text(Kind::kBoolean, 0), "False");
  EXPECT_EQ(text(Kind::kNumber, 1.0 / 3), "0.333333333333333");
  EXPECT_EQ(text(Kind::kNumber, -0.0), "0");
  EXPECT_EQ(text(Kind::kNumber, 1e20), "1E+20");
  EXPECT_EQ(text(Kind::kEmpty, 5), "");
}

TEST(DatePartsTest, SerialAndCalendarAgree) {
  for (long long serial : {1LL, 59LL, 60LL, 61LL, 366LL, 39045LL, 46387LL, 2958465LL}) {
    DateParts parts = DatePartsFromSerial(serial);
    EXPECT_EQ(SerialFromDate(parts.year, parts.month, parts.day), serial) << serial;
  }
}

}  // namespace
}  // namespace vintrel::host
