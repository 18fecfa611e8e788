// What killed saves leave beside a file goes with the next save of that file; what running saves
// (locked) and other files have there stays.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "host/ooxml/package_presentation.h"
#include "package_test_support.h"

namespace vintrel::ooxml {
namespace {

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

TEST(SaveFilesTest, TheNextSaveRemovesWhatDeadSavesLeftAndNothingElse) {
  vintrel::testing::TempDir dir;
  const std::string deck = testing::WriteDeck(dir, testing::TextBox(2, "A", "x"), "deck.pptx");
  const std::set<std::string> stale = {
      ".deck.pptx.vintrel-a1B2c3",             // marker of a save killed early
      ".deck.pptx.vintrel-a1B2c3.zip",         // the package it was writing
      ".deck.pptx.vintrel-a1B2c3.zip.Xy9Zw8",  // libzip's file under it
      ".deck.pptx.vintrel-Q7r8S9",             // an older version's temporary file
      ".deck.pptx.vintrel-Q7r8S9.k2L3m4",
  };
  const std::set<std::string> kept = {
      ".deck.pptx.vintrel-LiVe01",      // a save running in another process (locked below)
      ".deck.pptx.vintrel-LiVe01.zip",  //
      ".deck.pptx.vintrel-notes.txt",   // not a marker: other length
      ".other.pptx.vintrel-a1B2c3",     // another file's
      "deck.pptx.vintrel-a1B2c3",       // not hidden: not ours
  };
  for (const std::string& name : stale) dir.Write(name, "partial");
  for (const std::string& name : kept) dir.Write(name, "partial");
  int running = ::open(dir.File(".deck.pptx.vintrel-LiVe01").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(running, LOCK_EX), 0);

  auto presentation = PackagePresentation::Open(deck);
  presentation->Slides().Item(1).Shapes().Item(1).TextFrame().TextRange().SetText("saved");
  presentation->Save();

  std::set<std::string> expected = kept;
  expected.insert("deck.pptx");
  EXPECT_EQ(Names(dir.path()), expected);
  ::close(running);
  // Once the other save is gone, its files are stale too.
  presentation->Slides().Item(1).Shapes().Item(1).TextFrame().TextRange().SetText("again");
  presentation->Save();
  expected.erase(".deck.pptx.vintrel-LiVe01");
  expected.erase(".deck.pptx.vintrel-LiVe01.zip");
  EXPECT_EQ(Names(dir.path()), expected);
  auto reopened = PackagePresentation::Open(deck);
  EXPECT_EQ(reopened->Slides().Item(1).Shapes().Item(1).TextFrame().TextRange().Text(), "again");
}

}  // namespace
}  // namespace vintrel::ooxml
