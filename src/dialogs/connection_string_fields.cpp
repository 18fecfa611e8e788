#include "dialogs/connection_string_fields.h"

#include <initializer_list>

#include "host/common/ascii.h"
#include "host/common/connection_string_parts.h"
#include "host/common/text.h"

namespace vintrel::dialogs {
namespace {

bool Mentions(const std::string& text, std::initializer_list<const char*> words) {
  const std::string lower = LowerAscii(text);
  for (const char* word : words) {
    if (lower.find(word) != std::string::npos) return true;
  }
  return false;
}

std::optional<DriverFamily> FamilyNamed(const std::string& text) {
  if (Mentions(text, {"postgres", "psqlodbc"})) return DriverFamily::kPostgres;
  if (Mentions(text, {"mysql", "mariadb", "myodbc"})) return DriverFamily::kMysql;
  if (Mentions(text, {"sqlite"})) return DriverFamily::kSqlite;
  return std::nullopt;
}

bool IsSqlitePath(std::string_view path) {
  return EndsWithNoCase(path, ".db") || EndsWithNoCase(path, ".sqlite") ||
         EndsWithNoCase(path, ".sqlite3");
}

void Append(std::string& text, const std::string& key, const std::string& value) {
  if (value.empty()) return;
  if (!text.empty()) text += ';';
  text += key + "=" + host::QuoteOdbcValue(value);
}

// The box a key fills, by the names drivers and providers give it; null for a key the picker
// keeps as written.
std::string* BoxOf(ConnectionFields& fields, DriverFamily family, const std::string& key) {
  static const std::initializer_list<const char*> kUser = {"uid", "user", "username", "user id"};
  const std::string lower = LowerAscii(key);
  auto is = [&](std::initializer_list<const char*> names) {
    for (const char* name : names) {
      if (lower == name) return true;
    }
    return false;
  };
  if (fields.kind == SourceKind::kSqliteFile) return is({"data source"}) ? &fields.file : nullptr;
  if (is(kUser)) return &fields.user;
  if (is({"pwd", "password"})) return &fields.password;
  if (fields.kind == SourceKind::kDataSource) return nullptr;
  if (family == DriverFamily::kSqlite) return is({"database"}) ? &fields.file : nullptr;
  if (is({"server", "servername", "host"})) return &fields.server;
  if (is({"port"})) return &fields.port;
  if (is({"database", "db"})) return &fields.database;
  return nullptr;
}

}  // namespace

DriverFamily FamilyOf(const std::string& driver_name, const std::string& library) {
  return FamilyNamed(driver_name).value_or(FamilyNamed(library).value_or(DriverFamily::kGeneric));
}

FieldSet FieldsFor(SourceKind kind, DriverFamily family) {
  switch (kind) {
    case SourceKind::kSqliteFile:
      return {.file = true};
    case SourceKind::kDataSource:
      return {.user = true, .password = true};
    case SourceKind::kDriver:
      break;
  }
  if (family == DriverFamily::kSqlite) return {.file = true};
  return {.server = true,
          .port = family != DriverFamily::kGeneric,
          .database = true,
          .user = true,
          .password = true};
}

std::string DefaultPort(DriverFamily family) {
  if (family == DriverFamily::kPostgres) return "5432";
  if (family == DriverFamily::kMysql) return "3306";
  return "";
}

std::string BuildConnectionString(const ConnectionFields& fields, DriverFamily family,
                                  bool with_password) {
  const FieldSet wanted = FieldsFor(fields.kind, family);
  std::string text;
  switch (fields.kind) {
    case SourceKind::kSqliteFile:
      text = "Provider=SQLite";
      Append(text, "Data Source", fields.file);
      break;
    case SourceKind::kDataSource:
      Append(text, "DSN", fields.name);
      break;
    case SourceKind::kDriver: {
      // Braced always, as driver names with blanks are usually written.
      std::string braced = host::QuoteOdbcValue(fields.name);
      if (braced.empty() || braced.front() != '{') braced = "{" + braced + "}";
      text = "Driver=" + braced;
      if (wanted.file) Append(text, "Database", fields.file);
      break;
    }
  }
  if (wanted.server) Append(text, "Server", fields.server);
  if (wanted.port) Append(text, "Port", fields.port);
  if (wanted.database) Append(text, "Database", fields.database);
  if (wanted.user) Append(text, "UID", fields.user);
  if (wanted.password && with_password) Append(text, "PWD", fields.password);
  for (const std::string& part : fields.other_parts) text += (text.empty() ? "" : ";") + part;
  return text;
}

std::optional<ConnectionFields> ParseConnectionFields(const std::string& text) {
  const std::string trimmed(Trim(text));
  ConnectionFields fields;
  if (!trimmed.empty() && trimmed.find('=') == std::string::npos && IsSqlitePath(trimmed)) {
    fields.file = trimmed;
    return fields;
  }
  const std::vector<host::ConnectionStringPart> parts = host::ParseConnectionString(trimmed);
  const std::optional<std::string> provider = host::FindConnectionValue(parts, "Provider");
  const std::optional<std::string> dsn = host::FindConnectionValue(parts, "DSN");
  const std::optional<std::string> driver = host::FindConnectionValue(parts, "Driver");
  const std::optional<std::string> file = host::FindConnectionValue(parts, "Data Source");
  DriverFamily family = DriverFamily::kGeneric;
  if (provider) {
    if (!EqualsNoCase(*provider, "SQLite") && !EqualsNoCase(*provider, "SQLite3")) {
      return std::nullopt;
    }
  } else if (dsn) {
    fields.kind = SourceKind::kDataSource;
    fields.name = *dsn;
  } else if (driver) {
    fields.kind = SourceKind::kDriver;
    fields.name = *driver;
    family = FamilyOf(*driver);
  } else if (!file || !IsSqlitePath(*file)) {
    return std::nullopt;
  }
  for (const host::ConnectionStringPart& part : parts) {
    if (EqualsNoCase(part.key, "Provider") || EqualsNoCase(part.key, "DSN") ||
        EqualsNoCase(part.key, "Driver")) {
      continue;
    }
    std::string* box = BoxOf(fields, family, part.key);
    if (box != nullptr) {
      *box = part.value;
    } else {
      fields.other_parts.push_back(part.text);
    }
  }
  return fields;
}

}  // namespace vintrel::dialogs
