#include "platform_parts.h"

#include "host/data/builtin_data_access.h"
#include "host/workbook/workbook_reader.h"

namespace vintrel::app {

std::unique_ptr<host::DataAccess> MakeDataAccess(host::EventLoop& loop) {
  return std::make_unique<host::data::BuiltinDataAccess>(loop);
}

std::unique_ptr<host::SpreadsheetFactory> MakeSpreadsheetFactory(const host::FileSystem& files) {
  return std::make_unique<host::workbook::WorkbookReaderFactory>(files);
}

}  // namespace vintrel::app
