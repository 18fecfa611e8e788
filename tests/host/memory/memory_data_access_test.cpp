#include "host/memory/memory_data_access.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/memory/error_number.h"

namespace vintrel::host::memory {
namespace {

constexpr char kBoard[] = "Provider=SQLite;Data Source=/data/board.db";

class MemoryDataAccessTest : public ::testing::Test {
 protected:
  MemoryDataAccessTest() {
    access_.AddDatabase(kBoard)
        .AddTable("Sales",
                  MemoryTable{{"Region", "Amount"}, {{"North", "10"}, {"South", std::nullopt}}})
        .AddResult("SELECT Region FROM Sales", MemoryTable{{"Region"}, {{"North"}, {"South"}}})
        .FailQuery("SELECT broken", Error(kErrUnspecified, "db", "syntax error"));
  }

  std::unique_ptr<Connection> OpenConnection(int options = command_option::kUnspecified) {
    auto connection = access_.CreateConnection();
    connection->SetConnectionString(kBoard);
    connection->Open("", "", options);
    return connection;
  }

  std::unique_ptr<Recordset> Query(Connection& connection, const std::string& source,
                                   int options = command_option::kUnspecified) {
    auto recordset = access_.CreateRecordset();
    recordset->SetActiveConnection(&connection);
    recordset->Open(source, options);
    return recordset;
  }

  MemoryDataAccess access_;
};

TEST_F(MemoryDataAccessTest, QueryReturnsTheScriptedRows) {
  auto connection = OpenConnection();
  auto recordset = Query(*connection, "Sales", command_option::kTableDirect);
  EXPECT_EQ(recordset->RecordCount(), 2);
  EXPECT_EQ(recordset->Fields().Item("amount").Value(), "10");
  recordset->MoveNext();
  EXPECT_EQ(recordset->Fields().Item(1).Value(), std::nullopt);
  EXPECT_EQ(Query(*connection, "SELECT * FROM Sales")->RecordCount(), 2);
  EXPECT_EQ(access_.queries().size(), 2u);
}

TEST_F(MemoryDataAccessTest, UnknownDatabaseOrQueryFails) {
  auto connection = access_.CreateConnection();
  connection->SetConnectionString("DSN=nowhere");
  EXPECT_NE(ErrorNumberOf([&] { connection->Open(); }), 0);
  EXPECT_EQ(connection->State(), object_state::kClosed);
  auto open = OpenConnection();
  EXPECT_NE(ErrorNumberOf([&] { Query(*open, "SELECT nothing"); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { Query(*open, "SELECT broken"); }), 0);
}

TEST_F(MemoryDataAccessTest, AsynchronousWorkIsExecutingForTheSetPolls) {
  access_.set_executing_polls(2);
  auto connection = OpenConnection(command_option::kAsyncExecute);
  EXPECT_EQ(connection->State(), object_state::kExecuting);
  EXPECT_EQ(connection->State(), object_state::kExecuting);
  EXPECT_EQ(connection->State(), object_state::kOpen);
  auto recordset = Query(*connection, "SELECT Region FROM Sales", command_option::kAsyncExecute);
  EXPECT_EQ(recordset->State(), object_state::kExecuting);
  EXPECT_EQ(recordset->State(), object_state::kExecuting);
  EXPECT_EQ(recordset->State(), object_state::kOpen);
  EXPECT_EQ(recordset->RecordCount(), 2);
}

TEST_F(MemoryDataAccessTest, AsynchronousFailureComesFromStateUntilClosed) {
  auto connection = OpenConnection();
  auto recordset = Query(*connection, "SELECT broken", command_option::kAsyncExecute);
  EXPECT_EQ(ErrorNumberOf([&] { recordset->State(); }), kErrUnspecified);
  EXPECT_EQ(ErrorNumberOf([&] { recordset->State(); }), kErrUnspecified);
  recordset->Close();
  EXPECT_EQ(recordset->State(), object_state::kClosed);
}

TEST_F(MemoryDataAccessTest, RequerySeesNewRowsAndKeepsOldOnesOnFailure) {
  auto connection = OpenConnection();
  auto recordset = Query(*connection, "SELECT Region FROM Sales");
  access_.FindDatabase(kBoard)->AddResult("SELECT Region FROM Sales",
                                          MemoryTable{{"Region"}, {{"East"}}});
  recordset->Requery();
  EXPECT_EQ(recordset->RecordCount(), 1);
  access_.FindDatabase(kBoard)->FailQuery("SELECT Region FROM Sales",
                                          Error(kErrUnspecified, "db", "gone"));
  EXPECT_NE(ErrorNumberOf([&] { recordset->Requery(); }), 0);
  EXPECT_EQ(recordset->RecordCount(), 1);
  EXPECT_EQ(recordset->Fields().Item(0).Value(), "East");
}

TEST_F(MemoryDataAccessTest, SchemaListsTheTables) {
  access_.FindDatabase(kBoard)->AddTable("Totals", MemoryTable{{"x"}, {}}, "VIEW");
  auto connection = OpenConnection();
  auto schema = connection->OpenSchema(schema::kTables);
  ASSERT_EQ(schema->RecordCount(), 2);
  schema->MoveLast();
  EXPECT_EQ(schema->Fields().Item("TABLE_TYPE").Value(), "VIEW");
  EXPECT_EQ(schema->Fields().Item("TABLE_NAME").Value(), "Totals");
}

TEST_F(MemoryDataAccessTest, QueryAfterTheConnectionWentFails) {
  auto connection = OpenConnection();
  auto recordset = Query(*connection, "Sales");
  EXPECT_EQ(access_.open_connections(), 1);
  connection.reset();
  EXPECT_EQ(access_.open_connections(), 0);
  EXPECT_EQ(ErrorNumberOf([&] { recordset->Requery(); }), data_error::kNoConnection);
  EXPECT_EQ(recordset->RecordCount(), 2) << "the rows stay";
}

TEST_F(MemoryDataAccessTest, ArmedCreationFails) {
  access_.faults().Fail("DataAccess.CreateRecordset",
                        Error(kErrCannotCreateObject, "ADODB.Recordset", "missing"));
  EXPECT_EQ(ErrorNumberOf([&] { access_.CreateRecordset(); }), kErrCannotCreateObject);
  EXPECT_NE(access_.CreateRecordset(), nullptr);
}

}  // namespace
}  // namespace vintrel::host::memory
