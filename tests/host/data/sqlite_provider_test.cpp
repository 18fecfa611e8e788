#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "data_test_support.h"
#include "host/data/sqlite_session.h"
#include "testing/temp_dir.h"

namespace vintrel::host::data {
namespace {

using Rows = std::vector<std::vector<FieldValue>>;

constexpr char kSchema[] = R"sql(
  CREATE TABLE sales(region TEXT, amount REAL, qty INTEGER, note TEXT, photo BLOB, sold DATE);
  INSERT INTO sales VALUES ('north', 2.5, 10, NULL, x'00AB', '2026-12-31');
  INSERT INTO sales VALUES ('south', 0.1, -3, 'Zürich', NULL, '2026-12-31 16:00:00');
  CREATE VIEW big_sales AS SELECT region, qty FROM sales WHERE qty > 0;
  CREATE TABLE "odd ""name"" x"(v TEXT);
  INSERT INTO "odd ""name"" x" VALUES ('found');
)sql";

class SqliteProviderTest : public DataAccessTest {
 protected:
  void SetUp() override {
    path_ = dir_.File("board.db");
    BuildSqlite(path_, kSchema);
    connection_ = Connect("Provider=SQLite;Data Source=" + path_);
  }

  testing::TempDir dir_;
  std::string path_;
};

TEST_F(SqliteProviderTest, ValuesArriveAsInvariantText) {
  auto rs = Query("SELECT * FROM sales ORDER BY region");
  EXPECT_EQ(AllRows(*rs),
            (Rows{{"north", "2.5", "10", std::nullopt, "0x00AB", "2026-12-31"},
                  {"south", "0.1", "-3", "Zürich", std::nullopt, "2026-12-31 16:00:00"}}));
}

TEST_F(SqliteProviderTest, TableDirectQuotesTheNameAndSchemaListsTablesAndViews) {
  EXPECT_EQ(AllRows(*Query("odd \"name\" x", command_option::kTableDirect)), (Rows{{"found"}}));
  EXPECT_EQ(Query("main.sales", command_option::kTableDirect)->RecordCount(), 2);
  EXPECT_EQ(ListedTables(*connection_),
            (std::vector<std::string>{"TABLE odd \"name\" x", "TABLE sales", "VIEW big_sales"}));
  EXPECT_EQ(ErrorOf([&] { connection_->OpenSchema(4); }).number(), data_error::kInvalidArgument);
}

TEST_F(SqliteProviderTest, FailuresCarrySqliteDescriptionsAndWriteNothing) {
  const struct {
    const char* source;
    int options;
    const char* description;
  } cases[] = {
      {"SELEC * FROM sales", command_option::kUnspecified, "syntax"},
      {"SELECT * FROM missing_table", command_option::kUnspecified, "no such table: missing_table"},
      {"SELECT 1; SELECT 2", command_option::kUnspecified, "one"},
      {"INSERT INTO sales(region) VALUES ('x')", command_option::kUnspecified, "readonly"},
      // A name is never SQL: this is looked up as a table and not found.
      {"sales; DROP TABLE sales", command_option::kTableDirect, "no such table"},
      {"EXEC report", command_option::kTableDirect, "no stored procedures"},
  };
  for (const auto& c : cases) {
    const std::string description = ErrorOf([&] { Query(c.source, c.options); }).description();
    EXPECT_NE(description.find(c.description), std::string::npos)
        << c.source << ": " << description;
  }
  EXPECT_EQ(Query("SELECT * FROM sales")->RecordCount(), 2);
  for (const auto& [file, description] :
       {std::pair{dir_.File("gone.db"), "unable to open"},
        {dir_.Write("text.db", std::string(2000, 'x')), "not a database"}}) {
    auto failed = access_.CreateConnection();
    failed->SetConnectionString("Provider=SQLite;Data Source=" + file);
    EXPECT_NE(ErrorOf([&] { failed->Open(); }).description().find(description), std::string::npos);
    EXPECT_EQ(failed->State(), object_state::kClosed);
  }
}

TEST_F(SqliteProviderTest, RecordsetKeepsItsRowsWhenTheConnectionGoes) {
  // Gone while still attached: the recordset is told, and keeps its rows.
  auto rs = Query("SELECT region FROM sales ORDER BY region");
  connection_.reset();
  rs->SetAbsolutePosition(2);
  EXPECT_EQ(rs->Fields().Item("region").Value(), "south");
  EXPECT_EQ(ErrorOf([&] { rs->Requery(); }).number(), data_error::kNoConnection);
}

TEST_F(SqliteProviderTest, AsynchronousQueryReportsExecutingThenOpenOrItsFailure) {
  auto rs = Query("SELECT region FROM sales ORDER BY region", command_option::kAsyncExecute);
  // The result only arrives through the event loop, so the recordset is executing until then.
  EXPECT_EQ(rs->State(), object_state::kExecuting);
  EXPECT_EQ(WaitWhileExecuting(*rs, loop_),
            (std::vector<int>{object_state::kExecuting, object_state::kOpen}));
  EXPECT_EQ(AllRows(*rs), (Rows{{"north"}, {"south"}}));
  // A requery runs asynchronously again, the old rows readable meanwhile.
  rs->Requery();
  EXPECT_EQ(rs->State(), object_state::kExecuting);
  EXPECT_EQ(rs->RecordCount(), 2);
  WaitWhileExecuting(*rs, loop_);
  EXPECT_EQ(rs->State(), object_state::kOpen);

  // A caller waiting for the open state gets a failure instead of waiting forever.
  rs = Query("SELECT * FROM missing_table", command_option::kAsyncExecute);
  Error error = ErrorOf([&] { WaitWhileExecuting(*rs, loop_); });
  EXPECT_NE(error.description().find("no such table"), std::string::npos);
  EXPECT_EQ(ErrorOf([&] { rs->State(); }).number(), error.number()) << "until reopened";
  rs->Close();
  EXPECT_EQ(rs->State(), object_state::kClosed);
  rs->Open("SELECT 1 AS one", command_option::kAsyncExecute);
  WaitWhileExecuting(*rs, loop_);
  EXPECT_EQ(rs->Fields().Item("one").Value(), "1");
}

TEST_F(SqliteProviderTest, RecordsetGoingOrClosingDuringAQueryIsSafe) {
  auto rs = Query("SELECT * FROM sales", command_option::kAsyncExecute);
  rs.reset();
  loop_.DoEvents();  // the posted result finds nobody
  auto closed = Query("SELECT * FROM sales", command_option::kAsyncExecute);
  closed->Close();
  loop_.DoEvents();  // nor does this one
  EXPECT_EQ(closed->State(), object_state::kClosed);
  EXPECT_EQ(Query("SELECT * FROM sales")->RecordCount(), 2);
}

TEST_F(SqliteProviderTest, RequeryFollowsTheDatabaseAndSurvivesItsAbsence) {
  auto rs = Query("sales", command_option::kTableDirect);
  BuildSqlite(path_, "INSERT INTO sales(region) VALUES ('east');");
  rs->Requery();
  EXPECT_EQ(rs->RecordCount(), 3);
  rs->SetActiveConnection(nullptr);
  connection_->Close();

  // The file goes away: reopening fails with SQLite's reason, and the rows stay readable.
  std::string moved = dir_.File("moved.db");
  std::filesystem::rename(path_, moved);
  Error error = ErrorOf([&] { connection_->Open(); });
  EXPECT_NE(error.description().find(path_), std::string::npos) << error.description();
  EXPECT_EQ(rs->RecordCount(), 3);

  // It comes back, changed: the connection reopens and the next requery reads it again.
  std::filesystem::rename(moved, path_);
  BuildSqlite(path_, "INSERT INTO sales(region) VALUES ('west');");
  connection_->Open();
  rs->SetActiveConnection(connection_.get());
  rs->Requery();
  EXPECT_EQ(rs->RecordCount(), 4);
}

TEST_F(SqliteProviderTest, MisuseGivesClearErrors) {
  auto rs = access_.CreateRecordset();
  EXPECT_EQ(ErrorOf([&] { rs->Open("SELECT 1"); }).number(), data_error::kNoConnection);
  auto closed = access_.CreateConnection();
  closed->SetConnectionString(path_);
  rs->SetActiveConnection(closed.get());
  EXPECT_EQ(ErrorOf([&] { rs->Open("SELECT 1"); }).number(), data_error::kNoConnection);
  closed->Open();
  EXPECT_EQ(ErrorOf([&] { closed->Open(); }).number(), data_error::kObjectOpen);
  EXPECT_EQ(ErrorOf([&] { closed->SetConnectionString("x.db"); }).number(),
            data_error::kObjectOpen);
  EXPECT_EQ(ErrorOf([&] { rs->Open("  "); }).number(), data_error::kInvalidArgument);

  // With no connection and no source the recordset is a plain in-memory one.
  auto memory = access_.CreateRecordset();
  memory->Fields().Append("A", data_type::kVarChar, kMaxFieldSize);
  memory->Open("");
  EXPECT_EQ(memory->State(), object_state::kOpen);
}

TEST_F(SqliteProviderTest, EndlessQueriesEndAtTheTimeoutOrWhenCancelled) {
  const std::string endless =
      "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) FROM c";
  SqliteSession session(path_, std::chrono::seconds(1));
  auto start = std::chrono::steady_clock::now();
  Error timeout = ErrorOf([&] { session.Execute(endless, CommandKind::kText); });
  EXPECT_NE(timeout.description().find("command timeout of 1 s"), std::string::npos)
      << timeout.description();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

  std::atomic<bool> cancel{false};
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    cancel = true;
    session.Cancel(&cancel);
  });
  Error cancelled = ErrorOf([&] { session.Execute(endless, CommandKind::kText, &cancel); });
  canceller.join();
  EXPECT_NE(cancelled.description().find("cancelled"), std::string::npos)
      << cancelled.description();
  EXPECT_EQ(session.Execute("SELECT 7", CommandKind::kText).rows.Cell(0, 0), "7")
      << "the session works on after a cancelled query";
}

}  // namespace
}  // namespace vintrel::host::data
