#include "host/data/connection_string.h"

#include <gtest/gtest.h>

#include "host/common/client_recordset.h"
#include "host/error.h"

namespace vintrel::host::data {
namespace {

std::vector<std::string> NoDrivers() {
  return {};
}

DriverList Drivers(std::vector<std::string> names) {
  return [names] { return names; };
}

std::string RefusalOf(const std::string& text, const DriverList& drivers = NoDrivers) {
  try {
    ChooseProvider(text, drivers);
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), data_error::kProviderNotFound);
    return error.description();
  }
  ADD_FAILURE() << "accepted: " << text;
  return "";
}

TEST(ConnectionStringTest, ParsesQuotedAndBracedValues) {
  auto parts = ParseConnectionString(
      " Provider = MSDASQL.1 ;Extended Properties=\"DSN=a;UID=b\";Pwd={x;}}y};Name='it''s';;");
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[0].key, "Provider");
  EXPECT_EQ(parts[0].value, "MSDASQL.1");
  EXPECT_EQ(parts[1].value, "DSN=a;UID=b");
  EXPECT_EQ(parts[2].value, "x;}y");
  EXPECT_EQ(parts[3].value, "it's");
  EXPECT_EQ(FindConnectionValue(parts, "extended PROPERTIES"), "DSN=a;UID=b");
  EXPECT_EQ(FindConnectionValue(parts, "DSN"), std::nullopt);
}

TEST(ConnectionStringTest, MasksPasswords) {
  std::string masked =
      MaskPasswords("Driver={PostgreSQL Unicode};Uid=v;PWD=secret;Jet OLEDB:Database Password=x");
  EXPECT_EQ(masked.find("secret"), std::string::npos);
  EXPECT_EQ(masked.find("=x"), std::string::npos);
  EXPECT_NE(masked.find("Uid=v"), std::string::npos);
}

TEST(ChooseProviderTest, SqliteByProviderOrFileName) {
  auto choice = ChooseProvider("Provider=SQLite;Data Source=C:\\shows\\sales.db", NoDrivers);
  EXPECT_EQ(choice.kind, ProviderKind::kSqlite);
  EXPECT_EQ(choice.target, "C:/shows/sales.db");
  EXPECT_EQ(ChooseProvider("/data/board.SQLITE3", NoDrivers).kind, ProviderKind::kSqlite);
  EXPECT_EQ(ChooseProvider("Data Source=/data/x.sqlite", NoDrivers).target, "/data/x.sqlite");
  RefusalOf("/data/board.txt");
  RefusalOf("Provider=SQLite");
}

TEST(ChooseProviderTest, OdbcStringsPassUnchanged) {
  std::string text = "Driver={PostgreSQL Unicode};Server=127.0.0.1;Pwd={a;b}";
  auto choice = ChooseProvider(text, NoDrivers);
  EXPECT_EQ(choice.kind, ProviderKind::kOdbc);
  EXPECT_EQ(choice.target, text);
  EXPECT_EQ(ChooseProvider("DSN=Sales", NoDrivers).target, "DSN=Sales");
}

TEST(ChooseProviderTest, MsdasqlBecomesAnOdbcString) {
  auto choice = ChooseProvider(
      "Provider=MSDASQL.1;Persist Security Info=False;User ID=ann;Extended Properties=\"DSN=Sales;"
      "UID=bob\";Password=pw",
      NoDrivers);
  EXPECT_EQ(choice.kind, ProviderKind::kOdbc);
  EXPECT_EQ(choice.target, "DSN=Sales;UID=bob;PWD=pw") << "the ODBC string's own UID wins";
  EXPECT_EQ(
      ChooseProvider("Provider=MSDASQL;Data Source=Sales;Initial Catalog=db", NoDrivers).target,
      "DSN=Sales;DATABASE=db");
  RefusalOf("Provider=MSDASQL");
}

TEST(ChooseProviderTest, JetNeedsTheMdbtoolsDriver) {
  std::string jet = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\db\\sales.mdb;User ID=Admin";
  std::string refusal = RefusalOf(jet, Drivers({"PostgreSQL Unicode", "SQLite3"}));
  EXPECT_NE(refusal.find("mdbtools"), std::string::npos) << refusal;
  EXPECT_NE(refusal.find("sales.mdb"), std::string::npos) << refusal;
  auto choice = ChooseProvider(jet, Drivers({"SQLite3", "MDBTools"}));
  EXPECT_EQ(choice.kind, ProviderKind::kOdbc);
  EXPECT_EQ(choice.target, "DRIVER={MDBTools};DBQ=C:/db/sales.mdb;");
}

TEST(ChooseProviderTest, UnknownProvidersAreNamed) {
  std::string refusal = RefusalOf("Provider=SQLOLEDB.1;Data Source=srv;Password=hush");
  EXPECT_NE(refusal.find("no provider for 'SQLOLEDB.1'"), std::string::npos) << refusal;
  EXPECT_EQ(refusal.find("hush"), std::string::npos);
  EXPECT_NE(RefusalOf("Server=x;Pwd=hush").find("no provider for"), std::string::npos);
  EXPECT_EQ(RefusalOf("Server=x;Pwd=hush").find("hush"), std::string::npos);
  RefusalOf("   ");
}

}  // namespace
}  // namespace vintrel::host::data
