#include "connections/connection_paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/module_state.h"
#include "testing/temp_dir.h"

namespace vintrel {
namespace {

class ConnectionPathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModuleState();
    Services().addin_folder = "/opt/vintrel/";
  }
  void TearDown() override { ResetModuleState(); }
};

TEST_F(ConnectionPathsTest, RelativeWindowsPathsClimbOrStayInThePresentationFolder) {
  EXPECT_EQ(ResolveRelativePath("..\\data\\x.txt", "C:\\shows\\june\\show.ppt"),
            "C:\\shows\\data\\x.txt");
  EXPECT_EQ(ResolveRelativePath("\\data\\x.txt", "C:\\shows\\june\\show.ppt"),
            "C:\\shows\\june\\data\\x.txt");
  EXPECT_EQ(ResolveRelativePath("..\\..\\x.txt", "C:\\shows\\june\\show.ppt"), "C:\\x.txt");
  // Only leading ".." climb; "." stays as it is.
  EXPECT_EQ(ResolveRelativePath(".\\a\\..\\x.txt", "C:\\shows\\show.ppt"),
            "C:\\shows\\.\\a\\..\\x.txt");
}

TEST_F(ConnectionPathsTest, PosixPresentationsJoinWithSlashesAndKeepTheRoot) {
  EXPECT_EQ(ResolveRelativePath("..\\data\\sales.txt", "/home/ann/shows/board.pptx"),
            "/home/ann/data/sales.txt");
  EXPECT_EQ(ResolveRelativePath("data/sales.txt", "/home/ann/board.pptx"),
            "/home/ann/data/sales.txt");
  EXPECT_EQ(ResolveRelativePath("../../../x.txt", "/srv/board.pptx"), "/x.txt");
}

TEST_F(ConnectionPathsTest, APresentationWithoutFolderLeavesThePath) {
  EXPECT_EQ(ResolveRelativePath("..\\x.txt", "Presentation1"), "..\\x.txt");
  EXPECT_EQ(ResolveConnectionPath("data.txt", "Presentation1"), "data.txt");
}

TEST_F(ConnectionPathsTest, AbsolutePathsUrlsAndOtherProvidersStay) {
  for (const char* text : {"C:\\data\\x.txt", "c:/data/x.txt", "\\\\server\\share\\x.txt",
                           "//server/share/x.txt", "/home/ann/x.txt", "http://example.org/x.txt",
                           "FILE:///tmp/x.txt", "Provider=SQLOLEDB;Data Source=db1", "DSN=sales",
                           "Driver={SQLite3};Database=x.db", "filedsn=shop.dsn"}) {
    EXPECT_EQ(ResolveConnectionPath(text, "C:\\shows\\show.ppt"), text);
  }
  EXPECT_EQ(ResolveConnectionPath("", "C:\\shows\\show.ppt"), "");
}

TEST_F(ConnectionPathsTest, RelativeFileNamesResolveAgainstThePresentation) {
  EXPECT_EQ(ResolveConnectionPath("data.txt", "C:\\shows\\show.ppt"), "C:\\shows\\data.txt");
  EXPECT_EQ(ResolveConnectionPath("..\\data\\sales.txt", "/home/ann/shows/board.pptx"),
            "/home/ann/data/sales.txt");
}

TEST_F(ConnectionPathsTest, PlaceholderInAnyCaseBecomesTheAddInFolder) {
  EXPECT_EQ(ResolveConnectionPath("[VINTRELFOLDER]\\sales.txt", "C:\\s\\show.ppt"),
            "/opt/vintrel\\sales.txt");
  EXPECT_EQ(ResolveConnectionPath("[vintrelfolder]\\sales.txt", "C:\\s\\show.ppt"),
            "/opt/vintrel\\sales.txt");
  EXPECT_EQ(NativePath(ResolveConnectionPath("[VintrelFolder]\\sales.txt", "x")),
            "/opt/vintrel/sales.txt");
  // Nothing else changes: the relative Jet data source around it stays relative.
  EXPECT_EQ(ResolveConnectionPath(
                "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=[VINTRELFOLDER]\\a.mdb;x=db\\b",
                "C:\\s\\show.ppt"),
            "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/opt/vintrel\\a.mdb;x=db\\b");
}

TEST_F(ConnectionPathsTest, JetDataSourceIsResolvedAndEveryPartEndsWithSemicolon) {
  EXPECT_EQ(ResolveConnectionPath("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=db\\sales.mdb",
                                  "C:\\shows\\show.ppt"),
            "Provider=Microsoft.Jet.OLEDB.4.0;DATA SOURCE=C:\\shows\\db\\sales.mdb;");
  EXPECT_EQ(ResolveConnectionPath("PROVIDER=MICROSOFT.JET.OLEDB.4.0;data source=db.mdb;",
                                  "/home/ann/board.pptx"),
            "PROVIDER=MICROSOFT.JET.OLEDB.4.0;DATA SOURCE=/home/ann/db.mdb;;");
  EXPECT_EQ(ResolveConnectionPath("provider=SQLite;Data Source=..\\data\\board.db",
                                  "/home/ann/shows/board.pptx"),
            "provider=SQLite;DATA SOURCE=/home/ann/data/board.db;");
  EXPECT_EQ(ResolveConnectionPath("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\db.mdb",
                                  "C:\\shows\\show.ppt"),
            "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\db.mdb;");
}

TEST_F(ConnectionPathsTest, NativePathTurnsBackslashesAndFileUris) {
  EXPECT_EQ(NativePath("C:\\shows\\data\\x.txt"), "C:/shows/data/x.txt");
  EXPECT_EQ(NativePath("file:///home/ann/my%20data.txt"), "/home/ann/my data.txt");
  EXPECT_EQ(NativePath("file://localhost/tmp/x.txt"), "/tmp/x.txt");
  EXPECT_EQ(NativePath("file:///C:/x.txt"), "C:/x.txt");
  EXPECT_EQ(NativePath("file://server/share/x.txt"), "//server/share/x.txt");
  EXPECT_EQ(NativePath("/already/native"), "/already/native");
}

TEST_F(ConnectionPathsTest, WindowsTagsFindTheirFilesAfterAMoveToLinux) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.File("shows"));
  std::filesystem::create_directories(dir.File("data"));
  const std::string beside = dir.Write("sales.txt", "A\tB\r\n");
  const std::string nested = dir.Write("data/q1.txt", "x");
  const std::string show = dir.File("shows/board.pptx");
  EXPECT_EQ(NativePath(ResolveConnectionPath("..\\sales.txt", show)), beside);
  EXPECT_EQ(NativePath(ResolveConnectionPath("..\\data\\q1.txt", show)), nested);
  EXPECT_EQ(NativePath(ResolveConnectionPath(
                "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=..\\data\\q1.txt", show)),
            "Provider=Microsoft.Jet.OLEDB.4.0;DATA SOURCE=" + nested + ";");
}

}  // namespace
}  // namespace vintrel
