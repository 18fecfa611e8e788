#include "host/data/sqlite_session.h"

#include <sqlite3.h>

#include "host/data/value_text.h"
#include "host/error.h"

namespace vintrel::host::data {
namespace {

constexpr char kSource[] = "SQLite";

std::string QuoteIdentifier(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

// The SQL that runs `source`: as written, or every row of the table it names.
std::string StatementText(const std::string& source, CommandKind kind) {
  switch (kind) {
    case CommandKind::kText:
      break;
    case CommandKind::kTable: {
      std::string name;
      for (const std::string& part : SplitTableName(source)) {
        name += (name.empty() ? "" : ".") + QuoteIdentifier(part);
      }
      return "SELECT * FROM " + name;
    }
    case CommandKind::kProcedure:
      throw Error(kErrUnspecified, kSource,
                  "SQLite databases have no stored procedures: cannot run '" + source + "'.");
  }
  return source;
}

// The value of `column` in the row just stepped to, as the text a recordset holds.
void AddCell(sqlite3_stmt* stmt, int column, RowTable& rows) {
  switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
      rows.AddNull();
      break;
    case SQLITE_INTEGER:
      rows.AddCell(std::to_string(sqlite3_column_int64(stmt, column)));
      break;
    case SQLITE_FLOAT:
      rows.AddCell(DoubleText(sqlite3_column_double(stmt, column)));
      break;
    case SQLITE_BLOB: {
      const void* data = sqlite3_column_blob(stmt, column);
      size_t size = static_cast<size_t>(sqlite3_column_bytes(stmt, column));
      rows.AddCell(BinaryText(data, size, (kMaxFieldSize - 2) / 2));
      break;
    }
    default: {
      const unsigned char* text = sqlite3_column_text(stmt, column);
      int size = sqlite3_column_bytes(stmt, column);
      rows.AddCell(
          std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(size)));
      break;
    }
  }
}

// Statements are finalized however the query ends.
struct Statement {
  sqlite3_stmt* stmt = nullptr;
  ~Statement() { sqlite3_finalize(stmt); }
};

}  // namespace

SqliteSession::SqliteSession(const std::string& path, std::chrono::seconds command_timeout)
    : path_(path), command_timeout_(command_timeout) {
  // No URI names: the path is a file name and nothing else, so it cannot ask for write access.
  int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    sqlite3_close(db_);
    db_ = nullptr;
    throw Error(kErrUnspecified, kSource,
                "Cannot open the SQLite database '" + path + "': " + message + ".");
  }
  sqlite3_busy_timeout(db_, static_cast<int>(command_timeout.count() * 1000));
  sqlite3_extended_result_codes(db_, 1);
  // The progress handler ends a query that was cancelled or ran past the command timeout.
  sqlite3_progress_handler(
      db_, 1000,
      [](void* self) -> int {
        auto* session = static_cast<SqliteSession*>(self);
        if (session->closing_ || (session->cancel_ && *session->cancel_)) return 1;
        if (std::chrono::steady_clock::now() > session->deadline_) {
          session->timed_out_ = true;
          return 1;
        }
        return 0;
      },
      this);
  // A file that is not a database opens fine; reading its schema tells.
  deadline_ = std::chrono::steady_clock::now() + command_timeout_;
  char* error = nullptr;
  if (sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &error) !=
      SQLITE_OK) {
    std::string message = error ? error : "unknown error";
    sqlite3_free(error);
    sqlite3_close(db_);
    db_ = nullptr;
    throw Error(kErrUnspecified, kSource,
                "Cannot open the SQLite database '" + path + "': " + message + ".");
  }
}

SqliteSession::~SqliteSession() {
  sqlite3_close(db_);
}

void SqliteSession::Cancel(const std::atomic<bool>* cancel) {
  // The progress handler looks at the running query's token; only closing needs a flag here.
  if (cancel == nullptr) closing_ = true;
}

void SqliteSession::Fail(const std::string& what) const {
  std::string message = sqlite3_errmsg(db_);
  if (sqlite3_errcode(db_) == SQLITE_INTERRUPT && !timed_out_) message = "the query was cancelled";
  if (timed_out_) {
    message = "the query ran longer than the command timeout of " +
              std::to_string(command_timeout_.count()) + " s";
  }
  throw Error(kErrUnspecified, kSource, what + ": " + message + ".");
}

QueryResult SqliteSession::Execute(const std::string& source, CommandKind kind,
                                   const std::atomic<bool>* cancel) {
  const std::string sql = StatementText(source, kind);
  if (closing_ || (cancel && *cancel)) {
    throw Error(kErrUnspecified, kSource, "The query '" + source + "' was cancelled.");
  }
  cancel_ = cancel;
  struct ClearToken {
    const std::atomic<bool>*& token;
    ~ClearToken() { token = nullptr; }
  } clear{cancel_};
  timed_out_ = false;
  deadline_ = std::chrono::steady_clock::now() + command_timeout_;
  Statement statement;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &statement.stmt, &tail) !=
      SQLITE_OK) {
    Fail("Cannot run '" + source + "'");
  }
  if (statement.stmt == nullptr) {
    throw Error(kErrUnspecified, kSource, "There is no SQL statement in '" + source + "'.");
  }
  std::string rest = tail ? tail : "";
  if (rest.find_first_not_of(" \t\r\n;") != std::string::npos) {
    throw Error(kErrUnspecified, kSource,
                "Only one SQL statement can be run at a time: '" + source + "'.");
  }
  QueryResult result;
  int columns = sqlite3_column_count(statement.stmt);
  for (int i = 0; i < columns; ++i) {
    const char* name = sqlite3_column_name(statement.stmt, i);
    result.names.push_back(name ? name : "");
  }
  while (true) {
    int rc = sqlite3_step(statement.stmt);
    if (rc == SQLITE_DONE) break;
    if (rc != SQLITE_ROW) Fail("Cannot read the rows of '" + source + "'");
    for (int i = 0; i < columns; ++i) AddCell(statement.stmt, i, result.rows);
    result.rows.EndRow();
  }
  return result;
}

QueryResult SqliteSession::Tables() {
  // In the order an ODBC driver lists them: by type, then by name.
  QueryResult listed = Execute(
      "SELECT NULL, NULL, name, CASE WHEN name LIKE 'sqlite\\_%' ESCAPE '\\' THEN 'SYSTEM TABLE' "
      "WHEN type = 'view' THEN 'VIEW' ELSE 'TABLE' END AS kind, NULL FROM sqlite_master "
      "WHERE type IN ('table', 'view') ORDER BY kind, name",
      CommandKind::kText);
  listed.names = TableListNames();
  return listed;
}

}  // namespace vintrel::host::data
