#include "support/failure_handling.h"

#include <gtest/gtest.h>

#include "support/logs.h"
#include "testing/test_context.h"

namespace vintrel {
namespace {

class FailureHandlingTest : public ::testing::Test {
 protected:
  // The error log's entries without their time stamps.
  std::string ErrorLogText() {
    std::string text = testing::ReadFile(ErrorLogPath(twins_.ctx));
    const size_t stamp_end = text.find(' ', text.find('.'));
    return stamp_end == std::string::npos ? text : text.substr(stamp_end + 1);
  }

  testing::TestContext twins_;
  host::memory::ScriptedFrontEnd& front_end_ = twins_.front_end;
};

TEST_F(FailureHandlingTest, OwnFailureIsShownWithItsDescriptionAlone) {
  const Error own = MakeError(ErrorCode::kOpeningFile, "clsConnection", {"Sales", "gone"});
  ReportFailure(twins_.ctx, own, ErrorCode::kOpeningPresentation);
  ASSERT_EQ(front_end_.message_boxes().size(), 1u);
  EXPECT_EQ(front_end_.message_boxes()[0].text, "Error while opening file Sales. \r\ngone");
  EXPECT_EQ(front_end_.message_boxes()[0].icon, host::msg_box::kExclamation);
  EXPECT_EQ(front_end_.message_boxes()[0].title, "Quendra Vintrel 2002");
  EXPECT_EQ(twins_.ctx.module.last_error_number, own.number());
  EXPECT_EQ(twins_.ctx.module.last_error_source, "clsConnection");
}

TEST_F(FailureHandlingTest, ForeignFailureIsWrappedInTheOperationsMessageAndAnsweredBack) {
  front_end_.QueueAnswer(host::msg_box::kCancel);
  EXPECT_EQ(
      ReportFailure(twins_.ctx, Error(kErrSubscriptOutOfRange, "Slides", "Subscript out of range"),
                    ErrorCode::kOpeningPresentation, host::msg_box::kOkCancel),
      host::msg_box::kCancel);
  ASSERT_EQ(front_end_.message_boxes().size(), 1u);
  EXPECT_EQ(front_end_.message_boxes()[0].text,
            "Error while opening presentation. \r\nSubscript out of range");
  EXPECT_EQ(front_end_.message_boxes()[0].buttons, host::msg_box::kOkCancel);
}

TEST_F(FailureHandlingTest, DuringAShowFailuresGoToTheErrorLogWithNumberAndSource) {
  twins_.ctx.module.in_slide_show = true;
  ReportFailure(twins_.ctx, Error(kErrSubscriptOutOfRange, "Slides", "Subscript out of range"),
                ErrorCode::kRefreshingValues);
  EXPECT_TRUE(front_end_.message_boxes().empty());
  // A foreign failure is logged under the operation's own number.
  EXPECT_EQ(ErrorLogText(),
            "Error while refreshing values. \r\nSubscript out of range (-2147221488-Slides)\r\n");
}

TEST_F(FailureHandlingTest, HandlerFailuresAreLoggedAsTheyCame) {
  LogFailure(twins_.ctx,
             MakeError(ErrorCode::kOpeningPresentation, "clsPresentation", {"bad tag"}));
  EXPECT_EQ(ErrorLogText(),
            "Error while opening presentation. \r\nbad tag (-2147221490-clsPresentation)\r\n");
}

TEST_F(FailureHandlingTest, SkipFailureSwallowsAnythingThrownAndReportsIt) {
  int ran = 0;
  EXPECT_TRUE(SkipFailure([&] { ++ran; }));
  EXPECT_FALSE(SkipFailure([&] { throw Error(5, "x", "y"); }));
  EXPECT_FALSE(SkipFailure([&] { throw std::out_of_range("z"); }));
  EXPECT_FALSE(SkipFailure([&] { throw 42; }));
  EXPECT_EQ(ran, 1);
}

TEST_F(FailureHandlingTest, CurrentFailureTurnsAnyExceptionIntoAnError) {
  try {
    throw std::invalid_argument("bad column");
  } catch (...) {
    const Error failure = CurrentFailure();
    EXPECT_EQ(failure.number(), kErrUnspecified);
    EXPECT_EQ(failure.description(), "bad column");
  }
  try {
    throw Error(70, "FileSystem", "Permission denied");
  } catch (...) {
    const Error failure = CurrentFailure();
    EXPECT_EQ(failure.number(), 70);
    EXPECT_EQ(failure.source(), "FileSystem");
  }
}

}  // namespace
}  // namespace vintrel
