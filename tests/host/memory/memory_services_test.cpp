// The in-memory command bars, data access, files, spreadsheet program and front end: what the
// suites above rely on — positions and deletes as the host does them, asynchronous work that
// takes polls, failures that can be armed, and answers that can be scripted.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/memory/error_number.h"
#include "host/memory/memory_command_bars.h"
#include "host/memory/memory_data_access.h"
#include "host/memory/memory_file_system.h"
#include "host/memory/memory_spreadsheet.h"
#include "host/memory/scripted_front_end.h"

namespace vintrel::host::memory {
namespace {

using ::testing::ElementsAre;
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

TEST(MemoryCommandBarsTest, ClicksAndChoicesReachTheHandlersOnlyWhenAUserCouldMakeThem) {
  FaultInjector faults;
  MemoryCommandBars bars(&faults);
  host::CommandBarControls& controls = bars.Add("Tool", bar_position::kTop, true).Controls();
  host::CommandBarControl& button = controls.Add(control_type::kButton);
  std::vector<std::string> clicks;
  button.SetCaption("&Refresh");
  button.OnClick([&](host::CommandBarControl& control, bool& cancel_default) {
    clicks.push_back(control.Caption());
    cancel_default = true;
  });
  button.SetEnabled(false);
  EXPECT_NE(ErrorNumberOf([&] { button.Execute(); }), 0) << "nobody can click a disabled button";
  button.SetEnabled(true);
  button.Execute();
  EXPECT_THAT(clicks, ElementsAre("&Refresh"));
  EXPECT_TRUE(static_cast<MemoryCommandBarControl&>(button).last_cancel_default());

  host::CommandBarControl& combo = controls.Add(control_type::kComboBox);
  for (const char* item : {"Value", "Connection", "Column"}) combo.AddItem(item);
  int changes = 0;
  combo.OnChange([&](host::CommandBarControl& control) { changes += control.ListIndex(); });
  combo.SetListIndex(1);
  EXPECT_EQ(changes, 0) << "a program setting the index raises nothing";
  static_cast<MemoryCommandBarControl&>(combo).Choose(3);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(ErrorNumberOf([&] { combo.SetListIndex(4); }), kErrInvalidArgument);

  button.OnClick([](host::CommandBarControl& control, bool&) { control.Delete(); });
  button.Execute();
  EXPECT_TRUE(static_cast<MemoryCommandBarControl&>(button).deleted())
      << "a handler may delete its own control";

  faults.Fail("CommandBarControls.Add");
  EXPECT_NE(ErrorNumberOf([&] { controls.Add(control_type::kPopup); }), 0);
  controls.Add(control_type::kPopup);
}

class MemoryDataAccessTest : public ::testing::Test {
 protected:
  static constexpr char kBoard[] = "Provider=SQLite;Data Source=/data/board.db";

  MemoryDataAccessTest() {
    access_.AddDatabase(kBoard)
        .AddTable("Sales",
                  MemoryTable{{"Region", "Amount"}, {{"North", "10"}, {"South", std::nullopt}}})
        .AddResult("SELECT Region FROM Sales", MemoryTable{{"Region"}, {{"North"}, {"South"}}})
        .FailQuery("SELECT broken", Error(kErrUnspecified, "db", "syntax error"));
  }

  std::unique_ptr<Connection> OpenConnection(int options = command_option::kUnspecified) {
    auto connection = access_.CreateConnection();
    connection->SetConnectionString(kBoard);
    connection->Open("", "", options);
    return connection;
  }

  std::unique_ptr<Recordset> Query(Connection& connection, const std::string& source,
                                   int options = command_option::kUnspecified) {
    auto recordset = access_.CreateRecordset();
    recordset->SetActiveConnection(&connection);
    recordset->Open(source, options);
    return recordset;
  }

