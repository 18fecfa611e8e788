#include "connections/text_file_source.h"

#include <gtest/gtest.h>

#include <chrono>

#include "connections/connection.h"
#include "connections/real_sources.h"
#include "support/error_codes.h"
#include "testing/error_of.h"
#include "testing/test_context.h"

namespace vintrel::connections {
namespace {

class TextFileSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    connection_.SetConnectionType(connection_type::kTextFile);
    connection_.SetConnectionDescription("Sales");
    connection_.SetActivePresentationName("/shows/board.pptx");
  }

  // Writes a data file of the in-memory file system with its modification time, so a test can
  // tell "changed" from "rewritten alike".
  std::string Write(const std::string& name, const std::string& text, time_t seconds = 0) {
    const std::string path = "/shows/" + name;
    twins_.files.WriteFile(path, text, std::chrono::system_clock::from_time_t(seconds));
    return path;
  }

  void Open(const std::string& path, bool names = false) {
    connection_.SetConnectionFileString(path);
    connection_.SetConnectionFirstRowFieldNames(names);
    connection_.OpenConnection();
    connection_.OpenRecordset();
  }
  std::string Value(double row, const std::string& column) {
    return connection_.GetValueDatabase(row, column, 1);
  }

  testing::TestContext twins_;
  Context& ctx_ = twins_.ctx;
  host::FakeClock& clock_ = twins_.clock;
  clsConnection connection_{ctx_, RealSources()};
};

TEST_F(TextFileSourceTest, RequeryRereadsOnlyAChangedFileUnlessForced) {
  Open(Write("live.txt", "A\r\n1\r\n", 1700000000), true);
  ASSERT_EQ(Value(1, "A"), "1");

  Write("live.txt", "A\r\n2\r\n", 1700000000);  // same time: looks unchanged
  connection_.Requery(false);
  EXPECT_EQ(Value(1, "A"), "1");
  connection_.Requery(true);
  EXPECT_EQ(Value(1, "A"), "2");

  Write("live.txt", "A\r\n3\r\n4\r\n", 1700000060);
  connection_.Requery(false);
  EXPECT_EQ(connection_.RecordCount(), 2);
  EXPECT_EQ(Value(2, "A"), "4");
}

// A file that is not there is not waited for: fifty tries held up the start of a show by 2.5 s
// per connection.
TEST_F(TextFileSourceTest, MissingFileIsReportedAtOnceWithTheConnectionName) {
  connection_.SetConnectionFileString("/shows/nowhere.txt");
  const auto before = clock_.Steady();
  const Error error = testing::ErrorOf([&] { connection_.OpenConnection(); });
  EXPECT_EQ(error.number(), ErrorNumber(ErrorCode::kOpeningFile));
  EXPECT_EQ(error.description().rfind("Error while opening file Sales. \r\n", 0), 0u)
      << error.description();
  EXPECT_NE(error.description().find("nowhere.txt"), std::string::npos);
  EXPECT_FALSE(connection_.Opened());
  EXPECT_EQ(clock_.Steady() - before, std::chrono::milliseconds(0));
}

TEST_F(TextFileSourceTest, EmptyFileKeepsThePreviousRows) {
  Open(Write("board.txt", "x\ty\r\n"));
  ASSERT_EQ(Value(1, "2"), "y");

  Write("board.txt", "", 1600000000);
  connection_.Requery(false);
  EXPECT_EQ(Value(1, "2"), "y");
}

TEST_F(TextFileSourceTest, FileThatVanishesBetweenRefreshesGivesTheRequeryError) {
  Open(Write("gone.txt", "1\r\n"));
  twins_.files.Remove("/shows/gone.txt");
  const Error error = testing::ErrorOf([&] { connection_.Requery(false); });
  EXPECT_EQ(error.number(), ErrorNumber(ErrorCode::kRequeryingFile));
  EXPECT_EQ(error.description().rfind("Error requerying file Sales. \r\n", 0), 0u);
  EXPECT_EQ(Value(1, "1"), "1");  // the rows read before stay readable
}

}  // namespace
}  // namespace vintrel::connections
