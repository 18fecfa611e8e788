// vintrel player on a real distribution folder: the presentation whose list names this computer
// (in another letter case) and whose window is open is shown, the others are not, and a file
// that is no presentation is reported once while the player goes on.
#include <gtest/gtest.h>

#include <filesystem>

#include "faults/fault_support.h"

namespace vintrel::testing {
namespace {

TEST(PlayerTest, ShowsTheListedPresentationAndSkipsWhatItCannotRead) {
  ProgramHome home;
  const std::string deck = ReadFile(FixturePath("pptx/poi-pie-chart.pptx"));
  const struct {
    const char* file;
    std::vector<std::string> list;
  } files[] = {
      {"open.pptx",
       {"--start", "2000-01-01 00:00", "--stop", "2099-01-01 00:00", "--computer", "lobby",
        "WALL-1"}},
      {"ended.pptx",
       {"--start", "2000-01-01 00:00", "--stop", "2000-01-02 00:00", "--computer", "wall-1"}},
      // Lists without this computer: in the schedule's table.
      {"unlisted.pptx", {}},
  };
  for (const auto& file : files) {
    const std::string path = home.Write("folder/" + std::string(file.file), deck);
    if (file.list.empty()) continue;
    std::vector<std::string> arguments = {"distribution", path};
    arguments.insert(arguments.end(), file.list.begin(), file.list.end());
    home.Ok(arguments);
  }
  home.Write("folder/broken.pptx", "not a package");
  home.Write("folder/notes.txt", "not a presentation either, and not looked at");

  const ProgramResult result = home.Run({"player", "--folder", home.File("folder"), "--computer",
                                         "wall-1", "--for", "2.5", "--json"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  const std::string shown = home.File("folder/open.pptx");
  EXPECT_EQ(Occurrences(result.out, "\"event\":\"player-start\""), 1u) << result.out;
  EXPECT_EQ(Occurrences(result.out, "\"event\":\"player-start\",\"file\":\"" + shown + "\""), 1u)
      << result.out;
  EXPECT_EQ(Occurrences(result.out, "\"event\":\"show-begin\""), 1u) << result.out;
  EXPECT_THAT(result.out, HasSubstr("\"event\":\"player-stop\",\"file\":\"" + shown +
                                    "\",\"reason\":\"player ends\""));
  EXPECT_EQ(Occurrences(result.err, "broken.pptx"), 1u) << result.err;
  EXPECT_EQ(Occurrences(result.err, "notes.txt"), 0u) << result.err;

  // Without a folder there is nothing to follow; a folder that is not there is a typo.
  EXPECT_EQ(home.Run({"player", "--for", "1"}).exit_code, 2);
  const ProgramResult typo = home.Run({"player", "--folder", home.File("nope"), "--for", "1"});
  EXPECT_EQ(typo.exit_code, 2);
  EXPECT_THAT(typo.err,
              HasSubstr("--folder: " + home.File("nope") + ": No such file or directory"));
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
