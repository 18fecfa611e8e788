// Connection strings as presentations hold them (OLE DB and ODBC forms alike), and the choice of
// the provider that serves one:
// - "Provider=SQLite;Data Source=<file>", or a bare path ending in .db, .sqlite or .sqlite3, or a
//   string without a provider whose Data Source is such a path: the built-in SQLite provider.
// - "DSN=...", "Driver=...", "FileDSN=..." without a provider: handed to ODBC as it is.
// - "Provider=MSDASQL;...": ODBC; the provider part goes, Extended Properties (the ODBC string
//   proper) is unwrapped, and Data Source / User ID / Password / Initial Catalog become DSN / UID /
//   PWD / DATABASE.
// - "Provider=Microsoft.Jet.OLEDB...;Data Source=<file.mdb>" (or the ACE provider): ODBC through
//   the mdbtools driver when one is installed; otherwise an error naming the missing driver.
// - Anything else: an error "no provider for ..." naming the provider.
#ifndef VINTREL_HOST_DATA_CONNECTION_STRING_H_
#define VINTREL_HOST_DATA_CONNECTION_STRING_H_

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/common/connection_string_parts.h"

namespace vintrel::host::data {

// The text with the values of password keys (Pwd, Password, Jet OLEDB:Database Password)
// replaced by "***", for error messages and logs.
std::string MaskPasswords(std::string_view text);

enum class ProviderKind { kSqlite, kOdbc };

struct ProviderChoice {
  ProviderKind kind;
  // The database file for SQLite (a native path), the ODBC connection string for ODBC.
  std::string target;
};

// The names of the installed ODBC drivers, asked for only when a Jet string needs them.
using DriverList = std::function<std::vector<std::string>()>;

// Picks the provider for a connection string. Throws vintrel::Error
// (data_error::kProviderNotFound) with a clear description when no provider serves the string.
ProviderChoice ChooseProvider(const std::string& connection_string, const DriverList& odbc_drivers);

// A Windows path written in a connection string, as a path of this system: backslashes become
// slashes.
std::string NativePath(std::string path);

}  // namespace vintrel::host::data

#endif  // VINTREL_HOST_DATA_CONNECTION_STRING_H_
