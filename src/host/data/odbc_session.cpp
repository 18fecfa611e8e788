#include "host/data/odbc_session.h"

#include <cctype>
#include <cstring>
#include <mutex>
#include <optional>

#include "host/common/ascii.h"
#include "host/common/text_encoding.h"
#include "host/data/connection_string.h"
#include "host/data/odbc_catalog.h"
#include "host/data/odbc_environment.h"
#include "host/data/value_text.h"
#include "host/error.h"

namespace vintrel::host::data {
namespace {

constexpr char kSource[] = "ODBC";

// The driver's messages for the last call on a handle, one per line, with their SQLSTATE.
std::string Diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::string text;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    std::vector<SQLWCHAR> message(1024);
    SQLRETURN rc = SQLGetDiagRecW(type, handle, record, state, &native, message.data(),
                                  static_cast<SQLSMALLINT>(message.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && static_cast<size_t>(length) >= message.size()) {
      message.resize(static_cast<size_t>(length) + 1);
      rc = SQLGetDiagRecW(type, handle, record, state, &native, message.data(),
                          static_cast<SQLSMALLINT>(message.size()), &length);
    }
    if (!Succeeded(rc)) break;
    if (!text.empty()) text += "\n";
    size_t shown = std::min(static_cast<size_t>(length), message.size() - 1);
    text += Narrow(message.data(), shown) + " (SQLSTATE " + Narrow(state, 5) + ")";
  }
  return text.empty() ? "the driver gave no description" : text;
}

[[noreturn]] void Fail(const std::string& what, SQLSMALLINT type, SQLHANDLE handle) {
  throw Error(kErrUnspecified, kSource, what + ": " + Diagnostics(type, handle));
}

}  // namespace

// A statement handle, freed however the query ends.
class OdbcSession::Statement {
 public:
  explicit Statement(OdbcSession& session) : session_(session) {
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, session.dbc_, &handle))) {
      Fail("Cannot start a query", SQL_HANDLE_DBC, session.dbc_);
    }
    SQLSetStmtAttr(
        handle, SQL_ATTR_QUERY_TIMEOUT,
        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(session.command_timeout_.count())), 0);
  }
  ~Statement() {
    {
      std::lock_guard<std::mutex> lock(session_.running_mutex_);
      session_.running_ = nullptr;
      session_.running_token_ = nullptr;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, handle);
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  SQLHSTMT handle = SQL_NULL_HSTMT;

 private:
  OdbcSession& session_;
};

OdbcSession::OdbcSession(const std::string& connection_string, std::chrono::seconds login_timeout,
                         std::chrono::seconds command_timeout)
    : command_timeout_(command_timeout) {
  SQLHDBC dbc = SQL_NULL_HDBC;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_DBC, OdbcEnvironment(), &dbc))) {
    Fail("Cannot create an ODBC connection", SQL_HANDLE_ENV, OdbcEnvironment());
  }
  dbc_ = dbc;
  SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(login_timeout.count())), 0);
  // Read-only wherever the driver allows it; a driver that does not know the attribute still
  // connects.
  SQLSetConnectAttr(dbc, SQL_ATTR_ACCESS_MODE, reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);
  std::u16string text = Utf8ToUtf16(connection_string);
  SQLWCHAR out[1024];
  SQLSMALLINT out_length = 0;
  SQLRETURN rc = SQLDriverConnectW(dbc, nullptr, const_cast<SQLWCHAR*>(Wide(text)), SQL_NTS, out,
                                   1024, &out_length, SQL_DRIVER_NOPROMPT);
  if (!Succeeded(rc)) {
    std::string message = Diagnostics(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    dbc_ = nullptr;
    if (message.find("IM002") != std::string::npos) {
      // A DSN defined on the machine the presentation was made on, but not here.
      message +=
          ". Define the data source on this computer (in /etc/odbc.ini, or ~/.odbc.ini "
          "for one user; `odbcinst -q -s` lists those defined), or change the connection "
          "string to name a Driver";
    }
    throw Error(kErrUnspecified, kSource,
                "Cannot connect with '" + MaskPasswords(connection_string) + "': " + message);
  }
  SQLSetConnectAttr(dbc, SQL_ATTR_ACCESS_MODE, reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);
  try {
    EnforceReadOnly();
  } catch (...) {
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    dbc_ = nullptr;
    throw;
  }
  SQLWCHAR quote[8] = {};
  SQLSMALLINT quote_length = 0;
  if (Succeeded(SQLGetInfoW(dbc, SQL_IDENTIFIER_QUOTE_CHAR, quote, sizeof quote, &quote_length))) {
    quote_ = Narrow(quote, static_cast<size_t>(quote_length) / sizeof(SQLWCHAR));
    if (quote_ == " ") quote_.clear();
  }
}

