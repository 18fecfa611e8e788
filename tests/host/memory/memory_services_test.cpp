// The in-memory command bars, files and front end: what the suites above rely on — positions and
// deletes as the host does them, unique files that can fail, and answers that can be scripted.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "host/memory/error_number.h"
#include "host/memory/memory_command_bars.h"
#include "host/memory/memory_file_system.h"
#include "host/memory/scripted_front_end.h"

namespace vintrel::host::memory {
namespace {

using ::testing::StartsWith;

TEST(MemoryCommandBarsTest, MenuInsertedBeforeTheWindowMenuAndDeletesCascade) {
  MemoryCommandBars bars;
  host::CommandBarControls& menu = bars.Item("menu bar").Controls();
  const int window = menu.Item("&WINDOW").Index();
  host::CommandBarControl& popup = menu.Add(control_type::kPopup, window, true);
  popup.SetCaption("V&intrel");
  host::CommandBarControl& item = popup.Controls().Add(control_type::kButton);
  EXPECT_EQ(popup.Index(), window);
  EXPECT_EQ(menu.Item("&Window").Index(), window + 1);
  EXPECT_EQ(ErrorNumberOf([&] { menu.Item("Window"); }), kErrInvalidArgument)
      << "the accelerator is part of the caption";
  EXPECT_EQ(ErrorNumberOf([&] { menu.Add(control_type::kButton, menu.Count() + 2); }),
            kErrInvalidArgument);

  popup.Delete();
  EXPECT_EQ(menu.Item("&Window").Index(), window);
  EXPECT_NE(ErrorNumberOf([&] { popup.Delete(); }), 0) << "second delete";
  EXPECT_NE(ErrorNumberOf([&] { item.SetEnabled(false); }), 0) << "items go with their popup";
  EXPECT_NE(ErrorNumberOf([&] { bars.Item("OLE Object").Delete(); }), 0) << "built-in bar";
  host::CommandBar& bar = bars.Add("Tool", bar_position::kTop, true);
  host::CommandBarControl& button = bar.Controls().Add(control_type::kButton);
  EXPECT_EQ(ErrorNumberOf([&] { bars.Add("tool", bar_position::kTop, true); }),
            kErrInvalidArgument);
  bar.Delete();
  EXPECT_NE(ErrorNumberOf([&] { button.Caption(); }), 0);
  EXPECT_EQ(ErrorNumberOf([&] { bars.Item("Nope"); }), kErrInvalidArgument);
}

TEST(MemoryFileSystemTest, RewritesAreNewerAndUniqueFilesNeedTheirFolder) {
  MemoryFileSystem files;
  files.WriteFile("/data/a.txt", "1");
  const auto first = files.FileDateTime("/data/a.txt");
  files.WriteFile("/data/a.txt", "2");
  EXPECT_GT(files.FileDateTime("/data/a.txt"), first);
  EXPECT_EQ(ErrorNumberOf([&] { files.FileLength("/data/b.txt"); }), kErrFileNotFound);
  EXPECT_TRUE(files.Remove("/data/a.txt"));
  EXPECT_FALSE(files.Remove("/data/a.txt"));

  const std::string unique = files.CreateUniqueFile(files.TempFolder(), "vt");
  EXPECT_THAT(unique, StartsWith(files.TempFolder() + "/vt"));
  EXPECT_NE(files.CreateUniqueFile(files.TempFolder() + "/", "vt"), unique);
  EXPECT_EQ(files.FileLength(unique), 0);
  EXPECT_EQ(files.CreateUniqueFile("/no/such/folder", "vt"), "");
}

TEST(ScriptedFrontEndTest, AnswersComeFromTheQueueElseTheUnattendedDefault) {
  ScriptedFrontEnd front_end;
  EXPECT_EQ(front_end.MsgBox("a", msg_box::kOkCancel, ""), msg_box::kOk);
  EXPECT_EQ(front_end.MsgBox("b", msg_box::kYesNo, ""), msg_box::kNo);
  front_end.QueueAnswer(msg_box::kYes);
  EXPECT_EQ(front_end.MsgBox("Open the log?", msg_box::kYesNo | msg_box::kExclamation, "T"),
            msg_box::kYes);
  EXPECT_EQ(front_end.message_boxes()[2].icon, msg_box::kExclamation);
  front_end.QueueAnswer(msg_box::kYes);
  EXPECT_EQ(ErrorNumberOf([&] { front_end.MsgBox("only OK", msg_box::kOkOnly, ""); }),
            kErrInvalidArgument)
      << "an answer that is no button of the box";

  front_end.QueueFolder("/data");
  EXPECT_EQ(front_end.BrowseForFile("File", "Text|*.txt", "/start"), "") << "queues per picker";
  EXPECT_EQ(front_end.BrowseForFolder("Folder"), "/data");
}

}  // namespace
}  // namespace vintrel::host::memory
