#include "host/memory/memory_data_access.h"

#include <utility>

namespace vintrel::host::memory {

namespace {

constexpr char kSource[] = "Vintrel memory data access";

[[noreturn]] void Fail(int32_t number, const std::string& description) {
  throw Error(number, kSource, description);
}

bool IsAsync(int options) {
  return options != command_option::kUnspecified && (options & command_option::kAsyncExecute);
}

RowTable ToRows(const MemoryTable& table) {
  RowTable rows;
  for (const auto& row : table.rows) rows.AppendRow(row);
  return rows;
}

}  // namespace

MemoryDatabase& MemoryDatabase::AddResult(const std::string& source, MemoryTable table) {
  failures_.erase(source);
  results_[source] = std::move(table);
  return *this;
}

MemoryDatabase& MemoryDatabase::FailQuery(const std::string& source, Error error) {
  results_.erase(source);
  failures_.insert_or_assign(source, std::move(error));
  return *this;
}

MemoryDatabase& MemoryDatabase::AddTable(const std::string& name, MemoryTable table,
                                         const std::string& type) {
  AddResult("SELECT * FROM " + name, table);
  AddResult(name, std::move(table));
  schema_.emplace_back(type, name);
  return *this;
}

MemoryTable MemoryDatabase::Run(const std::string& source) const {
  if (auto failure = failures_.find(source); failure != failures_.end()) throw failure->second;
  auto result = results_.find(source);
  if (result == results_.end()) Fail(kErrUnspecified, "Invalid object or query: " + source);
  return result->second;
}

MemoryConnection::~MemoryConnection() {
  if (database_ != nullptr) --access_.open_connections_;
  access_.live_connections_.erase(this);
}

void MemoryConnection::Open(const std::string& user, const std::string& /*password*/, int options) {
  access_.faults_.Enter("Connection.Open", nullptr);
  if (database_ != nullptr) Fail(data_error::kObjectOpen, "The connection is already open.");
  const MemoryDatabase* database = access_.FindDatabase(connection_string_);
  if (database == nullptr) Fail(kErrUnspecified, "Cannot open the database " + connection_string_);
  database_ = database;
  user_ = user;
  ++access_.open_connections_;
  executing_polls_ = IsAsync(options) ? access_.executing_polls_ : 0;
}

int MemoryConnection::State() const {
  if (database_ == nullptr) return object_state::kClosed;
  if (executing_polls_ > 0) {
    --executing_polls_;
    return object_state::kExecuting;
  }
  return object_state::kOpen;
}

void MemoryConnection::Close() {
  if (database_ == nullptr) Fail(data_error::kObjectClosed, "The connection is closed.");
  database_ = nullptr;
  --access_.open_connections_;
}

int MemoryConnection::ConnectionTimeout() const {
  return access_.connection_timeout_;
}
int MemoryConnection::CommandTimeout() const {
  return access_.command_timeout_;
}

const MemoryDatabase& MemoryConnection::database(const char* operation) const {
  if (database_ == nullptr) {
    Fail(data_error::kObjectClosed, std::string(operation) + ": the connection is closed.");
  }
  return *database_;
}

std::unique_ptr<Recordset> MemoryConnection::OpenSchema(int schema) {
  access_.faults_.Enter("Connection.OpenSchema", nullptr);
  const MemoryDatabase& db = database("OpenSchema");
  if (schema != schema::kTables) Fail(kErrNotImplemented, "Only the table schema is listed.");
  RowTable rows;
  for (const auto& [type, name] : db.schema()) rows.AppendRow({type, name});
  auto recordset = std::make_unique<ClientRecordset>();
  recordset->Load({"TABLE_TYPE", "TABLE_NAME"}, std::move(rows));
  return recordset;
}

void MemoryRecordset::Run(const std::string& source, int options, bool keep_rows_on_failure) {
  access_.queries_.push_back(source);
  const MemoryConnection* connection = access_.LiveConnection(active_connection());
  if (connection == nullptr) Fail(data_error::kNoConnection, "The recordset has no connection.");
  async_error_.reset();
  source_ = source;
  options_ = options;
  has_query_ = true;
  try {
    MemoryTable table = connection->database("Recordset.Open").Run(source);
    Load(table.fields, ToRows(table));
  } catch (const Error& error) {
    if (!IsAsync(options)) throw;
    // The real layer reports an asynchronous failure when the caller polls the state.
    async_error_ = error;
    // Open (without rows), so that the caller can close it again.
    if (!keep_rows_on_failure) Load({}, RowTable());
  }
  executing_polls_ = IsAsync(options) ? access_.executing_polls_ : 0;
}

void MemoryRecordset::Open(const std::string& source, int options) {
  if (source.empty() && active_connection() == nullptr) {
    ClientRecordset::Open(source, options);
    return;
  }
  access_.faults_.Enter("Recordset.Open", nullptr);
  if (ClientRecordset::State() != object_state::kClosed) {
    Fail(data_error::kObjectOpen, "The recordset is already open.");
  }
  Run(source, options, /*keep_rows_on_failure=*/false);
}

int MemoryRecordset::State() const {
  if (executing_polls_ > 0) {
    --executing_polls_;
    return object_state::kExecuting;
  }
  if (async_error_) throw *async_error_;
  return ClientRecordset::State();
}

void MemoryRecordset::Requery(int options) {
  if (!has_query_) {
    ClientRecordset::Requery(options);
    return;
  }
  access_.faults_.Enter("Recordset.Requery", nullptr);
  if (ClientRecordset::State() == object_state::kClosed) {
    Fail(data_error::kObjectClosed, "The recordset is closed.");
  }
  Run(source_, options == command_option::kUnspecified ? options_ : options,
      /*keep_rows_on_failure=*/true);
}

void MemoryRecordset::Close() {
  async_error_.reset();
  executing_polls_ = 0;
  ClientRecordset::Close();
}

std::unique_ptr<Connection> MemoryDataAccess::CreateConnection() {
  faults_.Enter("DataAccess.CreateConnection", nullptr);
  ++connections_created_;
  auto connection = std::make_unique<MemoryConnection>(*this);
  live_connections_.insert(connection.get());
  return connection;
}

std::unique_ptr<Recordset> MemoryDataAccess::CreateRecordset() {
  faults_.Enter("DataAccess.CreateRecordset", nullptr);
  ++recordsets_created_;
  return std::make_unique<MemoryRecordset>(*this);
}

MemoryDatabase& MemoryDataAccess::AddDatabase(const std::string& connection_string) {
  auto& database = databases_[connection_string];
  if (!database) database = std::make_unique<MemoryDatabase>();
  return *database;
}

MemoryDatabase* MemoryDataAccess::FindDatabase(const std::string& connection_string) {
  auto it = databases_.find(connection_string);
  return it == databases_.end() ? nullptr : it->second.get();
}

void MemoryDataAccess::set_timeouts(int connection_seconds, int command_seconds) {
  connection_timeout_ = connection_seconds;
  command_timeout_ = command_seconds;
}

const MemoryConnection* MemoryDataAccess::LiveConnection(const host::Connection* connection) const {
  // Compared by address first: a connection destroyed meanwhile must not be touched.
  for (const MemoryConnection* live : live_connections_) {
    if (static_cast<const host::Connection*>(live) == connection) return live;
  }
  return nullptr;
}

}  // namespace vintrel::host::memory
