// An .xls workbook of 1997 and later (BIFF8) read from its own records: the sheets (chart
// sheets included), every cell's value with its stored formula result, and its number format.
#ifndef VINTREL_HOST_WORKBOOK_BIFF_WORKBOOK_H_
#define VINTREL_HOST_WORKBOOK_BIFF_WORKBOOK_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/spreadsheet.h"
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

// The named stream of a compound document (the container of .xls files); nothing when the bytes
// are no such document, or are damaged.
std::optional<std::string> ReadCompoundStream(std::string_view file, std::u16string_view name);

// What a compound document holds, as far as the workbook reader is concerned.
enum class LegacyKind {
  kBiff8,       // a workbook of 1997 or later
  kEncrypted,   // such a workbook, protected by a password
  kOlder,       // a workbook of an earlier version
  kNoWorkbook,  // a sound container without a workbook (a text document, say)
  kDamaged,     // a container that cannot be read
};
LegacyKind IdentifyLegacyWorkbook(std::string_view file);

// Reads a BIFF8 workbook from the file's bytes; nothing for other versions, encrypted workbooks
// and files whose container is damaged.
std::optional<BiffWorkbook> ReadBiffWorkbook(std::string_view file);

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_BIFF_WORKBOOK_H_
