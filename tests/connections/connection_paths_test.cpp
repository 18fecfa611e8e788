#include "connections/connection_paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "host/posix/posix_file_system.h"
#include "testing/test_context.h"

namespace vintrel {
namespace {

class ConnectionPathsTest : public ::testing::Test {
 protected:
  void SetUp() override { ctx_.services.addin_folder = "/opt/vintrel/"; }

  testing::TestContext twins_;
  Context& ctx_ = twins_.ctx;
};

TEST_F(ConnectionPathsTest, RelativePathsResolveAgainstThePresentationFolder) {
  struct Case {
    const char* path;
    const char* presentation;
    const char* resolved;
  };
  const Case relative[] = {
      {"..\\data\\x.txt", "C:\\shows\\june\\show.ppt", "C:\\shows\\data\\x.txt"},
      {"\\data\\x.txt", "C:\\shows\\june\\show.ppt", "C:\\shows\\june\\data\\x.txt"},
      {"..\\..\\x.txt", "C:\\shows\\june\\show.ppt", "C:\\x.txt"},
      // Only leading ".." climb; "." stays as it is.
      {".\\a\\..\\x.txt", "C:\\shows\\show.ppt", "C:\\shows\\.\\a\\..\\x.txt"},
      // A presentation on Linux: joined with slashes, and the root is kept.
      {"..\\data\\sales.txt", "/home/ann/shows/board.pptx", "/home/ann/data/sales.txt"},
      {"data/sales.txt", "/home/ann/board.pptx", "/home/ann/data/sales.txt"},
      {"../../../x.txt", "/srv/board.pptx", "/x.txt"},
      {"..\\x.txt", "Presentation1", "..\\x.txt"},  // a presentation without folder
  };
  for (const Case& c : relative) {
    EXPECT_EQ(ResolveRelativePath(c.path, c.presentation), c.resolved) << c.path;
  }
  const Case connection[] = {
      {"data.txt", "C:\\shows\\show.ppt", "C:\\shows\\data.txt"},
      {"", "C:\\shows\\show.ppt", ""},
      // The placeholder, in any case (the last check below), becomes the add-in folder; nothing
      // else changes, so the relative Jet data source around it stays relative.
      {"[VINTRELFOLDER]\\sales.txt", "C:\\s\\show.ppt", "/opt/vintrel\\sales.txt"},
      {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=[VINTRELFOLDER]\\a.mdb;x=db\\b",
       "C:\\s\\show.ppt",
       "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/opt/vintrel\\a.mdb;x=db\\b"},
      // A relative Jet or SQLite data source is resolved, and every part ends with a semicolon.
      {"PROVIDER=MICROSOFT.JET.OLEDB.4.0;data source=db.mdb;", "/home/ann/board.pptx",
       "PROVIDER=MICROSOFT.JET.OLEDB.4.0;DATA SOURCE=/home/ann/db.mdb;;"},
      {"provider=SQLite;Data Source=..\\data\\board.db", "/home/ann/shows/board.pptx",
       "provider=SQLite;DATA SOURCE=/home/ann/data/board.db;"},
      {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\db.mdb", "C:\\shows\\show.ppt",
       "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\db.mdb;"},
  };
  for (const Case& c : connection) {
    EXPECT_EQ(ResolveConnectionPath(ctx_, c.path, c.presentation), c.resolved) << c.path;
  }
  EXPECT_EQ(NativePath(ctx_, ResolveConnectionPath(ctx_, "[VintrelFolder]\\sales.txt", "x")),
            "/opt/vintrel/sales.txt");
}

TEST_F(ConnectionPathsTest, AbsolutePathsUrlsAndOtherProvidersStay) {
  for (const char* text : {"C:\\data\\x.txt", "c:/data/x.txt", "\\\\server\\share\\x.txt",
                           "//server/share/x.txt", "/home/ann/x.txt", "http://example.org/x.txt",
                           "FILE:///tmp/x.txt", "Provider=SQLOLEDB;Data Source=db1", "DSN=sales",
                           "Driver={SQLite3};Database=x.db", "filedsn=shop.dsn"}) {
    EXPECT_EQ(ResolveConnectionPath(ctx_, text, "C:\\shows\\show.ppt"), text);
  }
}

TEST_F(ConnectionPathsTest, NativePathTurnsBackslashesAndFileUris) {
  EXPECT_EQ(NativePath(ctx_, "C:\\shows\\data\\x.txt"), "C:/shows/data/x.txt");
  EXPECT_EQ(NativePath(ctx_, "file:///home/ann/my%20data.txt"), "/home/ann/my data.txt");
  EXPECT_EQ(NativePath(ctx_, "file://localhost/tmp/x.txt"), "/tmp/x.txt");
  EXPECT_EQ(NativePath(ctx_, "file:///C:/x.txt"), "C:/x.txt");
  EXPECT_EQ(NativePath(ctx_, "file://server/share/x.txt"), "//server/share/x.txt");
  EXPECT_EQ(NativePath(ctx_, "/already/native"), "/already/native");
}

// A copy sent into a distribution folder finds what is beside it first, then what is beside the
// presentation it was sent from.
TEST_F(ConnectionPathsTest, ASentCopyFindsItsFilesWhereItWasSentFrom) {
  host::posix::PosixFileSystem posix_files;
  ctx_.services.files = &posix_files;
  testing::TempDir dir;
  std::filesystem::create_directories(dir.File("origin/data"));
  std::filesystem::create_directories(dir.File("dist/data"));
  dir.Write("origin/data/sales.tsv", "x");
  dir.Write("origin/board.db", "x");
  dir.Write("origin/data/both.tsv", "x");
  dir.Write("dist/data/both.tsv", "x");
  const std::string copy = dir.File("dist/board.pptx");
  struct Case {
    const char* text;
    std::string resolved;
  };
  const Case cases[] = {
      {"data/sales.tsv", dir.File("origin/data/sales.tsv")},
      {"data\\both.tsv", dir.File("dist/data/both.tsv")},
      {"data/absent.tsv", dir.File("dist/data/absent.tsv")},
      {"Provider=SQLite;Data Source=board.db",
       "Provider=SQLite;DATA SOURCE=" + dir.File("origin/board.db") + ";"},
  };
  SetSentFromFolder(ctx_, copy, dir.File("origin"));
  for (const Case& c : cases)
    EXPECT_EQ(ResolveConnectionPath(ctx_, c.text, copy), c.resolved) << c.text;
  // Another presentation, or the copy once forgotten, resolves beside itself.
  EXPECT_EQ(ResolveConnectionPath(ctx_, "data/sales.tsv", dir.File("dist/other.pptx")),
            dir.File("dist/data/sales.tsv"));
  SetSentFromFolder(ctx_, copy, "");
  EXPECT_EQ(ResolveConnectionPath(ctx_, "data/sales.tsv", copy), dir.File("dist/data/sales.tsv"));
}

}  // namespace
}  // namespace vintrel
