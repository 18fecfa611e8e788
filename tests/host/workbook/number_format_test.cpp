#include "host/workbook/number_format.h"

#include <gtest/gtest.h>

#include "host/workbook/builtin_formats.h"
#include "host/workbook/decimal_digits.h"

namespace vintrel::host::workbook {
namespace {

struct Case {
  const char* code;
  double value;
  const char* text;
};

const Case kCases[] = {
    // Numbers
    Case{"0", 2.5, "3"}, Case{"0", -2.5, "-3"}, Case{"0.00", 2.675, "2.68"},
    Case{"0.00", -0.001, "0.00"}, Case{"#.##", 5, "5"}, Case{"#.##", 0.5, ".5"}, Case{"#", 0, ""},
    Case{"?.??", 1.5, "1.5 "}, Case{"00000", 42, "00042"}, Case{"#,##0", 1234567, "1,234,567"},
    Case{"#,##0,", 1234567, "1,235"}, Case{"000-00-0000", 123456789, "123-45-6789"},
    Case{".00", 12.5, "12.50"}, Case{"0", 1e20, "100000000000000000000"},
    // Percentages, scientific notation and fractions
    Case{"0%", 0.256, "26%"}, Case{"0.00E+00", 12345, "1.23E+04"},
    Case{"0.00E+00", 0.000123, "1.23E-04"}, Case{"0.00E+00", 0, "0.00E+00"},
    Case{"0.00E-00", 12345, "1.23E04"}, Case{"0.00E+00", 9.999, "1.00E+01"},
    Case{"##0.0E+0", 12345, "12.3E+3"}, Case{"##0.0E+0", 0.00123, "1.2E-3"},
    Case{"# ?/?", 1.5, "1 1/2"}, Case{"# ?/?", 0.75, " 3/4"}, Case{"# ?/?", 5, "5    "},
    Case{"# ?\?/??", 3.14159, "3 14/99"}, Case{"?/?", 1.5, "3/2"},
    Case{"# ?\?/100", 3.14159, "3 14/100"}, Case{"# ?/2", 0.25, "0   "},
    Case{"# ?/10", 0.95, " 9/10"}, Case{"# ?/?", -0.05, "0    "}, Case{"0.00 ?/?", 2.5, "2.5"},
    Case{"# ?\?/??", 0.25, "  1/4 "},
    // Currencies and literals
    Case{"\"$\"#,##0.00", 1234.5, "$1,234.50"}, Case{"\"$\"#,##0.00", -1234.5, "-$1,234.50"},
    Case{"[$€-407] #,##0.00", 3.5, "€ 3.50"}, Case{"[$-409]0.0", 3.25, "3.3"},
    Case{"0.0\" kg\"", 3.25, "3.3 kg"}, Case{"\\(0\\)", 7, "(7)"}, Case{"_(0_)", 7, " 7 "},
    Case{"* #,##0", 1000, "1,000"}, Case{"$#,##0_);($#,##0)", -5, "($5)"},
    // Sections, colours and conditions
    Case{"0.00;[Red]-0.00", -3, "-3.00"}, Case{"0;-0;\"zero\"", 0, "zero"}, Case{"0;;", 0, ""},
    Case{"0.00;", -2, ""}, Case{"[Red]0.00", -1.5, "-1.50"}, Case{"[Color10]0", 2, "2"},
    Case{"[>=100]\"big\";[<0]\"neg\";0", 150, "big"},
    Case{"[>=100]\"big\";[<0]\"neg\";0", -1, "neg"}, Case{"[>=100]\"big\";[<0]\"neg\";0", 7, "7"},
    Case{"[<1]0.00;0", 12.4, "12"}, Case{"[>1000]#,##0,\"K\";0", -1234.5, "1235"},
    Case{"General;-General", -4.5, "-4.5"}, Case{"[=1]\"one\";[=2]\"two\";0", -7.25, "7"},
    Case{"[=1]\"one\";[=2]\"two\";0", 2, "two"}, Case{"[DBNum1][$-804]General", 12, "12"},
    // Dates
    Case{"m/d/yyyy", 46387, "12/31/2026"}, Case{"d-mmm-yy", 39045, "24-Nov-06"},
    Case{"mmmm d, yyyy", 39045, "November 24, 2006"}, Case{"mmmmm", 39045, "N"},
    Case{"dddd", 39045, "Friday"}, Case{"ddd d mmm", 39045, "Fri 24 Nov"},
    Case{"[$-F800]dddd\\,\\ mmmm\\ dd\\,\\ yyyy", 39045, "Friday, November 24, 2006"},
    Case{"m/d/yyyy", 60, "2/29/1900"}, Case{"m/d/yyyy", 61, "3/1/1900"},
    Case{"m/d/yyyy", 1, "1/1/1900"}, Case{"m/d/yyyy", 0, "1/0/1900"},
    Case{"m/d/yyyy", 2958465, "12/31/9999"}, Case{"m/d/yyyy", 2958466, "2958466"},
    Case{"yyyy-mm-dd hh:mm", 2958465.99999, "9999-12-31 23:59"},
    Case{"[$-F800]dddd\\,\\ mmmm\\ dd\\,\\ yyyy", 61, "Thursday, March 1, 1900"},
    Case{"m/d/yyyy", -1, "-1"}, Case{"[h]:mm", -1, "-24:00"}, Case{"h:mm", -0.25, "18:00"},
    Case{"hh", 5551234.5, "12"},
    // Times
    Case{"h:mm", 0.75, "18:00"}, Case{"h:mm AM/PM", 0.75, "6:00 PM"},
    Case{"h:mm AM/PM", 0, "12:00 AM"}, Case{"h:mm:ss AM/PM", 0.5, "12:00:00 PM"},
    Case{"hh:mm a/p", 0.25, "06:00 a"}, Case{"hh:mm A/P", 0.75, "06:00 p"},
    Case{"hh:mm:ss.0", 0.0006944, "00:00:59.9"}, Case{"[$-F400]h:mm AM/PM", 0.75, "06:00:00 PM"},
    Case{"h:mm:ss", 0.999999, "23:59:59"}, Case{"h:mm:ss", 0.45832, "10:59:58"},

    Case{"mm:ss", 0.0125, "18:00"}, Case{"[h]:mm:ss", 1.5, "36:00:00"},
    Case{"[mm]:ss", 0.05, "72:00"}, Case{"[ss]", 0.01, "864"},
    Case{"dd/mm/yyyy hh:mm", 39045.0625, "24/11/2006 01:30"},

    Case{"h\"时\"mm\"分\"ss\"秒\";@", 0.5, "12时00分00秒"}, Case{"mmss.0", 0.00347222, "0459.9"},
    Case{"yy-m-d h:m:s", 1234.5678, "03-5-18 13:37:37"},
    Case{"yyyy-mm-dd hh:mm", 46387.999999, "2027-01-01 00:00"},
    Case{"[h]:mm", (10 * 3600 + 59 * 60 + 59.6) / 86400, "11:00"},
    Case{"yyyy-mm-dd", 46387.999999, "2026-12-31"}};

TEST(NumberFormatTest, ShowsWhatTheSpreadsheetShows) {
  for (const Case& c : kCases) {
    EXPECT_EQ(NumberFormat(c.code).Format(c.value), c.text) << '"' << c.code << "\" " << c.value;
  }
}

TEST(NumberFormatTest, DateSystem1904CountsFromFirstOfJanuary1904) {
  NumberFormat format("yyyy-mm-dd");
  EXPECT_EQ(format.Format(0, DateSystem::k1904), "1904-01-01");
  EXPECT_EQ(format.Format(37623, DateSystem::k1904), "2007-01-03");
  // Durations do not depend on where the calendar starts.
  EXPECT_EQ(NumberFormat("[h]:mm").Format(1.5, DateSystem::k1904), "36:00");
  EXPECT_EQ(NumberFormat("yyyy-mm-dd hh:mm").Format(1462.5, DateSystem::k1904), "1908-01-02 12:00");
}

TEST(NumberFormatTest, KnowsWhichCodesAreDates) {
  const std::pair<const char*, bool> cases[] = {
      {"m/d/yyyy", true}, {"[h]:mm:ss", true},  {"h\"h\"", true}, {"0.00E+00", false},
      {"General", false}, {"\"days\"0", false}, {"@", false}};
  for (const auto& [code, date] : cases) EXPECT_EQ(NumberFormat(code).IsDate(), date) << code;
}

TEST(NumberFormatTest, TextUsesTheTextSectionOrStaysAsItIs) {
  const struct {
    const char* code;
    const char* text;
    const char* shown;
  } cases[] = {{"@", "abc", "abc"},
               {"\"Name: \"@", "Ann", "Name: Ann"},
               {"0;-0;0;\"<\"@\">\"", "x", "<x>"},
               {"0.00", "plain", "plain"},
               {";;;", "hidden", ""},
               {"\"Name: \"@", "", ""}};
  for (const auto& c : cases) EXPECT_EQ(NumberFormat(c.code).FormatText(c.text), c.shown) << c.code;
  EXPECT_EQ(NumberFormat("@").Format(1.5), "1.5");
  EXPECT_EQ(NumberFormat("\"Name: \"@").Format(12.5), "12.5");  // numbers ignore a text section
}

TEST(NumberFormatTest, BrokenAndExtremeCodesNeverFail) {
  const std::string many_decimals = "0." + std::string(40, '0');
  const char* literal[] = {"",        "\"",  "[",         "[>",    "\\",     "_",      "*",
                           "0.0.0",   "E+",  "/",         "0/",    "[h",     "yyyy[$", "?/?/?",
                           "0E+0E+0", "?/?", "[h]:mm:ss", "[<>]0", "[=abc]0"};
  std::vector<std::string> codes(std::begin(literal), std::end(literal));
  codes.insert(codes.end(), {"#,##0.00;;;;;", "# ????\?/?????", "0%%%%%%%%%%%%%%%%%%%%",
                             many_decimals, "0" + std::string(400, ',')});
  for (const std::string& code : codes) {
    NumberFormat format(code);
    for (double value : {-12.5, 0.0, 1e300, -1e-300, 2958466.0, 1e15, 4.5e18}) {
      EXPECT_LT(format.Format(value).size(), 1000u) << code << " " << value;
    }
    format.FormatText("t");
  }
  EXPECT_EQ(NumberFormat(many_decimals).Format(0.5), "0.5" + std::string(39, '0'));
  EXPECT_EQ(NumberFormat("").Format(1.0 / 3), "0.333333333");
}

TEST(NumberFormatTest, BuiltInCodes) {
  const std::pair<int, const char*> codes[] = {
      {0, "General"},    {14, "m/d/yyyy"}, {22, "m/d/yyyy h:mm"},
      {46, "[h]:mm:ss"}, {49, "@"},        {164, ""}};
  for (const auto& [id, code] : codes) EXPECT_EQ(BuiltInFormatCode(id), code) << id;
  EXPECT_EQ(NumberFormat(BuiltInFormatCode(44)).Format(1234.5), " $1,234.50 ");
  EXPECT_EQ(NumberFormat(BuiltInFormatCode(44)).Format(0), " $-   ");
  EXPECT_EQ(NumberFormat(BuiltInFormatCode(38)).Format(-1234), "(1,234)");
}

TEST(NumberFormatTest, GeneralFitsElevenCharacters) {
  using GeneralCase = std::pair<double, const char*>;
  for (const auto& [value, text] :
       {GeneralCase{0, "0"}, GeneralCase{0.1 + 0.2, "0.3"}, GeneralCase{1.0 / 3, "0.333333333"},
        GeneralCase{-1.0 / 3, "-0.33333333"}, GeneralCase{2.0 / 3, "0.666666667"},
        GeneralCase{123456.789012, "123456.789"}, GeneralCase{12345678901.2, "12345678901"},
        GeneralCase{123456789012, "1.23457E+11"}, GeneralCase{-123456789012, "-1.2346E+11"},
        GeneralCase{99999999999.6, "1E+11"}, GeneralCase{0.00001, "0.00001"},
        GeneralCase{0.000123456789, "0.000123457"}, GeneralCase{0.0000123456789, "1.23457E-05"},
        GeneralCase{1e100, "1E+100"}, GeneralCase{1.23456789e-100, "1.2346E-100"}}) {
    EXPECT_EQ(FormatGeneral(value), text) << value;
  }
}

}  // namespace
}  // namespace vintrel::host::workbook
