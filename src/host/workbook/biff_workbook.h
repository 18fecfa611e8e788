// A legacy .xls workbook read from its own records, from Excel 2 (BIFF2) to Excel 97 and later
// (BIFF8): the sheets (chart sheets included), every cell's value with its stored formula
// result, and its number format.
#ifndef VINTREL_HOST_WORKBOOK_BIFF_WORKBOOK_H_
#define VINTREL_HOST_WORKBOOK_BIFF_WORKBOOK_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/spreadsheet.h"
#include "host/workbook/compound_file.h"
#include "host/workbook/workbook_file.h"

namespace vintrel::host::workbook {

struct BiffWorkbook {
  bool date1904 = false;
  std::vector<std::string> xf_codes;  // XF index -> number format code

  struct Cell {
    int row = 0;     // from 1
    int column = 0;  // from 1
    int xf = 0;
    CellValue value;
  };
  struct Sheet {
    std::string name;
    int type = sheet_type::kWorksheet;
    std::vector<Cell> cells;  // the cells holding a value, in file order
  };
  std::vector<Sheet> sheets;  // every sheet in workbook order
  // Names of cell ranges; what a name refers to is written out as 'Sheet'!$A$1:$C$10, or left
  // as a description when it is anything else.
  std::vector<DefinedName> names;
};

// What a legacy workbook file is, as far as the workbook reader is concerned.
enum class LegacyKind {
  kBiff8,           // a workbook of Excel 97 or later
  kBiff5,           // a workbook of Excel 5.0 or 95
  kEarly,           // an Excel 2, 3 or 4 worksheet (no container)
  kExcel4Workbook,  // the sheets of an Excel 4 workbook, bundled in one stream
  kEncrypted,       // a workbook whose records are encrypted (it opens only with its password)
  kNoWorkbook,      // a sound container without a workbook (a text document, say)
  kDamaged,         // a container or stream that cannot be read
};
LegacyKind IdentifyLegacyWorkbook(std::string_view file);

// Reads a legacy workbook from the file's bytes; nothing for encrypted workbooks and damaged
// files. An early worksheet has one sheet, named `single_sheet`.
std::optional<BiffWorkbook> ReadBiffWorkbook(std::string_view file,
                                             const std::string& single_sheet = "Sheet1");

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_BIFF_WORKBOOK_H_
