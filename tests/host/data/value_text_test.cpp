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

}  // namespace
}  // namespace vintrel::host::data
