// The seam between a connection and the kind of source it reads: a delimited text file, a
// database, or a workbook range. The connection keeps its definition, the opened flag, the
// recordset and (for databases) the data-access connection with its start times; a source keeps
// whatever else its kind needs (the open file, the workbook and sheet, file times, the time of
// the last timed requery) and does the kind's work in four steps.
//
// Writing a source:
// - Read the definition from the connection's getters; resolve file names and connection strings
//   with clsConnection::ResolvedFileString() / ResolvedConnectionString(), and turn a file name
//   into a path of this system with NativePath() only when opening it.
// - Open: the connection has cleared its opened flag and logged "Open ... connection <path>"
//   before, and sets the flag and logs "Connection opened" after Open returns, so Open only
//   opens (closing the previous handle of its own kind first). Raise the kind's
//   numbered error on failure (RaiseError with ErrorCode::kOpeningFile, kOpeningDatabase or
//   kOpeningExcelFile, values {ConnectionDescription(), underlying description}).
// - OpenRecordset: fill the rows; do nothing while connection.Opened() is false. Store the rows
//   with connection.SetRecordset(); a database source opens them on
//   connection.DatabaseConnection() and records connection.SetRecordsetStartTime().
// - Requery(forced): refresh when the kind says so; reopening goes through
//   connection.OpenConnection() (which calls Open again) and connection.OpenRecordset().
// - Close: release this kind's handle (CloseFile, CloseExcel; a database source closes with
//   connection.CloseConnection()). It must not fail: it runs while the connection is released.
#ifndef VINTREL_CONNECTIONS_CONNECTION_SOURCE_H_
#define VINTREL_CONNECTIONS_CONNECTION_SOURCE_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/context.h"

namespace vintrel {

class clsConnection;

class ConnectionSource {
 public:
  virtual ~ConnectionSource() = default;
  virtual void Open(clsConnection& connection) = 0;
  virtual void OpenRecordset(clsConnection& connection) = 0;
  virtual void Requery(clsConnection& connection, bool forced) = 0;
  virtual void Close(clsConnection& connection) noexcept = 0;
  // Whether the last Requery that returned really asked the source (a database whose refresh
  // time had not come is not asked): only such a requery tells that a failing source answers
  // again.
  virtual bool LastRequeryAsked() const { return true; }
  // What the user should know about the rows last read that no error tells (a text file's
  // columns named otherwise than its first line does), one sentence each.
  virtual std::vector<std::string> Notes() const { return {}; }
};

// A connection asks its factory (ConnectionSourceFactory, context.h) for its source at its first
// open, and again when its type has changed.

}  // namespace vintrel

#endif  // VINTREL_CONNECTIONS_CONNECTION_SOURCE_H_
