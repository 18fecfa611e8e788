// A1-style cell references and ranges as authors type them into a connection.
#ifndef VINTREL_HOST_WORKBOOK_CELL_REFERENCE_H_
#define VINTREL_HOST_WORKBOOK_CELL_REFERENCE_H_

#include <optional>
#include <string>
#include <string_view>

#include "host/common/cell_address.h"

namespace vintrel::host::workbook {

inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;  // XFD

// A rectangle of cells, corners included, numbered from 1.
struct CellRange {
  int first_row = 1;
  int first_column = 1;
  int last_row = 1;
  int last_column = 1;

  long long CellCount() const {
    return static_cast<long long>(last_row - first_row + 1) * (last_column - first_column + 1);
  }
  bool operator==(const CellRange&) const = default;
};

// Parses "A1:C10", "$A$1:$C$10", "b2" (one cell), "A:C" (whole columns) and "1:3" (whole rows),
// in any letter case and with the corners in any order. Returns nothing for any other text.
std::optional<CellRange> ParseRange(std::string_view text);

// A range with the sheet it is on, as names refer to them: "'My data'!$A$1:$C$10".
struct SheetRange {
  std::string sheet;  // empty when the text names no sheet
  CellRange range;
};
std::optional<SheetRange> ParseSheetRange(std::string_view text);

// Parses one reference such as "B7" or "$B$7" into (row, column); nothing when it is not one.
bool ParseCellReference(std::string_view text, int* row, int* column);

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_CELL_REFERENCE_H_
