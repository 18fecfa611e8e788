#include "host/data/connection_string.h"

#include <algorithm>
#include <cctype>

#include "host/common/ascii.h"
#include "host/common/client_recordset.h"
#include "host/common/text.h"
#include "host/error.h"

namespace vintrel::host::data {
namespace {

constexpr char kSource[] = "Connection";

bool IsSqliteFile(std::string_view path) {
  return EndsWithNoCase(path, ".db") || EndsWithNoCase(path, ".sqlite") ||
         EndsWithNoCase(path, ".sqlite3");
}

[[noreturn]] void NoProvider(const std::string& description) {
  throw Error(data_error::kProviderNotFound, kSource, description);
}

ProviderChoice OdbcFromMsdasql(const std::vector<ConnectionStringPart>& parts) {
  std::string odbc;
  std::vector<std::string> present;
  if (auto extended = FindConnectionValue(parts, "Extended Properties")) {
    odbc = *extended;
    for (const auto& part : ParseConnectionString(odbc)) present.push_back(LowerAscii(part.key));
  }
  // The OLE DB names of the common keys, in ODBC's words; keys the ODBC string already has win.
  static const std::pair<const char*, const char*> kMapped[] = {{"data source", "DSN"},
                                                                {"user id", "UID"},
                                                                {"password", "PWD"},
                                                                {"initial catalog", "DATABASE"}};
  static const char* kDropped[] = {
      "provider", "extended properties", "persist security info", "mode",
      "prompt",   "connect timeout",     "general timeout"};
  for (const auto& part : parts) {
    std::string key = LowerAscii(part.key);
    if (std::find(std::begin(kDropped), std::end(kDropped), key) != std::end(kDropped)) continue;
    std::string text = part.text;
    for (const auto& [from, to] : kMapped) {
      if (key == from) {
        text = std::string(to) + "=" + QuoteOdbcValue(part.value);
        key = LowerAscii(to);
      }
    }
    if (std::find(present.begin(), present.end(), key) != present.end()) continue;
    if (!odbc.empty() && odbc.back() != ';') odbc += ';';
    odbc += text;
  }
  if (Trim(odbc).empty()) NoProvider("The ODBC connection string names no DSN and no driver.");
  return {ProviderKind::kOdbc, odbc};
}

ProviderChoice OdbcFromJet(const std::vector<ConnectionStringPart>& parts,
                           const DriverList& list_drivers, const std::string& provider) {
  auto file = FindConnectionValue(parts, "Data Source");
  if (!file || file->empty()) {
    NoProvider("The " + provider + " connection string names no Data Source file.");
  }
  std::vector<std::string> odbc_drivers = list_drivers();
  auto driver = std::find_if(odbc_drivers.begin(), odbc_drivers.end(), [](const std::string& d) {
    return LowerAscii(d).find("mdb") != std::string::npos;
  });
  if (driver == odbc_drivers.end()) {
    NoProvider("Cannot open the Access database '" + *file + "' (" + provider +
               "): its ODBC driver, the mdbtools driver (Debian package odbc-mdbtools), is not "
               "installed.");
  }
  return {ProviderKind::kOdbc,
          "DRIVER={" + *driver + "};DBQ=" + QuoteOdbcValue(NativePath(*file)) + ";"};
}

}  // namespace

std::string MaskPasswords(std::string_view text) {
  std::string out;
  for (const auto& part : ParseConnectionString(text)) {
    std::string key = LowerAscii(part.key);
    bool secret = key == "pwd" || key == "password" || EndsWithNoCase(key, "database password");
    if (!out.empty()) out += ';';
    out += secret ? part.key + "=***" : part.text;
  }
  return out;
}

std::string NativePath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

ProviderChoice ChooseProvider(const std::string& connection_string,
                              const DriverList& odbc_drivers) {
  std::string text(Trim(connection_string));
  if (text.empty()) NoProvider("The connection string is empty.");
  if (text.find('=') == std::string::npos) {
    if (IsSqliteFile(text)) return {ProviderKind::kSqlite, NativePath(text)};
    NoProvider("no provider for '" + text +
               "': a connection string names a Provider, a DSN or an ODBC Driver, or is the path "
               "of an SQLite file (.db, .sqlite, .sqlite3).");
  }
  std::vector<ConnectionStringPart> parts = ParseConnectionString(text);
  std::optional<std::string> provider = FindConnectionValue(parts, "Provider");
  if (!provider) {
    if (FindConnectionValue(parts, "DSN") || FindConnectionValue(parts, "Driver") ||
        FindConnectionValue(parts, "FileDSN")) {
      return {ProviderKind::kOdbc, text};
    }
    auto file = FindConnectionValue(parts, "Data Source");
    if (file && IsSqliteFile(*file)) return {ProviderKind::kSqlite, NativePath(*file)};
    NoProvider("no provider for '" + MaskPasswords(text) +
               "': the connection string names no Provider, DSN or ODBC Driver.");
  }
  std::string name = LowerAscii(*provider);
  if (name == "sqlite" || name == "sqlite3" || StartsWithNoCase(name, "sqlite.")) {
    auto file = FindConnectionValue(parts, "Data Source");
    if (!file) file = FindConnectionValue(parts, "Database");
    if (!file || file->empty()) NoProvider("The SQLite connection string names no Data Source.");
    return {ProviderKind::kSqlite, NativePath(*file)};
  }
  if (name == "msdasql" || StartsWithNoCase(name, "msdasql.")) return OdbcFromMsdasql(parts);
  if (StartsWithNoCase(name, "microsoft.jet.oledb") ||
      StartsWithNoCase(name, "microsoft.ace.oledb")) {
    return OdbcFromJet(parts, odbc_drivers, *provider);
  }
  if (StartsWithNoCase(name, "sqloledb") || StartsWithNoCase(name, "sqlncli") ||
      StartsWithNoCase(name, "msoledbsql")) {
    // SQL Server's OLE DB providers exist on Windows only; its ODBC driver reaches the same server.
    NoProvider("no provider for '" + *provider +
               "': SQL Server is reached through ODBC here. Change the connection string to, for "
               "example, \"Driver={ODBC Driver 18 for SQL Server};Server=HOST;Database=NAME;"
               "UID=USER;PWD=PASSWORD;TrustServerCertificate=yes\" (with the driver installed), "
               "or to a DSN defined in /etc/odbc.ini (\"DSN=NAME\").");
  }
  NoProvider("no provider for '" + *provider +
             "': this system reads SQLite files itself and every other database through ODBC "
             "(DSN=..., Driver=... or Provider=MSDASQL).");
}

}  // namespace vintrel::host::data
