#include "host/data/builtin_data_access.h"

#include "host/data/connection_string.h"
#include "host/data/data_recordset.h"
#include "host/data/odbc_catalog.h"
#include "host/data/provider_connection.h"
#include "host/error.h"

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
    ProviderChoice choice =
        ChooseProvider(connection_string, [] { return std::vector<std::string>(); });
    return choice.kind == ProviderKind::kSqlite ? choice.target : std::string();
  } catch (...) {
    return {};
  }
}

// A driver manager that cannot start lists nothing: the SQLite file stays on offer.
std::vector<OdbcDataSource> BuiltinDataAccess::OdbcDataSources() const {
  try {
    return ListOdbcDataSources();
  } catch (const Error&) {
    return {};
  }
}

std::vector<OdbcDriver> BuiltinDataAccess::OdbcDrivers() const {
  try {
    return ListOdbcDrivers();
  } catch (const Error&) {
    return {};
  }
}

}  // namespace vintrel::host::data
