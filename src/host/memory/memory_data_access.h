// Scripted data access: databases built in code, each reached by one connection string, holding
// the results of the queries a test expects (by exact source text) and the tables its schema
// lists. Connections and recordsets behave as the real layer's do where the add-in can tell:
// asynchronous opens and queries report "executing" for a set number of State() reads; a failed
// asynchronous query raises its error from State() until the recordset is opened, requeried or
// closed again; Requery runs the last source again and a failed requery keeps the rows.
#ifndef VINTREL_HOST_MEMORY_MEMORY_DATA_ACCESS_H_
#define VINTREL_HOST_MEMORY_MEMORY_DATA_ACCESS_H_

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/common/client_recordset.h"
#include "host/data_access.h"
#include "host/error.h"
#include "host/memory/fault_injector.h"

namespace vintrel::host::memory {

struct MemoryTable {
  std::vector<std::string> fields;
  std::vector<std::vector<FieldValue>> rows;
};

class MemoryDatabase {
 public:
  // What running `source` returns. Replaces an earlier result or failure for that source.
  MemoryDatabase& AddResult(const std::string& source, MemoryTable table);
  // Running `source` fails with `error`.
  MemoryDatabase& FailQuery(const std::string& source, Error error);
  // A table (or view, with type "VIEW") listed by the schema; opening it by name, or with
  // "SELECT * FROM <name>", returns its rows.
  MemoryDatabase& AddTable(const std::string& name, MemoryTable table,
                           const std::string& type = "TABLE");

  // Runs a source: its result, or its failure (a source nobody scripted fails too).
  MemoryTable Run(const std::string& source) const;
  const std::vector<std::pair<std::string, std::string>>& schema() const { return schema_; }

 private:
  std::map<std::string, MemoryTable> results_;
  std::map<std::string, Error> failures_;
  std::vector<std::pair<std::string, std::string>> schema_;  // (type, name)
};

class MemoryDataAccess;

class MemoryConnection : public host::Connection {
 public:
  explicit MemoryConnection(MemoryDataAccess& access) : access_(access) {}
  ~MemoryConnection() override;

  std::string ConnectionString() const override { return connection_string_; }
  void SetConnectionString(const std::string& text) override { connection_string_ = text; }
  // Fails for a connection string no database was added under, and when open already.
  void Open(const std::string& user = "", const std::string& password = "",
            int options = command_option::kUnspecified) override;
  int State() const override;
  void Close() override;
  int ConnectionTimeout() const override;
  int CommandTimeout() const override;
  // Fields "TABLE_TYPE" and "TABLE_NAME", one row per table the database lists.
  std::unique_ptr<Recordset> OpenSchema(int schema) override;

  // The database while open; fails otherwise.
  const MemoryDatabase& database(const char* operation) const;
  const std::string& user() const { return user_; }

 private:
  MemoryDataAccess& access_;
  std::string connection_string_;
  std::string user_;
  const MemoryDatabase* database_ = nullptr;
  mutable int executing_polls_ = 0;
};

class MemoryRecordset : public host::ClientRecordset {
 public:
  explicit MemoryRecordset(MemoryDataAccess& access) : access_(access) {}

  // With a source and an active MemoryConnection: runs the source on its database.
  void Open(const std::string& source, int options = command_option::kUnspecified) override;
  int State() const override;
  void Requery(int options = command_option::kUnspecified) override;
  void Close() override;

 private:
  void Run(const std::string& source, int options, bool keep_rows_on_failure);

  MemoryDataAccess& access_;
  std::string source_;
  int options_ = command_option::kUnspecified;
  bool has_query_ = false;
  mutable int executing_polls_ = 0;
  std::optional<Error> async_error_;
};

class MemoryDataAccess : public host::DataAccess {
 public:
  std::unique_ptr<Connection> CreateConnection() override;
  std::unique_ptr<Recordset> CreateRecordset() override;

  // A database reached with exactly this connection string.
  MemoryDatabase& AddDatabase(const std::string& connection_string);
  MemoryDatabase* FindDatabase(const std::string& connection_string);
  // Asynchronous opens and queries report "executing" for this many State() reads (0 default).
  void set_executing_polls(int polls) { executing_polls_ = polls; }
  void set_timeouts(int connection_seconds, int command_seconds);
  // What the ODBC listings give, in the order added.
  void AddOdbcDataSource(OdbcDataSource source) { odbc_sources_.push_back(std::move(source)); }
  void AddOdbcDriver(OdbcDriver driver) { odbc_drivers_.push_back(std::move(driver)); }
  std::vector<OdbcDataSource> OdbcDataSources() const override { return odbc_sources_; }
  std::vector<OdbcDriver> OdbcDrivers() const override { return odbc_drivers_; }
  // Arms failures by operation: "DataAccess.CreateConnection", "DataAccess.CreateRecordset",
  // "Connection.Open", "Connection.OpenSchema", "Recordset.Open", "Recordset.Requery".
  FaultInjector& faults() { return faults_; }

  // Records.
  int connections_created() const { return connections_created_; }
  int recordsets_created() const { return recordsets_created_; }
  int open_connections() const { return open_connections_; }
  // Every source run (opens and requeries), in order.
  const std::vector<std::string>& queries() const { return queries_; }

 private:
  friend class MemoryConnection;
  friend class MemoryRecordset;

  // The connection a recordset runs on, when it is one of ours and still exists.
  const MemoryConnection* LiveConnection(const host::Connection* connection) const;

  std::map<std::string, std::unique_ptr<MemoryDatabase>> databases_;
  std::set<const MemoryConnection*> live_connections_;
  std::vector<OdbcDataSource> odbc_sources_;
  std::vector<OdbcDriver> odbc_drivers_;
  FaultInjector faults_;
  int executing_polls_ = 0;
  int connection_timeout_ = 15;
  int command_timeout_ = 30;
  int connections_created_ = 0;
  int recordsets_created_ = 0;
  int open_connections_ = 0;
  std::vector<std::string> queries_;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_MEMORY_DATA_ACCESS_H_
