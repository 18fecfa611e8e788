// The connection string picker: strings built per kind and read back, what the data access lists
// and what each entry asks for, Test, and what OK hands the database dialog.
#include "dialogs/connection_string_dialog.h"

#include "dialog_fixture.h"
#include "dialogs/connection_dialogs.h"

namespace vintrel::testing {
namespace {

using dialogs::ConnectionFields;
using dialogs::SourceKind;

// Every field, as the picker reads and writes them; "|" joins the kept parts.
std::string Described(const ConnectionFields& f) {
  std::string other;
  for (const std::string& part : f.other_parts) other += "|" + part;
  return std::to_string(static_cast<int>(f.kind)) + " name=" + f.name + " file=" + f.file +
         " server=" + f.server + " port=" + f.port + " database=" + f.database + " user=" + f.user +
         " password=" + f.password + other;
}

TEST(ConnectionStringFieldsTest, EachKindBuildsItsStringAndReadsItBack) {
  constexpr SourceKind kDriver = SourceKind::kDriver;
  const struct {
    const char* name;
    ConnectionFields fields;
    std::string text;  // built with the password
  } cases[] = {
      {"sqlite file with a semicolon and a brace",
       {.file = "/data/a;b}.db"},
       "Provider=SQLite;Data Source={/data/a;b}}.db}"},
      {"data source",
       {.kind = SourceKind::kDataSource, .name = "sales", .user = "ann", .password = "p;w"},
       "DSN=sales;UID=ann;PWD={p;w}"},
      {"postgres, a part without a box kept",
       {.kind = kDriver,
        .name = "PostgreSQL Unicode",
        .server = "db.local",
        .port = "5433",
        .database = "board",
        .user = "ann",
        .password = "}{",
        .other_parts = {"sslmode=require"}},
       "Driver={PostgreSQL Unicode};Server=db.local;Port=5433;Database=board;UID=ann;"
       "PWD={}}{};sslmode=require"},
      {"mariadb without the empty boxes",
       {.kind = kDriver, .name = "MariaDB", .server = "10.0.0.2", .database = "sales"},
       "Driver={MariaDB};Server=10.0.0.2;Database=sales"},
      {"sqlite3 odbc",
       {.kind = kDriver, .name = "SQLite3", .file = "/d/x y.db"},
       "Driver={SQLite3};Database=/d/x y.db"},
      {"generic, blanks kept by braces",
       {.kind = kDriver, .name = "Acme {SQL}", .server = " host", .database = "a=b", .user = "u"},
       "Driver={Acme {SQL}}};Server={ host};Database={a=b};UID=u"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto family = dialogs::FamilyOf(c.fields.name);
    EXPECT_EQ(dialogs::BuildConnectionString(c.fields, family, true), c.text);
    const auto back = dialogs::ParseConnectionFields(c.text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(Described(*back), Described(c.fields));
    if (!c.fields.password.empty()) {
      EXPECT_EQ(dialogs::BuildConnectionString(c.fields, family, false).find("PWD"),
                std::string::npos);
    }
  }
}

TEST(ConnectionStringFieldsTest, OtherSpellingsAreReadIntoTheBoxes) {
  const struct {
    const char* text;
    std::string fields;  // Described(), or "none"
  } cases[] = {
      {"  /home/ann/board.sqlite3 ",
       "0 name= file=/home/ann/board.sqlite3 server= port= database= user= password="},
      {"Data Source=board.db;Mode=Read",
       "0 name= file=board.db server= port= database= user= password=|Mode=Read"},
      {"driver={MySQL ODBC 8.0 Unicode Driver};SERVERNAME=h;DB=d;User=u;Password=p",
       "2 name=MySQL ODBC 8.0 Unicode Driver file= server=h port= database=d user=u password=p"},
      {"Provider=MSDASQL;Extended Properties=\"DSN=a\"", "none"},
      {"", "none"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto fields = dialogs::ParseConnectionFields(c.text);
    EXPECT_EQ(fields ? Described(*fields) : "none", c.fields);
  }
}

class ConnectionStringDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    data_.AddOdbcDataSource({"sales", "PostgreSQL Unicode", true});
    data_.AddOdbcDriver({"PostgreSQL Unicode", {{"Driver", "psqlodbcw.so"}}});
    data_.AddOdbcDriver({"Warehouse", {{"Description", "x"}, {"Driver", "libmyodbc8w.so"}}});
    data_.AddOdbcDriver({"SQLite3", {{"Driver", "libsqlite3odbc.so"}}});
    data_.AddOdbcDriver({"Acme", {}});
  }

  // Fills the picker in with `steps` (a value "!" clicks) and leaves it as the person left it.
  void Fill(host::Form& form, Steps steps) {
    Show(form, [steps](host::Form& shown) { Type(shown, steps); });
  }
};

// The visible boxes, by name.
std::string VisibleBoxes(const host::Form& form) {
  std::string shown;
  for (const host::Control& control : form.Controls()) {
    if (control.kind == host::ControlKind::kTextBox && control.visible &&
        control.name != "txtConnectionString") {
      shown += control.name + " ";
    }
  }
  return shown;
}

TEST_F(ConnectionStringDialogTest, TheListingDrivesTheEntriesAndEachAsksForItsBoxes) {
  const struct {
    const char* entry;
    const char* boxes;
  } cases[] = {
      {"SQLite database file", "txtFile "},
      {"Data source: sales (PostgreSQL Unicode)", "txtUser txtPassword "},
      {"Driver: PostgreSQL Unicode", "txtServer txtPort txtDatabase txtUser txtPassword "},
      // Named after nothing known: its library says MySQL.
      {"Driver: Warehouse", "txtServer txtPort txtDatabase txtUser txtPassword "},
      {"Driver: SQLite3", "txtFile "},
      {"Driver: Acme", "txtServer txtDatabase txtUser txtPassword "},
  };
  dialogs::frmConnectionString picker(ctx_);
  std::vector<std::string> entries;  // the list, in its order
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    entries.push_back(c.entry);
    Fill(picker, {{"lstSource", c.entry}});
    EXPECT_EQ(VisibleBoxes(picker), c.boxes);
  }
  EXPECT_EQ(picker.Items("lstSource"), entries);
}

TEST_F(ConnectionStringDialogTest, TestOpensTheStringWithThePasswordAndOkWritesItOnlyWhenTicked) {
  const std::string with_password = "DSN=sales;UID=ann;PWD=secret";
  data_.AddDatabase(with_password).AddTable("orders", {{"Region"}, {{"North"}}});
  const struct {
    const char* password;
    const char* save;
    std::string message;  // the start of the message Test shows
    std::string written;
  } cases[] = {
      {"secret", "0", dialogs::frmConnectionString::kTestSucceeded, "DSN=sales;UID=ann"},
      {"secret", "1", dialogs::frmConnectionString::kTestSucceeded, with_password},
      {"wrong", "0", std::string(dialogs::frmConnectionString::kTestFailed) + "\r\n",
       "DSN=sales;UID=ann"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.password) + " " + c.save);
    const size_t before = front_end_.message_boxes().size();
    dialogs::frmConnectionString picker(ctx_);
    Fill(picker, {{"lstSource", "Data source: sales (PostgreSQL Unicode)"},
                  {"txtUser", "ann"},
                  {"txtPassword", c.password},
                  {"chkSavePassword", c.save},
                  {"cmdTest", "!"},
                  {"cmdOK", "!"}});
    ASSERT_EQ(front_end_.message_boxes().size(), before + 1);
    EXPECT_EQ(front_end_.message_boxes().back().text.rfind(c.message, 0), 0u)
        << front_end_.message_boxes().back().text;
    EXPECT_EQ(picker.ConnectionString(), c.written);
    // Front ends draw the box masked.
    EXPECT_EQ(host::ShownText(picker.Get("txtPassword")),
              std::string(std::string(c.password).size(), '*'));
  }
}

TEST_F(ConnectionStringDialogTest, EditOpensOnTheBoxesStringAndOkPutsItBackPartByPart) {
  const std::string server = "Driver={PostgreSQL Unicode};Server=db;Database=board;UID=ann";
  data_.AddDatabase(server + ";PWD=pw").AddTable("totals", {{"Total"}, {{"1"}}});
  frmDatabaseConnection dialog(ctx_);
  dialog.SetConnectionString("Driver={PostgreSQL Unicode};Server=old;Database=board;UID=ann");
  std::string offered;
  front_end_.fill["frmConnectionString"] = [&](host::Form& picker) {
    offered = picker.Text("txtServer") + " " + picker.Text("lstSource");
    Type(picker, {{"txtServer", "db"}, {"txtPassword", "pw"}, {"cmdOK", "!"}});
  };
  front_end_.fill["frmDatabaseConnection"] = [](host::Form& form) {
    Type(form, {{"txtConnectionName", "Board"}, {"cmdEditConnectionString", "!"}});
  };
  host::ShowModal(dialog, &front_end_);
  EXPECT_EQ(offered, "old Driver: PostgreSQL Unicode");
  EXPECT_EQ(dialog.Text("txtConnectionString"),
            "Driver={PostgreSQL Unicode};\r\nServer=db;\r\nDatabase=board;\r\nUID=ann");
  EXPECT_EQ(dialog.ConnectionString(), server);
  // The tables were listed with the password the picker was given, which is not written.
  EXPECT_EQ(dialog.Items("cmbDataObject"), std::vector<std::string>{"totals"});
  EXPECT_TRUE(front_end_.message_boxes().empty());
}

}  // namespace
}  // namespace vintrel::testing
