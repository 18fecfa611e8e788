#include "connections/connection.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "host/clock.h"
#include "host/common/client_recordset.h"
#include "host/memory/memory_data_access.h"
#include "support/error_codes.h"
#include "testing/error_of.h"
#include "testing/table_connection.h"
#include "testing/test_context.h"

namespace vintrel {
namespace {

using namespace std::chrono_literals;

class SourceDouble : public ConnectionSource {
 public:
  SourceDouble(int type, std::vector<std::string>& calls) : type_(type), calls_(calls) {}
  void Open(clsConnection&) override { calls_.push_back("Open" + std::to_string(type_)); }
  void OpenRecordset(clsConnection& connection) override {
    calls_.push_back("OpenRecordset" + std::to_string(type_));
    if (connection.Opened())
      connection.SetRecordset(testing::MakeRecordset({"A", "B"}, {{"1", "2"}, {"3", {}}}));
  }
  void Requery(clsConnection&, bool forced) override {
    calls_.push_back(forced ? "Requery(forced)" : "Requery");
  }
  void Close(clsConnection&) noexcept override {
    calls_.push_back("Close" + std::to_string(type_));
  }

 private:
  int type_;
  std::vector<std::string>& calls_;
};

// A data connection whose state the test sets, counting its closes.
class DatabaseDouble : public host::memory::MemoryConnection {
 public:
  DatabaseDouble(host::memory::MemoryDataAccess& access, int* closes)
      : MemoryConnection(access), closes_(closes) {}
  int State() const override { return state; }
  void Close() override { ++*closes_; }

  int state = host::object_state::kClosed;

 private:
  int* closes_;
};

class ConnectionTest : public ::testing::Test {
 protected:
  std::unique_ptr<clsConnection> Make() {
    return std::make_unique<clsConnection>(
        ctx_, [this](int type) { return std::make_unique<SourceDouble>(type, calls_); });
  }

