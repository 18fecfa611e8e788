// The three connection dialogs filled in as a person would: when OK may be pressed, what Test and
// the range box say, how a source text picks the statement or the table, and what a workbook's
// and a database's lists show.
#include "dialogs/connection_dialogs.h"

#include <memory>

#include "dialog_fixture.h"
#include "host/workbook/xlsx_builder.h"
#include "testing/temp_dir.h"

namespace vintrel::testing {
namespace {

class ConnectionDialogsTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    data_.AddDatabase("DSN=sales").AddTable("orders", {{"Region"}, {{"North"}}});
  }

  std::unique_ptr<ConnectionDialog> Make(const std::string& kind) {
    if (kind == "text") return std::make_unique<frmTextFileConnection>(ctx_);
    if (kind == "database") return std::make_unique<frmDatabaseConnection>(ctx_);
    return std::make_unique<frmExcelConnection>(ctx_);
  }

  const std::string workbook_ = FixturePath("xls/chart-and-two-sheets.xls");
};

TEST_F(ConnectionDialogsTest, OkIsEnabledOnlyForACompleteDefinitionAndCancelEmptiesTheName) {
  const Steps database = {
      {"txtConnectionName", "Orders"}, {"txtConnectionString", "DSN=sales"}, {"optTable", "1"}};
  const Steps excel = {{"txtConnectionName", "Book"},
                       {"txtFilename", workbook_},
                       {"chkFirstRowFieldNames", "1"},
                       {"cmbSheet", "Second"}};
  auto with = [](Steps steps, const Steps& more) {
    steps.insert(steps.end(), more.begin(), more.end());
    return steps;
  };
  using D = frmDatabaseConnection;
  const struct {
    std::string name;  // the dialog's kind, a colon, the case
    Steps steps;
    bool ok;
    std::string why{};  // what a disabled OK says it waits for (the database dialog says it)
  } cases[] = {
      {"text: a name but no file", {{"txtConnectionName", "Sales"}}, false},
      {"text: both", {{"txtConnectionName", "S"}, {"txtFilename", "s.txt"}}, true},
      {"database: nothing", {}, false, D::kNoName},
      {"database: no source chosen", database, false, D::kNoSource},
      {"database: a table", with(database, {{"cmbDataObject", "orders"}}), true},
      {"database: no refresh rate",
       with(database, {{"cmbDataObject", "orders"}, {"txtRefreshRate", ""}}), false,
       D::kNoRefreshRate},
      {"database: a statement of blanks",
       with(database, {{"optSQLStatement", "1"}, {"txtSQLStatement", " \r\n "}}), false,
       D::kNoSource},
      {"database: a statement",
       with(database, {{"optSQLStatement", "1"}, {"txtSQLStatement", "SELECT 1"}}), true},
      {"database: a statement typed, then the table chosen",
       with(database, {{"optSQLStatement", "1"}, {"txtSQLStatement", "x"}, {"optTable", "1"}}),
       false, D::kNoSource},
      {"database: no connection string",
       with({{"txtConnectionName", "Orders"}},
            {{"optSQLStatement", "1"}, {"txtSQLStatement", "x"}}),
       false, D::kNoConnectionString},
      {"excel: the offered range", excel, true},
      {"excel: one cell", with(excel, {{"txtRange", "A1"}}), false},
      {"excel: no sheet", with(excel, {{"cmbSheet", ""}}), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<ConnectionDialog> dialog = Make(c.name.substr(0, c.name.find(':')));
    bool ok = false;
    std::string why;
    Show(*dialog, [&](host::Form& form) {
      Type(form, c.steps);
      ok = form.Enabled("cmdClose");
      why = form.Get("cmdClose").tool_tip;
      Type(form, {{"cmdCancel", "!"}});  // and the person changes their mind
    });
    EXPECT_EQ(ok, c.ok);
    EXPECT_EQ(why, c.why);
    EXPECT_TRUE(dialog->Cancelled());
    EXPECT_EQ(dialog->ConnectionName(), "") << "Cancel empties the name";
  }
}

TEST_F(ConnectionDialogsTest, TestOpensTheDatabaseAndTheStatement) {
  const struct {
    const char* connection_string;
    const char* sql;
    std::string message;  // the start of the one message shown
    int icon;
  } cases[] = {
      {"DSN=elsewhere", "SELECT * FROM orders",
       std::string(frmDatabaseConnection::kOpenFailed) + "\r\n", host::msg_box::kExclamation},
      {"DSN=sales", "SELECT * FROM nowhere",
       std::string(frmDatabaseConnection::kInvalidSql) + "\r\n", host::msg_box::kExclamation},
      {"DSN=sales", "SELECT * FROM orders", frmDatabaseConnection::kValidated,
       host::msg_box::kInformation},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    const size_t before = front_end_.message_boxes().size();
    frmDatabaseConnection dialog(ctx_);
    dialog.SetConnectionString(c.connection_string);
    dialog.SetSQL(c.sql);
    Show(dialog, [](host::Form& form) { Type(form, {{"cmdTest", "!"}}); });
    ASSERT_EQ(front_end_.message_boxes().size(), before + 1);
    const auto& box = front_end_.message_boxes().back();
    EXPECT_EQ(box.text.rfind(c.message, 0), 0u) << box.text;
    EXPECT_EQ(box.icon, c.icon);
    EXPECT_EQ(box.title, "Quendra Vintrel 2002");
  }
}

TEST_F(ConnectionDialogsTest, ASourceTextPicksTheStatementOrAListedTable) {
  const struct {
    const char* text;
    bool statement;
    const char* read_back;  // SQL afterwards
  } cases[] = {
      {"exec monthly_report", true, "exec monthly_report"},
      {"  select * from orders", true, "  select * from orders"},
      {"orders", false, "orders"},
      {"Orders", false, ""},     // tables are matched in their exact case
      {"selection", false, ""},  // no blank after the keyword: a table name
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    frmDatabaseConnection dialog(ctx_);
    dialog.SetConnectionString("DSN=sales");
    dialog.SetSQL(c.text);
    EXPECT_EQ(dialog.Checked("optSQLStatement"), c.statement);
    EXPECT_EQ(dialog.Checked("optTable"), !c.statement);
    EXPECT_EQ(dialog.Enabled("cmdTest"), c.statement);
    EXPECT_EQ(dialog.Enabled("cmbDataObject"), !c.statement);
    EXPECT_EQ(dialog.SQL(), c.read_back);
  }
}

TEST_F(ConnectionDialogsTest, TheDatabaseListsItsTablesBeforeItsViews) {
  data_.AddDatabase("Provider=Other;Data Source=x")
      .AddTable("V", {}, "VIEW")
      .AddTable("B", {})
      .AddTable("A", {});
  frmDatabaseConnection dialog(ctx_);
  dialog.SetConnectionString("Provider=Other;Data Source=x");
  EXPECT_EQ(dialog.Items("cmbDataObject"), (std::vector<std::string>{"B", "A", "V"}));
  // Shown one part per line, handed back as entered.
  EXPECT_EQ(dialog.Text("txtConnectionString"), "Provider=Other;\r\nData Source=x");
  EXPECT_EQ(dialog.ConnectionString(), "Provider=Other;Data Source=x");
}

TEST_F(ConnectionDialogsTest, TheSheetListHoldsTheWorksheetsOnly) {
  using host::workbook::testing::SheetXml;
  host::workbook::testing::BookContents book;
  book.sheets["1 Data"] = SheetXml("");
  book.sheets["2 Chart (chart)"] = "<chartsheet/>";
  book.sheets["3 More"] = SheetXml("");
  TempDir folder;
  const std::string with_chart = folder.File("chart.xlsx");
  host::workbook::testing::WriteZip(with_chart, host::workbook::testing::WorkbookParts(book));
  const struct {
    std::string file;
    std::vector<std::string> sheets;
    const char* told;  // part of the message shown; null for none
  } cases[] = {
      {with_chart, {"1 Data", "3 More"}, nullptr},
      {workbook_, {"First", "Chart", "Second"}, nullptr},  // its chart is drawn on a worksheet
      {folder.Write("book.xls", "not a workbook"), {}, "book.xls"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const size_t before = front_end_.message_boxes().size();
    frmExcelConnection dialog(ctx_);
    dialog.SetExcelFileString(c.file);
    EXPECT_EQ(dialog.Items("cmbSheet"), c.sheets);
    EXPECT_EQ(dialog.Enabled("cmbSheet"), !c.sheets.empty());
    EXPECT_EQ(dialog.Enabled("txtRange"), !c.sheets.empty());
    // Why the list is empty: the workbook's own reason, under the dialog's words.
    ASSERT_EQ(front_end_.message_boxes().size(), before + (c.told ? 1 : 0));
    if (c.told) {
      const std::string& text = front_end_.message_boxes().back().text;
      EXPECT_EQ(text.rfind(std::string(frmExcelConnection::kOpenFailed) + "\r\n", 0), 0u);
      EXPECT_NE(text.find(c.told), std::string::npos) << text;
    }
  }
}

TEST_F(ConnectionDialogsTest, ARangeIsTwoCellsJoinedByAColon) {
  const struct {
    const char* range;
    bool valid;
  } cases[] = {
      {"A1:B2", true},     {"$A$1:$C$10", true}, {"b2:a1", true},     {"XFD1048576:A1", true},
      {"A1", false},       {"A0:B2", false},     {"ZZZZ1:A1", false}, {"XFE1:A1", false},
      {"A1:B2:C3", false}, {"A:C", false},       {"1:3", false},      {":", false},
      {"", false},         {"A1:", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.range);
    frmExcelConnection dialog(ctx_);
    dialog.SetExcelFileString(workbook_);
    EXPECT_EQ(dialog.ValidRange(c.range), c.valid);
    // Leaving the box says so; the focus moves on all the same.
    const size_t before = front_end_.message_boxes().size();
    Show(dialog, [&](host::Form& form) {
      Type(form, {{"txtRange", c.range}, {"chkFirstRowFieldNames", "1"}});
      EXPECT_EQ(form.Focus(), "chkFirstRowFieldNames");
    });
    const bool told = front_end_.message_boxes().size() > before;
    EXPECT_EQ(told, !c.valid);
    if (told) {
      EXPECT_EQ(front_end_.message_boxes().back().text, frmExcelConnection::kInvalidRange);
    }
  }
}

}  // namespace
}  // namespace vintrel::testing
