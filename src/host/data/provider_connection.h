// The data-access connection: keeps the connection string, picks the provider when opened
// (see connection_string.h) and holds the provider's session, which the recordsets opened on it
// share. Opening waits for the connection on the caller's thread, bounded by ConnectionTimeout.
//
// Read-only everywhere: SQLite files are opened read-only; ODBC connections ask for read-only
// access and, for SQLite, PostgreSQL and MySQL, also tell the database so itself; a connection
// string naming an SQLite ODBC driver gets NoCreat=1, so a missing file is never created.
#ifndef VINTREL_HOST_DATA_PROVIDER_CONNECTION_H_
#define VINTREL_HOST_DATA_PROVIDER_CONNECTION_H_

#include <memory>
#include <set>
#include <string>

#include "host/data/session.h"
#include "host/data_access.h"

namespace vintrel::host::data {

class DataRecordset;

class ProviderConnection : public Connection {
 public:
  static constexpr int kConnectionTimeoutSeconds = 15;
  static constexpr int kCommandTimeoutSeconds = 30;

  ProviderConnection() = default;
  ~ProviderConnection() override;
  ProviderConnection(const ProviderConnection&) = delete;
  ProviderConnection& operator=(const ProviderConnection&) = delete;

  std::string ConnectionString() const override { return connection_string_; }
  void SetConnectionString(const std::string& text) override;
  // A user and password given here are added to an ODBC string as UID and PWD (unless it has a
  // UID already); SQLite files take none.
  void Open(const std::string& user = "", const std::string& password = "",
            int options = command_option::kUnspecified) override;
  int State() const override { return session_ ? object_state::kOpen : object_state::kClosed; }
  // Stops a query still running on the connection and waits for it to end.
  void Close() override;
  int ConnectionTimeout() const override { return kConnectionTimeoutSeconds; }
  int CommandTimeout() const override { return kCommandTimeoutSeconds; }
  // Only the tables list (schema::kTables) is known.
  std::unique_ptr<Recordset> OpenSchema(int schema) override;

  // The open session; fails when the connection is closed.
  std::shared_ptr<SessionHandle> session() const;

 private:
  friend class DataRecordset;
  // Recordsets whose active connection this is; they let go of it when it goes.
  std::set<DataRecordset*> attached_;

  std::string connection_string_;
  std::shared_ptr<SessionHandle> session_;
};

}  // namespace vintrel::host::data

#endif  // VINTREL_HOST_DATA_PROVIDER_CONNECTION_H_
