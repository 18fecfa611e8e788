// Legacy binary workbooks (.xls, BIFF5 and BIFF8) through libfreexl. That library gives cell
// values and tells dates and times apart from plain numbers, but not the number format codes; for
// BIFF8 files the reader takes those from the workbook stream itself (biff_workbook.h), and the
// values too when the library refuses a file (it does for workbooks with chart sheets). Without
// them dates, date-times and times get the program's standard codes and other numbers General.
#ifndef VINTREL_HOST_WORKBOOK_XLS_FILE_H_
#define VINTREL_HOST_WORKBOOK_XLS_FILE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/workbook/biff_workbook.h"
#include "host/workbook/workbook_file.h"

namespace vintrel::host::workbook {

class XlsFile : public WorkbookFile {
 public:
  // Opens `path` read-only; `bytes` are its contents, `what` names it in errors.
  XlsFile(const std::string& path, std::string_view bytes, const std::string& what);
  ~XlsFile() override;
  XlsFile(const XlsFile&) = delete;
  XlsFile& operator=(const XlsFile&) = delete;

  const std::vector<SheetInfo>& Sheets() const override { return sheets_; }
  DateSystem date_system() const override;
  const std::string& FormatCode(int style) const override;
  void ReadCells(size_t index, const CellRange& range, std::vector<StoredCell>* cells) override;

 private:
  std::string what_;
  const void* handle_ = nullptr;
  std::vector<SheetInfo> sheets_;
  // The workbook's own records: formats of the cells, and the values when the library has no
  // handle. For each sheet of sheets_, its entry there; empty when the records could not be read
  // or do not match what the library sees.
  std::optional<BiffWorkbook> biff_;
  std::vector<size_t> biff_sheets_;
};

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_XLS_FILE_H_
