// A connection whose source is a fixed table, for tests of what reads connections (fills,
// charts, linked pictures) without files or databases. Header-only, so the shared test library
// does not depend on the connection layer.
#ifndef VINTREL_TESTS_TESTING_TABLE_CONNECTION_H_
#define VINTREL_TESTS_TESTING_TABLE_CONNECTION_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "connections/connection.h"
#include "connections/connection_source.h"
#include "host/client_recordset.h"

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
inline std::unique_ptr<clsConnection> MakeTableConnection(std::string number,
                                                          std::string description,
                                                          std::vector<std::string> columns,
                                                          Table rows, int* requeries = nullptr) {
  auto connection = std::make_unique<clsConnection>([=](int) -> std::unique_ptr<ConnectionSource> {
    return std::make_unique<TableSource>(columns, rows, requeries);
  });
  connection->SetConnectionTagNumber(std::move(number));
  connection->SetConnectionDescription(std::move(description));
  connection->SetConnectionType(connection_type::kTextFile);
  connection->OpenConnection();
  connection->OpenRecordset();
  return connection;
}

}  // namespace vintrel::testing

#endif  // VINTREL_TESTS_TESTING_TABLE_CONNECTION_H_
