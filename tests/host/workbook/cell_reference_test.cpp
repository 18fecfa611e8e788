#include "host/workbook/cell_reference.h"

#include <gtest/gtest.h>

namespace vintrel::host::workbook {
namespace {

TEST(ParseRangeTest, AcceptsTheFormsAuthorsTypeAndNothingElse) {
  using RangeCase = std::pair<const char*, CellRange>;
  for (const auto& [text, range] :
       {RangeCase{"A1:C10", {1, 1, 10, 3}}, RangeCase{"$A$1:$C$10", {1, 1, 10, 3}},
        RangeCase{"a1:c10", {1, 1, 10, 3}}, RangeCase{"B2", {2, 2, 2, 2}},
        RangeCase{"$B2:C$3", {2, 2, 3, 3}}, RangeCase{"C10:A1", {1, 1, 10, 3}},
        RangeCase{"C1:A10", {1, 1, 10, 3}}, RangeCase{" A1:B2 ", {1, 1, 2, 2}},
        RangeCase{"A:C", {1, 1, kMaxRows, 3}}, RangeCase{"2:4", {2, 1, 4, kMaxColumns}},
        RangeCase{"A1:XFD1048576", {1, 1, kMaxRows, kMaxColumns}}}) {
    EXPECT_EQ(ParseRange(text), range) << text;
  }
  for (const char* text :
       {"",          " ",   ":",    "A",    "1",        "A1:",   ":A1",      "ZZZ1:A", "A1:B",
        "A:1",       "A0",  "A01x", "XFE1", "A1048577", "AAAA1", "A1:B2:C3", "A1;B2",  "A1,B2",
        "Sheet1!A1", "A 1", "$$A1", "A$$1", "R1C1",     "1A",    "A-1",      "A1.5"}) {
    EXPECT_FALSE(ParseRange(text).has_value()) << text;
  }
}

TEST(ParseSheetRangeTest, ReadsWhatNamesReferTo) {
  std::optional<SheetRange> plain = ParseSheetRange("Data!$A$1:$C$10");
  ASSERT_TRUE(plain.has_value());
  EXPECT_EQ(plain->sheet, "Data");
  EXPECT_EQ(plain->range, (CellRange{1, 1, 10, 3}));
  std::optional<SheetRange> quoted = ParseSheetRange("='Bob''s data'!B2");
  ASSERT_TRUE(quoted.has_value());
  EXPECT_EQ(quoted->sheet, "Bob's data");
  EXPECT_EQ(ParseSheetRange("A1:B2")->sheet, "");
  for (const char* text :
       {"!A1", "Data!", "Data!A1,Data!B2", "OFFSET(Data!$A$1,0,0,2,2)", "#REF!", "Data!#REF!"}) {
    EXPECT_FALSE(ParseSheetRange(text).has_value()) << text;
  }
}

TEST(CellReferenceTest, SingleCellsAndColumnLettersRoundTrip) {
  int row = 0;
  int column = 0;
  ASSERT_TRUE(ParseCellReference("$AB$12", &row, &column));
  EXPECT_EQ(std::pair(row, column), std::pair(12, 28));
  EXPECT_FALSE(ParseCellReference("AB", &row, &column));
  EXPECT_FALSE(ParseCellReference("12", &row, &column));
  const std::pair<int, const char*> cases[] = {{1, "A"},     {26, "Z"},           {27, "AA"},
                                               {52, "AZ"},   {53, "BA"},          {702, "ZZ"},
                                               {703, "AAA"}, {kMaxColumns, "XFD"}};
  for (const auto& [number, letters] : cases) {
    EXPECT_EQ(ColumnLetters(number), letters);
    ASSERT_TRUE(ParseCellReference(std::string(letters) + "1", &row, &column)) << letters;
    EXPECT_EQ(column, number);
  }
}

}  // namespace
}  // namespace vintrel::host::workbook
