// Helpers shared by the data-access tests: building SQLite files and waiting for queries.
#ifndef VINTREL_TESTS_HOST_DATA_DATA_TEST_SUPPORT_H_
#define VINTREL_TESTS_HOST_DATA_DATA_TEST_SUPPORT_H_

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "host/common/client_recordset.h"
#include "host/data/builtin_data_access.h"
#include "host/data_access.h"
#include "host/error.h"
#include "host/event_loop.h"
#include "testing/error_of.h"

namespace vintrel::host::data {

// Creates (or extends) an SQLite file with the given SQL, writable: the data-access layer itself
// never writes.
inline void BuildSqlite(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  // Test files need no durability; skipping the syncs keeps the tests fast.
  std::string script = "PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY;" + sql;
  int rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, &error);
  std::string message = error ? error : "";
  sqlite3_free(error);
  sqlite3_close(db);
  ASSERT_EQ(rc, SQLITE_OK) << message;
}

// Pumps the loop the way the add-in waits for a query: DoEvents while the state is executing.
// Returns the states seen, in order, without repeats.
inline std::vector<int> WaitWhileExecuting(Recordset& rs, EventLoop& loop,
                                           std::chrono::seconds limit = std::chrono::seconds(20)) {
  std::vector<int> seen;
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    int state = rs.State();
    if (seen.empty() || seen.back() != state) seen.push_back(state);
    if (state != object_state::kExecuting) break;
    loop.DoEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return seen;
}

using vintrel::testing::ErrorOf;

// The built-in data access on the system clock, as the add-in's sources use it.
class DataAccessTest : public ::testing::Test {
 protected:
  std::unique_ptr<Connection> Connect(const std::string& text) {
    auto connection = access_.CreateConnection();
    connection->SetConnectionString(text);
    connection->Open();
    return connection;
  }

  // Opens `source` on `connection` (by default connection_), client-side and read-only as the
  // database source asks; an asynchronous query is left running.
  std::unique_ptr<Recordset> Query(Connection& connection, const std::string& source,
                                   int options = command_option::kUnspecified) {
    auto rs = access_.CreateRecordset();
    rs->SetCursorLocation(cursor_location::kClient);
    rs->SetLockType(lock_type::kReadOnly);
    rs->SetActiveConnection(&connection);
    rs->Open(source, options);
    return rs;
  }
  std::unique_ptr<Recordset> Query(const std::string& source,
                                   int options = command_option::kUnspecified) {
    return Query(*connection_, source, options);
  }

  SystemClock clock_;
  EventLoop loop_{clock_};
  BuiltinDataAccess access_{loop_};
  std::unique_ptr<Connection> connection_;  // the fixture's own, when it opens one
};

// Every value of every row, fields in order.
inline std::vector<std::vector<FieldValue>> AllRows(Recordset& rs) {
  std::vector<std::vector<FieldValue>> rows;
  if (rs.RecordCount() == 0) return rows;
  for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
    std::vector<FieldValue> row;
    for (int i = 0; i < rs.Fields().Count(); ++i) row.push_back(rs.Fields().Item(i).Value());
    rows.push_back(row);
  }
  return rows;
}

// The schema's tables and views as "TYPE name", in the order the provider lists them.
inline std::vector<std::string> ListedTables(Connection& connection) {
  std::vector<std::string> listed;
  auto tables = connection.OpenSchema(schema::kTables);
  for (tables->MoveFirst(); !tables->IsEOF(); tables->MoveNext()) {
    listed.push_back(*tables->Fields().Item("TABLE_TYPE").Value() + " " +
                     *tables->Fields().Item("TABLE_NAME").Value());
  }
  return listed;
}

}  // namespace vintrel::host::data

#endif  // VINTREL_TESTS_HOST_DATA_DATA_TEST_SUPPORT_H_
