// The data-access layer the connections talk to: a connection to a database, and client-side
// recordsets that every source fills. All values are text; a null value is std::nullopt.
#ifndef VINTREL_HOST_DATA_ACCESS_H_
#define VINTREL_HOST_DATA_ACCESS_H_

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vintrel::host {

using FieldValue = std::optional<std::string>;

namespace object_state {
inline constexpr int kClosed = 0;
inline constexpr int kOpen = 1;
inline constexpr int kExecuting = 4;
}  // namespace object_state

namespace data_type {
inline constexpr int kVarChar = 200;
}  // namespace data_type

namespace cursor_location {
inline constexpr int kClient = 3;
}

namespace cursor_type {
inline constexpr int kForwardOnly = 0;
}

namespace lock_type {
inline constexpr int kReadOnly = 1;
}

// Recordset.Open options.
namespace command_option {
inline constexpr int kUnspecified = -1;
inline constexpr int kAsyncExecute = 16;
inline constexpr int kTableDirect = 512;
}  // namespace command_option

namespace schema {
inline constexpr int kTables = 20;
}

// Field sizes are in characters; longer values are cut when stored.
inline constexpr int kMaxFieldSize = 4000;

class Field {
 public:
  virtual ~Field() = default;
  virtual std::string Name() const = 0;
  // The current record's value; fails when there is no current record.
  virtual FieldValue Value() const = 0;
  virtual void SetValue(FieldValue value) = 0;
};

class Fields {
 public:
  virtual ~Fields() = default;
  virtual int Count() const = 0;
  virtual Field& Item(int index) = 0;                // from 0
  virtual Field& Item(const std::string& name) = 0;  // fails for an unknown name
  // Only before Open of an in-memory recordset. attributes -1 = unspecified.
  virtual void Append(const std::string& name, int type, int defined_size, int attributes = -1) = 0;
};

class Connection;

// An ODBC data source as the driver manager lists it: its name, the description it was given
// (usually its driver's name), and whether it is the machine's (odbc.ini in /etc) or the user's.
struct OdbcDataSource {
  std::string name;
  std::string description;
  bool system = false;
};

// An installed ODBC driver and the attributes odbcinst.ini gives it ("Driver" is its library,
// "Description" what it is), in the file's order.
struct OdbcDriver {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
};

class Recordset {
 public:
  virtual ~Recordset() = default;
  virtual void SetCursorLocation(int location) = 0;
  virtual void SetCursorType(int type) = 0;
  virtual void SetLockType(int type) = 0;
  // The connection queries run on; null disconnects an open recordset (it keeps its rows).
  virtual void SetActiveConnection(Connection* connection) = 0;
  // Runs `source` on the active connection with the options; with an empty source and no
  // connection, opens an empty in-memory recordset with the fields appended before.
  virtual void Open(const std::string& source, int options = command_option::kUnspecified) = 0;
  virtual int State() const = 0;  // object_state
  virtual host::Fields& Fields() = 0;
  virtual void AddNew() = 0;
  virtual void Update() = 0;
  virtual long RecordCount() const = 0;
  // 1 = first record; negative when there is no current record.
  virtual long AbsolutePosition() const = 0;
  virtual void SetAbsolutePosition(long position) = 0;
  virtual void MoveFirst() = 0;
  virtual void Move(long records) = 0;  // from the current record
  virtual void MoveLast() = 0;
  virtual void MovePrevious() = 0;
  virtual void MoveNext() = 0;
  // EOF and BOF of the recordset (EOF is a C macro, hence the names).
  virtual bool IsEOF() const = 0;
  virtual bool IsBOF() const = 0;
  // Deletes the current record (affect 1).
  virtual void Delete(int affect = 1) = 0;
  virtual void Requery(int options = command_option::kUnspecified) = 0;
  virtual void Close() = 0;
};

class Connection {
 public:
  virtual ~Connection() = default;
  virtual std::string ConnectionString() const = 0;
  virtual void SetConnectionString(const std::string& text) = 0;
  virtual void Open(const std::string& user = "", const std::string& password = "",
                    int options = command_option::kUnspecified) = 0;
  virtual int State() const = 0;  // object_state
  virtual void Close() = 0;
  virtual int ConnectionTimeout() const = 0;  // seconds
  virtual int CommandTimeout() const = 0;     // seconds
  // The tables and views, with the fields "TABLE_TYPE" and "TABLE_NAME".
  virtual std::unique_ptr<Recordset> OpenSchema(int schema) = 0;
};

// Creates the data-access objects; fails (kErrCannotCreateObject) when the components are missing.
class DataAccess {
 public:
  virtual ~DataAccess() = default;
  virtual std::unique_ptr<Connection> CreateConnection() = 0;
  virtual std::unique_ptr<Recordset> CreateRecordset() = 0;
  // The local file a connection string reads (an SQLite database), or empty text when it
  // names none (a server).
  virtual std::string LocalFile(const std::string& connection_string) const {
    (void)connection_string;
    return {};
  }
  // The ODBC data sources (the user's first) and the installed ODBC drivers; empty where ODBC
  // is not available.
  virtual std::vector<OdbcDataSource> OdbcDataSources() const { return {}; }
  virtual std::vector<OdbcDriver> OdbcDrivers() const { return {}; }
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_DATA_ACCESS_H_
