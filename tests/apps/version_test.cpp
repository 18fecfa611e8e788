#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "testing/run_program.h"
#include "testing/temp_dir.h"

namespace vintrel::testing {
namespace {

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

TEST(ProgramTest, BadUsageExitsWithTwoAndSaysWhyOnStderr) {
  const ProgramResult result = RunProgram(VINTREL_PROGRAM, {"--no-such-option"});
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_NE(result.err.find("--no-such-option"), std::string::npos) << result.err;
  const ProgramResult help = RunProgram(VINTREL_PROGRAM, {"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("--version"), std::string::npos);
}

}  // namespace
}  // namespace vintrel::testing
