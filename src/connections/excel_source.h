// A workbook connection: a rectangular range of one sheet, read through the shared spreadsheet
// service. The workbook is opened read-only, its displayed cell texts are copied into the
// recordset, and it is closed again; a refresh repeats that when the file changed.
#ifndef VINTREL_CONNECTIONS_EXCEL_SOURCE_H_
#define VINTREL_CONNECTIONS_EXCEL_SOURCE_H_

#include <chrono>
#include <memory>
#include <string>

#include "connections/connection_source.h"
#include "host/spreadsheet.h"

namespace vintrel::connections {

class ExcelSource : public ConnectionSource {
 public:
  ExcelSource();
  ~ExcelSource() override;

  void Open(clsConnection& connection) override;
  // Reads the range into a new recordset and closes the workbook.
  void OpenRecordset(clsConnection& connection) override;
  void Requery(clsConnection& connection, bool forced) override;
  void Close(clsConnection& connection) noexcept override;

 private:
  std::unique_ptr<host::Workbook> OpenWorkbook(clsConnection& connection, const std::string& path);
  void ReadRange(clsConnection& connection);

  std::unique_ptr<host::Workbook> workbook_;
  host::Worksheet* sheet_ = nullptr;
  std::chrono::system_clock::time_point file_time_{};
};

}  // namespace vintrel::connections

#endif  // VINTREL_CONNECTIONS_EXCEL_SOURCE_H_
