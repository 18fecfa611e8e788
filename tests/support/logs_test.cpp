#include "support/logs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>

#include "testing/test_context.h"

namespace vintrel {
namespace {

using std::chrono::milliseconds;
using testing::ReadFile;

// 2026-12-05 16:54:37 UTC.
const host::Clock::WallTime kNoon = host::Clock::WallTime(std::chrono::seconds(1796489677));

class LogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tzset();
    twins_.clock.SetWallTime(kNoon);
  }

  testing::ScopedEnv utc_{"TZ", "UTC"};
  testing::TestContext twins_;
  const testing::TempDir& folder_ = twins_.logs;
  Context& ctx_ = twins_.ctx;
};

TEST_F(LogsTest, DebugOffTouchesNoFile) {
  const std::string path = folder_.Write("vintrel.dbg", "from an earlier load\r\n");
  WriteDebugLog(ctx_, DebugLevel::kEvent, "Connect", "OnConnection");
  EXPECT_EQ(ReadFile(path), "from an earlier load\r\n");
  std::filesystem::remove(path);
  WriteDebugLog(ctx_, DebugLevel::kEvent, "Connect", "OnConnection");
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(LogsTest, FirstLineOfALoadEmptiesTheFileThenLinesAppendInOrder) {
  ctx_.module.debug_enabled = true;
  const std::string path = folder_.Write("vintrel.dbg", "old load\r\n");
  WriteDebugLog(ctx_, DebugLevel::kEvent, "Connect", "OnConnection");
  WriteDebugLog(ctx_, DebugLevel::kInformation, "Connect", "second");  // same millisecond
  WriteDebugLog(ctx_, DebugLevel::kVariable, "Application", "third");
  WriteDebugLog(ctx_, DebugLevel::kError, "Application", "fourth");
  // Level words are padded to twelve characters.
  EXPECT_EQ(ReadFile(path),
            "12/05/2026 16:54:37.000 Event        OnConnection\r\n"
            "12/05/2026 16:54:37.000 Information  second\r\n"
            "12/05/2026 16:54:37.000 Variable     third\r\n"
            "12/05/2026 16:54:37.000 Error        fourth\r\n");
}

TEST_F(LogsTest, MillisecondsAreThreeDigitsAndCutNotRounded) {
  EXPECT_EQ(FormatLogTimestamp(kNoon + milliseconds(5)), "12/05/2026 16:54:37.005");
  EXPECT_EQ(FormatLogTimestamp(kNoon + std::chrono::microseconds(999999)),
            "12/05/2026 16:54:37.999");
}

TEST_F(LogsTest, ErrorLogIsEmptiedOncePerLoadAndFlagsTheShow) {
  const std::string path = folder_.Write("errors.txt", "earlier\r\n");
  WriteErrorLog(ctx_, "first failure (-2147221490-clsPresentation)");
  twins_.clock.Advance(milliseconds(12));
  WriteErrorLog(ctx_, "second failure (5-host)");
  EXPECT_TRUE(ctx_.module.errors_during_show);
  EXPECT_EQ(ReadFile(path),
            "12/05/2026 16:54:37.000 first failure (-2147221490-clsPresentation)\r\n"
            "12/05/2026 16:54:37.012 second failure (5-host)\r\n");
}

TEST_F(LogsTest, AnUnwritableFolderLosesTheLineSilently) {
  ctx_.module.debug_enabled = true;
  ctx_.services.addin_folder = folder_.File("missing/folder");
  EXPECT_NO_THROW(WriteDebugLog(ctx_, DebugLevel::kEvent, "Connect", "lost"));
  EXPECT_NO_THROW(WriteErrorLog(ctx_, "lost too"));
  EXPECT_FALSE(std::filesystem::exists(folder_.File("missing")));
}

}  // namespace
}  // namespace vintrel
