// Legacy binary workbooks (.xls). Files of 1997 and later (BIFF8) are read from the workbook
// stream's own records (biff_workbook.h), with every cell's number format. Older ones go through
// libfreexl, which gives values and tells dates and times apart from plain numbers but has no
// format codes: dates, date-times and times get the program's standard codes, other numbers
// General.
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
  void ReadCells(size_t index, const CellRange& range, const CellSink& sink) override;
  const std::vector<DefinedName>& Names() const override;

 private:
  void OpenWithLibrary(const std::string& path);

  std::string what_;
  const void* handle_ = nullptr;
  std::vector<SheetInfo> sheets_;
  std::optional<BiffWorkbook> biff_;  // set when the workbook's own records are read
};

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_XLS_FILE_H_
