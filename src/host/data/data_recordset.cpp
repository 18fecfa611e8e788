#include "host/data/data_recordset.h"

#include <new>

#include "host/data/provider_connection.h"

namespace vintrel::host::data {
namespace {

constexpr char kSource[] = "Recordset";

bool HasOption(int options, int flag) {
  return options != command_option::kUnspecified && (options & flag) != 0;
}

CommandKind KindOf(const std::string& source, int options) {
  if (IsProcedureCall(source)) return CommandKind::kProcedure;
  constexpr int kTable = 2;
  if (HasOption(options, command_option::kTableDirect) || HasOption(options, kTable)) {
    return CommandKind::kTable;
  }
  return CommandKind::kText;
}

}  // namespace

struct DataRecordset::Outcome {
  std::optional<QueryResult> result;
  std::optional<Error> error;
};

DataRecordset::DataRecordset(EventLoop& loop)
    : loop_(loop), self_(std::make_shared<DataRecordset*>(this)) {}

DataRecordset::~DataRecordset() {
  self_.reset();
  StopWorker();
  if (provider_ != nullptr) provider_->attached_.erase(this);
}

void DataRecordset::StopWorker() {
  if (!worker_.joinable()) return;
  // The recordset shares the session with the worker, so cancelling through it is safe even
  // when the connection has been closed meanwhile.
  if (running_) {
    *cancel_ = true;
    running_handle_->session->Cancel(cancel_.get());
  }
  worker_.join();
  running_ = false;
  running_handle_.reset();
  ++generation_;  // a result already posted is stale now
}

void DataRecordset::ConnectionGone(ProviderConnection* connection) {
  if (provider_ == connection) {
    provider_ = nullptr;
    ClientRecordset::SetActiveConnection(nullptr);
  }
}

void DataRecordset::SetActiveConnection(Connection* connection) {
  if (running_) {
    throw Error(data_error::kStillExecuting, kSource,
                "The connection cannot change while a query is executing.");
  }
  ProviderConnection* provider = nullptr;
  if (connection != nullptr) {
    provider = dynamic_cast<ProviderConnection*>(connection);
    if (provider == nullptr) {
      throw Error(data_error::kInvalidArgument, kSource,
                  "The connection was not made by this data-access layer.");
    }
  }
  if (provider_ != nullptr) provider_->attached_.erase(this);
  provider_ = provider;
  if (provider_ != nullptr) provider_->attached_.insert(this);
  ClientRecordset::SetActiveConnection(connection);
}

ProviderConnection& DataRecordset::RequireConnection(const char* operation) const {
  if (provider_ == nullptr || provider_->State() != object_state::kOpen) {
    throw Error(
        data_error::kNoConnection, kSource,
        std::string(operation) + " needs an open active connection; the recordset has none.");
  }
  return *provider_;
}

int DataRecordset::State() const {
  if (running_) return object_state::kExecuting;
  if (async_error_) throw *async_error_;
  return ClientRecordset::State();
}

void DataRecordset::Open(const std::string& source, int options) {
  if (running_ || ClientRecordset::State() != object_state::kClosed) {
    throw Error(data_error::kObjectOpen, kSource, "The recordset is already open.");
  }
  async_error_.reset();
  if (provider_ == nullptr && source.empty()) {
    ClientRecordset::Open(source, options);
    return;
  }
  RequireConnection("Open");
  if (source.find_first_not_of(" \t\r\n") == std::string::npos) {
    throw Error(data_error::kInvalidArgument, kSource, "There is no query or table name to open.");
  }
  source_ = source;
  options_ = options;
  has_query_ = true;
  Run(source, options);
}

void DataRecordset::Requery(int options) {
  if (running_) {
    throw Error(data_error::kStillExecuting, kSource, "The query is still executing.");
  }
  if (!has_query_) {
    ClientRecordset::Requery(options);  // an in-memory recordset has nothing to requery
    return;
  }
  async_error_.reset();
  RequireConnection("Requery");
  Run(source_, options == command_option::kUnspecified ? options_ : options);
}

void DataRecordset::Close() {
  // Closing a recordset whose first query still runs, or whose query failed, only ends that.
  bool was_busy = running_ || async_error_.has_value();
  StopWorker();
  async_error_.reset();
  has_query_ = false;
  if (ClientRecordset::State() == object_state::kClosed && was_busy) return;
  ClientRecordset::Close();
}

void DataRecordset::Run(const std::string& source, int options) {
  std::shared_ptr<SessionHandle> handle = RequireConnection("Open").session();
  CommandKind kind = KindOf(source, options);
  if (!HasOption(options, command_option::kAsyncExecute)) {
    QueryResult result;
    try {
      std::lock_guard<std::mutex> lock(handle->mutex);
      result = handle->session->Execute(source, kind);
    } catch (const std::bad_alloc&) {
      throw Error(kErrUnspecified, kSource, "Not enough memory for the rows of '" + source + "'.");
    }
    Load(std::move(result.names), std::move(result.rows));
    return;
  }
  StopWorker();
  running_ = true;
  running_handle_ = handle;
  auto cancel = cancel_ = std::make_shared<std::atomic<bool>>(false);
  unsigned generation = ++generation_;
  std::weak_ptr<DataRecordset*> self = self_;
  EventLoop* loop = &loop_;
  worker_ = std::thread([handle, cancel, source, kind, generation, self, loop] {
    auto outcome = std::make_shared<Outcome>();
    try {
      std::lock_guard<std::mutex> lock(handle->mutex);
      if (handle->closing) {
        throw Error(kErrUnspecified, kSource,
                    "The query was cancelled: its connection was closed before it ran.");
      }
      outcome->result = handle->session->Execute(source, kind, cancel.get());
    } catch (const Error& error) {
      outcome->error = error;
    } catch (const std::exception& error) {
      outcome->error = Error(kErrUnspecified, kSource, error.what());
    }
    loop->Post([self, generation, outcome] {
      if (auto owner = self.lock()) (*owner)->Finish(generation, outcome);
    });
  });
}

void DataRecordset::Finish(unsigned generation, std::shared_ptr<Outcome> outcome) {
  if (generation != generation_) return;
  if (worker_.joinable()) worker_.join();  // it has posted this and is ending
  running_ = false;
  running_handle_.reset();
  if (outcome->error) {
    async_error_ = outcome->error;
    return;
  }
  Load(std::move(outcome->result->names), std::move(outcome->result->rows));
}

}  // namespace vintrel::host::data
