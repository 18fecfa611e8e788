// A connection string as the connection string picker asks for it: what it reaches (an SQLite
// file, an ODBC data source, an ODBC driver) and the few values that kind needs, put together as
// the providers read it and taken apart again when the picker opens on an existing string.
#ifndef VINTREL_DIALOGS_CONNECTION_STRING_FIELDS_H_
#define VINTREL_DIALOGS_CONNECTION_STRING_FIELDS_H_

#include <optional>
#include <string>
#include <vector>

namespace vintrel::dialogs {

enum class SourceKind { kSqliteFile, kDataSource, kDriver };

// Drivers ask for different things: a server with its port, or a database file.
enum class DriverFamily { kPostgres, kMysql, kSqlite, kGeneric };

// Which boxes a kind asks for.
struct FieldSet {
  bool file = false;
  bool server = false;
  bool port = false;
  bool database = false;
  bool user = false;
  bool password = false;
};

struct ConnectionFields {
  SourceKind kind = SourceKind::kSqliteFile;
  std::string name{};  // the data source's or the driver's
  std::string file{};  // the SQLite database (the SQLite ODBC driver's too)
  std::string server{};
  std::string port{};
  std::string database{};
  std::string user{};
  std::string password{};
  // Parts the picker has no box for ("sslmode=require"), kept as written.
  std::vector<std::string> other_parts{};
};

// The family of a driver from its name, or else from its library ("Driver" attribute of
// odbcinst.ini): a driver named after nothing known gets the server, database and user.
DriverFamily FamilyOf(const std::string& driver_name, const std::string& library = "");
FieldSet FieldsFor(SourceKind kind, DriverFamily family);
// The port the family's driver takes when none is given; empty when it has none.
std::string DefaultPort(DriverFamily family);

// The string, values quoted as ODBC reads them; empty boxes are left out, and the password too
// unless `with_password`.
std::string BuildConnectionString(const ConnectionFields& fields, DriverFamily family,
                                  bool with_password);

// The fields a string holds; nothing for a string none of the kinds makes (another provider).
std::optional<ConnectionFields> ParseConnectionFields(const std::string& text);

}  // namespace vintrel::dialogs

#endif  // VINTREL_DIALOGS_CONNECTION_STRING_FIELDS_H_
