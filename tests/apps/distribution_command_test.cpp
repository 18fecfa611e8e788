// vintrel distribution on a real presentation file: the list a run writes is what the next run
// reads back, and a run the form refuses leaves the file's bytes as they were. Which windows and
// lists the form refuses is in tests/offline.
#include <gtest/gtest.h>

#include "testing/run_program.h"
#include "testing/temp_dir.h"

namespace vintrel::testing {
namespace {

TEST(DistributionCommandTest, SetRefuseAndClearTheList) {
  TempDir home;
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
  const std::map<std::string, std::string> environment = {
      {"VINTREL_HOME", home.path()}, {"VINTREL_SETTINGS", home.File("absent.ini")}};
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

}  // namespace
}  // namespace vintrel::testing