  testing::TestContext twins_;
  Context& ctx_ = twins_.ctx;
  std::vector<std::string> calls_;  // what the sources were asked to do, in order
};

TEST_F(ConnectionTest, TagStringOfEachTypeHoldsItsFieldsEachEndedWithTab) {
  // One connection reads each tag in turn: the fields of the other types stay out of its tag.
  clsConnection connection(ctx_);
  for (const char* tag : {"0\tSales\t..\\data\\x.txt\tTrue\t", "1\tDb\tDSN=x\tt\t*\t2.5\t",
                          "2\tX\tbook.xls\tSheet1\tFalse\tA1:C3\t", "9\tFuture\t"}) {
    connection.SetTagString(tag);
    EXPECT_EQ(connection.TagString(), tag);
  }
  connection.SetTagString("1\tDb\tDSN=x\tt\t*\t1,500\t");  // a US machine's regional form
  EXPECT_EQ(connection.RecordsetRefreshRate(), 1500);
  connection.SetTagString("0\tT\tf.txt\t-1\t");
  EXPECT_TRUE(connection.ConnectionFirstRowFieldNames());
}

TEST_F(ConnectionTest, ShortDatabaseTagFailsAndKeepsTheFieldsAssigned) {
  clsConnection connection(ctx_);
  const Error failure = testing::ErrorOf(
      [&] { connection.SetTagString("1\tOrders\tDSN=shop\tSELECT * FROM orders"); });
  EXPECT_EQ(failure.number(), ErrorNumber(ErrorCode::kSettingConnectionTag));
  EXPECT_EQ(failure.description(), "Error setting connection tag.");
  EXPECT_EQ(connection.ConnectionString(), "DSN=shop");
  EXPECT_EQ(connection.RecordsetSQL(), "SELECT * FROM orders");
}

TEST_F(ConnectionTest, UnconvertibleOrMissingFieldsFail) {
  for (const char* tag :
       {"", "x\tName\t", "0\tName\tf.txt\tmaybe\t", "1\tDb\tc\ts\t*\tsoon\t", "5"}) {
    clsConnection connection(ctx_);
    EXPECT_THROW(connection.SetTagString(tag), Error) << tag;
  }
}

TEST_F(ConnectionTest, NeverOpenedConnectionCountsNothing) {
  auto connection = Make();
  EXPECT_EQ(connection->RecordCount(), 0);
  EXPECT_EQ(connection->ColumnCount(), 0);
  EXPECT_EQ(connection->Columns(), std::vector<std::string>{""});
  bool eof = true;
  EXPECT_EQ(connection->GetValueDatabase(1, "A", display_type::kValue, true, &eof), "");
  EXPECT_TRUE(eof);
}

TEST_F(ConnectionTest, OpensThroughTheSourceOfItsType) {
  auto connection = Make();
  connection->OpenConnection();
  connection->OpenRecordset();
  EXPECT_TRUE(connection->ConnectionReady());
  EXPECT_TRUE(connection->RecordsetReady());
  EXPECT_EQ(connection->RecordCount(), 2);
  EXPECT_EQ(connection->ColumnCount(), 2);
  EXPECT_EQ(connection->Columns(), (std::vector<std::string>{"", "A", "B"}));
  connection->Requery(false);
  // A new type gets a new source; the old one is closed first.
  connection->SetConnectionType(connection_type::kExcel);
  connection->OpenConnection();
  EXPECT_EQ(calls_,
            (std::vector<std::string>{"Open0", "OpenRecordset0", "Requery", "Close0", "Open2"}));
  connection.reset();
  EXPECT_EQ(calls_.back(), "Close2");
}

TEST_F(ConnectionTest, TypeWithoutSourceRaisesItsOpenError) {
  clsConnection connection(ctx_, ConnectionSourceFactory{});
  connection.SetConnectionType(connection_type::kDatabase);
  connection.SetConnectionDescription("Shop");
  const Error failure = testing::ErrorOf([&] { connection.OpenConnection(); });
  EXPECT_EQ(failure.number(), ErrorNumber(ErrorCode::kOpeningDatabase));
  EXPECT_EQ(failure.description().rfind("Error while opening database Shop. \r\n", 0), 0u);
}

TEST_F(ConnectionTest, UnknownTypeOpensAsNothingAndHasNoRowsToRead) {
  auto connection = Make();
  connection->SetConnectionType(5);
  connection->OpenConnection();
  connection->OpenRecordset();
  EXPECT_TRUE(calls_.empty());
  EXPECT_TRUE(connection->ConnectionReady());
  EXPECT_EQ(testing::ErrorOf([&] {
              connection->GetValueDatabase(1, "A", display_type::kValue);
            }).number(),
            ErrorNumber(ErrorCode::kRetrievingValue));
  // Even a label needs the rows: the wait for a running query looks at them first.
  EXPECT_THROW(connection->GetValueDatabase(1, "A", display_type::kColumn), Error);
}

TEST_F(ConnectionTest, DatabaseReadinessFollowsTheDataConnectionAndItsTimeouts) {
  host::FakeClock& clock = twins_.clock;
  int closes = 0;
  host::memory::MemoryDataAccess databases;  // its timeouts: 15 s to connect, 30 s per query
  auto connection = Make();
  connection->SetConnectionType(connection_type::kDatabase);
  EXPECT_TRUE(connection->ConnectionReady());  // no data connection yet
  auto database = std::make_unique<DatabaseDouble>(databases, &closes);
  DatabaseDouble* raw = database.get();
  connection->SetDatabaseConnection(std::move(database));
  connection->SetConnectionStartTime(clock.Now());
  connection->SetRecordsetStartTime(clock.Now());
  EXPECT_FALSE(connection->ConnectionReady());
  clock.Advance(15s);
  EXPECT_FALSE(connection->ConnectionTimedOut());
  clock.Advance(1s);
  EXPECT_TRUE(connection->ConnectionTimedOut());
  EXPECT_FALSE(connection->RecordsetTimedOut());
  clock.Advance(15s);
  EXPECT_TRUE(connection->RecordsetTimedOut());
  raw->state = host::object_state::kOpen;
  EXPECT_TRUE(connection->ConnectionReady());
  EXPECT_FALSE(connection->ConnectionTimedOut());
  connection.reset();
  EXPECT_EQ(closes, 1);  // released connections close what they hold
}

class ValueTest : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    connection_ = Make();
    connection_->SetConnectionDescription("Sales");
    connection_->OpenConnection();
    connection_->OpenRecordset();
  }
  std::unique_ptr<clsConnection> connection_;
};

