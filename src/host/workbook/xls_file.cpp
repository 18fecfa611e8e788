#include "host/workbook/xls_file.h"

#include <filesystem>

#include "host/error.h"

namespace vintrel::host::workbook {

namespace {

constexpr char kSource[] = "WorkbookReader";

}  // namespace

XlsFile::XlsFile(const std::string& path, std::string_view bytes, const std::string& what) {
  switch (IdentifyLegacyWorkbook(bytes)) {
    case LegacyKind::kBiff8:
    case LegacyKind::kBiff5:
    case LegacyKind::kEarly: {
      // An early worksheet is a file of one sheet, which the program names after the file.
      std::optional<BiffWorkbook> book =
          ReadBiffWorkbook(bytes, std::filesystem::path(path).stem().string());
      if (!book) break;
      biff_ = std::move(*book);
      for (const BiffWorkbook::Sheet& sheet : biff_.sheets) {
        sheets_.push_back({sheet.name, sheet.type});
      }
      return;
    }
    case LegacyKind::kEncrypted:
      throw Error(kErrUnspecified, kSource,
                  what + " is password-protected; save it without a password to link it");
    case LegacyKind::kExcel4Workbook:
      throw Error(kErrUnspecified, kSource,
                  what + " is an Excel 4 workbook, which cannot be read; save it as an .xlsx " +
                      "workbook to link it");
    case LegacyKind::kNoWorkbook:
      throw Error(kErrUnspecified, kSource,
                  what + " is a compound document without a workbook, not an .xls workbook");
    case LegacyKind::kDamaged:
      break;
  }
  throw Error(kErrUnspecified, kSource,
              what + " cannot be read as an .xls workbook: the file is damaged or incomplete");
}

DateSystem XlsFile::date_system() const {
  return biff_.date1904 ? DateSystem::k1904 : DateSystem::k1900;
}

const std::string& XlsFile::FormatCode(int style) const {
  // Styles are XF indexes, shifted by one so that 0 stays General for cells without one.
  static const std::string kGeneral = "General";
  const std::vector<std::string>& codes = biff_.xf_codes;
  return style >= 1 && style <= static_cast<int>(codes.size()) ? codes[style - 1] : kGeneral;
}

void XlsFile::ReadCells(size_t index, const CellRange& range, const CellSink& sink) {
  for (const BiffWorkbook::Cell& cell : biff_.sheets.at(index).cells) {
    if (cell.row < range.first_row || cell.row > range.last_row ||
        cell.column < range.first_column || cell.column > range.last_column) {
      continue;
    }
    sink({cell.row, cell.column, cell.xf + 1, cell.value});
  }
}

}  // namespace vintrel::host::workbook
