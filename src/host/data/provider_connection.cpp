#include "host/data/provider_connection.h"

#include <cctype>
#include <chrono>

#include "host/common/ascii.h"
#include "host/common/client_recordset.h"
#include "host/data/connection_string.h"
#include "host/data/data_recordset.h"
#include "host/data/odbc_session.h"
#include "host/data/sqlite_session.h"
#include "host/error.h"

namespace vintrel::host::data {
namespace {
constexpr char kSource[] = "Connection";

}  // namespace

ProviderConnection::~ProviderConnection() {
  for (DataRecordset* recordset : std::set<DataRecordset*>(attached_)) {
    recordset->ConnectionGone(this);
  }
  if (session_) {
    try {
      Close();
    } catch (...) {
      // Clean-up never fails.
    }
  }
}

void ProviderConnection::SetConnectionString(const std::string& text) {
  if (session_) {
    throw Error(data_error::kObjectOpen, kSource,
                "The connection string cannot change while the connection is open.");
  }
  connection_string_ = text;
}

void ProviderConnection::Open(const std::string& user, const std::string& password,
                              int /*options*/) {
  if (session_) throw Error(data_error::kObjectOpen, kSource, "The connection is already open.");
  ProviderChoice choice = ChooseProvider(connection_string_, &OdbcSession::InstalledDrivers);
  auto handle = std::make_shared<SessionHandle>();
  auto command_timeout = std::chrono::seconds(kCommandTimeoutSeconds);
  if (choice.kind == ProviderKind::kSqlite) {
    handle->session = std::make_unique<SqliteSession>(choice.target, command_timeout);
  } else {
    std::string text = choice.target;
    auto parts = ParseConnectionString(text);
    // The SQLite ODBC driver creates a missing database file unless told not to.
    auto driver = FindConnectionValue(parts, "Driver");
    if (driver && LowerAscii(*driver).find("sqlite") != std::string::npos &&
        !FindConnectionValue(parts, "NoCreat")) {
      if (!text.empty() && text.back() != ';') text += ';';
      text += "NoCreat=1;";
    }
    if (!user.empty() && !FindConnectionValue(parts, "UID")) {
      if (!text.empty() && text.back() != ';') text += ';';
      text += "UID=" + user + ";PWD=" + password + ";";
    }
    handle->session = std::make_unique<OdbcSession>(
        text, std::chrono::seconds(kConnectionTimeoutSeconds), command_timeout);
  }
  session_ = std::move(handle);
}

void ProviderConnection::Close() {
  if (!session_) throw Error(data_error::kObjectClosed, kSource, "The connection is not open.");
  std::shared_ptr<SessionHandle> handle = std::move(session_);
  handle->closing = true;
  handle->session->Cancel(nullptr);
  // Wait for a query still running on a worker thread; the last owner closes the session.
  std::lock_guard<std::mutex> lock(handle->mutex);
}

std::shared_ptr<SessionHandle> ProviderConnection::session() const {
  if (!session_) {
    throw Error(data_error::kNoConnection, kSource,
                "The connection is closed; open it before running queries.");
  }
  return session_;
}

std::unique_ptr<Recordset> ProviderConnection::OpenSchema(int schema) {
  if (schema != schema::kTables) {
    throw Error(data_error::kInvalidArgument, kSource,
                "Schema " + std::to_string(schema) + " is not supported; only the tables list (" +
                    std::to_string(schema::kTables) + ") is.");
  }
  std::shared_ptr<SessionHandle> handle = session();
  std::lock_guard<std::mutex> lock(handle->mutex);
  QueryResult tables = handle->session->Tables();
  auto recordset = std::make_unique<ClientRecordset>();
  recordset->Load(std::move(tables.names), std::move(tables.rows));
  return recordset;
}

}  // namespace vintrel::host::data
