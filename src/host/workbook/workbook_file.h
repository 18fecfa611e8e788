// What the reader needs from one opened workbook file, whatever its format: the sheets, and for a
// range the stored values with their number format codes.
#ifndef VINTREL_HOST_WORKBOOK_WORKBOOK_FILE_H_
#define VINTREL_HOST_WORKBOOK_WORKBOOK_FILE_H_

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "host/spreadsheet.h"
#include "host/workbook/cell_reference.h"
#include "host/workbook/number_format.h"

namespace vintrel::host::workbook {

// Ceilings that keep a hostile or runaway file from exhausting memory or time.
struct ReaderLimits {
  size_t max_file_bytes = size_t{1} << 30;    // the workbook file itself
  size_t max_part_bytes = size_t{512} << 20;  // one expanded package part
  size_t max_total_bytes = size_t{1} << 30;   // all expanded parts of one workbook
  long long max_range_cells = 2'000'000;      // cells one Range may return
};

// One stored cell: where it is, its value as stored and its style (an index into the file's
// number formats; 0 is General).
struct StoredCell {
  int row = 0;
  int column = 0;
  int style = 0;
  CellValue value;  // numbers stay kNumber here; the reader decides which are dates
};

using CellSink = std::function<void(StoredCell&&)>;

struct SheetInfo {
  std::string name;
  int type = sheet_type::kWorksheet;
};

// A name the workbook defines, such as Sales for 'Data'!$A$1:$C$10.
struct DefinedName {
  std::string name;
  int sheet = -1;       // the sheet (from 0) the name belongs to; -1 for the whole workbook
  std::string formula;  // what it refers to, as written in the file
};

class WorkbookFile {
 public:
  virtual ~WorkbookFile() = default;
  virtual const std::vector<SheetInfo>& Sheets() const = 0;
  virtual DateSystem date_system() const = 0;
  // The number format code of a style index; "General" for unknown indexes.
  virtual const std::string& FormatCode(int style) const = 0;
  // Hands `sink` the stored cells of sheet `index` (from 0) that lie inside `range`, in any order.
  virtual void ReadCells(size_t index, const CellRange& range, const CellSink& sink) = 0;
  // The names the workbook defines; none unless the format keeps them where the reader looks.
  virtual const std::vector<DefinedName>& Names() const {
    static const std::vector<DefinedName> kNone;
    return kNone;
  }
};

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_WORKBOOK_FILE_H_
