#include "host/common/text_encoding.h"

#include <gtest/gtest.h>

namespace vintrel::host {
namespace {

TEST(XmlTextTest, WhatEntersAPart) {
  struct Case {
    std::string in;
    bool keep_vertical_tab;
    std::string out;
  } cases[] = {
      {"plain\ttext\r\n", false, "plain\ttext\r\n"},
      {"Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80", false,
       "Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"\x80 \x93x\x94", false, "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D"},  // Windows-1252
      {"a\xC3", false, "a\xC3\x83"},                                        // a sequence cut short
      {"Caf\xE9 \xC3\xA9", false, "Caf\xC3\xA9 \xC3\xA9"},                  // both in one text
      {"a\001\037b\vc", false, "abc"},  // control characters, the vertical tab too
      {"b\vc", true, "b\vc"},
      {"x\xEF\xBF\xBEy\xEF\xBF\xBF", false, "xy"},  // U+FFFE, U+FFFF
      {"x\xED\xA0\x80y", false, "xy"},              // a lone surrogate
      {std::string("a\0b", 3), false, "ab"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(XmlText(c.in, c.keep_vertical_tab), c.out) << ::testing::PrintToString(c.in);
  }
}

TEST(Utf16Test, BothWays) {
  const std::string text = "Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80";
  const std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide, u"Z\u00FCrich \u20AC \U0001F600") << "the emoji is a surrogate pair";
  EXPECT_EQ(Utf16ToUtf8(wide.data(), wide.size()), text);
  const char16_t lone[] = {u'a', 0xD800, u'b'};
  EXPECT_EQ(Utf16ToUtf8(lone, 3), "a\uFFFDb");
  EXPECT_EQ(Utf16BytesToUtf8(std::string("\x00\x41\xD8\x3D\xDE\x00\x42", 7), true),
            "A\xF0\x9F\x98\x80")
      << "big-endian; the odd last byte is dropped";
  EXPECT_EQ(Utf8ToUtf16("a\xC0\xAF\xE2\x82"), u"a\uFFFD\uFFFD\uFFFD\uFFFD")
      << "an overlong form and a cut sequence, byte by byte";
}

// Field names and sheet names match by this one rule; before, they disagreed beyond Latin-1.
TEST(FoldCaseTest, NamesThatMatch) {
  struct Case {
    std::string a, b;
    bool match;
  } cases[] = {
      {"Sales 2026", "SALES 2026", true},
      {"ÄRE Über", "äre über", true},
      {"ŁÓDŹ ČEŠKÁ", "łódź češká", true},  // field names used to keep these apart
      {"Ÿ", "ÿ", true},                    // likewise
      {"ΣΟΦΟΣ", "σοφος", true},            // final sigma: both used to keep these apart
      {"ИТОГО Ёж", "итого ёж", true},
      {"STRAẞE", "straße", true},              // capital sharp s: likewise
      {"STRASSE", "straße", false},            // no letter becomes two
      {"×", "÷", false},                       // no letters
      {"BAD \xFF\xC3", "bad \xFF\xC3", true},  // bytes that are not UTF-8 stay
      {"\xFF", "ÿ", false},
  };

  for (const Case& c : cases) {
    EXPECT_EQ(FoldCase(c.a) == FoldCase(c.b), c.match) << c.a << " / " << c.b;
  }
}

}  // namespace
}  // namespace vintrel::host
