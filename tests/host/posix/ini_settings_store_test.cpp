#include "host/posix/ini_settings_store.h"

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace vintrel::host::posix {
namespace {

constexpr const char* kApp = "Quendra Vintrel 2002";

TEST(IniSettingsStoreTest, ReadsKeysOfTheInfoSectionWithoutCase) {
  testing::TempDir dir;
  IniSettingsStore store(dir.Write("settings.ini",
                                   "; the add-in's settings\r\n"
                                   "[Other]\nDebug=0\n"
                                   "[info]\n"
                                   "debug = True\n"
                                   "HideUserInterface=\" 1\"\n"
                                   "# comment\n"
                                   "HideProgressMeterOpen=1\n"));
  EXPECT_EQ(store.GetSetting(kApp, "Info", "Debug"), "True");
  EXPECT_EQ(store.GetSetting(kApp, "Info", "HideUserInterface"), " 1");  // quotes keep blanks
  EXPECT_EQ(store.GetSetting(kApp, "INFO", "hideprogressmeteropen"), "1");
  EXPECT_EQ(store.GetSetting(kApp, "Info", "HideMsgBoxOfflineGeneration"), "");
}

TEST(IniSettingsStoreTest, ReadsAWholeSection) {
  testing::TempDir dir;
  IniSettingsStore store(dir.Write("settings.ini",
                                   "[Info]\nDebug=1\n"
                                   "[PathMap]\n"
                                   "C:\\Shows = /srv/shows\n"
                                   "\\\\server\\share=\"/mnt/my share\"\n"));
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(store.GetAllSettings(kApp, "pathmap"),
            (Pairs{{"C:\\SHOWS", "/srv/shows"}, {"\\\\SERVER\\SHARE", "/mnt/my share"}}));
  EXPECT_EQ(store.GetAllSettings(kApp, "Absent"), Pairs{});
  EXPECT_EQ(IniSettingsStore(dir.File("none.ini")).GetAllSettings(kApp, "PathMap"), Pairs{});
}

TEST(IniSettingsStoreTest, MissingUnreadableOrMalformedFilesReadAsAbsentKeys) {
  testing::TempDir dir;
  for (const std::string& path : {dir.File("none.ini"), dir.path(),  // a folder
                                  dir.Write("bad.ini", "[Info]\nDebug=1\nthis line is garbage\n"),
                                  dir.Write("nosection.ini", "Debug=1\n")}) {
    EXPECT_EQ(IniSettingsStore(path).GetSetting(kApp, "Info", "Debug"), "") << path;
  }
}

TEST(IniSettingsStoreTest, DefaultPathFollowsTheEnvironment) {
  {
    testing::ScopedEnv explicit_path("VINTREL_SETTINGS", "/etc/vintrel.ini");
    EXPECT_EQ(DefaultSettingsPath(), "/etc/vintrel.ini");
  }
  testing::ScopedEnv no_explicit("VINTREL_SETTINGS", nullptr);
  {
    testing::ScopedEnv config("XDG_CONFIG_HOME", "/home/ann/.cfg");
    EXPECT_EQ(DefaultSettingsPath(), "/home/ann/.cfg/vintrel/settings.ini");
  }
  testing::ScopedEnv no_config("XDG_CONFIG_HOME", nullptr);
  testing::ScopedEnv home("HOME", "/home/bob");
  EXPECT_EQ(DefaultSettingsPath(), "/home/bob/.config/vintrel/settings.ini");
}

}  // namespace
}  // namespace vintrel::host::posix
