// The live show of the bundled example, run as a user runs it: while `vintrel show` runs, the
// test rewrites the text file and changes the database, and the event stream must carry both new
// values; the presentation file is never written.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "testing/run_program.h"
#include "testing/temp_dir.h"

namespace vintrel::testing {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class Show : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(fs::path(VINTREL_SOURCE_DIR) / "examples", Example(""), fs::copy_options::recursive);
  }
  std::string Example(const std::string& relative) const {
    return folder_.File("examples/" + relative);
  }
  ProgramResult Vintrel(const std::vector<std::string>& arguments) const {
    return RunProgram(VINTREL_PROGRAM, arguments,
                      {{"VINTREL_HOME", folder_.path()},
                       {"VINTREL_SETTINGS", folder_.File("absent.ini")},
                       {"TZ", "UTC"}});
  }
  std::string Sqlite(const std::string& sql) const {
    const ProgramResult result = RunProgram("/usr/bin/sqlite3", {Example("data/board.db"), sql});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    std::string out = result.out;
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
  }

  TempDir folder_;
};

TEST_F(Show, ValuesFollowTheirFilesWhileTheShowRuns) {
  const std::string deck = Example("sales-board.pptx");
  const std::string before = ReadAll(deck);
  std::thread editor([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    std::string tsv = ReadAll(Example("data/sales.tsv"));
    tsv = std::regex_replace(tsv, std::regex("1250\\.5"), "4321.5");
    std::ofstream(Example("data/sales.tsv"), std::ios::binary | std::ios::trunc) << tsv;
    Sqlite(
        "UPDATE orders SET amount = amount + 1000 WHERE id = (SELECT MIN(id) FROM orders "
        "WHERE region = 'East')");
  });
  const ProgramResult result = Vintrel({"show", deck, "--for", "5s", "--json"});
  editor.join();
  ASSERT_EQ(result.exit_code, 0) << result.err;
  const std::string east = Sqlite("SELECT total FROM totals WHERE region = 'East'");

  EXPECT_NE(result.out.find("\"event\":\"show-begin\",\"slides\":3"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("\"event\":\"slide\",\"slide\":1"), std::string::npos);
  EXPECT_NE(result.out.find("\"new\":\"4321.5\""), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("\"new\":\"" + east + "\""), std::string::npos)
      << "East total " << east << " missing from\n"
      << result.out;
  EXPECT_NE(result.out.find("\"event\":\"show-end\""), std::string::npos);
  // Every line is one JSON object with a time stamp.
  std::istringstream lines(result.out);
  const std::regex shape(
      R"(^\{"time":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z","event":"[a-z-]+".*\}$)");
  for (std::string line; std::getline(lines, line);)
    EXPECT_TRUE(std::regex_match(line, shape)) << line;
  EXPECT_EQ(ReadAll(deck), before) << "a show never writes the presentation";
}

TEST_F(Show, SigtermEndsTheShowCleanly) {
  const std::string deck = Example("sales-board.pptx");
  const std::string before = ReadAll(deck);
  const ProgramResult result =
      RunProgram("/usr/bin/timeout",
                 {"--preserve-status", "-s", "TERM", "4", VINTREL_PROGRAM, "show", deck, "--json"},
                 {{"VINTREL_HOME", folder_.path()}, {"VINTREL_SETTINGS", folder_.File("x.ini")}});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.out.find("\"event\":\"show-end\""), std::string::npos) << result.out;
  EXPECT_EQ(ReadAll(deck), before);
}

TEST_F(Show, BadOptionsAreRefusedWithExitCode2) {
  const std::string deck = Example("sales-board.pptx");
  const std::vector<std::vector<std::string>> cases = {
      {"show", deck, "--for", "ten"},         {"show", deck, "--advance", "sometimes"},
      {"show", deck, "--advance", "every:0"}, {"show", deck, "--from", "9"},
      {"show", Example("missing.pptx")},
  };
  for (const auto& arguments : cases) {
    const ProgramResult result = Vintrel(arguments);
    EXPECT_EQ(result.exit_code, 2) << arguments[2];
    EXPECT_FALSE(result.err.empty());
    EXPECT_TRUE(result.out.empty()) << result.out;
  }
}

}  // namespace
}  // namespace vintrel::testing
