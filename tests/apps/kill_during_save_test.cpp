// A save killed at any moment (SIGKILL: no handler, no cleanup) never harms the file: it is either
// the file as it was or the complete new one, never a mix. The killed save's temporary files are
// removed by the next save of the same file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "faults/fault_support.h"
#include "host/ooxml/package_presentation.h"
#include "linked_deck.h"

namespace vintrel::testing {
namespace {

namespace fs = std::filesystem;
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
  bench::Sizes sizes;
  sizes.slides = kSlides;
  sizes.boxes = 8;
  sizes.rows = 500;
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
  std::printf("%d of %d saves killed (a save takes %.0f ms); %d kills left temporary files\n",
              killed, kKills, std::chrono::duration<double, std::milli>(save_time).count(),
              left_files);
  EXPECT_GT(killed, kKills / 4);
}

}  // namespace
}  // namespace vintrel::testing
