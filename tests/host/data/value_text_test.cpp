#include "host/data/value_text.h"

#include <gtest/gtest.h>

namespace vintrel::host::data {
namespace {

// Floating-point numbers are covered through every source in number_text_test.cpp.
TEST(ValueTextTest, DecimalsWithoutTrailingZeros) {
  EXPECT_EQ(DecimalText("2.500"), "2.5");
  EXPECT_EQ(DecimalText("3.000"), "3");
  EXPECT_EQ(DecimalText("-.50"), "-0.5");
  EXPECT_EQ(DecimalText("-0.00"), "0");
  EXPECT_EQ(DecimalText("1200"), "1200") << "zeros before the point stay";
  EXPECT_EQ(DecimalText(" 12. "), "12");
}

TEST(ValueTextTest, DatesAndTimesInInvariantForm) {
  EXPECT_EQ(DateText(2026, 12, 31), "2026-12-31");
  EXPECT_EQ(TimeText(16, 0, 5), "16:00:05");
  EXPECT_EQ(DateTimeText(2026, 1, 2, 3, 4, 5), "2026-01-02 03:04:05");
  EXPECT_EQ(DateTimeText(2026, 1, 2, 3, 4, 5, 250000000), "2026-01-02 03:04:05.25");
}

TEST(ValueTextTest, BinaryAsHexCutToLimit) {
  const unsigned char bytes[] = {0x00, 0xAB, 0x10};
  EXPECT_EQ(BinaryText(bytes, 3, 10), "0x00AB10");
  EXPECT_EQ(BinaryText(bytes, 3, 2), "0x00AB");
}

TEST(ValueTextTest, Utf16RoundTrip) {
  std::string text = "Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80";
  std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide.size(), 11u) << "the emoji is a surrogate pair";
  EXPECT_EQ(Utf16ToUtf8(wide.data(), wide.size()), text);
  const char16_t lone[] = {u'a', 0xD800, u'b'};
  EXPECT_EQ(Utf16ToUtf8(lone, 3),
            "a\xEF\xBF\xBD"
            "b");
}

}  // namespace
}  // namespace vintrel::host::data
