// Turns the stored cells of one sheet into the complete, ordered cells of an A1 range, with each
// cell's value kind, number format and displayed text.
#ifndef VINTREL_HOST_WORKBOOK_SHEET_RANGE_H_
#define VINTREL_HOST_WORKBOOK_SHEET_RANGE_H_

#include <string>
#include <vector>

#include "host/spreadsheet.h"
#include "host/workbook/workbook_file.h"

namespace vintrel::host::workbook {

// The cells of `a1` on sheet `index` of `file`, left to right then top to bottom; cells the file
// does not store come back empty. `a1` is a range as ParseRange reads it, one with this sheet's
// name ("Data!A1:C10"), or a name the workbook defines for a range of this sheet. A range larger
// than limits.max_range_cells is first cut to the part of the sheet that holds cells, and refused
// when it is still too large.
std::vector<Cell> ReadRange(WorkbookFile& file, size_t index, const std::string& a1,
                            const ReaderLimits& limits);

// What the program displays for a value in a format.
std::string DisplayText(const CellValue& value, const NumberFormat& format, DateSystem system);

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_SHEET_RANGE_H_
