#include "support/failure_handling.h"

#include <gtest/gtest.h>

#include "host/clock.h"
#include "host/memory/scripted_front_end.h"
#include "support/logs.h"
#include "support/context.h"
#include "testing/temp_dir.h"

namespace vintrel {
namespace {

class FailureHandlingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModuleState();
    Services().front_end = &front_end_;
    Services().clock = &clock_;
    Services().addin_folder = folder_.path();
  }
  void TearDown() override { ResetModuleState(); }

  // The error log's entries without their time stamps.
  std::string ErrorLogText() {
    std::string text = testing::ReadFile(ErrorLogPath());
    const size_t stamp_end = text.find(' ', text.find('.'));
    return stamp_end == std::string::npos ? text : text.substr(stamp_end + 1);
  }

  testing::TempDir folder_;
  host::memory::ScriptedFrontEnd front_end_;
  host::FakeClock clock_;
};

TEST_F(FailureHandlingTest, OwnFailureIsShownWithItsDescriptionAlone) {
  const Error own = MakeError(ErrorCode::kOpeningFile, "clsConnection", {"Sales", "gone"});
  ReportFailure(own, ErrorCode::kOpeningPresentation);
  ASSERT_EQ(front_end_.message_boxes().size(), 1u);
  EXPECT_EQ(front_end_.message_boxes()[0].text, "Error while opening file Sales. \r\ngone");
  EXPECT_EQ(front_end_.message_boxes()[0].icon, host::msg_box::kExclamation);
  EXPECT_EQ(front_end_.message_boxes()[0].title, "Quendra Vintrel 2002");
  EXPECT_EQ(Module().last_error_number, own.number());
  EXPECT_EQ(Module().last_error_source, "clsConnection");
}

TEST_F(FailureHandlingTest, ForeignFailureIsWrappedInTheOperationsMessage) {
  ReportFailure(Error(kErrSubscriptOutOfRange, "Slides", "Subscript out of range"),
                ErrorCode::kOpeningPresentation);
  ASSERT_EQ(front_end_.message_boxes().size(), 1u);
  EXPECT_EQ(front_end_.message_boxes()[0].text,
            "Error while opening presentation. \r\nSubscript out of range");
}

TEST_F(FailureHandlingTest, OkCancelAnswersComeBackToTheCaller) {
  front_end_.QueueAnswer(host::msg_box::kCancel);
  EXPECT_EQ(ReportFailure(Error(kErrUnspecified, "Shape", "boom"), ErrorCode::kFillingValues,
                          host::msg_box::kOkCancel),
            host::msg_box::kCancel);
  EXPECT_EQ(front_end_.message_boxes()[0].buttons, host::msg_box::kOkCancel);
}

TEST_F(FailureHandlingTest, DuringAShowFailuresGoToTheErrorLogWithNumberAndSource) {
  Module().in_slide_show = true;
  ReportFailure(Error(kErrSubscriptOutOfRange, "Slides", "Subscript out of range"),
                ErrorCode::kRefreshingValues);
  EXPECT_TRUE(front_end_.message_boxes().empty());
  EXPECT_TRUE(Module().errors_during_show);
  // A foreign failure is logged under the operation's own number.
  EXPECT_EQ(ErrorLogText(),
            "Error while refreshing values. \r\nSubscript out of range (-2147221488-Slides)\r\n");
}

TEST_F(FailureHandlingTest, HandlerFailuresAreLoggedAsTheyCame) {
  LogFailure(MakeError(ErrorCode::kOpeningPresentation, "clsPresentation", {"bad tag"}));
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
