// The program as a whole: its version and usage, what it refuses, inspect and save on real
// files, and its tool bar's button faces as the build draws them and as `vintrel menus` hands
// them out. A save killed at any moment (SIGKILL: no handler, no cleanup) never harms the file:
// it is either the file as it was or the complete new one, never a mix, and the killed save's
// temporary files are removed by the next save of the same file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "faults/fault_support.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/zip_archive.h"
#include "host_session.h"
#include "linked_deck.h"

namespace vintrel::testing {
namespace {

namespace fs = std::filesystem;

// The settings file decides whether a load is traced; the trace's lines are checked in
// tests/shell.
TEST(VersionCommandTest, PrintsTheVersionAndTracesTheLoadOnlyWhenDebugging) {
  for (const bool debug : {true, false}) {
    SCOPED_TRACE(debug ? "Debug=1" : "no settings");
    const ExampleCopy home;
    if (debug) home.Settings("[Info]\r\nDebug=1\r\n");
    const ProgramResult result = home.Vintrel({"--version"});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_TRUE(std::regex_match(result.out, std::regex("[0-9]+\\.[0-9]+\\.[0-9]+\n")))
        << result.out;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(fs::exists(home.File("addin/vintrel.dbg")), debug);
    if (!debug) continue;
    const std::string log = ReadFile(home.File("addin/vintrel.dbg"));
    EXPECT_TRUE(log.ends_with(" Information  Program shut down.\r\n")) << log;
  }
}

std::vector<std::string> ExportPage(const std::string& folder, const std::string& broker,
                                    const std::string& topic = "demo",
                                    const std::vector<std::string>& more = {}) {
  std::vector<std::string> arguments = {"show", "--export-page", folder, "--broker",
                                        broker, "--topic",       topic};
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

// Bad usage of any command, and a presentation with a part that does not parse: exit code 2, one
// line on stderr saying why (a usage error points to --help on a second), nothing on stdout and no
// file written. Other files that are no presentation are in hostile_files_test.cpp.
TEST(ProgramTest, BadUsageExitsWithTwoAndSaysWhyInOneLine) {
  const ExampleCopy example;
  const std::string deck = example.Example("sales-board.pptx");
  // A deck LibreOffice wrote, without any Vintrel data.
  const std::string plain = example.File("plain.pptx");
  fs::copy_file(FixturePath("pptx/libreoffice-7.4-export-chart-table-hidden-slide.pptx"), plain);
  const std::string copy = example.File("x.pptx");
  // A deck with its slide cut to half its length.
  const std::string damaged = example.File("damaged.pptx");
  auto package = ooxml::ZipArchive::Open(FixturePath("pptx/poi-pie-chart.pptx"));
  const std::string slide = package->Read("ppt/slides/slide1.xml");
  package->Write("ppt/slides/slide1.xml", slide.substr(0, slide.size() / 2));
  package->SaveAs(damaged);
  const std::string cut = "part \"ppt/slides/slide1.xml\" is malformed XML";
  const std::string page = example.File("page");
  const std::string ws = "ws://127.0.0.1:9001/";
  std::ofstream(example.File("file")) << "not a folder";
  const struct {
    std::vector<std::string> arguments;
    std::string says;  // part of stderr
  } cases[] = {
      {{"--no-such-option"}, "--no-such-option"},
      {{"inspect", example.File("missing.pptx")}, "missing.pptx: no such file"},
      {{"inspect", example.File("examples")}, "examples: is a folder"},
      // Every command opens the file the same way: these stand for the others.
      {{"inspect", damaged}, cut},
      {{"save", damaged}, cut},
      {{"offline", deck}, "--output is required"},
      {{"offline", deck, "-o", deck}, "the off-line copy cannot replace the presentation"},
      {{"offline", plain, "-o", copy}, "plain.pptx: holds no Vintrel data"},
      {{"offline", deck, "-o", example.File("missing/x.pptx")}, "no folder"},
      {{"offline", deck, "-o", example.File("examples")}, "give the file name of the copy"},
      {{"player", "--for", "1"}, "no distribution folder: give --folder"},
      {{"player", "--folder", example.File("nope"), "--for", "1"},
       "--folder: " + example.File("nope") + ": No such file or directory"},
      {ExportPage(page, "http://127.0.0.1:9001/"),
       "--broker takes the broker's WebSocket listener"},
      {ExportPage(page, "ws://127.0.0.1/?token=x"), "--broker takes"},
      {ExportPage(page, ws, "demo/#"), "--topic takes a topic without wildcards"},
      {ExportPage(page, ws, "demo/"), "--topic takes"},
      {ExportPage(example.File("missing/page"), ws), "missing does not exist"},
      {ExportPage(example.File("file"), ws), "is not a folder"},
      {ExportPage(page, ws, "demo", {deck}), "a presentation FILE does not go with it"},
      {ExportPage(page, ws, "demo", {"--serve"}), "--serve does not go with it"},
      {{"show", "--export-page", page}, "go together"},
  };
  const std::map<std::string, std::string> kept = {{deck, ReadFile(deck)},
                                                   {damaged, ReadFile(damaged)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[0] + ": " + c.says);
    const ProgramResult result = example.Vintrel(c.arguments);
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_THAT(result.err, HasSubstr(c.says));
    EXPECT_EQ(Occurrences(result.err, "\n"), 1 + Occurrences(result.err, "Run with --help"))
        << result.err;
    EXPECT_EQ(result.out, "");
  }
  for (const auto& [file, bytes] : kept) EXPECT_EQ(ReadFile(file), bytes) << file;
  EXPECT_FALSE(fs::exists(copy));
  EXPECT_FALSE(fs::exists(page));
  const ProgramResult help = example.Vintrel({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_THAT(help.out, HasSubstr("--version"));
}

// A linked picture's "link" is checked on the example; web addresses as links in host/ooxml.
TEST(InspectCommandTest, JsonNamesEveryShapeWithTypeTextAndProgId) {
  ProgramHome home;
  const std::string chart = home.Ok({"inspect", "--json", FixturePath("pptx/poi-pie-chart.pptx")});
  EXPECT_THAT(chart, HasSubstr("\"name\":\"Title 3\",\"type\":14,\"hasTextFrame\":true,"
                               "\"text\":\"My Pie Chart\""));
  EXPECT_THAT(chart, HasSubstr("\"progId\":\"MSGraph.Chart.8\""));
}

TEST(SaveCommandTest, SavesInPlaceOrAsACopyThatOpensAgain) {
  ProgramHome home;
  const std::string deck = home.Write(
      "deck.pptx", ReadFile(FixturePath("pptx/shapecrawler-035-shape-tags-hidden-slide.pptx")));
  const std::string copy = home.File("copy.pptx");
  // In place first: saving writes the display type, which the copy then carries too.
  home.Ok({"save", deck});
  home.Ok({"save", deck, "-o", copy});

  const std::string original = home.Ok({"inspect", "--json", deck});
  const std::string reopened = home.Ok({"inspect", "--json", copy});
  ASSERT_THAT(reopened, HasSubstr(",\"tags\""));
  // Same slides, shapes and tags; only the file name differs.
  EXPECT_EQ(original.substr(original.find(",\"tags\"")),
            reopened.substr(reopened.find(",\"tags\"")));
  EXPECT_THAT(reopened, HasSubstr("\"hidden\":true"));
}

using Clock = std::chrono::steady_clock;

#if defined(__SANITIZE_ADDRESS__)
// Under the sanitizers a save of the deck below takes some ten times longer: a smaller deck and
// fewer kills keep the test's time in bounds (the release build's run is the thorough one).
constexpr int kKills = 25;
constexpr int kSlides = 15;
#else
constexpr int kKills = 200;
constexpr int kSlides = 60;
#endif

// Runs `vintrel save deck` and kills it (SIGKILL: timeout signals its own process group) after
// `delay` unless it ended before; returns whether it was killed.
bool SaveAndKill(const std::string& deck, const ProgramHome& home, Clock::duration delay) {
  const std::string seconds = std::to_string(std::chrono::duration<double>(delay).count());
  return RunProgram("/usr/bin/timeout", {"-s", "KILL", seconds, VINTREL_PROGRAM, "save", deck},
                    home.Environment())
             .exit_code == 128 + SIGKILL;
}

std::vector<std::string> Leftovers(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name != "deck.pptx" && name != "data.txt") names.push_back(name);
  }
  return names;
}

TEST(KillDuringSaveTest, TheFileIsOldOrNewAndTheNextSaveLeavesNoTemporaryFile) {
  ProgramHome home;
  const std::string deck = home.File("deck.pptx");
  // Large enough that writing it takes a good part of the program's run; small enough for 200
  // runs in well under a minute.
  const bench::Sizes sizes{.slides = kSlides, .boxes = 8, .rows = 500};
  bench::WriteData(home.File("data.txt"), sizes, 1);
  bench::WriteDeck(deck, sizes);
  bench::LinkDeck(deck, "data.txt", sizes);
  // One save by the program first: saving again writes the same bytes, so a save that completed
  // before its kill leaves the file byte for byte as it was.
  ASSERT_EQ(home.Run({"save", deck}).exit_code, 0);
  const std::string original = ReadFile(deck);
  EXPECT_NO_THROW(ooxml::PackagePresentation::Open(deck));
  // How long a whole run takes (the median of three): the kills are spread over that time.
  std::vector<Clock::duration> times;
  for (int i = 0; i < 3; ++i) {
    const auto started = Clock::now();
    ASSERT_EQ(home.Run({"save", deck}).exit_code, 0);
    times.push_back(Clock::now() - started);
  }
  std::sort(times.begin(), times.end());
  const Clock::duration save_time = times[1];
  const std::string saved = ReadFile(deck);
  EXPECT_EQ(saved, original) << "saving a saved deck again changes it";

  std::mt19937 random(20240611);
  std::uniform_int_distribution<int64_t> moment(0, save_time.count());
  int killed = 0, left_files = 0;
  for (int round = 0; round < kKills; ++round) {
    SCOPED_TRACE("kill " + std::to_string(round));
    killed += SaveAndKill(deck, home, Clock::duration(moment(random)));
    // Old or new, whole: both are these bytes.
    const std::string now = ReadFile(deck);
    ASSERT_TRUE(now == original || now == saved) << "the file changed (" << now.size() << " bytes)";
    left_files += !Leftovers(home.path()).empty();
    // Every 20 kills and at the end: a save that is let run removes what the killed ones left.
    if (round % 20 == 19 || round == kKills - 1) {
      ASSERT_EQ(home.Run({"save", deck}).exit_code, 0);
      EXPECT_EQ(Leftovers(home.path()), std::vector<std::string>{});
      EXPECT_EQ(ReadFile(deck), saved);
    }
  }
  // How often a kill lands while the temporary file is open depends on the build (few do under
  // the sanitizers), so the count is reported rather than required.
  std::printf("%d of %d saves killed (a save takes %.0f ms); %d kills left temporary files\n",
              killed, kKills, std::chrono::duration<double, std::milli>(save_time).count(),
              left_files);
  EXPECT_GT(killed, kKills / 4);
}

// The faces where the build drew them, as `vintrel menus` hands them out.
TEST(ButtonFacesTest, EveryToolBarButtonHasAFaceOfItsOwnAndAMaskOfItsSize) {
  // The example with its data, so its connections answer at once.
  const ExampleCopy example;
  const ProgramResult result =
      example.Vintrel({"menus", example.Example("sales-board.pptx"), "--json"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  const nlohmann::json controls = nlohmann::json::parse(result.out)["toolBar"]["controls"];
  // How a PNG of 16 by 16 pixels begins: the signature, then the header chunk with the size
  // (its sample depth follows).
  const std::string png_16_by_16("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x10", 24);
  std::set<std::string> faces;
  for (const nlohmann::json& control : controls) {
    if (!control.contains("picture")) continue;  // not a button
    SCOPED_TRACE(control["caption"].get<std::string>());
    ASSERT_TRUE(control["picture"].is_string() && control["mask"].is_string()) << control;
    const fs::path picture = control["picture"].get<std::string>();
    EXPECT_EQ(picture.parent_path(), fs::path(VINTREL_BUTTON_FACES));
    const std::string face = ReadFile(picture.string());
    EXPECT_TRUE(face.starts_with(png_16_by_16)) << "not a PNG of 16 by 16 pixels";
    EXPECT_TRUE(ReadFile(control["mask"].get<std::string>()).starts_with(png_16_by_16 + '\x01'))
        << "not a one-bit mask of that size";
    EXPECT_TRUE(faces.insert(face).second) << picture << " looks like another button";
  }
  EXPECT_EQ(faces.size(), 8u) << "the tool bar's buttons";
}

// The Help command opens the manual as HTML, found as the faces are (here in the build tree).
TEST(ButtonFacesTest, HelpIsTheManualAsHtml) {
  const std::string help = app::HelpFile();
  ASSERT_FALSE(help.empty());
  const std::string page = ReadFile(help);
  EXPECT_THAT(page, HasSubstr("<html"));
  EXPECT_THAT(page, HasSubstr("presentations whose shapes show live data"));
}

}  // namespace
}  // namespace vintrel::testing
