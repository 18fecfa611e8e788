// vintrel distribution on a real presentation file: the list a run writes is what the next run
// reads back, and a run the form refuses leaves the file's bytes as they were. Which windows and
// lists the form refuses is in tests/offline.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <fstream>
#include <thread>

#include "faults/fault_support.h"
#include "testing/run_program.h"
#include "testing/temp_dir.h"

namespace vintrel::testing {
namespace {

TEST(DistributionCommandTest, SetRefuseAndClearTheList) {
  ProgramHome home;
  const std::string deck =
      home.Write("deck.pptx", ReadFile(FixturePath("pptx/poi-pie-chart.pptx")));
  const char* written =
      "start\t2026-12-24T18:00:00\nstop\t2026-12-24T20:00:00\ncomputer\twall-1\ncomputer\tlobby\n";
  const struct {
    const char* name;
    std::vector<std::string> options;
    int exit_code;
    const char* error;   // part of stderr
    const char* listed;  // what the file then holds; null: the file is unchanged
  } steps[] = {
      {"set",
       {"--start", "2026-12-24 18:00", "--stop", "12/24/2026 8:00:00 PM", "--computer", "wall-1",
        "lobby"},
       0,
       "",
       written},
      {"start not a date",
       {"--start", "soon", "--stop", "2026-12-24 20:00"},
       2,
       "No valid start date specified. Please specify date and time.",
       nullptr},
      {"clear and set at once", {"--clear", "--computer", "b"}, 2, "", nullptr},
      {"a computer name with a TAB",
       {"--computer", "wall\t1"},
       2,
       "A computer name cannot contain a TAB or a line break.",
       nullptr},
      {"an empty computer name", {"--computer", ""}, 2, "cannot be empty", nullptr},
      {"a date without a time",
       {"--start", "2026-12-25", "--stop", "2026-12-25 20:00"},
       2,
       "No valid start date specified.",
       nullptr},
      {"window moved, list kept",
       {"--start", "2026-12-25 09:00", "--stop", "2026-12-25 10:00"},
       0,
       "",
       "start\t2026-12-25T09:00:00\nstop\t2026-12-25T10:00:00\ncomputer\twall-"
       "1\ncomputer\tlobby\n"},
      {"clear", {"--clear"}, 0, "", ""},
  };
  const std::map<std::string, std::string> environment = home.Environment();
  std::string expected_list;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    const std::string before = ReadFile(deck);
    std::vector<std::string> arguments = {"distribution", deck};
    arguments.insert(arguments.end(), step.options.begin(), step.options.end());
    const ProgramResult result = RunProgram(VINTREL_PROGRAM, arguments, environment);
    EXPECT_EQ(result.exit_code, step.exit_code) << result.err;
    EXPECT_NE(result.err.find(step.error), std::string::npos) << result.err;
    if (step.listed == nullptr) {
      EXPECT_EQ(ReadFile(deck), before) << "a refused run writes nothing";
    } else {
      expected_list = step.listed;
    }
    const ProgramResult listed = RunProgram(VINTREL_PROGRAM, {"distribution", deck}, environment);
    EXPECT_EQ(listed.exit_code, 0) << listed.err;
    EXPECT_EQ(listed.out, expected_list);
  }
}

// "2026-12-24 18:00" in UTC (the tests' zone), `hours` from now.
std::string HoursFromNow(int hours) {
  const std::time_t when = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now() +
                                                                std::chrono::hours(hours));
  std::tm fields{};
  gmtime_r(&when, &fields);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &fields);
  return text;
}

// A copy sent into the distribution folder is shown by a player there with the data of the
// folder it was sent from, and a screen does not wait for files that are not beside the copy.
TEST(DistributionCommandTest, APlayerShowsASentCopyWithItsData) {
  ExampleCopy example;
  example.Settings("[Info]\nDistributionFolder=" + example.File("dist") + "\n");
  const std::string deck = example.Example("sales-board.pptx");
  ASSERT_EQ(example
                .Vintrel({"distribution", deck, "--computer", "screen-1", "--start",
                          HoursFromNow(-1), "--stop", HoursFromNow(2)})
                .exit_code,
            0);
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
  EXPECT_EQ(shown.err.find("not found"), std::string::npos) << shown.err;
  const std::vector<ShowEvent> events = ParseEvents(shown.out);
  EXPECT_TRUE(EventsOf(events, "connection-failed").empty()) << shown.out;
  EXPECT_EQ(TextsOf(events, "North sales"), std::vector<std::string>{"1999.5"}) << shown.out;
}

}  // namespace
}  // namespace vintrel::testing
