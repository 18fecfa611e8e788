#include "host/memory/memory_file_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/clock.h"
#include "host/memory/error_number.h"
#include "host/memory/failing_data_access.h"
#include "host/memory/memory_settings_store.h"
#include "host/memory/recording_shell.h"

namespace vintrel::host::memory {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

TEST(MemoryFileSystemTest, LengthAndTimeOfFiles) {
  MemoryFileSystem files;
  files.WriteFile("/data/a.txt", "12345");
  EXPECT_TRUE(files.Exists("/data/a.txt"));
  EXPECT_EQ(files.FileLength("/data/a.txt"), 5);
  files.SetLength("/data/a.txt", 1 << 20);
  EXPECT_EQ(files.FileLength("/data/a.txt"), 1 << 20);
  EXPECT_EQ(ErrorNumberOf([&] { files.FileLength("/data/b.txt"); }), kErrFileNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { files.FileDateTime("/data/b.txt"); }), kErrFileNotFound);
}

TEST(MemoryFileSystemTest, EachRewriteIsNewer) {
  MemoryFileSystem files;
  files.WriteFile("/data/a.txt", "1");
  const auto first = files.FileDateTime("/data/a.txt");
  files.WriteFile("/data/a.txt", "2");
  EXPECT_GT(files.FileDateTime("/data/a.txt"), first);
  files.SetModified("/data/a.txt", first);
  EXPECT_EQ(files.FileDateTime("/data/a.txt"), first);
}

TEST(MemoryFileSystemTest, WritesTakeTheClockTime) {
  FakeClock clock;
  MemoryFileSystem files(&clock);
  clock.Advance(std::chrono::minutes(5));
  files.WriteFile("/a", "");
  EXPECT_EQ(files.FileDateTime("/a"), clock.Now());
}

TEST(MemoryFileSystemTest, UniqueFilesAreNewEmptyAndDistinct) {
  MemoryFileSystem files;
  EXPECT_EQ(files.TempFolder(), "/tmp-memory");
  const std::string first = files.CreateUniqueFile(files.TempFolder(), "vt");
  const std::string second = files.CreateUniqueFile(files.TempFolder() + "/", "vt");
  EXPECT_THAT(first, StartsWith("/tmp-memory/vt"));
  EXPECT_NE(first, second);
  EXPECT_EQ(files.FileLength(first), 0);
  EXPECT_THAT(files.created(), ElementsAre(first, second));
  EXPECT_EQ(files.CreateUniqueFile("/no/such/folder", "vt"), "");
  files.set_fail_unique_files(true);
  EXPECT_EQ(files.CreateUniqueFile(files.TempFolder(), "vt"), "");
}

TEST(MemoryFileSystemTest, RemoveIsRecordedAndFalseForAbsentFiles) {
  MemoryFileSystem files;
  files.WriteFile("/data/a.txt", "x");
  EXPECT_TRUE(files.Remove("/data/a.txt"));
  EXPECT_FALSE(files.Remove("/data/a.txt"));
  EXPECT_FALSE(files.Exists("/data/a.txt"));
  EXPECT_THAT(files.removed(), ElementsAre("/data/a.txt"));
  EXPECT_TRUE(files.FolderExists("/data")) << "the folder stays";
}

TEST(PlatformFakesTest, SettingsShellAndMissingDataAccess) {
  MemorySettingsStore settings;
  settings.Set("Quendra Vintrel 2002", "Info", "Debug", "1");
  EXPECT_EQ(settings.GetSetting("Quendra Vintrel 2002", "Info", "Debug"), "1");
  EXPECT_EQ(settings.GetSetting("QUENDRA VINTREL 2002", "info", "debug"), "1");
  EXPECT_EQ(settings.GetSetting("Quendra Vintrel 2002", "Info", "HideUserInterface"), "");

  RecordingShell shell;
  EXPECT_TRUE(shell.Open("https://example.org"));
  shell.set_result(false);
  EXPECT_FALSE(shell.Open("/logs/errors.txt"));
  EXPECT_THAT(shell.opened(), ElementsAre("https://example.org", "/logs/errors.txt"));

  FailingDataAccess data_access;
  try {
    data_access.CreateRecordset();
    FAIL() << "no recordset without the components";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), kErrCannotCreateObject);
    EXPECT_EQ(error.source(), "ADODB.Recordset");
  }
  EXPECT_EQ(ErrorNumberOf([&] { data_access.CreateConnection(); }), kErrCannotCreateObject);
}

}  // namespace
}  // namespace vintrel::host::memory
