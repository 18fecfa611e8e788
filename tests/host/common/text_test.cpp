#include "host/common/text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/common/ascii.h"
#include "host/common/cell_address.h"
#include "host/common/locale_forms.h"

namespace vintrel {
namespace {

using ::testing::ElementsAreArray;

TEST(TextTest, TrimTakesOnlyTheBlanksAsked) {
  const struct {
    std::string_view text, blanks, trimmed;
  } cases[] = {
      {" \t a b \r\n", kWhitespace, "a b"},
      {"\t x \t", kBlanks, "x"},
      {"\t x \t", kSpaces, "\t x \t"},
      {" x\r\n", kBlanks, "x\r\n"},
      {"   ", kWhitespace, ""},
      {"", kWhitespace, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Trim(c.text, c.blanks), c.trimmed) << c.text;
}

TEST(TextTest, SplitKeepsEveryPiece) {
  const struct {
    std::string_view text, separators;
    std::vector<std::string> pieces;
  } cases[] = {
      {"a\tb\t", "\t", {"a", "b", ""}},
      {"", "\t", {""}},
      {"\\\\server/share\\x", "\\/", {"", "", "server", "share", "x"}},
  };
  for (const auto& c : cases) {
    EXPECT_THAT(Split(c.text, c.separators), ElementsAreArray(c.pieces)) << c.text;
  }
  EXPECT_THAT(SplitLines("a\r\nb\rc\n\nd"), ElementsAreArray({"a", "b", "c", "", "d"}));
}

TEST(TextTest, NormalizePathResolvesDotsAndEmptyNames) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"ppt/slides/../media/./a.png", "ppt/media/a.png"},
      {"/a//b/", "a/b"},
      {"../../x", "x"},
      {"a/..", ""},
  };
  for (const auto& [path, normal] : cases) EXPECT_EQ(NormalizePath(path), normal) << path;
}

TEST(TextTest, ColumnNumbersRefuseWhatNamesNoColumn) {
  for (std::string_view letters : {"", "A1", "ABCD", "Ä", "$A"}) {
    EXPECT_EQ(ColumnNumber(letters), 0) << letters;
  }
  EXPECT_EQ(ColumnNumber("xfd"), 16384);
  EXPECT_EQ(ColumnLetters(0), "");
}

TEST(TextTest, TwoDigitYearsBecomeFourDigits) {
  EXPECT_EQ(WithFourDigitYear("%d.%m.%y %y"), "%d.%m.%Y %Y");
  EXPECT_EQ(WithFourDigitYear("%Y-%m-%d"), "%Y-%m-%d");
}

TEST(AsciiTest, OnlyAsciiLettersCompareWithoutCase) {
  struct Case {
    std::string_view text, part;
    bool equals, starts, ends;
  } cases[] = {
      {"Provider=SQLite", "provider=sqlite", true, true, true},
      {"data.SQLITE3", ".sqlite3", false, false, true},
      {"\xC3\x84rger", "\xC3\xA4rger", false, false, false},  // a letter beyond ASCII stays
      {"ab", "abc", false, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EqualsNoCase(c.text, c.part), c.equals) << c.text;
    EXPECT_EQ(StartsWithNoCase(c.text, c.part), c.starts) << c.text;
    EXPECT_EQ(EndsWithNoCase(c.text, c.part), c.ends) << c.text;
  }
  EXPECT_FALSE(StartsWithNoCase("AM", 3, ""));  // past the end
}

}  // namespace
}  // namespace vintrel
