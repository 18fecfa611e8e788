#include "host/common/text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vintrel
