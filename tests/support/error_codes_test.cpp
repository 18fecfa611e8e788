#include "support/error_codes.h"

#include <gtest/gtest.h>

#include "testing/error_of.h"

namespace vintrel {
namespace {

TEST(ErrorCodesTest, OwnRangeIsBaseToBasePlus9999Inclusive) {
  EXPECT_TRUE(IsOwnError(kObjectErrorBase));
  EXPECT_TRUE(IsOwnError(kObjectErrorBase + 9999));
  EXPECT_FALSE(IsOwnError(kObjectErrorBase - 1));
  EXPECT_FALSE(IsOwnError(kObjectErrorBase + 10000));
}

// The other messages are checked where they are raised (a connection's, a shape's, a
// failure's report).
TEST(ErrorCodesTest, MessagesAreCompletedAfterALineBreakAndPlaceholdersReplacedInTurn) {
  EXPECT_EQ(CompleteMessage(ErrorCode::kSettingClock, {"bad format"}),
            "Error setting clock.\r\nbad format");
  EXPECT_EQ(FillPlaceholders("%1 and %1, then %2", {"a", "b"}), "a and a, then b");
  // Plain text replacement in order: a first value holding "%2" is itself completed next.
  EXPECT_EQ(FillPlaceholders("%1 / %2", {"x%2", "y"}), "xy / y");
  // Missing values leave their placeholders.
  EXPECT_EQ(FillPlaceholders("%1 %2 %3", {"only"}), "only %2 %3");
}

TEST(ErrorCodesTest, RaiseErrorCarriesNumberSourceAndCompletedText) {
  const Error error = testing::ErrorOf([] {
    RaiseError(ErrorCode::kRequeryingDatabase, "clsConnection", {"Orders", "server gone"});
  });
  EXPECT_EQ(error.number(), kObjectErrorBase + 8);
  EXPECT_EQ(error.source(), "clsConnection");
  EXPECT_EQ(error.description(), "Error requerying database Orders. \r\nserver gone");
}

}  // namespace
}  // namespace vintrel
