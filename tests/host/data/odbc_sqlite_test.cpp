// The ODBC provider against a real driver that needs no server: the SQLite ODBC driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "data_test_support.h"
#include "host/data/odbc_session.h"
#include "testing/temp_dir.h"

namespace vintrel::host::data {
namespace {

using Rows = std::vector<std::vector<FieldValue>>;

class OdbcSqliteTest : public DataAccessTest {
 protected:
  void SetUp() override {
    auto drivers = OdbcSession::InstalledDrivers();
    if (std::find(drivers.begin(), drivers.end(), "SQLite3") == drivers.end()) {
      GTEST_SKIP() << "the SQLite3 ODBC driver is not installed (libsqliteodbc)";
    }
    path_ = dir_.File("odbc.db");
    BuildSqlite(path_, R"sql(
      CREATE TABLE sales(region TEXT, amount REAL, qty INTEGER, price NUMERIC(10,3), sold DATE,
                         sold_at TIMESTAMP, photo BLOB);
      INSERT INTO sales VALUES ('north', 2.5, 10, 2.5, '2026-12-31', '2026-12-31 16:00:00',
                                x'00AB');
      INSERT INTO sales VALUES ('Zürich', NULL, -3, 3, NULL, NULL, NULL);
      CREATE VIEW big_sales AS SELECT region FROM sales WHERE qty > 0;
      CREATE TABLE "odd ""name"" x"(v TEXT);
      INSERT INTO "odd ""name"" x" VALUES ('found');
    )sql");
    text_ = "Driver=SQLite3;Database=" + path_;
  }

  testing::TempDir dir_;
  std::string path_;
  std::string text_;
};

TEST_F(OdbcSqliteTest, TypedColumnsArriveAsInvariantText) {
  auto connection = Connect(text_);
  EXPECT_EQ(AllRows(*Query(*connection, "SELECT * FROM sales ORDER BY qty DESC")),
            (Rows{{"north", "2.5", "10", "2.5", "2026-12-31", "2026-12-31 16:00:00", "0x00AB"},
                  {"Zürich", std::nullopt, "-3", "3", std::nullopt, std::nullopt, std::nullopt}}));
}

TEST_F(OdbcSqliteTest, TableDirectAndSchema) {
  auto connection = Connect(text_);
  EXPECT_EQ(AllRows(*Query(*connection, "odd \"name\" x", command_option::kTableDirect)),
            (Rows{{"found"}}));
  // A provider string that wraps the ODBC one reaches the same driver.
  auto wrapped = Connect("Provider=MSDASQL.1;Persist Security Info=False;Extended Properties=\"" +
                         text_ + "\"");
  EXPECT_EQ(Query(*wrapped, "sales", command_option::kTableDirect)->RecordCount(), 2);
  // In the driver's own order (this one lists them as they were created).
  EXPECT_EQ(ListedTables(*connection),
            (std::vector<std::string>{"TABLE sales", "VIEW big_sales", "TABLE odd \"name\" x"}));
}

TEST_F(OdbcSqliteTest, ErrorsCarryTheDriversTextAndNothingIsWritten) {
  auto connection = Connect(text_);
  const std::string missing = dir_.File("never.db");
  const std::pair<std::function<void()>, std::vector<std::string>> cases[] = {
      {[&] { Query(*connection, "DELETE FROM sales"); }, {"readonly"}},
      {[&] { Connect("Driver=SQLite3;Database=" + missing); }, {}},
      {[&] { Query(*connection, "SELEC 1"); }, {"[SQLite]", "syntax error"}},
      {[&] { Query(*connection, "missing_table", command_option::kTableDirect); },
       {"no such table"}},
      {[&] { Connect("DSN=vintrel_no_such_dsn"); }, {"Data source name not found", "IM002"}},
  };
  for (const auto& [action, parts] : cases) {
    const std::string description = ErrorOf(action).description();
    for (const std::string& part : parts) {
      EXPECT_NE(description.find(part), std::string::npos) << description;
    }
  }
  EXPECT_EQ(Query(*connection, "sales", command_option::kTableDirect)->RecordCount(), 2);
  EXPECT_FALSE(std::filesystem::exists(missing)) << "opening must not create a database";
}

}  // namespace
}  // namespace vintrel::host::data
