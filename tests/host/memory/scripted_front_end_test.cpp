#include "host/memory/scripted_front_end.h"

#include <gtest/gtest.h>

#include <string>

#include "host/memory/error_number.h"

namespace vintrel::host::memory {
namespace {

TEST(ScriptedFrontEndTest, RecordsBoxesAndAnswersFromTheQueueInOrder) {
  ScriptedFrontEnd front_end;
  front_end.QueueAnswer(msg_box::kYes);
  front_end.QueueAnswer(msg_box::kCancel);
  EXPECT_EQ(front_end.MsgBox("Open the log?", msg_box::kYesNo | msg_box::kExclamation, "T"),
            msg_box::kYes);
  EXPECT_EQ(front_end.MsgBox("Go on?", msg_box::kOkCancel | msg_box::kQuestion, "T"),
            msg_box::kCancel);
  ASSERT_EQ(front_end.message_boxes().size(), 2u);
  const auto& first = front_end.message_boxes()[0];
  EXPECT_EQ(first.text, "Open the log?");
  EXPECT_EQ(first.buttons, msg_box::kYesNo);
  EXPECT_EQ(first.icon, msg_box::kExclamation);
  EXPECT_EQ(first.title, "T");
  EXPECT_EQ(front_end.message_boxes()[1].answer, msg_box::kCancel);
}

TEST(ScriptedFrontEndTest, UnscriptedBoxesGetTheUnattendedAnswer) {
  ScriptedFrontEnd front_end;
  EXPECT_EQ(front_end.MsgBox("a", msg_box::kOkOnly, ""), msg_box::kOk);
  EXPECT_EQ(front_end.MsgBox("b", msg_box::kOkCancel, ""), msg_box::kOk);
  EXPECT_EQ(front_end.MsgBox("c", msg_box::kYesNo, ""), msg_box::kNo);
  front_end.SetDefaultAnswer(msg_box::kYesNo, msg_box::kYes);
  EXPECT_EQ(front_end.MsgBox("d", msg_box::kYesNo, ""), msg_box::kYes);
}

TEST(ScriptedFrontEndTest, AnswererDecidesWhenNothingIsQueued) {
  ScriptedFrontEnd front_end;
  front_end.SetAnswerer([](const ScriptedFrontEnd::MessageBoxCall& box) {
    return box.text.find("log") != std::string::npos ? msg_box::kYes : msg_box::kNo;
  });
  front_end.QueueAnswer(msg_box::kNo);
  EXPECT_EQ(front_end.MsgBox("Open the log?", msg_box::kYesNo, ""), msg_box::kNo) << "queue first";
  EXPECT_EQ(front_end.MsgBox("Open the log?", msg_box::kYesNo, ""), msg_box::kYes);
  EXPECT_EQ(front_end.MsgBox("Delete?", msg_box::kYesNo, ""), msg_box::kNo);
}

TEST(ScriptedFrontEndTest, AnswerThatIsNoButtonOfTheBoxFails) {
  ScriptedFrontEnd front_end;
  front_end.QueueAnswer(msg_box::kYes);
  EXPECT_EQ(ErrorNumberOf([&] { front_end.MsgBox("only OK", msg_box::kOkOnly, ""); }),
            kErrInvalidArgument);
  EXPECT_EQ(front_end.message_boxes().size(), 1u) << "the box was still shown";
}

TEST(ScriptedFrontEndTest, PickersAnswerFromTheirOwnQueuesAndCancelOtherwise) {
  ScriptedFrontEnd front_end;
  front_end.QueueFile("/data/a.txt");
  front_end.QueueFolder("/data");
  EXPECT_EQ(front_end.BrowseForFolder("Folder"), "/data");
  EXPECT_EQ(front_end.BrowseForComputer("Computer"), "");
  EXPECT_EQ(front_end.BrowseForFile("File", "Text|*.txt", "/start"), "/data/a.txt");
  EXPECT_EQ(front_end.BrowseForFile("File", "", ""), "");
  ASSERT_EQ(front_end.pickers().size(), 4u);
  EXPECT_EQ(front_end.pickers()[2].kind, ScriptedFrontEnd::PickerKind::kFile);
  EXPECT_EQ(front_end.pickers()[2].filter, "Text|*.txt");
  EXPECT_EQ(front_end.pickers()[2].initial_path, "/start");
}

TEST(ScriptedFrontEndTest, HelpAndBusyAreRecorded) {
  ScriptedFrontEnd front_end;
  front_end.ShowHelp("vintrel.chm", 48);
  front_end.SetBusy(true);
  front_end.SetBusy(true);
  front_end.SetBusy(false);
  ASSERT_EQ(front_end.help_calls().size(), 1u);
  EXPECT_EQ(front_end.help_calls()[0].context_id, 48);
  EXPECT_EQ(front_end.busy_calls(), 3);
  EXPECT_EQ(front_end.busy_starts(), 1);
  EXPECT_FALSE(front_end.busy());
}

}  // namespace
}  // namespace vintrel::host::memory
