#include "support/shell_helpers.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "host/memory/memory_application.h"
#include "host/memory/recording_shell.h"
#include "host/memory/scripted_front_end.h"
#include "host/posix/posix_file_system.h"
#include "support/context.h"
#include "testing/temp_dir.h"

namespace vintrel {
namespace {

class ShellHelpersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModuleState();
    Services().shell = &shell_;
    Services().front_end = &front_end_;
    Services().files = &files_;
  }
  void TearDown() override { ResetModuleState(); }

  host::memory::RecordingShell shell_;
  host::memory::ScriptedFrontEnd front_end_;
  host::posix::PosixFileSystem files_;
};

TEST_F(ShellHelpersTest, OpenUrlRecognisesOnlyThePlainWebPrefix) {
  OpenUrl("http://vintrel.example.org/");
  OpenUrl("HtTp://Example.org");
  OpenUrl("www.example.org");
  OpenUrl("https://example.org");
  OpenUrl("ftp://example.org");
  EXPECT_EQ(shell_.opened(),
            (std::vector<std::string>{"http://vintrel.example.org/", "HtTp://Example.org",
                                      "http://www.example.org", "http://https://example.org",
                                      "http://ftp://example.org"}));
}

TEST_F(ShellHelpersTest, MakeTempFileNameCreatesAUniqueFileAndFillsAnEmptyPrefix) {
  testing::TempDir dir;
  testing::ScopedEnv tmp("TMPDIR", dir.path().c_str());
  std::string prefix;
  const std::string first = MakeTempFileName(prefix);
  EXPECT_EQ(prefix, "TMP");
  EXPECT_EQ(std::filesystem::path(first).parent_path(), dir.path());
  EXPECT_EQ(std::filesystem::path(first).filename().string().rfind("TMP", 0), 0u);
  EXPECT_TRUE(std::filesystem::exists(first));
  EXPECT_EQ(std::filesystem::file_size(first), 0u);

  std::string same = "TMP";
  EXPECT_NE(MakeTempFileName(same), first);

  testing::ScopedEnv nowhere("TMPDIR", "/nonexistent/folder");
  std::string other = "off";
  EXPECT_EQ(MakeTempFileName(other), "");
}

TEST_F(ShellHelpersTest, HostMajorVersionIsThePartBeforeTheFirstDot) {
  host::memory::MemoryApplication app;
  for (const auto& [version, major] : std::vector<std::pair<std::string, int>>{
           {"10.0", 10}, {"10.2", 10}, {"9.0", 9}, {"11.0", 11}, {"12.1.3", 12}}) {
    app.set_version(version);
    EXPECT_EQ(GetHostMajorVersion(app), major) << version;
  }
  for (const char* bad : {"10", "x.0", ".5", "99999.0"}) {
    app.set_version(bad);
    EXPECT_THROW(GetHostMajorVersion(app), Error) << bad;
  }
}

TEST_F(ShellHelpersTest, NextVisibleSlideWrapsAroundHiddenSlides) {
  host::memory::MemoryApplication app;
  Module().host = &app;
  auto& presentation = app.AddPresentation("/shows/board.pptx");
  for (int i = 0; i < 5; ++i) presentation.AddSlide();
  auto hide = [&](std::initializer_list<int> slides) {
    for (int i = 1; i <= 5; ++i) presentation.slide(i).SlideShowTransition().SetHidden(false);
    for (int i : slides) presentation.slide(i).SlideShowTransition().SetHidden(true);
  };

  hide({});
  EXPECT_EQ(NextVisibleSlide(3), 4);
  EXPECT_EQ(NextVisibleSlide(5), 1);
  hide({4, 5});
  EXPECT_EQ(NextVisibleSlide(3), 1);
  hide({1, 2, 4, 5});
  EXPECT_EQ(NextVisibleSlide(3), 5);  // nothing else to show: the last slide
  hide({4});
  EXPECT_EQ(NextVisibleSlide(3), 5);
}

}  // namespace
}  // namespace vintrel
