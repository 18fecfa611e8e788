#include "host/data/builtin_data_access.h"

#include "host/data/data_recordset.h"
#include "host/data/provider_connection.h"

namespace vintrel::host::data {

std::unique_ptr<Connection> BuiltinDataAccess::CreateConnection() {
  return std::make_unique<ProviderConnection>();
}

std::unique_ptr<Recordset> BuiltinDataAccess::CreateRecordset() {
  return std::make_unique<DataRecordset>(loop_);
}

}  // namespace vintrel::host::data
