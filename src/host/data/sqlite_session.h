// The built-in provider: an SQLite database file, always opened read-only.
#ifndef VINTREL_HOST_DATA_SQLITE_SESSION_H_
#define VINTREL_HOST_DATA_SQLITE_SESSION_H_

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "host/data/session.h"

struct sqlite3;

namespace vintrel::host::data {

class SqliteSession : public Session {
 public:
  // Opens `path` read-only and checks that it is a database. A writer holding a lock is waited
  // for up to `command_timeout`, which also bounds every query. Throws vintrel::Error with
  // SQLite's description.
  SqliteSession(const std::string& path, std::chrono::seconds command_timeout);
  ~SqliteSession() override;

  QueryResult Execute(const std::string& source, CommandKind kind,
                      const std::atomic<bool>* cancel = nullptr) override;
  QueryResult Tables() override;
  void Cancel(const std::atomic<bool>* cancel) override;

 private:
  [[noreturn]] void Fail(const std::string& what) const;

  std::string path_;
  sqlite3* db_ = nullptr;
  std::chrono::seconds command_timeout_;
  std::chrono::steady_clock::time_point deadline_;
  std::atomic<bool> closing_{false};
  const std::atomic<bool>* cancel_ = nullptr;  // the running query's token
  bool timed_out_ = false;
};

}  // namespace vintrel::host::data

#endif  // VINTREL_HOST_DATA_SQLITE_SESSION_H_
