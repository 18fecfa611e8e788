// Legacy binary workbooks (.xls, BIFF5 and BIFF8) through libfreexl. That library gives cell
// values and tells dates and times apart from plain numbers, but not the number format codes, so
// dates, date-times and times get the program's standard codes and other numbers show General.
#ifndef VINTREL_HOST_WORKBOOK_XLS_FILE_H_
#define VINTREL_HOST_WORKBOOK_XLS_FILE_H_

#include <string>
#include <vector>

#include "host/workbook/workbook_file.h"

namespace vintrel::host::workbook {

class XlsFile : public WorkbookFile {
 public:
  // Opens `path` read-only; `what` names it in errors.
  XlsFile(const std::string& path, const std::string& what);
  ~XlsFile() override;
  XlsFile(const XlsFile&) = delete;
  XlsFile& operator=(const XlsFile&) = delete;

  const std::vector<SheetInfo>& Sheets() const override { return sheets_; }
  DateSystem date_system() const override { return DateSystem::k1900; }
  const std::string& FormatCode(int style) const override;
  void ReadCells(size_t index, const CellRange& range, std::vector<StoredCell>* cells) override;

 private:
  std::string what_;
  const void* handle_ = nullptr;
  std::vector<SheetInfo> sheets_;
};

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_XLS_FILE_H_
