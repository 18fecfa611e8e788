#include "host/data/value_text.h"

#include <gtest/gtest.h>

namespace vintrel::host::data {
namespace {

// Floating-point numbers are covered through every source in number_text_test.cpp.
TEST(ValueTextTest, DecimalsDatesAndBinaryInInvariantForm) {
  const std::pair<const char*, const char*> decimals[] = {
      {"2.500", "2.5"}, {"3.000", "3"},   {"-.50", "-0.5"},
      {"-0.00", "0"},   {"1200", "1200"}, {" 12. ", "12"}};  // zeros before the point stay
  for (const auto& [text, shown] : decimals) EXPECT_EQ(DecimalText(text), shown) << text;
  EXPECT_EQ(DateText(2026, 12, 31), "2026-12-31");
  EXPECT_EQ(TimeText(16, 0, 5), "16:00:05");
  EXPECT_EQ(DateTimeText(2026, 1, 2, 3, 4, 5), "2026-01-02 03:04:05");
  EXPECT_EQ(DateTimeText(2026, 1, 2, 3, 4, 5, 250000000), "2026-01-02 03:04:05.25");
  const unsigned char bytes[] = {0x00, 0xAB, 0x10};
  EXPECT_EQ(BinaryText(bytes, 3, 10), "0x00AB10");
  EXPECT_EQ(BinaryText(bytes, 3, 2), "0x00AB") << "cut to the limit";
}

}  // namespace
}  // namespace vintrel::host::data
