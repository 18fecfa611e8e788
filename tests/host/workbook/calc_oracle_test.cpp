// The displayed texts of explicitly formatted cells against what LibreOffice Calc shows for the
// same workbooks ("save cell contents as shown" CSV export). Cells in General only have to show
// the same number: Calc shows up to 15 digits there, while the reader follows the 11-character
// rule of a standard-width column, which number_format_test.cpp covers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "host/common/text.h"
#include "host/workbook/cell_reference.h"
#include "host/workbook/workbook_reader.h"
#include "testing/temp_dir.h"

namespace vintrel::host::workbook {
namespace {

class CalcOracleTest : public ::testing::TestWithParam<const char*> {};

TEST_P(CalcOracleTest, FormattedCellsShowWhatCalcShows) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "soffice (LibreOffice Calc) is not installed; the comparison needs it";
  }
  vintrel::testing::TempDir dir;
  std::string workbook = vintrel::testing::FixturePath(GetParam());
  // A profile of its own, so that a Calc the user has open is neither used nor disturbed.
  std::string command = "soffice -env:UserInstallation=file://" + dir.path() +
                        "/profile --headless --convert-to "
                        "'csv:Text - txt - csv (StarCalc):9,,76,1,,0,false,true,true' "
                        "--outdir '" +
                        dir.path() + "' '" + workbook + "' > '" + dir.path() + "/log' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << vintrel::testing::ReadFile(dir.File("log"));
  std::string stem = std::filesystem::path(workbook).stem().string();
  // TAB-separated, nothing quoted: no cell of these workbooks holds a TAB or a line break.
  std::vector<std::vector<std::string>> shown;
  for (const std::string& line : SplitLines(vintrel::testing::ReadFile(dir.File(stem + ".csv")))) {
    shown.push_back(Split(line, "\t"));
  }
  while (!shown.empty() && shown.back() == std::vector<std::string>{""}) shown.pop_back();
  ASSERT_FALSE(shown.empty()) << vintrel::testing::ReadFile(dir.File("log"));

  size_t columns = 0;
  for (const auto& row : shown) columns = std::max(columns, row.size());
  WorkbookReaderApplication app;
  auto book = app.Open(workbook, {});
  std::string range =
      "A1:" + ColumnLetters(static_cast<int>(columns)) + std::to_string(shown.size());
  int compared = 0;
  for (const Cell& cell : book->Sheets(1).Range(range)) {
    bool general = cell.number_format.find("General") != std::string::npos;
    if (cell.value.kind != CellValue::Kind::kNumber && cell.value.kind != CellValue::Kind::kDate) {
      continue;
    }
    const auto& row = shown[cell.row - 1];
    std::string expected =
        static_cast<size_t>(cell.column) <= row.size() ? row[cell.column - 1] : "";
    if (general) {
      // General: at most 11 characters here, up to 15 digits in Calc; the same number either way.
      if (cell.number_format != "General") continue;
      EXPECT_LE(cell.text.size(), 11u) << ColumnLetters(cell.column) << cell.row;
      double ours = std::strtod(cell.text.c_str(), nullptr);
      double theirs = std::strtod(expected.c_str(), nullptr);
      EXPECT_NEAR(ours, theirs, std::fabs(theirs) * 1e-4 + 1e-12)
          << ColumnLetters(cell.column) << cell.row << " shows " << cell.text;
      ++compared;
      continue;
    }
    // Calc gives up on numbers too large for fractions or elapsed times; the reader shows them.
    if (expected == "#FMT") continue;
    // Calc counts days from 30 December 1899 without the phantom 29 February 1900, so it shows
    // the first two months of 1900 one day off the program the reader stands in for.
    if (cell.value.kind == CellValue::Kind::kDate && cell.value.number < 61) continue;
    EXPECT_EQ(cell.text, expected) << ColumnLetters(cell.column) << cell.row << " value "
                                   << cell.value.number << " format " << cell.number_format;
    ++compared;
  }
  EXPECT_GT(compared, 0);
}

INSTANTIATE_TEST_SUITE_P(Workbooks, CalcOracleTest,
                         ::testing::Values("xlsx/formats.xlsx", "xlsx/formats-1904.xlsx",
                                           "xlsx/poi-49273-mixed-formats.xlsx",
                                           "xlsx/poi-48962-date1904-currency.xlsx",
                                           "xlsx/poi-Formatting-dates-currency.xlsx",
                                           "xls/poi-27933-date-currency-percent.xls",
                                           "xls/formats.xls"));
// poi-44861-euro-percent-date.xls is left out: its formulas' stored results are 0, which the
// reader shows, while Calc computes them again on opening.

}  // namespace
}  // namespace vintrel::host::workbook
