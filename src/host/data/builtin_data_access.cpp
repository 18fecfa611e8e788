#include "host/data/builtin_data_access.h"

#include "host/data/connection_string.h"
#include "host/data/data_recordset.h"
#include "host/data/provider_connection.h"

namespace vintrel::host::data {

std::unique_ptr<Connection> BuiltinDataAccess::CreateConnection() {
  return std::make_unique<ProviderConnection>();
}

std::unique_ptr<Recordset> BuiltinDataAccess::CreateRecordset() {
  return std::make_unique<DataRecordset>(loop_);
}

std::string BuiltinDataAccess::LocalFile(const std::string& connection_string) const {
  try {
    // The driver list is never asked for: a string that needs it names no local file of ours.
    ProviderChoice choice = ChooseProvider(connection_string, [] {
      return std::vector<std::string>();
    });
    return choice.kind == ProviderKind::kSqlite ? choice.target : std::string();
  } catch (...) {
    return {};
  }
}

}  // namespace vintrel::host::data