TEST_F(ValueTest, RowsOutsideTheDataAreEndOfDataWithWarningOnlyInDesignMode) {
  for (double row : {0.0, -1.0, 3.0}) {
    bool eof = false;
    EXPECT_EQ(connection_->GetValueDatabase(row, "A", display_type::kValue, true, &eof), "");
    EXPECT_TRUE(eof);
  }
  connection_->SetDesignMode(true);
  bool eof = false;
  EXPECT_EQ(connection_->GetValueDatabase(3, "A", display_type::kValue, true, &eof),
            kRowNotAvailable);
  EXPECT_TRUE(eof);
  EXPECT_EQ(connection_->GetValueDatabase(3, "A", display_type::kValue, false, &eof), "");
}

TEST_F(ValueTest, ValuesNullsAndLabels) {
  bool eof = true;
  EXPECT_EQ(connection_->GetValueDatabase(2, "A", display_type::kValue, true, &eof), "3");
  EXPECT_FALSE(eof);
  EXPECT_EQ(connection_->GetValueDatabase(1, "b", display_type::kValue), "2");
  EXPECT_EQ(connection_->GetValueDatabase(2, "B", display_type::kValue, true), "");
  connection_->SetDesignMode(true);
  eof = true;
  EXPECT_EQ(connection_->GetValueDatabase(2, "B", display_type::kValue, true, &eof), kEmptyValue);
  EXPECT_FALSE(eof);
  eof = true;
  EXPECT_EQ(connection_->GetValueDatabase(3, "Price", display_type::kColumnIndex, true, &eof),
            "Price 3");
  EXPECT_TRUE(eof);  // labels leave the end-of-data flag alone
  EXPECT_EQ(connection_->GetValueDatabase(3, "Price", display_type::kConnectionColumn),
            "Sales Price");
  EXPECT_EQ(connection_->GetValueDatabase(3, "Price", display_type::kColumn), "Price");
  EXPECT_EQ(connection_->GetValueDatabase(2.5, "A", display_type::kIndex), "2.5");
  EXPECT_EQ(connection_->GetValueDatabase(1, "A", display_type::kNothing), "");
}

TEST_F(ValueTest, UnknownColumnNamesTheColumnAndRow) {
  const Error failure =
      testing::ErrorOf([&] { connection_->GetValueDatabase(2, "Nope", display_type::kValue); });
  EXPECT_EQ(failure.number(), ErrorNumber(ErrorCode::kRetrievingValue));
  EXPECT_EQ(
      failure.description().rfind("Error while retrieving value of column Nope of row 2.\r\n", 0),
      0u);
  EXPECT_FALSE(ctx_.module.last_error_description.empty());
}

TEST_F(ValueTest, ObjectReferenceAddsFolderAndExtension) {
  EXPECT_EQ(connection_->GetValueObject(1, "A", "C:\\pics", ".jpg", display_type::kValue),
            "C:\\pics\\1.jpg");
  EXPECT_EQ(connection_->GetValueObject(1, "A", "/srv/pics", "", display_type::kValue),
            "/srv/pics/1");
  EXPECT_EQ(connection_->GetValueObject(1, "A", "C:\\pics\\", ".jpg", display_type::kValue),
            "1.jpg");
  bool eof = false;
  EXPECT_EQ(
      connection_->GetValueObject(9, "A", "C:\\pics", ".jpg", display_type::kValue, false, &eof),
      "");
  EXPECT_TRUE(eof);
  EXPECT_EQ(connection_->GetValueObject(1, "A", "C:\\p", ".jpg", display_type::kColumn), "A");
}

TEST_F(ConnectionTest, ResolvesAgainstTheOfflineCopyWhileOneIsMade) {
  clsConnection connection(ctx_);
  connection.SetActivePresentationName("/shows/board.pptx");
  connection.SetConnectionFileString("data.txt");
  EXPECT_EQ(connection.ResolvedFileString(), "/shows/data.txt");
  ctx_.module.offline_generation_running = true;
  ctx_.module.offline_presentation_name = "/tmp/copy/x.pptx";
  EXPECT_EQ(connection.ResolvedFileString(), "/tmp/copy/data.txt");
}

}  // namespace
}  // namespace vintrel
