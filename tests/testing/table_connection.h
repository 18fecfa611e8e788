// Connections whose source is a table of rows, fixed or changed by the test as it runs, for tests
// of what reads connections (fills, charts, linked pictures, shows) without files or databases.
// Header-only, so the shared test library does not depend on the connection layer.
#ifndef VINTREL_TESTS_TESTING_TABLE_CONNECTION_H_
#define VINTREL_TESTS_TESTING_TABLE_CONNECTION_H_

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "connections/connection.h"
#include "connections/connection_source.h"
#include "host/common/client_recordset.h"
#include "host/error.h"

namespace vintrel::testing {

using Table = std::vector<std::vector<std::optional<std::string>>>;

// An open recordset of text columns holding `rows` (nullopt = null), on its first row.
inline std::unique_ptr<host::ClientRecordset> MakeRecordset(const std::vector<std::string>& columns,
                                                            const Table& rows) {
  auto recordset = std::make_unique<host::ClientRecordset>();
  for (const std::string& name : columns) {
    recordset->Fields().Append(name, host::data_type::kVarChar, host::kMaxFieldSize);
  }
  recordset->Open("");
  for (const auto& row : rows) {
    recordset->AddNew();
    for (size_t i = 0; i < row.size(); ++i)
      recordset->Fields().Item(static_cast<int>(i)).SetValue(row[i]);
    recordset->Update();
  }
  if (!rows.empty()) recordset->MoveFirst();
  return recordset;
}

class TableSource : public ConnectionSource {
 public:
  // With `live`, every read takes the rows from there, so a test can change the data.
  TableSource(std::vector<std::string> columns, Table rows, int* requeries,
              const Table* live = nullptr)
      : columns_(std::move(columns)), rows_(std::move(rows)), requeries_(requeries), live_(live) {}
  void Open(clsConnection&) override {}
  void OpenRecordset(clsConnection& connection) override {
    connection.SetRecordset(MakeRecordset(columns_, live_ != nullptr ? *live_ : rows_));
  }
  void Requery(clsConnection& connection, bool) override {
    if (requeries_ != nullptr) ++*requeries_;
    OpenRecordset(connection);
  }
  void Close(clsConnection&) noexcept override {}

 private:
  std::vector<std::string> columns_;
  Table rows_;
  int* requeries_;
  const Table* live_;
};

// A connection of tag number `number` named `description`, opened and filled with `rows`.
inline std::unique_ptr<clsConnection> MakeTableConnection(Context& ctx, std::string number,
                                                          std::string description,
                                                          std::vector<std::string> columns,
                                                          Table rows, int* requeries = nullptr) {
  auto connection =
      std::make_unique<clsConnection>(ctx, [=](int) -> std::unique_ptr<ConnectionSource> {
        return std::make_unique<TableSource>(columns, rows, requeries);
      });
  connection->SetConnectionTagNumber(std::move(number));
  connection->SetConnectionDescription(std::move(description));
  connection->SetConnectionType(connection_type::kTextFile);
  connection->OpenConnection();
  connection->OpenRecordset();
  return connection;
}

// Rows of every connection by tag number; a source reads them at each open and requery, and
// fails while its connection is listed in `failing`.
struct LiveData {
  std::map<std::string, std::vector<std::string>> columns;
  std::map<std::string, Table> rows;
  std::map<std::string, bool> failing;
  int requeries = 0;
};

class LiveSource : public ConnectionSource {
 public:
  explicit LiveSource(LiveData& data) : data_(data) {}
  void Open(clsConnection& connection) override { Check(connection); }
  void OpenRecordset(clsConnection& connection) override {
    const std::string& number = connection.ConnectionTagNumber();
    TableSource(data_.columns[number], data_.rows[number], nullptr).OpenRecordset(connection);
  }
  void Requery(clsConnection& connection, bool) override {
    ++data_.requeries;
    Check(connection);
    OpenRecordset(connection);
  }
  void Close(clsConnection&) noexcept override {}

 private:
  void Check(clsConnection& connection) {
    if (data_.failing[connection.ConnectionTagNumber()]) {
      throw Error(kErrFileNotFound, "LiveSource", "the data is away");
    }
  }
  LiveData& data_;
};

}  // namespace vintrel::testing

#endif  // VINTREL_TESTS_TESTING_TABLE_CONNECTION_H_
