// The records of an .xls workbook (BIFF8, Excel 97 and later) that libfreexl does not expose: the
// number format of every cell, the sheet list with chart sheets, and, for files the library
// refuses, the cell values themselves.
#ifndef VINTREL_HOST_WORKBOOK_BIFF_WORKBOOK_H_
#define VINTREL_HOST_WORKBOOK_BIFF_WORKBOOK_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/spreadsheet.h"

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
    std::unordered_map<uint64_t, int> cell_xf;  // (row << 16 | column), from 0 -> XF index
    std::vector<Cell> cells;                    // only when values were asked for
  };
  std::vector<Sheet> sheets;  // every sheet in workbook order, charts included

  int CellXf(size_t sheet, int row, int column) const;  // from 1; -1 when unknown
};

// The named stream of a compound document (the container of .xls files); nothing when the bytes
// are no such document, or are damaged.
std::optional<std::string> ReadCompoundStream(std::string_view file, std::u16string_view name);

// Reads a BIFF8 workbook from the file's bytes, with the cell values when `values` is set;
// nothing for other versions, encrypted workbooks and damaged files.
std::optional<BiffWorkbook> ReadBiffWorkbook(std::string_view file, bool values);

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_BIFF_WORKBOOK_H_
