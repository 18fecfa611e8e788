// An open link to one database, as the providers give it: run one query at a time and hand back
// the whole result as text. A session is used by one thread at a time (the caller holds
// SessionHandle::mutex while it works); only Cancel may come from another thread.
#ifndef VINTREL_HOST_DATA_SESSION_H_
#define VINTREL_HOST_DATA_SESSION_H_

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/common/client_recordset.h"

namespace vintrel::host::data {

struct QueryResult {
  std::vector<std::string> names;
  RowTable rows;
};

enum class CommandKind {
  kText,       // SQL as written
  kTable,      // every row of the named table or view
  kProcedure,  // a stored procedure call, passed to the driver as written
};

class Session {
 public:
  virtual ~Session() = default;
  // Runs `source` and fetches every row. Throws vintrel::Error with the database's own
  // description when the query fails, or when `cancel` is (or becomes) set.
  virtual QueryResult Execute(const std::string& source, CommandKind kind,
                              const std::atomic<bool>* cancel = nullptr) = 0;
  // The tables and views: TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE, DESCRIPTION.
  virtual QueryResult Tables() = 0;
  // Asks the running Execute to stop soon (it then fails) when it was given `cancel`; with null,
  // stops whatever runs and every query after it (the session is being closed). The caller sets
  // its token before calling. Safe from any thread.
  virtual void Cancel(const std::atomic<bool>* cancel) = 0;
};

// A session shared between a connection and the queries running on it, so that a worker thread
// can finish with it even when the connection object goes first.
struct SessionHandle {
  std::mutex mutex;  // held while the session works
  std::atomic<bool> closing{false};
  std::unique_ptr<Session> session;
};

// Names of the tables-list fields, in order.
inline const std::vector<std::string>& TableListNames() {
  static const std::vector<std::string> names = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME",
                                                 "TABLE_TYPE", "DESCRIPTION"};
  return names;
}

// Splits a table name given for a direct table open into its parts: "schema.table", "[a b].c",
// "\"x\"" and "`x`" are understood; a part in brackets or quotes may hold dots.
std::vector<std::string> SplitTableName(const std::string& name);

// True when `source` calls a stored procedure ("EXEC ...", "EXECUTE ...", "CALL ...", "{call
// ...}").
bool IsProcedureCall(const std::string& source);

}  // namespace vintrel::host::data

#endif  // VINTREL_HOST_DATA_SESSION_H_
