#include "support/shell_helpers.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "host/memory/memory_application.h"
#include "host/posix/posix_file_system.h"
#include "testing/test_context.h"

namespace vintrel {
namespace {

class ShellHelpersTest : public ::testing::Test {
 protected:
  // Temporary files are made on the real disk.
  void SetUp() override { ctx_.services.files = &posix_files_; }

  testing::TestContext twins_;
  Context& ctx_ = twins_.ctx;
  host::posix::PosixFileSystem posix_files_;
};

TEST_F(ShellHelpersTest, OpenUrlRecognisesOnlyThePlainWebPrefix) {
  OpenUrl(ctx_, "http://vintrel.example.org/");
  OpenUrl(ctx_, "HtTp://Example.org");
  OpenUrl(ctx_, "www.example.org");
  OpenUrl(ctx_, "https://example.org");
  EXPECT_EQ(twins_.shell.opened(),
            (std::vector<std::string>{"http://vintrel.example.org/", "HtTp://Example.org",
                                      "http://www.example.org", "http://https://example.org"}));
}

TEST_F(ShellHelpersTest, MakeTempFileNameCreatesAUniqueFileAndFillsAnEmptyPrefix) {
  testing::TempDir dir;
  testing::ScopedEnv tmp("TMPDIR", dir.path().c_str());
  std::string prefix;
  const std::string first = MakeTempFileName(ctx_, prefix);
  EXPECT_EQ(prefix, "TMP");
  EXPECT_EQ(std::filesystem::path(first).parent_path(), dir.path());
  EXPECT_EQ(std::filesystem::path(first).filename().string().rfind("TMP", 0), 0u);
  EXPECT_TRUE(std::filesystem::exists(first));
  EXPECT_EQ(std::filesystem::file_size(first), 0u);

  std::string same = "TMP";
  EXPECT_NE(MakeTempFileName(ctx_, same), first);

  testing::ScopedEnv nowhere("TMPDIR", "/nonexistent/folder");
  std::string other = "off";
  EXPECT_EQ(MakeTempFileName(ctx_, other), "");
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
  ctx_.module.host = &app;
  auto& presentation = app.AddPresentation("/shows/board.pptx");
  for (int i = 0; i < 5; ++i) presentation.AddSlide();
  auto hide = [&](std::initializer_list<int> slides) {
    for (int i = 1; i <= 5; ++i) presentation.slide(i).SlideShowTransition().SetHidden(false);
    for (int i : slides) presentation.slide(i).SlideShowTransition().SetHidden(true);
  };

  hide({});
  EXPECT_EQ(NextVisibleSlide(ctx_, 3), 4);
  EXPECT_EQ(NextVisibleSlide(ctx_, 5), 1);
  hide({4, 5});
  EXPECT_EQ(NextVisibleSlide(ctx_, 3), 1);
  hide({1, 2, 4, 5});
  EXPECT_EQ(NextVisibleSlide(ctx_, 3), 5);  // nothing else to show: the last slide
}

}  // namespace
}  // namespace vintrel
