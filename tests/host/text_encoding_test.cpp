#include "host/text_encoding.h"

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
      {"Caf\xE9", false, "Caf\xC3\xA9"},  // Windows-1252
      {"\x80 \x93x\x94", false, "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D"},
      {"a\xC3", false, "a\xC3\x83"},                        // a sequence cut short
      {"Caf\xE9 \xC3\xA9", false, "Caf\xC3\xA9 \xC3\xA9"},  // both in one text
      {"a\x01\x1F"
       "b\x0B"
       "c",
       false, "abc"},
      {"b\x0B"
       "c",
       true,
       "b\x0B"
       "c"},
      {"x\xEF\xBF\xBEy\xEF\xBF\xBF", false, "xy"},  // U+FFFE, U+FFFF
      {"x\xED\xA0\x80y", false, "xy"},              // a lone surrogate
      {std::string("a\0b", 3), false, "ab"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(XmlText(c.in, c.keep_vertical_tab), c.out) << ::testing::PrintToString(c.in);
  }
}

}  // namespace
}  // namespace vintrel::host
