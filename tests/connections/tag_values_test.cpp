#include "connections/tag_values.h"

#include <gtest/gtest.h>

namespace vintrel {
namespace {

using std::chrono::hours;
using std::chrono::local_days;
using std::chrono::minutes;
using namespace std::chrono_literals;

LocalDateTime At(int y, unsigned m, unsigned d, int h = 0, int min = 0) {
  return local_days{std::chrono::year{y} / m / d} + hours{h} + minutes{min};
}

RegionalFormat German() {
  return {",", ".", "%d.%m.%Y", "%H:%M:%S"};
}
RegionalFormat British() {
  return {".", ",", "%d/%m/%Y", "%H:%M:%S"};
}

TEST(TagFieldsTest, TrailingTabGivesAnEmptyLastFieldAndEmptyTextNoFields) {
  EXPECT_TRUE(SplitFields("").empty());
  EXPECT_EQ(SplitFields("\t\t"), (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(JoinFields({"a", "b"}, true), "a\tb\t");
  EXPECT_EQ(JoinFields({"a", "b"}, false), "a\tb");
}

TEST(TagBooleanTest, AcceptsWordsInAnyCaseAndDecimalNumbers) {
  EXPECT_EQ(FormatBoolean(true), "True");
  EXPECT_EQ(FormatBoolean(false), "False");
  EXPECT_EQ(ParseBoolean("TRUE"), true);
  EXPECT_EQ(ParseBoolean("false"), false);
  EXPECT_EQ(ParseBoolean("0"), false);
  EXPECT_EQ(ParseBoolean("-1"), true);
  EXPECT_EQ(ParseBoolean("2.5"), true);
  EXPECT_EQ(ParseBoolean("yes"), std::nullopt);
  EXPECT_EQ(ParseBoolean(""), std::nullopt);
}

TEST(TagNumberTest, WritesTheShortestInvariantForm) {
  EXPECT_EQ(FormatNumber(5000), "5000");
  EXPECT_EQ(FormatNumber(0.1), "0.1");
  EXPECT_EQ(ParseNumber(FormatNumber(1.0 / 3)), 1.0 / 3);
}

TEST(TagNumberTest, ReadsInvariantThenLocalThenUsFormsThenADecimalComma) {
  EXPECT_EQ(ParseNumber(" 1234.5 ", German()), 1234.5);
  EXPECT_EQ(ParseNumber("1e3", German()), 1000);
  EXPECT_EQ(ParseNumber("1.234,5", German()), 1234.5);
  EXPECT_EQ(ParseNumber("1,234.5", German()), 1234.5);  // written on a US machine
  EXPECT_EQ(ParseNumber("-1,000,000", UsRegionalFormat()), -1000000);
  // Written on a European machine, read on one with US or C settings.
  EXPECT_EQ(ParseNumber("1,5", UsRegionalFormat()), 1.5);
  EXPECT_EQ(ParseNumber("1.234,5", UsRegionalFormat()), 1234.5);
  EXPECT_EQ(ParseNumber("-1 234,5", UsRegionalFormat()), -1234.5);
  EXPECT_EQ(ParseNumber("1\xC2\xA0"
                        "234,5",
                        UsRegionalFormat()),
            1234.5);
  // Ambiguous: the US grouping wins.
  EXPECT_EQ(ParseNumber("2,500", UsRegionalFormat()), 2500);
}

TEST(TagNumberTest, RefusesWhatIsNoNumber) {
  for (const char* text : {"", " ", "abc", "nan", "inf", "12,34.5", "1.2.3", "--1", ",", "1,2,3"}) {
    EXPECT_EQ(ParseNumber(text, UsRegionalFormat()), std::nullopt) << text;
  }
}

TEST(TagNumberTest, WholeNumbersRoundHalfToEvenWithin32Bits) {
  EXPECT_EQ(ParseWholeNumber(" 03 "), 3);
  EXPECT_EQ(ParseWholeNumber("2.5"), 2);
  EXPECT_EQ(ParseWholeNumber("3.5"), 4);
  EXPECT_EQ(ParseWholeNumber("-7"), -7);
  EXPECT_EQ(ParseWholeNumber("2147483648"), std::nullopt);
  EXPECT_EQ(ParseWholeNumber("x"), std::nullopt);
}

TEST(TagDateTest, WritesIso8601AndReadsItBack) {
  const LocalDateTime value = At(2026, 12, 31, 16, 5) + 9s;
  EXPECT_EQ(FormatDateTime(value), "2026-12-31T16:05:09");
  EXPECT_EQ(ParseDateTime(FormatDateTime(value)), value);
  EXPECT_EQ(ParseDateTime("2026-12-31 16:05"), At(2026, 12, 31, 16, 5));
  EXPECT_EQ(ParseDateTime("2026-12-31"), At(2026, 12, 31));
}

TEST(TagDateTest, ReadsUsFormsAfterTheLocalOneAndDayFirstDatesLast) {
  EXPECT_EQ(ParseDateTime("12/31/2026 4:00:00 PM", German()), At(2026, 12, 31, 16));
  EXPECT_EQ(ParseDateTime("1/2/2026 12:30:00 AM", German()), At(2026, 1, 2, 0, 30));
  EXPECT_EQ(ParseDateTime("12/31/2026", German()), At(2026, 12, 31));
  // A time alone falls on the host's day zero.
  EXPECT_EQ(ParseDateTime("4:00:00 PM", German()), At(1899, 12, 30, 16));
  // The user's own form comes first; an ambiguous date is month-first unless that form is not.
  EXPECT_EQ(ParseDateTime("31.12.2026 16:00:00", German()), At(2026, 12, 31, 16));
  EXPECT_EQ(ParseDateTime("01/02/2026", British()), At(2026, 2, 1));
  EXPECT_EQ(ParseDateTime("01/02/2026", UsRegionalFormat()), At(2026, 1, 2));
  // Day-first dates that no other form reads.
  EXPECT_EQ(ParseDateTime("31.12.2026 16:00:00", UsRegionalFormat()), At(2026, 12, 31, 16));
  EXPECT_EQ(ParseDateTime("31/12/2026 16:30", UsRegionalFormat()), At(2026, 12, 31, 16, 30));
  EXPECT_EQ(ParseDateTime("13-01-2027", UsRegionalFormat()), At(2027, 1, 13));
  EXPECT_EQ(ParseDateTime("31.02.2026", UsRegionalFormat()), std::nullopt);
}

TEST(TagDateTest, RefusesImpossibleDates) {
  EXPECT_EQ(ParseDateTime("2/30/2026"), std::nullopt);
  EXPECT_EQ(ParseDateTime("2026-13-01"), std::nullopt);
  EXPECT_EQ(ParseDateTime(""), std::nullopt);
}

}  // namespace
}  // namespace vintrel