OdbcSession::~OdbcSession() {
  if (dbc_ != nullptr) {
    SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
  }
}

void OdbcSession::EnforceReadOnly() {
  // Some drivers take the read-only attribute and still write (the SQLite driver does). The
  // databases we know get told by the database's own means as well.
  SQLWCHAR name[128] = {};
  SQLSMALLINT length = 0;
  if (!Succeeded(SQLGetInfoW(dbc_, SQL_DBMS_NAME, name, sizeof name, &length))) return;
  std::string dbms = LowerAscii(
      Narrow(name, std::min<size_t>(static_cast<size_t>(length) / sizeof(SQLWCHAR), 127)));
  std::string statement;
  if (dbms.find("sqlite") != std::string::npos) {
    statement = "PRAGMA query_only = 1";
  } else if (dbms.find("postgres") != std::string::npos) {
    statement = "SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY";
  } else if (dbms.find("mysql") != std::string::npos || dbms.find("mariadb") != std::string::npos) {
    statement = "SET SESSION TRANSACTION READ ONLY";
  } else {
    return;
  }
  Statement run(*this);
  std::u16string text = Utf8ToUtf16(statement);
  if (!Succeeded(SQLExecDirectW(run.handle, const_cast<SQLWCHAR*>(Wide(text)), SQL_NTS))) {
    std::string message = Diagnostics(SQL_HANDLE_STMT, run.handle);
    throw Error(kErrUnspecified, kSource, "Cannot make the connection read-only: " + message);
  }
}

void OdbcSession::Cancel(const std::atomic<bool>* cancel) {
  std::lock_guard<std::mutex> lock(running_mutex_);
  if (cancel == nullptr) closing_ = true;
  if (running_ != nullptr && (cancel == nullptr || cancel == running_token_)) SQLCancel(running_);
}

void OdbcSession::StartQuery(Statement& statement, const std::string& source,
                             const std::atomic<bool>* cancel) {
  std::lock_guard<std::mutex> lock(running_mutex_);
  if (closing_ || (cancel && *cancel)) {
    throw Error(kErrUnspecified, kSource, "The query '" + source + "' was cancelled.");
  }
  running_ = statement.handle;
  running_token_ = cancel;
}

std::string OdbcSession::QuoteIdentifier(const std::string& name) const {
  if (quote_.empty()) {
    // A driver without quoting only gets names that cannot be anything but a name.
    for (char c : name) {
      if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$')) {
        throw Error(kErrUnspecified, kSource,
                    "The driver cannot quote names, and '" + name + "' is not a plain name.");
      }
    }
    return name;
  }
  char q = quote_[0];
  std::string quoted(1, q);
  for (char c : name) {
    quoted += c;
    if (c == q) quoted += q;
  }
  return quoted + q;
}

QueryResult OdbcSession::Execute(const std::string& source, CommandKind kind,
                                 const std::atomic<bool>* cancel) {
  std::string sql = source;
  if (kind == CommandKind::kTable) {
    std::string name;
    for (const std::string& part : SplitTableName(source)) {
      name += (name.empty() ? "" : ".") + QuoteIdentifier(part);
    }
    sql = "SELECT * FROM " + name;
  }
  Statement statement(*this);
  StartQuery(statement, source, cancel);
  std::u16string text = Utf8ToUtf16(sql);
  SQLRETURN rc = SQLExecDirectW(statement.handle, const_cast<SQLWCHAR*>(Wide(text)), SQL_NTS);
  if (!Succeeded(rc) && rc != SQL_NO_DATA) {
    Fail("Cannot run '" + source + "'", SQL_HANDLE_STMT, statement.handle);
  }
  return Fetch(statement, source);
}

