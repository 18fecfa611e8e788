// Office Open XML workbooks (.xlsx, .xlsm): the zip package's workbook part, its relationships,
// shared strings, styles and worksheets.
#ifndef VINTREL_HOST_WORKBOOK_XLSX_FILE_H_
#define VINTREL_HOST_WORKBOOK_XLSX_FILE_H_

#include <memory>
#include <string>
#include <vector>

#include "host/common/zip_reader.h"
#include "host/workbook/workbook_file.h"

namespace vintrel::host::workbook {

// A cell that refers to a shared string the file does not hold (the shared strings part is
// missing or too short) fails the read of its range with an Error naming the cell: showing it as
// empty would pass a wrong value on silently.
class XlsxFile : public WorkbookFile {
 public:
  // Reads the package structure from the file's bytes; `what` names the file in errors.
  XlsxFile(std::string bytes, const std::string& what, const ReaderLimits& limits);

  const std::vector<SheetInfo>& Sheets() const override { return sheets_; }
  DateSystem date_system() const override { return date_system_; }
  const std::string& FormatCode(int style) const override;
  void ReadCells(size_t index, const CellRange& range, const CellSink& sink) override;
  const std::vector<DefinedName>& Names() const override { return names_; }

 private:
  void ReadSharedStrings(const std::string& part);
  void ReadStyles(const std::string& part);

  std::string what_;
  std::unique_ptr<ZipReader> zip_;
  std::vector<SheetInfo> sheets_;
  std::vector<std::string> sheet_parts_;
  std::vector<DefinedName> names_;
  DateSystem date_system_ = DateSystem::k1900;
  bool has_shared_strings_ = false;
  std::vector<std::string> shared_strings_;
  std::vector<std::string> style_formats_;  // cellXfs index -> format code
};

// Turns the _xHHHH_ escapes that the format uses for control characters back into characters.
std::string DecodeEscapes(std::string text);

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_XLSX_FILE_H_
