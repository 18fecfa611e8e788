#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "testing/run_program.h"
#include "testing/temp_dir.h"

namespace vintrel::testing {
namespace {

TEST(VersionCommandTest, PrintsTheVersionAndTracesAWholeLoadWhenDebugging) {
  TempDir home;
  const std::string settings = home.Write("settings.ini", "[Info]\r\nDebug=1\r\n");
  const ProgramResult result =
      RunProgram(VINTREL_PROGRAM, {"--version"},
                 {{"VINTREL_HOME", home.path()}, {"VINTREL_SETTINGS", settings}});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_TRUE(std::regex_match(result.out, std::regex("[0-9]+\\.[0-9]+\\.[0-9]+\n"))) << result.out;
  EXPECT_EQ(result.err, "");

  const std::string log = ReadFile(home.File("vintrel.dbg"));
  const std::string version = result.out.substr(0, result.out.size() - 1);
  const std::regex first_lines(
      "[^ ]+ [^ ]+\\.[0-9]{3} Event        OnConnection\r\n"
      "[^ ]+ [^ ]+\\.[0-9]{3} Information  Quendra Vintrel 2002 - Personal Edition\r\n"
      "[^ ]+ [^ ]+\\.[0-9]{3} Information  vintrel\r\n"
      "[^ ]+ [^ ]+\\.[0-9]{3} Information  " +
      home.path() +
      "\r\n"
      "[^ ]+ [^ ]+\\.[0-9]{3} Information  " +
      std::regex_replace(version, std::regex("\\."), "\\.") + "\r\n(.|\r|\n)*");
  EXPECT_TRUE(std::regex_match(log, first_lines)) << log;
  EXPECT_NE(log.rfind("Information  Program shut down.\r\n"), std::string::npos);
  EXPECT_EQ(log.substr(log.size() - std::string("Program shut down.\r\n").size()),
            "Program shut down.\r\n");
}

TEST(VersionCommandTest, WithoutDebugNoLogIsWritten) {
  TempDir home;
  const ProgramResult result =
      RunProgram(VINTREL_PROGRAM, {"--version"},
                 {{"VINTREL_HOME", home.path()}, {"VINTREL_SETTINGS", home.File("absent.ini")}});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_FALSE(std::filesystem::exists(home.File("vintrel.dbg")));
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
