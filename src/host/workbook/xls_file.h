// Legacy binary workbooks (.xls), from Excel 2 to Excel 97 and later, read from the workbook's
// own records (biff_workbook.h) with every cell's number format.
#ifndef VINTREL_HOST_WORKBOOK_XLS_FILE_H_
#define VINTREL_HOST_WORKBOOK_XLS_FILE_H_

#include <string>
#include <string_view>
#include <vector>

#include "host/workbook/biff_workbook.h"
#include "host/workbook/workbook_file.h"

namespace vintrel::host::workbook {

class XlsFile : public WorkbookFile {
 public:
  // Reads `bytes`, the contents of `path`; `what` names it in errors.
  XlsFile(const std::string& path, std::string_view bytes, const std::string& what);

  const std::vector<SheetInfo>& Sheets() const override { return sheets_; }
  DateSystem date_system() const override;
  const std::string& FormatCode(int style) const override;
  void ReadCells(size_t index, const CellRange& range, const CellSink& sink) override;
  const std::vector<DefinedName>& Names() const override { return biff_.names; }

 private:
  std::vector<SheetInfo> sheets_;
  BiffWorkbook biff_;
};

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_XLS_FILE_H_
