// Values as text, as every database hands them to the recordset: floating-point numbers the same
// whichever driver sent them, written as people write numbers; the rest in invariant form.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "data_test_support.h"
#include "host/data/odbc_session.h"
#include "host/data/value_text.h"
#include "testing/temp_dir.h"

namespace vintrel::host::data {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct NumberCase {
  double value;
  const char* as_double;  // a double precision column
  const char* as_single;  // a single precision column; null when the value does not fit one
};

const NumberCase kCases[] = {
    {1e6, "1000000", "1000000"},
    {1e14, "100000000000000", "1E+14"},
    {1e15, "1E+15", "1E+15"},
    {0.1 + 0.2, "0.3", "0.3"},
    {1.0 / 3, "0.333333333333333", "0.3333333"},
    {0.0001, "0.0001", "0.0001"},
    {0.00001, "1E-05", "1E-05"},
    {-0.0, "0", "0"},
    {123456789012345678.0, "1.23456789012346E+17", "1.234568E+17"},
    {DBL_TRUE_MIN, "4.94065645841247E-324", nullptr},
    {DBL_MAX, "1.79769313486232E+308", nullptr},
    {kInf, "Infinity", "Infinity"},
    {-kInf, "-Infinity", "-Infinity"},
    {std::nan(""), "NaN", "NaN"},
};

// The value as SQL can write it: round-trip digits, or the names PostgreSQL reads.
std::string Literal(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

using NumberTextTest = DataAccessTest;

TEST_F(NumberTextTest, EverySourceWritesNumbersAsPeopleDo) {
  // SQLite has no NaN (it stores NULL); its infinities are written as overflowing literals.
  testing::TempDir dir;
  std::string path = dir.File("numbers.db");
  std::string script = "CREATE TABLE n(i INTEGER, v REAL);";
  std::vector<const NumberCase*> in_sqlite;
  for (const NumberCase& c : kCases) {
    if (std::isnan(c.value)) continue;
    std::string literal =
        std::isinf(c.value) ? (c.value < 0 ? "-9e999" : "9e999") : Literal(c.value);
    script += "INSERT INTO n VALUES (" + std::to_string(in_sqlite.size()) + ", " + literal + ");";
    in_sqlite.push_back(&c);
  }
  BuildSqlite(path, script);

  struct Source {
    std::string name, connection, sql;
    std::vector<const NumberCase*> cases;
    bool single = false;
  };
  std::vector<Source> sources{{"built-in SQLite", path, "SELECT * FROM n ORDER BY i", in_sqlite}};
  auto drivers = OdbcSession::InstalledDrivers();
  if (std::find(drivers.begin(), drivers.end(), "SQLite3") != drivers.end()) {
    // That driver passes numbers on as text of its own, which reads the largest double back as
    // infinity; it is left out there.
    std::vector<const NumberCase*> in_driver = in_sqlite;
    std::erase_if(in_driver, [](const NumberCase* c) { return c->value == DBL_MAX; });
    sources.push_back({"SQLite over ODBC", "Driver=SQLite3;Database=" + path,
                       "SELECT * FROM n WHERE v <> " + Literal(DBL_MAX) + " ORDER BY i",
                       in_driver});
  }
  if (const char* pg = std::getenv("VINTREL_TEST_PG"); pg != nullptr && *pg != '\0') {
    for (bool single : {false, true}) {
      Source source{single ? "PostgreSQL real" : "PostgreSQL double precision", pg, "", {}, single};
      for (const NumberCase& c : kCases) {
        if (single && c.as_single == nullptr) continue;
        source.sql += std::string(source.sql.empty() ? "" : " UNION ALL ") + "SELECT " +
                      std::to_string(source.cases.size()) + " AS i, CAST('" + Literal(c.value) +
                      "' AS " + (single ? "real" : "double precision") + ") AS v";
        source.cases.push_back(&c);
      }
      source.sql += " ORDER BY i";
      sources.push_back(source);
    }
  }

  for (const Source& source : sources) {
    SCOPED_TRACE(source.name);
    auto connection = Connect(source.connection);
    const std::vector<std::vector<FieldValue>> rows = AllRows(*Query(*connection, source.sql));
    ASSERT_EQ(rows.size(), source.cases.size());
    for (size_t k = 0; k < rows.size(); ++k) {
      const NumberCase& c = *source.cases[k];
      EXPECT_EQ(rows[k].at(1), FieldValue(source.single ? c.as_single : c.as_double))
          << "value " << Literal(c.value);
    }
  }
}

// The other values as the sources hand them over; floating-point numbers are the test above.
TEST(ValueTextTest, DecimalsDatesAndBinaryInInvariantForm) {
  const std::pair<const char*, const char*> decimals[] = {
      {"2.500", "2.5"}, {"3.000", "3"},   {"-.50", "-0.5"},
      {"-0.00", "0"},   {"1200", "1200"}, {" 12. ", "12"}};  // zeros before the point stay
  for (const auto& [text, shown] : decimals) EXPECT_EQ(DecimalText(text), shown) << text;
  EXPECT_EQ(DateText(2026, 12, 31), "2026-12-31");
  EXPECT_EQ(TimeText(16, 0, 5), "16:00:05");
  EXPECT_EQ(DateTimeText(2026, 1, 2, 3, 4, 5), "2026-01-02 03:04:05");
  EXPECT_EQ(DateTimeText(2026, 1, 2, 3, 4, 5, 250000000), "2026-01-02 03:04:05.25");
  const unsigned char bytes[] = {0x00, 0xAB, 0x10};
  EXPECT_EQ(BinaryText(bytes, 3, 10), "0x00AB10");
  EXPECT_EQ(BinaryText(bytes, 3, 2), "0x00AB") << "cut to the limit";
}

}  // namespace
}  // namespace vintrel::host::data
