#include "host/memory/failing_data_access.h"

#include "host/error.h"

namespace vintrel::host::memory {

std::unique_ptr<Connection> FailingDataAccess::CreateConnection() {
  ++attempts_;
  throw Error(kErrCannotCreateObject, "ADODB.Connection", "ActiveX component can't create object");
}

std::unique_ptr<Recordset> FailingDataAccess::CreateRecordset() {
  ++attempts_;
  throw Error(kErrCannotCreateObject, "ADODB.Recordset", "ActiveX component can't create object");
}

}  // namespace vintrel::host::memory
