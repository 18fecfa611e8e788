#include "host/common/ascii.h"

#include <gtest/gtest.h>

namespace vintrel {
namespace {

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