QueryResult OdbcSession::Tables() {
  Statement statement(*this);
  std::u16string types = u"TABLE,VIEW";
  SQLRETURN rc = SQLTablesW(statement.handle, nullptr, 0, nullptr, 0, nullptr, 0,
                            const_cast<SQLWCHAR*>(Wide(types)), SQL_NTS);
  if (!Succeeded(rc)) Fail("Cannot list the tables", SQL_HANDLE_STMT, statement.handle);
  QueryResult result = Fetch(statement, "the list of tables");
  if (result.names.size() < 5) {
    throw Error(kErrUnspecified, kSource, "The driver's list of tables has too few columns.");
  }
  // The first five columns are catalog, schema, name, type and remarks.
  QueryResult listed;
  listed.names = TableListNames();
  for (size_t row = 0; row < result.rows.size(); ++row) {
    for (size_t column = 0; column < 5; ++column) {
      auto cell = result.rows.Cell(row, column);
      if (cell) {
        listed.rows.AddCell(*cell);
      } else {
        listed.rows.AddNull();
      }
    }
    listed.rows.EndRow();
  }
  return listed;
}

namespace {

// The number of columns of the statement's first result set with columns (a procedure may
// report row counts before it); 0 when there is none.
SQLSMALLINT FirstResultColumns(SQLHSTMT stmt, const std::string& what) {
  SQLSMALLINT columns = 0;
  while (true) {
    if (!Succeeded(SQLNumResultCols(stmt, &columns))) {
      Fail("Cannot read the result of '" + what + "'", SQL_HANDLE_STMT, stmt);
    }
    if (columns > 0) return columns;
    SQLRETURN more = SQLMoreResults(stmt);
    if (more == SQL_NO_DATA) return 0;
    if (!Succeeded(more)) Fail("Cannot read the result of '" + what + "'", SQL_HANDLE_STMT, stmt);
  }
}

// The SQL types of the result's columns; their names go to `names`.
std::vector<SQLSMALLINT> DescribeColumns(SQLHSTMT stmt, SQLSMALLINT columns,
                                         const std::string& what, std::vector<std::string>& names) {
  std::vector<SQLSMALLINT> types(static_cast<size_t>(columns));
  for (SQLSMALLINT i = 1; i <= columns; ++i) {
    SQLWCHAR name[512];
    SQLSMALLINT name_length = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    if (!Succeeded(SQLDescribeColW(stmt, i, name, 512, &name_length, &types[i - 1], &size, &digits,
                                   &nullable))) {
      Fail("Cannot describe the result of '" + what + "'", SQL_HANDLE_STMT, stmt);
    }
    names.push_back(Narrow(name, std::min<size_t>(static_cast<size_t>(name_length), 511)));
  }
  return types;
}

// Reads the cells of the row just fetched as the texts a recordset holds; none for NULL.
class CellReader {
 public:
  CellReader(SQLHSTMT stmt, const std::string& what, const std::vector<std::string>& names)
      : stmt_(stmt), what_(what), names_(names) {}

  std::optional<std::string> Read(SQLSMALLINT column, SQLSMALLINT type) {
    switch (type) {
      case SQL_BIT:
      case SQL_REAL:
      case SQL_FLOAT:
      case SQL_DOUBLE:
      case SQL_TINYINT:
      case SQL_SMALLINT:
      case SQL_INTEGER:
      case SQL_BIGINT:
      case SQL_DECIMAL:
      case SQL_NUMERIC:
        return ReadNumber(column, type);
      case SQL_TYPE_DATE:
      case SQL_DATE:
      case SQL_TYPE_TIME:
      case SQL_TIME:
      case SQL_TYPE_TIMESTAMP:
      case SQL_TIMESTAMP:
        return ReadDateTime(column, type);
      case SQL_BINARY:
      case SQL_VARBINARY:
      case SQL_LONGVARBINARY: {
        constexpr size_t kShown = (kMaxFieldSize - 2) / 2;
        if (!Get(column, SQL_C_BINARY, buffer_, kShown)) return std::nullopt;
        size_t size =
            indicator_ == SQL_NO_TOTAL ? kShown : std::min(static_cast<size_t>(indicator_), kShown);
        return BinaryText(buffer_, size, kShown);
      }
      default: {
        SQLLEN bytes = static_cast<SQLLEN>(wide_.size() * sizeof(SQLWCHAR));
        if (!Get(column, SQL_C_WCHAR, wide_.data(), bytes)) return std::nullopt;
        size_t units = indicator_ == SQL_NO_TOTAL || indicator_ >= bytes
                           ? wide_.size() - 1
                           : static_cast<size_t>(indicator_) / sizeof(SQLWCHAR);
        return Narrow(wide_.data(), units);
      }
    }
  }

