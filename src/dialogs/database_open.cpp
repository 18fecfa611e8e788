#include "dialogs/database_open.h"

#include "connections/connection_paths.h"
#include "host/error.h"
#include "support/error_codes.h"
#include "support/failure_handling.h"

namespace vintrel::dialogs {

std::unique_ptr<host::Connection> OpenDatabase(const Context& ctx, const std::string& resolved) {
  std::unique_ptr<host::Connection> connection = ctx.services.data_access->CreateConnection();
  if (connection == nullptr) {
    throw Error(kErrCannotCreateObject, "ADODB.Connection", "No data-access components");
  }
  connection->SetConnectionString(MapConnectionStringPaths(ctx, resolved));
  connection->Open("", "", host::command_option::kUnspecified);
  return connection;
}

void CloseQuietly(host::Connection& connection) {
  SkipFailure([&] {
    if (connection.State() != host::object_state::kClosed) connection.Close();
  });
}

}  // namespace vintrel::dialogs
