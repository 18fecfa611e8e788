// Workbooks the fuzz targets (fuzz/xlsx_fuzzer.cpp, fuzz/xls_fuzzer.cpp) or a look at the code
// found to break the reader, rebuilt as small readable cases: each opens and reads, or fails with
// an Error; nothing else may happen (the sanitizer build also catches undefined behaviour).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/error.h"
#include "host/workbook/workbook_reader.h"
#include "testing/temp_dir.h"
#include "xlsx_builder.h"

namespace vintrel::host::workbook {
namespace {

TEST(WorkbookFuzzRegressionTest, EachWorkbookReadsOrFailsWithAnError) {
  struct Case {
    std::string name;
    std::string sheet;  // the sheetData rows
    std::string range;
    std::string result;  // the texts of the range's cells joined by "|", or the error
  };
  const std::vector<Case> cases = {
      // Counting on from the last possible row number overflowed.
      {"row after row 2147483647",
       R"(<row r="2147483647"><c><v>1</v></c></row><row><c><v>2</v></c></row>)", "A1:A2", "|"},
      {"row after the sheet's last row",
       R"(<row r="1048576"><c><v>1</v></c></row><row><c><v>2</v></c></row><row><c><v>3</v></c></row>)",
       "A1048576:A1048576", "1"},
  };
  vintrel::testing::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::BookContents contents;
    contents.has_shared_strings = false;
    contents.sheets["Data"] = testing::SheetXml(c.sheet);
    const std::string path = dir.File("book.xlsx");
    testing::WriteZip(path, testing::WorkbookParts(contents));
    std::string result;
    try {
      WorkbookReaderApplication reader;
      auto book = reader.Open(path, {});
      const std::vector<Cell> cells = book->Sheets(1).Range(c.range);
      for (size_t i = 0; i < cells.size(); ++i) result += (i ? "|" : "") + cells[i].text;
    } catch (const Error& error) {
      result = error.description();
    }
    EXPECT_EQ(result, c.result);
  }
}

}  // namespace
}  // namespace vintrel::host::workbook