 private:
  // Reads the cell as `c_type`; false for NULL.
  bool Get(SQLSMALLINT column, SQLSMALLINT c_type, void* target, SQLLEN size) {
    SQLRETURN got =
        SQLGetData(stmt_, static_cast<SQLUSMALLINT>(column), c_type, target, size, &indicator_);
    if (!Succeeded(got)) {
      Fail("Cannot read column '" + names_[column - 1] + "' of '" + what_ + "'", SQL_HANDLE_STMT,
           stmt_);
    }
    return indicator_ != SQL_NULL_DATA;
  }

  std::optional<std::string> ReadNumber(SQLSMALLINT column, SQLSMALLINT type) {
    if (type == SQL_BIT) {
      unsigned char bit = 0;
      if (!Get(column, SQL_C_BIT, &bit, sizeof bit)) return std::nullopt;
      return bit ? "True" : "False";
    }
    if (type == SQL_REAL) {
      float value = 0;
      if (!Get(column, SQL_C_FLOAT, &value, sizeof value)) return std::nullopt;
      return FloatText(value);
    }
    if (type == SQL_FLOAT || type == SQL_DOUBLE) {
      double value = 0;
      if (!Get(column, SQL_C_DOUBLE, &value, sizeof value)) return std::nullopt;
      return DoubleText(value);
    }
    if (!Get(column, SQL_C_CHAR, buffer_, 128)) return std::nullopt;
    std::string_view digits(buffer_, std::min<size_t>(std::strlen(buffer_), 127));
    return type == SQL_DECIMAL || type == SQL_NUMERIC ? DecimalText(digits) : std::string(digits);
  }

  std::optional<std::string> ReadDateTime(SQLSMALLINT column, SQLSMALLINT type) {
    if (type == SQL_TYPE_DATE || type == SQL_DATE) {
      SQL_DATE_STRUCT date{};
      if (!Get(column, SQL_C_TYPE_DATE, &date, sizeof date)) return std::nullopt;
      return DateText(date.year, date.month, date.day);
    }
    if (type == SQL_TYPE_TIME || type == SQL_TIME) {
      SQL_TIME_STRUCT time{};
      if (!Get(column, SQL_C_TYPE_TIME, &time, sizeof time)) return std::nullopt;
      return TimeText(time.hour, time.minute, time.second);
    }
    SQL_TIMESTAMP_STRUCT stamp{};
    if (!Get(column, SQL_C_TYPE_TIMESTAMP, &stamp, sizeof stamp)) return std::nullopt;
    return DateTimeText(stamp.year, stamp.month, stamp.day, stamp.hour, stamp.minute, stamp.second,
                        stamp.fraction);
  }

  SQLHSTMT stmt_;
  const std::string& what_;
  const std::vector<std::string>& names_;
  SQLLEN indicator_ = 0;
  // Enough UTF-16 units for kMaxFieldSize characters even when all of them are surrogate pairs.
  std::vector<SQLWCHAR> wide_ = std::vector<SQLWCHAR>(2 * kMaxFieldSize + 1);
  char buffer_[kMaxFieldSize];
};

}  // namespace

QueryResult OdbcSession::Fetch(Statement& statement, const std::string& what) {
  SQLHSTMT stmt = statement.handle;
  QueryResult result;
  const SQLSMALLINT columns = FirstResultColumns(stmt, what);
  if (columns == 0) return result;
  const std::vector<SQLSMALLINT> types = DescribeColumns(stmt, columns, what, result.names);
  CellReader reader(stmt, what, result.names);
  while (true) {
    SQLRETURN rc = SQLFetch(stmt);
    if (rc == SQL_NO_DATA) break;
    if (!Succeeded(rc)) Fail("Cannot read the rows of '" + what + "'", SQL_HANDLE_STMT, stmt);
    for (SQLSMALLINT i = 1; i <= columns; ++i) {
      const std::optional<std::string> cell = reader.Read(i, types[i - 1]);
      if (cell) {
        result.rows.AddCell(*cell);
      } else {
        result.rows.AddNull();
      }
    }
    result.rows.EndRow();
  }
  return result;
}

std::vector<std::string> OdbcSession::InstalledDrivers() {
  std::vector<std::string> names;
  for (const OdbcDriver& driver : ListOdbcDrivers()) names.push_back(driver.name);
  return names;
}

}  // namespace vintrel::host::data
