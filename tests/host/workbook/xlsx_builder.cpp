#include "xlsx_builder.h"

#include <zip.h>

#include <stdexcept>

#include "host/common/xlsx_writer.h"

namespace vintrel::host::workbook::testing {

void WriteZip(const std::string& path, const Parts& parts, bool compress,
              const std::string& encrypted) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) throw std::runtime_error("cannot create " + path);
  for (const auto& [name, content] : parts) {
    zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
    zip_int64_t index =
        source == nullptr ? -1 : zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
    if (index < 0) {
      zip_source_free(source);
      zip_discard(archive);
      throw std::runtime_error("cannot add " + name);
    }
    if (!compress)
      zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    if (name == encrypted) {
      zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, "pw");
    }
  }
  if (zip_close(archive) != 0) throw std::runtime_error("cannot write " + path);
}

std::string SheetXml(const std::string& rows) {
  return xlsx::WorksheetXml(rows);
}

Parts WorkbookParts(const BookContents& contents) {
  constexpr std::string_view kChart = " (chart)";
  xlsx::Book book;
  for (const auto& [name, xml] : contents.sheets) {
    const bool chart = name.size() > kChart.size() && name.ends_with(kChart);
    book.sheets.push_back({chart ? name.substr(0, name.size() - kChart.size()) : name, xml, chart});
  }
  if (contents.has_shared_strings) book.shared_strings = contents.shared_strings;
  if (!contents.styles.empty()) book.styles = contents.styles;
  book.defined_names = contents.defined_names;
  Parts parts;
  for (auto& [name, data] : xlsx::BookParts(book)) parts[name] = std::move(data);
  return parts;
}

}  // namespace vintrel::host::workbook::testing
