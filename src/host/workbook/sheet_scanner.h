// A forward-only scanner over a worksheet part's XML that reports its cells one by one. Sheets
// are the large parts of a workbook; building a document tree for them would cost more time and
// memory than the cells themselves.
#ifndef VINTREL_HOST_WORKBOOK_SHEET_SCANNER_H_
#define VINTREL_HOST_WORKBOOK_SHEET_SCANNER_H_

#include <functional>
#include <string>
#include <string_view>

namespace vintrel::host::workbook {

struct ScannedCell {
  int row = 0;
  int column = 0;
  int style = 0;
  std::string type;  // the t attribute: "", "n", "s", "str", "inlineStr", "b", "e", "d"
  bool has_value = false;
  std::string value;  // text of <v>, or of the inline string's <t> parts, entities decoded
};

// Calls `visit` for each <c> inside <sheetData>, in document order. Rows and cells without a
// reference follow the previous ones. Fails with an Error (described with `what`) when the XML is
// cut off or broken where cells are read.
void ScanSheetCells(std::string_view xml, const std::string& what,
                    const std::function<void(const ScannedCell&)>& visit);

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_SHEET_SCANNER_H_
