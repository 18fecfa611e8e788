#include "connections/database_source.h"

#include <gtest/gtest.h>

#include "connections/connection.h"
#include "connections/real_sources.h"
#include "host/data_access.h"
#include "host/memory/memory_data_access.h"
#include "testing/test_context.h"

namespace vintrel::connections {
namespace {

using host::command_option::kAsyncExecute;
using host::command_option::kTableDirect;
using host::command_option::kUnspecified;

TEST(QueryOptionsTest, SelectStatementsRunAsynchronouslyEverythingElseOpensDirectly) {
  EXPECT_EQ(QueryOptions("   select region from totals", "DSN=x"), kAsyncExecute);
  EXPECT_EQ(QueryOptions("\tSelect\n", "DSN=x"), kTableDirect);  // "Select\n" is not "SELECT "
  EXPECT_EQ(QueryOptions("orders", "DSN=x"), kTableDirect);
  EXPECT_EQ(QueryOptions("SELECTED_ROWS", "DSN=x"), kTableDirect);
  EXPECT_EQ(QueryOptions("SELECT 1", "Provider=Microsoft.Project.OLEDB.11.0;Project Name=x"),
            kUnspecified);
  EXPECT_EQ(QueryOptions("SELECT 1", "provider=microsoft.project.oledb.11.0"), kAsyncExecute);
}

TEST(RequeryDueTest, RefreshRateLimitsTimedRequeriesOutsideDesignMode) {
  // Forced always; design mode never unless forced.
  EXPECT_TRUE(RequeryDue(true, true, 100, 100, 5000));
  EXPECT_FALSE(RequeryDue(false, true, 500, 100, 0));
  // Two calls 100 ms apart with a rate of 5000 ms: only the first is due.
  EXPECT_TRUE(RequeryDue(false, false, 36000.0, 0, 5000));
  EXPECT_FALSE(RequeryDue(false, false, 36000.1, 36000.0, 5000));
  // A rate of 0: every call.
  EXPECT_TRUE(RequeryDue(false, false, 36000.001, 36000.0, 0));
  // Just after midnight the difference is taken without sign.
  EXPECT_TRUE(RequeryDue(false, false, 1.0, 86399.0, 5000));
  // Never more often than the rate, even exactly on it.
  EXPECT_FALSE(RequeryDue(false, false, 105.0, 100.0, 5000));
}

// Another timer of the show asks a connection again while its query is still being waited for:
// the waiting query brings the rows, and the recordset it waits for is left alone.
TEST(DatabaseSourceTest, AskingAgainDuringTheQueryWaitLeavesTheWaitedRecordsetAlone) {
  testing::TestContext twins;
  host::memory::MemoryDataAccess databases;
  databases.AddDatabase("DSN=x").AddResult("SELECT 1", {{"A"}, {{"v1"}}});
  databases.set_executing_polls(2);
  twins.ctx.services.data_access = &databases;
  host::EventLoop& loop = twins.loop;
  clsConnection connection(twins.ctx, RealSources());
  connection.SetTagString("1\tData\tDSN=x\tSELECT 1\t\t1000\t");
  connection.OpenConnection();
  connection.OpenRecordset();
  connection.CloseConnection();
  loop.Post([&] { connection.Requery(true); });
  EXPECT_NO_THROW(connection.Requery(true));
  EXPECT_EQ(databases.queries().size(), 2u) << "the first fetch and one requery";
  EXPECT_EQ(connection.GetValueDatabase(1, "A", 1, false, nullptr), "v1");
}

}  // namespace
}  // namespace vintrel::connections
