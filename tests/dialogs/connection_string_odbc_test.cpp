// The connection string picker on this machine's unixODBC: the drivers odbcinst.ini installs are
// offered, and a string built for the SQLite3 ODBC driver opens a real database file on Test.
#include <algorithm>

#include "dialog_fixture.h"
#include "dialogs/connection_string_dialog.h"
#include "host/data/builtin_data_access.h"
#include "host/data/data_test_support.h"
#include "host/data/odbc_catalog.h"
#include "testing/temp_dir.h"

namespace vintrel::testing {
namespace {

class ConnectionStringOdbcTest : public DialogTest {
 protected:
  void SetUp() override {
    drivers_ = host::data::ListOdbcDrivers();
    if (drivers_.empty()) GTEST_SKIP() << "odbcinst.ini lists no ODBC driver";
    ctx_.services.data_access = &access_;
  }

  std::vector<host::OdbcDriver> drivers_;
  host::data::BuiltinDataAccess access_{twins_.loop};
  TempDir dir_;
};

TEST_F(ConnectionStringOdbcTest, TheInstalledDriversAreOfferedAndSqlite3OpensARealFile) {
  // The machines this runs on install both (libsqliteodbc, odbc-postgresql).
  EXPECT_TRUE(std::any_of(drivers_.begin(), drivers_.end(), [](const host::OdbcDriver& driver) {
    return dialogs::FamilyOf(driver.name) == dialogs::DriverFamily::kPostgres;
  }));
  ASSERT_TRUE(std::any_of(drivers_.begin(), drivers_.end(),
                          [](const host::OdbcDriver& driver) { return driver.name == "SQLite3"; }));
  const std::string path = dir_.File("board.db");
  host::data::BuildSqlite(path,
                          "CREATE TABLE totals(region TEXT); INSERT INTO totals VALUES('N');");
  dialogs::frmConnectionString picker(ctx_);
  for (const host::OdbcDriver& driver : drivers_) {
    const auto& items = picker.Items("lstSource");
    EXPECT_NE(std::find(items.begin(), items.end(), "Driver: " + driver.name), items.end());
  }
  front_end_.QueueFile(path);
  front_end_.fill["frmConnectionString"] = [](host::Form& form) {
    Type(form, {{"lstSource", "Driver: SQLite3"}, {"cmdBrowse", "!"}, {"cmdTest", "!"}});
  };
  host::ShowModal(picker, &front_end_);
  EXPECT_EQ(picker.ConnectionString(), "Driver={SQLite3};Database=" + path);
  ASSERT_EQ(front_end_.message_boxes().size(), 1u);
  EXPECT_EQ(front_end_.message_boxes().back().text, dialogs::frmConnectionString::kTestSucceeded);
}

}  // namespace
}  // namespace vintrel::testing
