#include "shell/connection_entries.h"

#include <algorithm>

#include "connections/connection.h"
#include "connections/connection_source.h"
#include "connections/tag_values.h"
#include "document/connection_tags.h"
#include "document/presentation_object.h"
#include "document/tag_schema.h"
#include "host/error.h"
#include "shell/application_object.h"

namespace vintrel::shell {

std::vector<ConnectionEntry> ReadConnectionEntries(Context& ctx, host::Presentation& presentation) {
  std::vector<ConnectionEntry> entries;
  for (const auto& connection : ReadConnectionTags(ctx, presentation)) {
    ConnectionEntry& entry = entries.emplace_back();
    entry.number = connection->ConnectionTagNumber();
    entry.type = connection->ConnectionType();
    entry.description = connection->ConnectionDescription();
    entry.file = connection->ConnectionFileString();
    entry.connection_string = connection->ConnectionString();
    entry.sql = connection->RecordsetSQL();
    entry.refresh_rate = connection->RecordsetRefreshRate();
    entry.sheet = connection->ConnectionSheet();
    entry.range = connection->ConnectionRange();
    entry.first_row_names = connection->ConnectionFirstRowFieldNames();
  }
  return entries;
}

std::string NextConnectionNumber(const std::vector<ConnectionEntry>& entries) {
  std::vector<std::string> numbers;
  for (const ConnectionEntry& entry : entries) numbers.push_back(entry.number);
  return NextConnectionTagNumber(numbers);
}

std::string NumberText(double value) {
  return FormatNumber(value);
}

ConnectionSample SampleConnection(Context& ctx, const Application* addin,
                                  host::Presentation& presentation, const std::string& number,
                                  long limit) {
  auto connections = ReadConnectionTags(ctx, presentation);
  clsConnection* connection = FindConnection(connections, number);
  if (connection == nullptr) {
    throw Error(kErrInvalidProcedureCall, "SampleConnection", "no connection " + number);
  }
  // Opening the presentation read every connection already; reading a large file a second time
  // would only double the memory. A connection that did not open is opened again for its error.
  clsPresentation* entry = addin != nullptr ? addin->FindEntry(presentation) : nullptr;
  clsConnection* loaded = entry != nullptr ? entry->FindConnection(number) : nullptr;
  if (loaded != nullptr && loaded->ConnectionReady() && loaded->Recordset() != nullptr) {
    connection = loaded;
  } else {
    connection->SetDesignMode(true);
    connection->OpenConnection();
    connection->OpenRecordset();
    connection->CloseConnection();
  }
  ConnectionSample sample;
  if (const ConnectionSource* source = connection->Source(); source != nullptr) {
    sample.notes = source->Notes();
  }
  sample.columns = connection->Columns();
  // The first entry of the column list is the empty choice.
  if (!sample.columns.empty()) sample.columns.erase(sample.columns.begin());
  sample.records = static_cast<long>(connection->RecordCount());
  const long shown = limit < 0 ? sample.records : std::min(sample.records, limit);
  if (host::Recordset* recordset = connection->Recordset(); recordset != nullptr) {
    for (long row = 1; row <= shown; ++row) {
      recordset->SetAbsolutePosition(row);
      std::vector<host::FieldValue>& values = sample.rows.emplace_back();
      for (int c = 0; c < recordset->Fields().Count(); ++c) {
        values.push_back(recordset->Fields().Item(c).Value());
      }
    }
  }
  return sample;
}

}  // namespace vintrel::shell
