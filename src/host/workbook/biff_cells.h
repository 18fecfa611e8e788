// The cell records of one sheet of a legacy workbook, in every BIFF version from 2 to 8.
#ifndef VINTREL_HOST_WORKBOOK_BIFF_CELLS_H_
#define VINTREL_HOST_WORKBOOK_BIFF_CELLS_H_

#include <string>
#include <vector>

#include "host/workbook/biff_records.h"
#include "host/workbook/biff_workbook.h"

namespace vintrel::host::workbook {

struct BiffText {
  int version = 8;                                    // 2, 3, 4, 5 or 8
  int code_page = 1252;                               // of byte strings, before BIFF8
  const std::vector<std::string>* strings = nullptr;  // BIFF8's shared strings
};

// Adds the sheet's stored cells; `xf_base` is added to every cell's format index (the sheets of
// an Excel 4 workbook each number their own).
void ReadSheetCells(const std::vector<Record>& records, const BiffText& text, int xf_base,
                    BiffWorkbook::Sheet& sheet);

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_BIFF_CELLS_H_
