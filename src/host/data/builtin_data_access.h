// The data-access objects of this system: connections that reach SQLite files directly and every
// other database through ODBC, and recordsets that hold their rows in memory. Asynchronous
// queries hand their results back through the given event loop, which must outlive every
// recordset made here.
#ifndef VINTREL_HOST_DATA_BUILTIN_DATA_ACCESS_H_
#define VINTREL_HOST_DATA_BUILTIN_DATA_ACCESS_H_

#include <memory>

#include "host/data_access.h"
#include "host/event_loop.h"

namespace vintrel::host::data {

class BuiltinDataAccess : public DataAccess {
 public:
  explicit BuiltinDataAccess(EventLoop& loop) : loop_(loop) {}
  std::unique_ptr<Connection> CreateConnection() override;
  std::unique_ptr<Recordset> CreateRecordset() override;
  std::string LocalFile(const std::string& connection_string) const override;
  std::vector<OdbcDataSource> OdbcDataSources() const override;
  std::vector<OdbcDriver> OdbcDrivers() const override;

 private:
  EventLoop& loop_;
};

}  // namespace vintrel::host::data

#endif  // VINTREL_HOST_DATA_BUILTIN_DATA_ACCESS_H_
