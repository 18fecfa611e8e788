#include "host/ascii.h"

#include <gtest/gtest.h>

namespace vintrel {
namespace {

TEST(AsciiTest, OnlyAsciiLettersChangeCase) {
  EXPECT_EQ(LowerAscii("Content_Types.XML"), "content_types.xml");
  EXPECT_EQ(UpperAscii("sheet1 \xC3\xA4\xC3\x84 [x]"), "SHEET1 \xC3\xA4\xC3\x84 [X]");
}

TEST(AsciiTest, ComparisonsWithoutCase) {
  struct Case {
    std::string_view text, part;
    bool equals, starts, ends;
  } cases[] = {
      {"Provider=SQLite", "provider=sqlite", true, true, true},
      {"data.SQLITE3", ".sqlite3", false, false, true},
      {"EXECUTE p", "exec", false, true, false},
      {"\xC3\x84rger", "\xC3\xA4rger", false, false, false},  // a letter beyond ASCII
      {"ab", "abc", false, false, false},
      {"", "", true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + std::string(c.part));
    EXPECT_EQ(EqualsNoCase(c.text, c.part), c.equals);
    EXPECT_EQ(StartsWithNoCase(c.text, c.part), c.starts);
    EXPECT_EQ(EndsWithNoCase(c.text, c.part), c.ends);
  }
  EXPECT_TRUE(StartsWithNoCase("h:mm AM/PM", 5, "am/pm"));
  EXPECT_FALSE(StartsWithNoCase("AM", 3, ""));  // past the end
}

}  // namespace
}  // namespace vintrel
