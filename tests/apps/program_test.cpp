// The program as a whole: its version and usage, what it refuses, and inspect and save on real
// files.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "faults/fault_support.h"

namespace vintrel::testing {
namespace {

namespace fs = std::filesystem;

// The settings file decides whether a load is traced; the trace's lines are checked in
// tests/shell.
TEST(VersionCommandTest, PrintsTheVersionAndTracesTheLoadOnlyWhenDebugging) {
  for (const bool debug : {true, false}) {
    SCOPED_TRACE(debug ? "Debug=1" : "no settings");
    TempDir home;
    const std::string settings =
        debug ? home.Write("settings.ini", "[Info]\r\nDebug=1\r\n") : home.File("absent.ini");
    const ProgramResult result =
        RunProgram(VINTREL_PROGRAM, {"--version"},
                   {{"VINTREL_HOME", home.path()}, {"VINTREL_SETTINGS", settings}});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_TRUE(std::regex_match(result.out, std::regex("[0-9]+\\.[0-9]+\\.[0-9]+\n")))
        << result.out;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(std::filesystem::exists(home.File("vintrel.dbg")), debug);
    if (!debug) continue;
    const std::string log = ReadFile(home.File("vintrel.dbg"));
    const std::string version = result.out.substr(0, result.out.size() - 1);
    EXPECT_NE(log.find(" Event        OnConnection\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" Information  " + version + "\r\n"), std::string::npos) << log;
    EXPECT_TRUE(log.ends_with(" Information  Program shut down.\r\n")) << log;
  }
}

// Bad usage of any command: exit code 2, one line on stderr saying why (a usage error points to
// --help on a second), nothing on stdout and no file written. Files that are no presentation are
// in hostile_files_test.cpp.
TEST(ProgramTest, BadUsageExitsWithTwoAndSaysWhyInOneLine) {
  const ExampleCopy example;
  const std::string deck = example.Example("sales-board.pptx");
  // A deck LibreOffice wrote, without any Vintrel data.
  const std::string plain = example.File("plain.pptx");
  fs::copy_file(FixturePath("pptx/libreoffice-7.4-export-chart-table-hidden-slide.pptx"), plain);
  const std::string copy = example.File("x.pptx");
  const struct {
    std::vector<std::string> arguments;
    std::string says;  // part of stderr
  } cases[] = {
      {{"--no-such-option"}, "--no-such-option"},
      {{"inspect", example.File("missing.pptx")}, "missing.pptx: no such file"},
      {{"inspect", example.File("examples")}, "examples: is a folder"},
      {{"offline", deck}, "--output is required"},
      {{"offline", example.File("absent.pptx"), "-o", copy}, "absent.pptx: no such file"},
      {{"offline", deck, "-o", deck}, "the off-line copy cannot replace the presentation"},
      {{"offline", plain, "-o", copy}, "plain.pptx: holds no Vintrel data"},
      {{"offline", deck, "-o", example.File("missing/x.pptx")}, "no folder"},
      {{"offline", deck, "-o", example.File("examples")}, "give the file name of the copy"},
      {{"player", "--for", "1"}, "no distribution folder: give --folder"},
      {{"player", "--folder", example.File("nope"), "--for", "1"},
       "--folder: " + example.File("nope") + ": No such file or directory"},
  };
  const std::string before = ReadFile(deck);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    const ProgramResult result = example.Vintrel(c.arguments);
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_THAT(result.err, HasSubstr(c.says));
    EXPECT_EQ(Occurrences(result.err, "\n"), 1 + Occurrences(result.err, "Run with --help"))
        << result.err;
    EXPECT_EQ(result.out, "");
  }
  EXPECT_EQ(ReadFile(deck), before);
  EXPECT_FALSE(fs::exists(copy));
  const ProgramResult help = example.Vintrel({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_THAT(help.out, HasSubstr("--version"));
}

TEST(InspectCommandTest, JsonNamesEveryShapeWithTypeTextLinkAndProgId) {
  ProgramHome home;
  const ProgramResult chart =
      home.Run({"inspect", "--json", FixturePath("pptx/poi-pie-chart.pptx")});
  ASSERT_EQ(chart.exit_code, 0) << chart.err;
  EXPECT_THAT(chart.out, HasSubstr("\"name\":\"Title 3\",\"type\":14,\"hasTextFrame\":true,"
                                   "\"text\":\"My Pie Chart\""));
  EXPECT_THAT(chart.out, HasSubstr("\"progId\":\"MSGraph.Chart.8\""));

  const ProgramResult picture =
      home.Run({"inspect", "--json", FixturePath("pptx/openxmlsdk-linkedpicture-url.pptx")});
  ASSERT_EQ(picture.exit_code, 0) << picture.err;
  EXPECT_THAT(picture.out, HasSubstr("\"type\":11"));
  EXPECT_THAT(picture.out, HasSubstr("\"link\":\"http://www.google.com/intl/en/images/logo.gif\""));
}

TEST(SaveCommandTest, SavesInPlaceOrAsACopyThatOpensAgain) {
  ProgramHome home;
  const std::string deck = home.Write(
      "deck.pptx", ReadFile(FixturePath("pptx/shapecrawler-035-shape-tags-hidden-slide.pptx")));
  const std::string copy = home.File("copy.pptx");
  // In place first: saving writes the display type, which the copy then carries too.
  ProgramResult saved = home.Run({"save", deck});
  ASSERT_EQ(saved.exit_code, 0) << saved.err;
  saved = home.Run({"save", deck, "-o", copy});
  ASSERT_EQ(saved.exit_code, 0) << saved.err;

  const ProgramResult original = home.Run({"inspect", "--json", deck});
  const ProgramResult reopened = home.Run({"inspect", "--json", copy});
  ASSERT_EQ(reopened.exit_code, 0) << reopened.err;
  // Same slides, shapes and tags; only the file name differs.
  EXPECT_EQ(original.out.substr(original.out.find(",\"tags\"")),
            reopened.out.substr(reopened.out.find(",\"tags\"")));
  EXPECT_THAT(reopened.out, HasSubstr("\"hidden\":true"));
}

}  // namespace
}  // namespace vintrel::testing
