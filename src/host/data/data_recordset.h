// The recordset the data-access layer hands out: an in-memory client recordset that can also be
// filled by a query on a ProviderConnection.
//
// Open options: -1 (or 1) runs the source as SQL; 512 (or 2) reads every row of the named table or
// view, the name quoted as an identifier; a source that calls a stored procedure ("EXEC ...",
// "{call ...}") is passed to the driver as written whatever the option. Adding 16 runs the query
// asynchronously: on a worker thread, with State() reporting 4 (executing) until the result has
// been handed back through the event loop (EventLoop::Post), so the caller polls State() while it
// pumps DoEvents and timers keep ticking. Without 16 the query runs on the caller's thread.
//
// When an asynchronous query fails, State() raises its error (and keeps raising it) until the
// recordset is opened, requeried or closed again; a caller waiting for State() to become open
// thus gets the database's description instead of waiting forever. A failed requery keeps the
// rows the recordset had.
//
// Requery(-1) runs the last source again with the options it was opened with, on the current
// active connection. Setting the active connection to null disconnects: the rows stay.
#ifndef VINTREL_HOST_DATA_DATA_RECORDSET_H_
#define VINTREL_HOST_DATA_DATA_RECORDSET_H_

#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "host/common/client_recordset.h"
#include "host/data/session.h"
#include "host/error.h"
#include "host/event_loop.h"

namespace vintrel::host::data {

class ProviderConnection;

class DataRecordset : public ClientRecordset {
 public:
  explicit DataRecordset(EventLoop& loop);
  ~DataRecordset() override;

  void SetActiveConnection(Connection* connection) override;
  void Open(const std::string& source, int options = command_option::kUnspecified) override;
  int State() const override;
  void Requery(int options = command_option::kUnspecified) override;
  void Close() override;

 private:
  friend class ProviderConnection;
  struct Outcome;

  void ConnectionGone(ProviderConnection* connection);
  ProviderConnection& RequireConnection(const char* operation) const;
  void Run(const std::string& source, int options);
  void Finish(unsigned generation, std::shared_ptr<Outcome> outcome);
  void StopWorker();

  EventLoop& loop_;
  ProviderConnection* provider_ = nullptr;
  std::string source_;
  int options_ = command_option::kUnspecified;
  bool has_query_ = false;
  bool running_ = false;
  std::optional<Error> async_error_;
  std::thread worker_;
  // The running query's session and cancel token.
  std::shared_ptr<SessionHandle> running_handle_;
  std::shared_ptr<std::atomic<bool>> cancel_;
  unsigned generation_ = 0;
  // Posted results hold a weak reference: a recordset that is gone ignores them.
  std::shared_ptr<DataRecordset*> self_;
};

}  // namespace vintrel::host::data

#endif  // VINTREL_HOST_DATA_DATA_RECORDSET_H_
