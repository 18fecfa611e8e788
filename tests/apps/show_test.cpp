// The live show of the bundled example, run as a user runs it: its options, its event stream and
// its end. Data changed while it runs is in tests/faults.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "faults/fault_support.h"
#include "host/ooxml/zip_archive.h"
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

TEST(Show, ADeckWithNothingToShowSaysSoWithExitCode2) {
  const ExampleCopy example;
  const auto changed = [&](const std::string& name, const std::string& part, const std::regex& from,
                           const std::string& to) {
    auto package = ooxml::ZipArchive::Open(example.Example("sales-board.pptx"));
    for (const std::string entry : {"ppt/slides/slide1.xml", "ppt/slides/slide2.xml",
                                    "ppt/slides/slide3.xml", "ppt/presentation.xml"}) {
      if (entry.find(part) == std::string::npos) continue;
      package->Write(entry, std::regex_replace(package->Read(entry), from, to));
    }
    const std::string deck = example.File(name);
    package->SaveAs(deck);
    return deck;
  };
  const std::string empty =
      changed("empty.pptx", "presentation", std::regex("<p:sldIdLst>.*</p:sldIdLst>"), "");
  const std::string hidden =
      changed("hidden.pptx", "slides/", std::regex("<p:sld "), "<p:sld show=\"0\" ");
  const struct {
    std::vector<std::string> arguments;
    const char* says;
  } cases[] = {
      {{"show", empty}, "the presentation has no slides"},
      {{"show", empty, "--from", "2"}, "the presentation has no slides"},
      {{"show", hidden, "--for", "30s"},
       "no slide to show: every slide of the presentation is hidden"},
      // The live view says it too, for as long as the show was to run.
      {{"show", hidden, "--serve", "--port", "0", "--for", "1s"},
       "no slide to show: every slide of the presentation is hidden"},
  };
  for (const auto& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    const ProgramResult result = example.Vintrel(c.arguments);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result.exit_code, 2) << c.arguments.back() << result.out;
    EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("--from"), std::string::npos) << result.err;
    const bool serving = c.arguments.size() > 2 && c.arguments[2] == "--serve";
    EXPECT_EQ(result.out.find("Live show: http://") != std::string::npos, serving) << result.out;
    // Only the live view stays for the time asked (1 s); a show would have run its 30 s.
    if (serving) {
      EXPECT_GE(took, std::chrono::seconds(1));
    }
    EXPECT_LT(took, std::chrono::seconds(20));
  }
}

}  // namespace
}  // namespace vintrel::testing
