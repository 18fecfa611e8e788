// What the unixODBC driver manager knows of this machine: the data sources defined in the user's
// and the system's odbc.ini, and the drivers odbcinst.ini installs.
#ifndef VINTREL_HOST_DATA_ODBC_CATALOG_H_
#define VINTREL_HOST_DATA_ODBC_CATALOG_H_

#include <vector>

#include "host/data_access.h"

namespace vintrel::host::data {

// The user's data sources first, then the system's, each in the driver manager's order.
std::vector<OdbcDataSource> ListOdbcDataSources();
std::vector<OdbcDriver> ListOdbcDrivers();

}  // namespace vintrel::host::data

#endif  // VINTREL_HOST_DATA_ODBC_CATALOG_H_
