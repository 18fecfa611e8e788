// vintrel distribution and vintrel player on real presentation files and folders: the list a run
// writes is what the next run reads back, and a run the form refuses leaves the file's bytes as
// they were (which windows and lists the form refuses is in tests/offline); the player shows the
// presentation whose list names this computer (in another letter case) and whose window is open,
// not the others, reports a file that is no presentation once and goes on.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "faults/fault_support.h"

namespace vintrel::testing {
namespace {

TEST(DistributionCommandTest, SetRefuseAndClearTheList) {
  ProgramHome home;
  const std::string deck =
      home.Write("deck.pptx", ReadFile(FixturePath("pptx/poi-pie-chart.pptx")));
  // A step the form refuses (listed: null) exits with 2 and leaves the file as it was.
  const struct {
    const char* name;
    const char* listed;  // what the file then holds
    const char* error;   // part of stderr
    std::vector<std::string> options;
  } steps[] = {
      {"set",
       "start\t2026-12-24T18:00:00\nstop\t2026-12-24T20:00:00\ncomputer\twall-1\ncomputer\tlobby\n",
       "",
       {"--start", "2026-12-24 18:00", "--stop", "12/24/2026 8:00:00 PM", "--computer", "wall-1",
        "lobby"}},
      {"clear and set at once", nullptr, "", {"--clear", "--computer", "b"}},
      {"a computer name with a TAB",
       nullptr,
       "A computer name cannot contain a TAB or a line break.",
       {"--computer", "wall\t1"}},
      {"an empty computer name", nullptr, "cannot be empty", {"--computer", ""}},
      {"window moved, list kept",
       "start\t2026-12-25T09:00:00\nstop\t2026-12-25T10:00:00\ncomputer\twall-1\ncomputer\tlobby\n",
       "",
       {"--start", "2026-12-25 09:00", "--stop", "2026-12-25 10:00"}},
      {"clear", "", "", {"--clear"}},
  };
  std::string expected_list;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    const std::string before = ReadFile(deck);
    std::vector<std::string> arguments = {"distribution", deck};
    arguments.insert(arguments.end(), step.options.begin(), step.options.end());
    const ProgramResult result = home.Run(arguments);
    EXPECT_EQ(result.exit_code, step.listed == nullptr ? 2 : 0) << result.err;
    EXPECT_THAT(result.err, HasSubstr(step.error));
    if (step.listed == nullptr) {
      EXPECT_EQ(ReadFile(deck), before) << "a refused run writes nothing";
    } else {
      expected_list = step.listed;
    }
    EXPECT_EQ(home.Ok({"distribution", deck}), expected_list);
  }
}

// Its data is read where it was sent from, with no wait for files missing beside the copy.
TEST(DistributionCommandTest, APlayerShowsASentCopyWithItsData) {
  ExampleCopy example;
  example.Settings("[Info]\nDistributionFolder=" + example.File("dist") + "\n");
  const std::string deck = example.Example("sales-board.pptx");
  const ProgramResult listed =
      example.Vintrel({"distribution", deck, "--computer", "screen-1", "--start",
                       "2000-01-01 00:00", "--stop", "2099-01-01 00:00"});
  ASSERT_EQ(listed.exit_code, 0) << listed.err;
  const ProgramResult sent = example.Vintrel({"send", deck});
  ASSERT_EQ(sent.exit_code, 0) << sent.err;

  // The data of the folder it was sent from is live: a change there reaches the screen.
  const ProgramResult shown =
      ShowWhile(example,
                {"player", "--folder", example.File("dist"), "--computer", "screen-1", "--for", "5",
                 "--json"},
                [&] {
                  std::this_thread::sleep_for(std::chrono::milliseconds(3000));
                  std::string data = ReadFile(example.Example("data/sales.tsv"));
                  data.replace(data.find("1250.5"), 6, "1999.5");
                  std::ofstream(example.Example("data/sales.tsv"), std::ios::trunc) << data;
                });
  EXPECT_EQ(shown.exit_code, 0) << shown.err;
  EXPECT_THAT(shown.err, Not(HasSubstr("not found")));
  const std::vector<ShowEvent> events = ParseEvents(shown.out);
  EXPECT_TRUE(EventsOf(events, "connection-failed").empty()) << shown.out;
  EXPECT_EQ(TextsOf(events, "North sales"), std::vector<std::string>{"1999.5"}) << shown.out;
}

TEST(PlayerTest, ShowsTheListedPresentationAndSkipsWhatItCannotRead) {
  ProgramHome home;
  const std::string deck = ReadFile(FixturePath("pptx/poi-pie-chart.pptx"));
  // Which window and list win is in the schedule's table; here, a listed file and an unlisted one.
  const std::string shown = home.Write("folder/open.pptx", deck);
  home.Ok({"distribution", shown, "--start", "2000-01-01 00:00", "--stop", "2099-01-01 00:00",
           "--computer", "lobby", "WALL-1"});
  home.Write("folder/unlisted.pptx", deck);
  home.Write("folder/broken.pptx", "not a package");
  home.Write("folder/notes.txt", "not a presentation either, and not looked at");

  const ProgramResult result = home.Run({"player", "--folder", home.File("folder"), "--computer",
                                         "wall-1", "--for", "2.5", "--json"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(Occurrences(result.out, "\"event\":\"player-start\""), 1u) << result.out;
  EXPECT_EQ(Occurrences(result.out, "\"event\":\"player-start\",\"file\":\"" + shown + "\""), 1u)
      << result.out;
  EXPECT_EQ(Occurrences(result.out, "\"event\":\"show-begin\""), 1u) << result.out;
  EXPECT_THAT(result.out, HasSubstr("\"event\":\"player-stop\",\"file\":\"" + shown +
                                    "\",\"reason\":\"player ends\""));
  EXPECT_EQ(Occurrences(result.err, "broken.pptx"), 1u) << result.err;
  EXPECT_EQ(Occurrences(result.err, "notes.txt"), 0u) << result.err;
}

TEST(PlayerTest, AFolderThatGoesAwayIsSaidOnceAndWatchedForUntilItIsBack) {
  const ExampleCopy example;
  const std::string folder = example.File("screens");
  std::filesystem::create_directory(folder);
  const auto start = std::chrono::steady_clock::now();
  // The player looks every second: gone for the looks at about 2 s and 3 s, back for 4 s.
  const ProgramResult result =
      ShowWhile(example, {"player", "--folder", folder, "--computer", "wall-1", "--for", "5"}, [&] {
        SleepUntil(start, 1.5);
        std::filesystem::rename(folder, folder + ".away");
        SleepUntil(start, 3.5);
        std::filesystem::rename(folder + ".away", folder);
      });
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(Occurrences(result.err, "the distribution folder " + folder + " is gone"), 1u)
      << result.err;
  EXPECT_EQ(Occurrences(result.err, "the distribution folder " + folder + " is back"), 1u)
      << result.err;
}

}  // namespace
}  // namespace vintrel::testing
