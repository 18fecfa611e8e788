// Every database but SQLite: an ODBC connection through the unixODBC driver manager, asked to be
// read-only, with a login timeout and a query timeout. Errors carry the driver's own diagnostic
// text.
#ifndef VINTREL_HOST_DATA_ODBC_SESSION_H_
#define VINTREL_HOST_DATA_ODBC_SESSION_H_

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "host/data/session.h"

namespace vintrel::host::data {

class OdbcSession : public Session {
 public:
  // Connects without prompting. Throws vintrel::Error with the driver's diagnostics.
  OdbcSession(const std::string& connection_string, std::chrono::seconds login_timeout,
              std::chrono::seconds command_timeout);
  ~OdbcSession() override;

  QueryResult Execute(const std::string& source, CommandKind kind,
                      const std::atomic<bool>* cancel = nullptr) override;
  QueryResult Tables() override;
  void Cancel(const std::atomic<bool>* cancel) override;

  // The names of the installed ODBC drivers.
  static std::vector<std::string> InstalledDrivers();

 private:
  class Statement;
  void StartQuery(Statement& statement, const std::string& source, const std::atomic<bool>* cancel);
  QueryResult Fetch(Statement& statement, const std::string& what);
  std::string QuoteIdentifier(const std::string& name) const;
  void EnforceReadOnly();

  void* dbc_ = nullptr;
  std::chrono::seconds command_timeout_;
  std::string quote_;  // the driver's identifier quote; empty when it has none
  std::mutex running_mutex_;
  void* running_ = nullptr;                           // the statement being executed
  const std::atomic<bool>* running_token_ = nullptr;  // and its query's cancel token
  bool closing_ = false;
};

}  // namespace vintrel::host::data

#endif  // VINTREL_HOST_DATA_ODBC_SESSION_H_
