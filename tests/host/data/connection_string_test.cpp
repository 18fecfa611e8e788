#include "host/data/connection_string.h"

#include <gtest/gtest.h>

#include "host/common/client_recordset.h"
#include "host/error.h"
#include "testing/error_of.h"

namespace vintrel::host::data {
namespace {

DriverList Drivers(std::vector<std::string> names) {
  return [names] { return names; };
}

TEST(ConnectionStringTest, ParsesQuotedAndBracedValuesAndMasksPasswords) {
  auto parts = ParseConnectionString(
      " Provider = MSDASQL.1 ;Extended Properties=\"DSN=a;UID=b\";Pwd={x;}}y};Name='it''s';;");
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const auto& part : parts) pairs.emplace_back(part.key, part.value);
  EXPECT_EQ(pairs, (decltype(pairs){{"Provider", "MSDASQL.1"},
                                    {"Extended Properties", "DSN=a;UID=b"},
                                    {"Pwd", "x;}y"},
                                    {"Name", "it's"}}));
  EXPECT_EQ(FindConnectionValue(parts, "extended PROPERTIES"), "DSN=a;UID=b");
  EXPECT_EQ(FindConnectionValue(parts, "DSN"), std::nullopt);
  std::string masked =
      MaskPasswords("Driver={PostgreSQL Unicode};Uid=v;PWD=secret;Jet OLEDB:Database Password=x");
  EXPECT_EQ(masked.find("secret"), std::string::npos);
  EXPECT_EQ(masked.find("=x"), std::string::npos);
  EXPECT_NE(masked.find("Uid=v"), std::string::npos);
}

TEST(ChooseProviderTest, EachStringGoesToItsProvider) {
  const std::string odbc = "Driver={PostgreSQL Unicode};Server=127.0.0.1;Pwd={a;b}";
  const std::string jet =
      "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\db\\sales.mdb;User ID=Admin";
  struct Case {
    std::string text;
    ProviderKind kind;
    std::string target;
    std::vector<std::string> drivers = {};
  } cases[] = {
      {"Provider=SQLite;Data Source=C:\\shows\\sales.db", ProviderKind::kSqlite,
       "C:/shows/sales.db"},
      {"/data/board.SQLITE3", ProviderKind::kSqlite, "/data/board.SQLITE3"},
      {"Data Source=/data/x.sqlite", ProviderKind::kSqlite, "/data/x.sqlite"},
      // ODBC strings pass unchanged.
      {odbc, ProviderKind::kOdbc, odbc},
      // The ODBC string's own UID wins over the provider's User ID.
      {"Provider=MSDASQL.1;Persist Security Info=False;User ID=ann;Extended Properties=\"DSN="
       "Sales;UID=bob\";Password=pw",
       ProviderKind::kOdbc, "DSN=Sales;UID=bob;PWD=pw"},
      {"Provider=MSDASQL;Data Source=Sales;Initial Catalog=db", ProviderKind::kOdbc,
       "DSN=Sales;DATABASE=db"},
      {jet, ProviderKind::kOdbc, "DRIVER={MDBTools};DBQ=C:/db/sales.mdb;", {"SQLite3", "MDBTools"}},
  };
  for (const Case& c : cases) {
    auto choice = ChooseProvider(c.text, Drivers(c.drivers));
    EXPECT_EQ(choice.kind, c.kind) << c.text;
    EXPECT_EQ(choice.target, c.target) << c.text;
  }
}

// Refusals say what is missing and never show a password.
TEST(ChooseProviderTest, RefusalsSayWhatIsMissing) {
  struct Case {
    std::string text;
    std::vector<std::string> parts;  // in the description
    std::vector<std::string> drivers = {};
  } cases[] = {
      {"/data/board.txt", {}},
      {"Provider=SQLite", {}},
      {"Provider=MSDASQL", {}},
      {"   ", {}},
      {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\db\\sales.mdb;User ID=Admin",
       {"mdbtools", "sales.mdb"},
       {"PostgreSQL Unicode", "SQLite3"}},
      {"Provider=SQLOLEDB.1;Data Source=srv;Password=hush", {"no provider for 'SQLOLEDB.1'"}},
      {"Server=x;Pwd=hush", {"no provider for"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const Error error =
        vintrel::testing::ErrorOf([&] { ChooseProvider(c.text, Drivers(c.drivers)); });
    EXPECT_EQ(error.number(), data_error::kProviderNotFound);
    for (const std::string& part : c.parts) {
      EXPECT_NE(error.description().find(part), std::string::npos) << error.description();
    }
    EXPECT_EQ(error.description().find("hush"), std::string::npos) << error.description();
  }
}

}  // namespace
}  // namespace vintrel::host::data
