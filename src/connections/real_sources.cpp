#include "connections/real_sources.h"

#include "connections/connection.h"
#include "connections/database_source.h"
#include "connections/excel_source.h"
#include "connections/text_file_source.h"

namespace vintrel::connections {

ConnectionSourceFactory RealSources() {
  return [](int type) -> std::unique_ptr<ConnectionSource> {
    switch (type) {
      case connection_type::kTextFile:
        return std::make_unique<TextFileSource>();
      case connection_type::kDatabase:
        return std::make_unique<DatabaseSource>();
      case connection_type::kExcel:
        return std::make_unique<ExcelSource>();
      default:
        return nullptr;
    }
  };
}

}  // namespace vintrel::connections
