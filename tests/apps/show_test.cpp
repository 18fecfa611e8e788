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
  EXPECT_THAT(result.out, HasSubstr("\"event\":\"show-begin\",\"slides\":3"));
  EXPECT_THAT(result.out, HasSubstr("\"event\":\"show-end\""));
  // Every line is one JSON object with a time stamp.
  std::istringstream lines(result.out);
  const std::regex shape(
      R"(^\{"time":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z","event":"[a-z-]+".*\}$)");
  for (std::string line; std::getline(lines, line);)
    EXPECT_TRUE(std::regex_match(line, shape)) << line;
  EXPECT_EQ(ReadFile(deck), before) << "a show never writes the presentation";
}

// Bad options and decks with nothing to show: exit code 2 and the reason, at once (the live view
// alone stays for the time asked, and says why too).
TEST(Show, BadOptionsAndDecksWithNothingToShowAreRefusedWithExitCode2) {
  const ExampleCopy example;
  const std::string deck = example.Example("sales-board.pptx");
  const auto changed = [&](const std::string& name, const std::string& part, const std::regex& from,
                           const std::string& to) {
    auto package = ooxml::ZipArchive::Open(deck);
    for (const std::string entry : {"ppt/slides/slide1.xml", "ppt/slides/slide2.xml",
                                    "ppt/slides/slide3.xml", "ppt/presentation.xml"}) {
      if (entry.find(part) == std::string::npos) continue;
      package->Write(entry, std::regex_replace(package->Read(entry), from, to));
    }
    package->SaveAs(example.File(name));
    return example.File(name);
  };
  const std::string empty =
      changed("empty.pptx", "presentation", std::regex("<p:sldIdLst>.*</p:sldIdLst>"), "");
  const std::string hidden =
      changed("hidden.pptx", "slides/", std::regex("<p:sld "), "<p:sld show=\"0\" ");
  const std::string none_shown = "no slide to show: every slide of the presentation is hidden";
  const struct {
    std::vector<std::string> arguments;
    std::string says;  // part of stderr
  } cases[] = {
      {{"show", deck, "--for", "ten"}, "--for takes a time"},
      {{"show", deck, "--advance", "sometimes"}, "--advance takes auto, manual or every:SECONDS"},
      {{"show", deck, "--advance", "every:0"}, "needs a time above 0"},
      {{"show", deck, "--from", "9"}, "--from: "},
      {{"show", example.Example("missing.pptx")}, "missing.pptx"},
      {{"show", empty}, "the presentation has no slides"},
      {{"show", empty, "--from", "2"}, "the presentation has no slides"},
      {{"show", hidden, "--for", "30s"}, none_shown},
      {{"show", hidden, "--serve", "--port", "0", "--for", "1s"}, none_shown},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[1] + " " + c.arguments.back());
    const auto start = std::chrono::steady_clock::now();
    const ProgramResult result = example.Vintrel(c.arguments);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_THAT(result.err, HasSubstr(c.says));
    // Only a complaint about --from names it.
    EXPECT_EQ(result.err.find("--from") != std::string::npos, c.says.starts_with("--from"));
    // Only the live view stays for the time asked (1 s); a show would have run its 30 s.
    const bool serving = c.arguments.size() > 2 && c.arguments[2] == "--serve";
    EXPECT_EQ(result.out.find("Live show: http://") != std::string::npos, serving) << result.out;
    if (serving) {
      EXPECT_GE(took, std::chrono::seconds(1));
    }
    EXPECT_LT(took, std::chrono::seconds(20));
    // Refused before the show began: nothing on the output.
    if (c.arguments[1] != hidden) {
      EXPECT_EQ(result.out, "");
    }
  }
}

}  // namespace
}  // namespace vintrel::testing