  MemoryDataAccess access_;
};

TEST_F(MemoryDataAccessTest, AsynchronousWorkIsExecutingForTheSetPollsAndFailsFromState) {
  access_.set_executing_polls(2);
  auto connection = OpenConnection(command_option::kAsyncExecute);
  EXPECT_EQ(connection->State(), object_state::kExecuting);
  EXPECT_EQ(connection->State(), object_state::kExecuting);
  EXPECT_EQ(connection->State(), object_state::kOpen);
  auto recordset = Query(*connection, "SELECT Region FROM Sales", command_option::kAsyncExecute);
  EXPECT_EQ(recordset->State(), object_state::kExecuting);
  EXPECT_EQ(recordset->State(), object_state::kExecuting);
  EXPECT_EQ(recordset->State(), object_state::kOpen);
  EXPECT_EQ(recordset->RecordCount(), 2);

  access_.set_executing_polls(0);
  auto broken = Query(*connection, "SELECT broken", command_option::kAsyncExecute);
  EXPECT_EQ(ErrorNumberOf([&] { broken->State(); }), kErrUnspecified);
  EXPECT_EQ(ErrorNumberOf([&] { broken->State(); }), kErrUnspecified);
  broken->Close();
  EXPECT_EQ(broken->State(), object_state::kClosed);
  EXPECT_NE(ErrorNumberOf([&] { Query(*connection, "SELECT nothing"); }), 0);
}

TEST_F(MemoryDataAccessTest, RequeryKeepsTheRowsOnFailureAndWhenTheConnectionWent) {
  auto connection = OpenConnection();
  auto recordset = Query(*connection, "SELECT Region FROM Sales");
  access_.FindDatabase(kBoard)->AddResult("SELECT Region FROM Sales",
                                          MemoryTable{{"Region"}, {{"East"}}});
  recordset->Requery();
  EXPECT_EQ(recordset->RecordCount(), 1);
  access_.FindDatabase(kBoard)->FailQuery("SELECT Region FROM Sales",
                                          Error(kErrUnspecified, "db", "gone"));
  EXPECT_NE(ErrorNumberOf([&] { recordset->Requery(); }), 0);
  EXPECT_EQ(recordset->Fields().Item(0).Value(), "East");
  EXPECT_EQ(access_.open_connections(), 1);
  connection.reset();
  EXPECT_EQ(access_.open_connections(), 0);
  EXPECT_EQ(ErrorNumberOf([&] { recordset->Requery(); }), data_error::kNoConnection);
  EXPECT_EQ(recordset->RecordCount(), 1) << "the rows stay";

  access_.faults().Fail("DataAccess.CreateRecordset",
                        Error(kErrCannotCreateObject, "ADODB.Recordset", "missing"));
  EXPECT_EQ(ErrorNumberOf([&] { access_.CreateRecordset(); }), kErrCannotCreateObject);
  EXPECT_NE(access_.CreateRecordset(), nullptr);
}

TEST(MemoryFileSystemTest, RewritesAreNewerAndUniqueFilesCanFail) {
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
  files.set_fail_unique_files(true);
  EXPECT_EQ(files.CreateUniqueFile(files.TempFolder(), "vt"), "");
}

TEST(MemorySpreadsheetTest, RangesOpensAndClosedWorkbooks) {
  MemorySpreadsheetFactory factory;
  MemoryWorkbookFile& file = factory.AddWorkbook("/data/targets.xlsx");
  file.AddSheet("Chart1", sheet_type::kChart);
  file.AddSheet("Targets")
      .SetTexts(1, 1, {{"Region", "Sales"}, {"North", ""}})
      .SetNumber(2, 2, 1234.5, "1,234.50", "#,##0.00");
  auto app = factory.CreateApplication();
  factory.FailOpens(1);
  EXPECT_NE(ErrorNumberOf([&] { app->Open("/data/targets.xlsx", OpenOptions{}); }), 0);
  auto book = app->Open("/data/targets.xlsx", OpenOptions{});
  EXPECT_TRUE(factory.opens()[1].options.read_only);
  host::Worksheet& sheet = book->Sheets("targets");
  std::vector<std::string> texts;
  for (const host::Cell& cell : sheet.Range("$B$2:A1")) texts.push_back(cell.text);
  EXPECT_THAT(texts, ElementsAre("Region", "Sales", "North", "1,234.50"));
  EXPECT_EQ(sheet.Range("B2")[0].value.kind, host::CellValue::Kind::kNumber);
  EXPECT_EQ(ErrorNumberOf([&] { book->Sheets("Absent"); }), kErrSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { app->Open("/data/none.xlsx", OpenOptions{}); }), kErrFileNotFound);
  book->Close();
  EXPECT_EQ(factory.open_workbooks(), 0);
  EXPECT_NE(ErrorNumberOf([&] { sheet.Range("A1"); }), 0);
  app->Quit();
  EXPECT_NE(ErrorNumberOf([&] { app->Add(); }), 0);
  factory.set_available(false);
  EXPECT_EQ(ErrorNumberOf([&] { factory.CreateApplication(); }), kErrCannotCreateObject);
}

TEST(ScriptedFrontEndTest, AnswersComeFromTheQueueThenTheAnswererThenTheUnattendedDefault) {
  ScriptedFrontEnd front_end;
  EXPECT_EQ(front_end.MsgBox("a", msg_box::kOkCancel, ""), msg_box::kOk);
  EXPECT_EQ(front_end.MsgBox("b", msg_box::kYesNo, ""), msg_box::kNo);
  front_end.SetAnswerer([](const ScriptedFrontEnd::MessageBoxCall& box) {
    return box.text.find("log") != std::string::npos ? msg_box::kYes : msg_box::kNo;
  });
  front_end.QueueAnswer(msg_box::kNo);
  EXPECT_EQ(front_end.MsgBox("Open the log?", msg_box::kYesNo, ""), msg_box::kNo);
  EXPECT_EQ(front_end.MsgBox("Open the log?", msg_box::kYesNo | msg_box::kExclamation, "T"),
            msg_box::kYes);
  EXPECT_EQ(front_end.message_boxes()[3].icon, msg_box::kExclamation);
  front_end.QueueAnswer(msg_box::kYes);
  EXPECT_EQ(ErrorNumberOf([&] { front_end.MsgBox("only OK", msg_box::kOkOnly, ""); }),
            kErrInvalidArgument)
      << "an answer that is no button of the box";

  front_end.QueueFile("/data/a.txt");
  EXPECT_EQ(front_end.BrowseForFolder("Folder"), "") << "pickers have their own queues";
  EXPECT_EQ(front_end.BrowseForFile("File", "Text|*.txt", "/start"), "/data/a.txt");
  EXPECT_EQ(front_end.pickers()[1].filter, "Text|*.txt");
}

}  // namespace
}  // namespace vintrel::host::memory
