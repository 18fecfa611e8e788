// The live show of the bundled example, run as a user runs it: its options, its event stream and
// its end. Data changed while it runs is in tests/faults.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "faults/fault_support.h"
#include "testing/run_program.h"
#include "testing/temp_dir.h"

namespace vintrel::testing {
namespace {

TEST(Show, SigtermEndsTheShowCleanly) {
  const ExampleCopy example;
  const std::string deck = example.Example("sales-board.pptx");
  const std::string before = ReadFile(deck);
  const ProgramResult result = RunProgram(
      "/usr/bin/timeout",
      {"--preserve-status", "-s", "TERM", "4", VINTREL_PROGRAM, "show", deck, "--json"},
      {{"VINTREL_HOME", example.File("addin")}, {"VINTREL_SETTINGS", example.File("x.ini")}});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.out.find("\"event\":\"show-begin\",\"slides\":3"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("\"event\":\"show-end\""), std::string::npos) << result.out;
  // Every line is one JSON object with a time stamp.
  std::istringstream lines(result.out);
  const std::regex shape(
      R"(^\{"time":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z","event":"[a-z-]+".*\}$)");
  for (std::string line; std::getline(lines, line);)
    EXPECT_TRUE(std::regex_match(line, shape)) << line;
  EXPECT_EQ(ReadFile(deck), before) << "a show never writes the presentation";
}

TEST(Show, BadOptionsAreRefusedWithExitCode2) {
  const ExampleCopy example;
  const std::string deck = example.Example("sales-board.pptx");
  const std::vector<std::vector<std::string>> cases = {
      {"show", deck, "--for", "ten"},
      {"show", deck, "--advance", "sometimes"},
      {"show", deck, "--advance", "every:0"},
      {"show", deck, "--from", "9"},
      {"show", example.Example("missing.pptx")},
  };
  for (const auto& arguments : cases) {
    const ProgramResult result = example.Vintrel(arguments);
    EXPECT_EQ(result.exit_code, 2) << arguments.back();
    EXPECT_FALSE(result.err.empty());
    EXPECT_TRUE(result.out.empty()) << result.out;
  }
}

}  // namespace
}  // namespace vintrel::testing
