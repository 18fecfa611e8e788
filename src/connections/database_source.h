// A database connection: a data-access connection opened with the presentation's connection
// string, a query whose rows are fetched into a client-side recordset and then disconnected, so
// values are read from memory and the database is only contacted again on a refresh, at most
// once per refresh interval.
#ifndef VINTREL_CONNECTIONS_DATABASE_SOURCE_H_
#define VINTREL_CONNECTIONS_DATABASE_SOURCE_H_

#include <string>
#include <vector>

#include "connections/connection_source.h"
#include "host/data_access.h"

namespace vintrel::connections {

// The open options for a query text: a SELECT statement runs asynchronously, anything else
// names a table, view or procedure opened directly; a project data source takes neither.
int QueryOptions(const std::string& sql, const std::string& connection_string);

// Whether a timed refresh is due: forced, or outside design mode once more than `refresh_rate`
// milliseconds separate now from the last refresh (both as seconds since midnight; the
// difference is taken without sign, so the first refresh after midnight is due).
bool RequeryDue(bool forced, bool design_mode, double now_seconds, double last_seconds,
                double refresh_rate);

// What a database offers to read from, for an author choosing one: the names of the tables of
// the open `connection`, then of its views, each in the order the database lists them.
std::vector<std::string> DataObjectNames(host::Connection& connection);

// Runs `source` (a statement, or a table or view name) read-only on the open `connection` with
// the options QueryOptions gives for `connection_string`, waits for it and closes it again: a
// check that the source can be read. Fails as the database does. With `statement` the text is
// run as a statement whatever it begins with, so a misspelt one fails as a statement.
void ProbeQuery(const Context& ctx, host::Connection& connection, const std::string& source,
                const std::string& connection_string, bool statement = false);

class DatabaseSource : public ConnectionSource {
 public:
  void Open(clsConnection& connection) override;
  void OpenRecordset(clsConnection& connection) override;
  void Requery(clsConnection& connection, bool forced) override;
  void Close(clsConnection& connection) noexcept override;
  bool LastRequeryAsked() const override { return asked_; }

 private:
  // Opens the query on the connection's data-access connection and waits for it.
  void FetchRows(clsConnection& connection);

  double last_requery_ = 0;  // seconds since midnight
  bool asked_ = true;        // the last Requery went to the database
  // A fetch or requery is waiting for the database, letting events run: one of them asking again
  // (another timer's tick) would replace the recordset being waited for, so it is left out.
  bool waiting_ = false;
};

}  // namespace vintrel::connections

#endif  // VINTREL_CONNECTIONS_DATABASE_SOURCE_H_
