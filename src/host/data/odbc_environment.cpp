#include "host/data/odbc_environment.h"

#include "host/common/text_encoding.h"
#include "host/error.h"

namespace vintrel::host::data {

SQLHENV OdbcEnvironment() {
  static SQLHENV env = [] {
    SQLHENV handle = SQL_NULL_HENV;
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle))) return handle;
    SQLSetEnvAttr(handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return handle;
  }();
  if (env == SQL_NULL_HENV) {
    throw Error(kErrCannotCreateObject, "ODBC", "The ODBC driver manager cannot be started.");
  }
  return env;
}

std::string Narrow(const SQLWCHAR* text, size_t length) {
  return Utf16ToUtf8(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace vintrel::host::data
