// The connections of a presentation as a host program lists, checks and tests them: what each
// one's tag defines (what the connection dialogs show), and a sample of its data read as the
// presentation reads it. Changing them is the connection manager's work (the form).
#ifndef VINTREL_SHELL_CONNECTION_ENTRIES_H_
#define VINTREL_SHELL_CONNECTION_ENTRIES_H_

#include <string>
#include <vector>

#include "host/data_access.h"
#include "host/presentation.h"
#include "support/context.h"

namespace vintrel::shell {

class Application;

namespace connection_kind {
inline constexpr int kTextFile = 0;
inline constexpr int kDatabase = 1;
inline constexpr int kExcel = 2;
}  // namespace connection_kind

struct ConnectionEntry {
  std::string number;  // "01"
  int type = -1;       // a connection_kind, or what an unknown tag says
  std::string description;
  std::string file;  // a text file's or workbook's name, as entered
  std::string connection_string;
  std::string sql;
  double refresh_rate = 0;  // milliseconds
  std::string sheet;
  std::string range;
  bool first_row_names = false;
};

// One entry per connection tag, in tag order.
std::vector<ConnectionEntry> ReadConnectionEntries(Context& ctx, host::Presentation& presentation);
// The number the next connection gets (one above the highest, at least two digits).
std::string NextConnectionNumber(const std::vector<ConnectionEntry>& entries);
// A number as the tags and dialogs write it ("3000", "1.5").
std::string NumberText(double value);

struct ConnectionSample {
  std::vector<std::string> columns;
  long records = 0;
  std::vector<std::vector<host::FieldValue>> rows;  // the first rows asked for
  std::vector<std::string> notes;  // what the source says of its rows (columns it renamed)
};

// Connection `number`'s columns and first `limit` rows (-1: all), as the presentation reads them:
// the add-in's own connection when it opened it, otherwise opened for this. Fails with the
// connection's error; kErrInvalidProcedureCall for a number the presentation lacks.
ConnectionSample SampleConnection(Context& ctx, const Application* addin,
                                  host::Presentation& presentation, const std::string& number,
                                  long limit);

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_CONNECTION_ENTRIES_H_
