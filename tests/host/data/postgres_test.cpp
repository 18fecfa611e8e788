// The ODBC provider against a PostgreSQL server. The connection string comes from
// VINTREL_TEST_PG (scripts/start-postgres.sh prints it and prepares the sample tables); without
// it, or without a server answering, the tests are skipped.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "data_test_support.h"
#include "host/data/odbc_session.h"

namespace vintrel::host::data {
namespace {

using Rows = std::vector<std::vector<FieldValue>>;

class PostgresTest : public DataAccessTest {
 protected:
  void SetUp() override {
    const char* text = std::getenv("VINTREL_TEST_PG");
    if (text == nullptr || *text == '\0') {
      GTEST_SKIP() << "VINTREL_TEST_PG is not set; run scripts/start-postgres.sh and export it";
    }
    text_ = text;
    try {
      connection_ = Connect(text_);
    } catch (const Error& error) {
      GTEST_SKIP() << "the PostgreSQL server is not reachable: " << error.description();
    }
  }

  std::string text_;
};

TEST_F(PostgresTest, ValuesArriveAsInvariantText) {
  auto rs = Query("SELECT * FROM sales ORDER BY region");
  EXPECT_EQ(AllRows(*rs), (Rows{{"north", "2.5", "0.1", "10", "2026-12-31", "2026-12-31 16:00:00",
                                 "16:00:00", "0x00AB", std::nullopt},
                                {"south", "3", "2.5", "-3", "2027-01-02", "2027-01-02 08:30:15.25",
                                 "08:30:00", std::nullopt, "Zürich"}}));
}

TEST_F(PostgresTest, TablesViewsAndProcedureCalls) {
  EXPECT_EQ(Query("public.sales", command_option::kTableDirect)->RecordCount(), 2);
  // In the driver's own order.
  EXPECT_EQ(ListedTables(*connection_),
            (std::vector<std::string>{"VIEW big_sales", "TABLE odd \"name\" x", "TABLE sales"}));
  // A procedure call opened as a stored object goes to the driver as written, not as a name.
  auto rs = Query("{call sales_of('south')}", command_option::kTableDirect);
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Fields().Item("qty").Value(), "-3");
}

TEST_F(PostgresTest, SlowQueryLeavesTheTimersRunning) {
  int ticks = 0;
  loop_.AddTimer(std::chrono::milliseconds(20), [&] { ++ticks; });
  auto start = std::chrono::steady_clock::now();
  auto rs = Query("SELECT pg_sleep(1), 42 AS answer", command_option::kAsyncExecute);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500))
      << "Open returns while the query runs";
  EXPECT_EQ(WaitWhileExecuting(*rs, loop_),
            (std::vector<int>{object_state::kExecuting, object_state::kOpen}));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(950));
  EXPECT_GE(ticks, 10) << "timers ticked while the query ran";
  EXPECT_EQ(rs->Fields().Item("answer").Value(), "42");
}

TEST_F(PostgresTest, ClosingTheConnectionCancelsARunningQuery) {
  auto rs = Query("SELECT pg_sleep(20)", command_option::kAsyncExecute);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the server is sleeping now
  auto start = std::chrono::steady_clock::now();
  connection_->Close();
  Error error = ErrorOf([&] { WaitWhileExecuting(*rs, loop_); });
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_NE(error.description().find("cancel"), std::string::npos) << error.description();
}

TEST_F(PostgresTest, QueriesEndAtTheCommandTimeout) {
  OdbcSession session(text_, std::chrono::seconds(15), std::chrono::seconds(1));
  auto start = std::chrono::steady_clock::now();
  Error error = ErrorOf([&] { session.Execute("SELECT pg_sleep(10)", CommandKind::kText); });
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_NE(error.description().find("cancel"), std::string::npos) << error.description();
}

// Failures carry the server's text (a query's failures are OdbcSqliteTest's, on the same path);
// the connection is read-only.
TEST_F(PostgresTest, FailuresCarryTheServersText) {
  const std::pair<std::function<void()>, const char*> cases[] = {
      {[&] { Query("DELETE FROM sales"); }, "read-only"},
  };
  for (const auto& [action, part] : cases) {
    const std::string description = ErrorOf(action).description();
    EXPECT_NE(description.find(part), std::string::npos) << description;
  }
  EXPECT_EQ(Query("sales", command_option::kTableDirect)->RecordCount(), 2);
  std::string wrong = text_;
  size_t at = wrong.find("Pwd=");
  ASSERT_NE(at, std::string::npos);
  wrong.insert(at + 4, "wrong");
  Error login = ErrorOf([&] { Connect(wrong); });
  EXPECT_NE(login.description().find("password authentication failed"), std::string::npos)
      << login.description();
  EXPECT_EQ(login.description().find("wrongvintrel"), std::string::npos) << "password shown";
  Error port = ErrorOf([&] { Connect("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;"); });
  EXPECT_NE(port.description().find("127.0.0.1"), std::string::npos) << port.description();
}

}  // namespace
}  // namespace vintrel::host::data
