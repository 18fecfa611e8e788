#ifndef VINTREL_HOST_MEMORY_FAILING_DATA_ACCESS_H_
#define VINTREL_HOST_MEMORY_FAILING_DATA_ACCESS_H_

#include <memory>

#include "host/data_access.h"

namespace vintrel::host::memory {

// Data access on a machine without the data-access components: creating any object fails with
// kErrCannotCreateObject, as the component factory does there.
class FailingDataAccess : public host::DataAccess {
 public:
  std::unique_ptr<Connection> CreateConnection() override;
  std::unique_ptr<Recordset> CreateRecordset() override;

  int attempts() const { return attempts_; }

 private:
  int attempts_ = 0;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_FAILING_DATA_ACCESS_H_
