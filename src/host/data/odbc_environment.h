// The one ODBC environment of the process and the conversions of unixODBC's wide text, shared by
// the sessions and the driver manager's listings.
#ifndef VINTREL_HOST_DATA_ODBC_ENVIRONMENT_H_
#define VINTREL_HOST_DATA_ODBC_ENVIRONMENT_H_

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <string>

namespace vintrel::host::data {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC wide characters are UTF-16");

// Made at first use (ODBC 3 behaviour) and kept; fails (kErrCannotCreateObject) when the driver
// manager cannot start.
SQLHENV OdbcEnvironment();

inline const SQLWCHAR* Wide(const std::u16string& text) {
  return reinterpret_cast<const SQLWCHAR*>(text.c_str());
}

std::string Narrow(const SQLWCHAR* text, size_t length);

inline bool Succeeded(SQLRETURN rc) {
  return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

}  // namespace vintrel::host::data

#endif  // VINTREL_HOST_DATA_ODBC_ENVIRONMENT_H_
