#include "connections/database_source.h"

#include <cctype>
#include <cmath>

#include "connections/connection.h"
#include "connections/connection_paths.h"
#include "connections/source_support.h"
#include "host/common/ascii.h"
#include "host/data_access.h"
#include "support/context.h"
#include "support/error_codes.h"
#include "support/failure_handling.h"
#include "support/logs.h"

namespace vintrel::connections {
namespace {

constexpr const char* kSource = "clsConnection";

host::DataAccess& DataAccessComponents(const Context& ctx) {
  return *ctx.services.data_access;
}

// Waits while the recordset reports a query still running, letting timers and commands run.
void WaitForQuery(const Context& ctx, host::Recordset& recordset) {
  while (recordset.State() == host::object_state::kExecuting) {
    PumpEvents(ctx);
    if (recordset.State() == host::object_state::kExecuting)
      Wait(ctx, std::chrono::milliseconds(1));
  }
}

// Marks a source as waiting for as long as it waits.
class Waiting {
 public:
  explicit Waiting(bool& flag) : flag_(flag) { flag_ = true; }
  ~Waiting() { flag_ = false; }
  Waiting(const Waiting&) = delete;
  Waiting& operator=(const Waiting&) = delete;

 private:
  bool& flag_;
};

[[noreturn]] void Raise(ErrorCode code, clsConnection& connection, const char* where) {
  const Error failure = CurrentFailure();
  WriteDebugLog(connection.context(), DebugLevel::kError, kSource,
                std::string(where) + failure.description());
  RaiseError(
      code, kSource,
      {connection.ConnectionDescription(),
       failure.description() +
           WindowsPathAdvice(connection.context(),
                             MapConnectionStringPaths(connection.context(),
                                                      connection.ResolvedConnectionString()))});
}

}  // namespace

int QueryOptions(const std::string& sql, const std::string& connection_string) {
  if (connection_string.find("Microsoft.Project.OLEDB.") != std::string::npos) {
    return host::command_option::kUnspecified;
  }
  const size_t first = sql.find_first_not_of(" \t\r\n");
  return first != std::string::npos && StartsWithNoCase(sql, first, "SELECT ")
             ? host::command_option::kAsyncExecute
             : host::command_option::kTableDirect;
}

bool RequeryDue(bool forced, bool design_mode, double now_seconds, double last_seconds,
                double refresh_rate) {
  if (forced) return true;
  if (design_mode) return false;
  return std::fabs(now_seconds - last_seconds) * 1000.0 > refresh_rate;
}

std::vector<std::string> DataObjectNames(host::Connection& connection) {
  std::unique_ptr<host::Recordset> schema = connection.OpenSchema(host::schema::kTables);
  std::vector<std::string> names;
  for (const char* type : {"TABLE", "VIEW"}) {
    if (schema->RecordCount() <= 0) break;
    for (schema->MoveFirst(); !schema->IsEOF(); schema->MoveNext()) {
      if (schema->Fields().Item("TABLE_TYPE").Value().value_or("") != type) continue;
      names.push_back(schema->Fields().Item("TABLE_NAME").Value().value_or(""));
    }
  }
  schema->Close();
  return names;
}

void ProbeQuery(const Context& ctx, host::Connection& connection, const std::string& source,
                const std::string& connection_string, bool statement) {
  std::unique_ptr<host::Recordset> rows = DataAccessComponents(ctx).CreateRecordset();
  rows->SetCursorLocation(host::cursor_location::kClient);
  rows->SetCursorType(host::cursor_type::kForwardOnly);
  rows->SetLockType(host::lock_type::kReadOnly);
  rows->SetActiveConnection(&connection);
  rows->Open(source, statement ? host::command_option::kAsyncExecute
                               : QueryOptions(source, connection_string));
  WaitForQuery(ctx, *rows);
  rows->Close();
}

void DatabaseSource::Open(clsConnection& connection) {
  try {
    connection.CloseConnection();
    connection.SetDatabaseConnection(DataAccessComponents(connection.context()).CreateConnection());
    host::Connection& database = *connection.DatabaseConnection();
    connection.SetConnectionStartTime(PresentTime(connection.context()));
    // A database file named by an absolute Windows path is reached through the user's [PathMap];
    // the tag keeps the string as written.
    database.SetConnectionString(
        MapConnectionStringPaths(connection.context(), connection.ResolvedConnectionString()));
    database.Open("", "", host::command_option::kUnspecified);
    while (database.State() == host::object_state::kExecuting) PumpEvents(connection.context());
    if (database.State() != host::object_state::kOpen) {
      throw Error(kErrUnspecified, "ADODB.Connection", "The connection did not open.");
    }
  } catch (...) {
    Raise(ErrorCode::kOpeningDatabase, connection, "eh opendatabase: ");
  }
}

void DatabaseSource::FetchRows(clsConnection& connection) {
  host::Connection* database = connection.DatabaseConnection();
  connection.CloseRecordset();
  connection.SetRecordset(DataAccessComponents(connection.context()).CreateRecordset());
  host::Recordset& rows = *connection.Recordset();
  rows.SetCursorLocation(host::cursor_location::kClient);
  rows.SetCursorType(host::cursor_type::kForwardOnly);
  rows.SetLockType(host::lock_type::kReadOnly);
  rows.SetActiveConnection(database);
  connection.SetRecordsetStartTime(PresentTime(connection.context()));
  rows.Open(connection.RecordsetSQL(),
            QueryOptions(connection.RecordsetSQL(), connection.ResolvedConnectionString()));
  WaitForQuery(connection.context(), rows);
  rows.SetActiveConnection(nullptr);
}

void DatabaseSource::OpenRecordset(clsConnection& connection) {
  host::Connection* database = connection.DatabaseConnection();
  if (database == nullptr || database->State() != host::object_state::kOpen) return;
  if (waiting_) return;
  try {
    const Waiting waiting(waiting_);
    FetchRows(connection);
  } catch (...) {
    Raise(ErrorCode::kReadingDatabase, connection, "eh openrecordset: ");
  }
}

void DatabaseSource::Requery(clsConnection& connection, bool forced) {
  LogRequery(connection.context(), forced);
  if (waiting_) {
    // The same connection's fetch is still waiting further down: it brings the fresh rows.
    asked_ = false;
    return;
  }
  try {
    const Waiting waiting(waiting_);
    const double now = SecondsSinceMidnight(connection.context());
    asked_ = RequeryDue(forced, connection.DesignMode(), now, last_requery_,
                        connection.RecordsetRefreshRate());
    if (!asked_) return;
    last_requery_ = now;
    connection.OpenConnection();
    host::Recordset* rows = connection.Recordset();
    if (rows == nullptr) {
      // The first fetch never happened (the database was away at opening): fetch now, so the
      // values come back as soon as the database does.
      FetchRows(connection);
    } else {
      rows->SetActiveConnection(connection.DatabaseConnection());
      connection.SetRecordsetStartTime(PresentTime(connection.context()));
      rows->Requery(host::command_option::kUnspecified);
      WaitForQuery(connection.context(), *rows);
      rows->SetActiveConnection(nullptr);
    }
    connection.CloseConnection();
  } catch (...) {
    Raise(ErrorCode::kRequeryingDatabase, connection, "eh requery: ");
  }
}

void DatabaseSource::Close(clsConnection& connection) noexcept {
  connection.CloseConnection();
}

}  // namespace vintrel::connections
