#include "host/workbook/xls_file.h"

#include <freexl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "host/error.h"
#include "host/workbook/serial_dates.h"

namespace vintrel::host::workbook {

namespace {

constexpr char kSource[] = "WorkbookReader";

// Styles the reader gives the kinds of value the library reports.
enum Style { kGeneral = 0, kDate = 1, kDateTime = 2, kTime = 3 };

std::string Describe(int code) {
  switch (code) {
    case FREEXL_FILE_NOT_FOUND:
      return "the file cannot be opened";
    case FREEXL_INSUFFICIENT_MEMORY:
      return "not enough memory";
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
      return "the file is not a valid compound document";
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
    case FREEXL_INVALID_MINI_STREAM:
      return "the file is damaged or incomplete";
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
      return "the compound document holds no workbook";
    case FREEXL_BIFF_INVALID_BOF:
    case FREEXL_BIFF_INVALID_SST:
    case FREEXL_BIFF_ILLEGAL_SST_INDEX:
      return "the workbook stream is damaged";
    case FREEXL_UNSUPPORTED_CHARSET:
    case FREEXL_INVALID_CHARACTER:
      return "the workbook's character set cannot be read";
    default:
      return "error " + std::to_string(code) + " while reading it";
  }
}

double ParseDate(const char* text) {
  int year = 0, month = 0, day = 0;
  if (std::sscanf(text, "%d-%d-%d", &year, &month, &day) != 3) return 0;
  return static_cast<double>(SerialFromDate(year, month, day));
}

double ParseTime(const char* text) {
  int hour = 0, minute = 0, second = 0;
  if (std::sscanf(text, "%d:%d:%d", &hour, &minute, &second) < 2) return 0;
  return (hour * 3600 + minute * 60 + second) / 86400.0;
}

}  // namespace

XlsFile::XlsFile(const std::string& path, std::string_view bytes, const std::string& what)
    : what_(what) {
  // BIFF8 files (1997 and later) are read from their own records: the library leaves formula cells
  // empty, keeps only the time of numbers in time formats, refuses workbooks with chart sheets,
  // and misbehaves on some damaged files. Only older files go to the library.
  switch (IdentifyLegacyWorkbook(bytes)) {
    case LegacyKind::kBiff8:
      biff_ = ReadBiffWorkbook(bytes);
      if (!biff_) break;
      for (const BiffWorkbook::Sheet& sheet : biff_->sheets) {
        sheets_.push_back({sheet.name, sheet.type});
      }
      return;
    case LegacyKind::kEncrypted:
      throw Error(kErrUnspecified, kSource,
                  what_ + " is password-protected; save it without a password to link it");
    case LegacyKind::kNoWorkbook:
      throw Error(kErrUnspecified, kSource,
                  what_ + " is a compound document without a workbook, not an .xls workbook");
    case LegacyKind::kOlder:
      OpenWithLibrary(path);
      return;
    case LegacyKind::kDamaged:
      break;
  }
  throw Error(kErrUnspecified, kSource,
              what_ + " cannot be read as an .xls workbook: the file is damaged or incomplete");
}

void XlsFile::OpenWithLibrary(const std::string& path) {
  int status = freexl_open(path.c_str(), &handle_);
  // The library can report success yet give no handle for structures it does not understand.
  if (status == FREEXL_OK && handle_ == nullptr) status = FREEXL_BIFF_INVALID_BOF;
  if (status != FREEXL_OK) {
    if (handle_ != nullptr) freexl_close(handle_);
    handle_ = nullptr;
    throw Error(kErrUnspecified, kSource,
                what_ + " cannot be read as an .xls workbook: " + Describe(status));
  }
  unsigned int password = 0;
  if (freexl_get_info(handle_, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
      password == FREEXL_BIFF_OBFUSCATED) {
    freexl_close(handle_);
    handle_ = nullptr;
    throw Error(kErrUnspecified, kSource,
                what_ + " is password-protected; save it without a password to link it");
  }
  unsigned int count = 0;
  freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &count);
  for (unsigned int i = 0; i < count; ++i) {
    const char* name = nullptr;
    SheetInfo info;
    if (freexl_get_worksheet_name(handle_, static_cast<unsigned short>(i), &name) == FREEXL_OK &&
        name != nullptr) {
      info.name = name;
    }
    sheets_.push_back(std::move(info));
  }
}

XlsFile::~XlsFile() {
  if (handle_ != nullptr) freexl_close(handle_);
}

DateSystem XlsFile::date_system() const {
  // Own records keep the workbook's serials; the library turns dates into calendar text, which
  // the reader counts in the 1900 system.
  if (biff_ && biff_->date1904) return DateSystem::k1904;
  return DateSystem::k1900;
}

const std::vector<DefinedName>& XlsFile::Names() const {
  return biff_ ? biff_->names : WorkbookFile::Names();
}

const std::string& XlsFile::FormatCode(int style) const {
  static const std::string kCodes[] = {"General", "m/d/yyyy", "m/d/yyyy h:mm", "h:mm:ss"};
  if (biff_) {
    // Styles are XF indexes, shifted by one so that 0 stays General for cells without one.
    const std::vector<std::string>& codes = biff_->xf_codes;
    return style >= 1 && style <= static_cast<int>(codes.size()) ? codes[style - 1] : kCodes[0];
  }
  return kCodes[style >= kGeneral && style <= kTime ? style : kGeneral];
}

void XlsFile::ReadCells(size_t index, const CellRange& range, const CellSink& sink) {
  if (handle_ == nullptr) {
    for (const BiffWorkbook::Cell& cell : biff_->sheets[index].cells) {
      if (cell.row < range.first_row || cell.row > range.last_row ||
          cell.column < range.first_column || cell.column > range.last_column) {
        continue;
      }
      sink({cell.row, cell.column, cell.xf + 1, cell.value});
    }
    return;
  }
  if (freexl_select_active_worksheet(handle_, static_cast<unsigned short>(index)) != FREEXL_OK) {
    throw Error(kErrUnspecified, kSource,
                what_ + ": cannot select the sheet '" + sheets_.at(index).name + "'");
  }
  unsigned int rows = 0;
  unsigned short columns = 0;
  freexl_worksheet_dimensions(handle_, &rows, &columns);
  int last_row = std::min<long long>(range.last_row, rows);
  int last_column = std::min<int>(range.last_column, columns);
  for (int row = range.first_row; row <= last_row; ++row) {
    for (int column = range.first_column; column <= last_column; ++column) {
      FreeXL_CellValue cell;
      int status = freexl_get_cell_value(handle_, static_cast<unsigned int>(row - 1),
                                         static_cast<unsigned short>(column - 1), &cell);
      if (status != FREEXL_OK) {
        throw Error(kErrUnspecified, kSource,
                    what_ + ": cell " + ColumnLetters(column) + std::to_string(row) +
                        " cannot be read: " + Describe(status));
      }
      StoredCell stored;
      stored.row = row;
      stored.column = column;
      CellValue& value = stored.value;
      switch (cell.type) {
        case FREEXL_CELL_INT:
          value.kind = CellValue::Kind::kNumber;
          value.number = cell.value.int_value;
          break;
        case FREEXL_CELL_DOUBLE:
          value.kind = CellValue::Kind::kNumber;
          value.number = cell.value.double_value;
          break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
          value.kind = CellValue::Kind::kText;
          value.text = cell.value.text_value ? cell.value.text_value : "";
          break;
        case FREEXL_CELL_DATE:
          value.kind = CellValue::Kind::kNumber;
          value.number = ParseDate(cell.value.text_value);
          stored.style = kDate;
          break;
        case FREEXL_CELL_DATETIME: {
          const char* text = cell.value.text_value;
          value.kind = CellValue::Kind::kNumber;
          value.number =
              ParseDate(text) + ParseTime(text + std::min<size_t>(11, std::strlen(text)));
          stored.style = kDateTime;
          break;
        }
        case FREEXL_CELL_TIME:
          value.kind = CellValue::Kind::kNumber;
          value.number = ParseTime(cell.value.text_value);
          stored.style = kTime;
          break;
        default:
          continue;
      }
      sink(std::move(stored));
    }
  }
}

}  // namespace vintrel::host::workbook
