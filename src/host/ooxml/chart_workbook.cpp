#include "host/ooxml/chart_workbook.h"

#include <algorithm>

#include "host/common/cell_address.h"
#include "host/common/text_encoding.h"
#include "host/common/xlsx_writer.h"
#include "host/ooxml/chart_data_sheet.h"
#include "host/ooxml/zip_archive.h"

namespace vintrel::ooxml {

std::string BuildChartWorkbook(const std::string& sheet_name,
                               const std::vector<std::vector<std::string>>& grid) {
  size_t width = 0;
  for (const auto& row : grid) width = std::max(width, row.size());
  std::string dimension = "A1";
  if (!grid.empty() && width > 0) {
    dimension +=
        ":" + vintrel::ColumnLetters(static_cast<int>(width)) + std::to_string(grid.size());
  }
  std::string rows;
  for (size_t r = 0; r < grid.size(); ++r) {
    std::string cells;
    for (size_t c = 0; c < grid[r].size(); ++c) {
      const std::string& text = grid[r][c];
      if (text.empty()) continue;
      const std::string reference =
          vintrel::ColumnLetters(static_cast<int>(c) + 1) + std::to_string(r + 1);
      double value;
      cells += ParseNumber(text, value) ? xlsx::NumberCell(reference, value)
                                        : xlsx::TextCell(reference, host::XmlText(text));
    }
    rows += xlsx::RowXml(static_cast<int>(r) + 1, cells);
  }
  xlsx::Book book;
  // A sheet's name has 31 characters at most.
  book.sheets.push_back({sheet_name.substr(0, 31), xlsx::WorksheetXml(rows, dimension)});
  book.styles = xlsx::kMinimalStyles;
  return BuildZip(xlsx::BookParts(book));
}

}  // namespace vintrel::ooxml
