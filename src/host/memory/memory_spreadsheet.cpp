#include "host/memory/memory_spreadsheet.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "host/common/ascii.h"
#include "host/memory/fault_injector.h"

namespace vintrel::host::memory {

namespace {

// "B12" or "$B$12" to (row, column).
std::optional<std::pair<int, int>> ParseCell(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && text[i] == '$') ++i;
  int column = 0;
  const size_t letters_start = i;
  while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) {
    column = column * 26 + (std::toupper(static_cast<unsigned char>(text[i])) - 'A' + 1);
    ++i;
  }
  if (i == letters_start || i - letters_start > 3) return std::nullopt;
  if (i < text.size() && text[i] == '$') ++i;
  int row = 0;
  const size_t digits_start = i;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
    row = row * 10 + (text[i] - '0');
    if (row > 1048576) return std::nullopt;
    ++i;
  }
  if (i == digits_start || i != text.size() || row == 0 || column > 16384) return std::nullopt;
  return std::make_pair(row, column);
}

}  // namespace

MemorySheetData& MemorySheetData::SetText(int row, int column, std::string text) {
  host::Cell cell;
  cell.row = row;
  cell.column = column;
  cell.text = text;
  if (!text.empty()) {
    cell.value.kind = host::CellValue::Kind::kText;
    cell.value.text = std::move(text);
  }
  cell.number_format = "General";
  return SetCell(std::move(cell));
}

MemorySheetData& MemorySheetData::SetNumber(int row, int column, double number, std::string text,
                                            std::string number_format) {
  host::Cell cell;
  cell.row = row;
  cell.column = column;
  cell.text = std::move(text);
  cell.value.kind = host::CellValue::Kind::kNumber;
  cell.value.number = number;
  cell.number_format = std::move(number_format);
  return SetCell(std::move(cell));
}

MemorySheetData& MemorySheetData::SetCell(host::Cell cell) {
  cells_[{cell.row, cell.column}] = std::move(cell);
  return *this;
}

MemorySheetData& MemorySheetData::SetTexts(int row, int column,
                                           const std::vector<std::vector<std::string>>& texts) {
  for (size_t r = 0; r < texts.size(); ++r) {
    for (size_t c = 0; c < texts[r].size(); ++c) {
      SetText(row + static_cast<int>(r), column + static_cast<int>(c), texts[r][c]);
    }
  }
  return *this;
}

host::Cell MemorySheetData::CellAt(int row, int column) const {
  auto it = cells_.find({row, column});
  if (it != cells_.end()) return it->second;
  host::Cell empty;
  empty.row = row;
  empty.column = column;
  empty.number_format = "General";
  return empty;
}

MemorySheetData& MemoryWorkbookFile::AddSheet(std::string name, int type) {
  sheets_.push_back(std::make_unique<MemorySheetData>(std::move(name), type));
  return *sheets_.back();
}

void MemoryWorksheet::Check(const char* operation) const {
  if (workbook_closed_) FailHostCall(kErrUnspecified, operation, "the workbook was closed");
}

std::string MemoryWorksheet::Name() const {
  Check("Worksheet.Name");
  return data_.name();
}

int MemoryWorksheet::Type() const {
  Check("Worksheet.Type");
  return data_.type();
}

std::vector<host::Cell> MemoryWorksheet::Range(const std::string& a1) {
  Check("Worksheet.Range");
  const size_t colon = a1.find(':');
  auto first = ParseCell(std::string_view(a1).substr(0, colon));
  auto last =
      colon == std::string::npos ? first : ParseCell(std::string_view(a1).substr(colon + 1));
  if (!first || !last) FailHostCall(kErrUnspecified, "Worksheet.Range", "not a range: " + a1);
  const int top = std::min(first->first, last->first);
  const int bottom = std::max(first->first, last->first);
  const int left = std::min(first->second, last->second);
  const int right = std::max(first->second, last->second);
  std::vector<host::Cell> cells;
  for (int row = top; row <= bottom; ++row) {
    for (int column = left; column <= right; ++column) cells.push_back(data_.CellAt(row, column));
  }
  return cells;
}

MemoryWorkbook::MemoryWorkbook(MemorySpreadsheetFactory& factory, std::string file_name,
                               MemoryWorkbookFile& file)
    : factory_(factory), file_name_(std::move(file_name)), file_(file) {
  for (int i = 1; i <= file.sheet_count(); ++i) {
    sheets_.push_back(std::make_unique<MemoryWorksheet>(closed_, file.sheet(i)));
  }
  ++factory_.open_workbooks_;
}

void MemoryWorkbook::Check(const char* operation) const {
  if (closed_) FailHostCall(kErrUnspecified, operation, "the workbook was closed");
}

int MemoryWorkbook::SheetCount() const {
  Check("Workbook.SheetCount");
  return static_cast<int>(sheets_.size());
}

host::Worksheet& MemoryWorkbook::Sheets(int index) {
  Check("Workbook.Sheets");
  if (index < 1 || index > static_cast<int>(sheets_.size())) {
    FailHostCall(kErrSubscriptOutOfRange, "Workbook.Sheets", "index " + std::to_string(index));
  }
  return *sheets_[index - 1];
}

host::Worksheet& MemoryWorkbook::Sheets(const std::string& name) {
  Check("Workbook.Sheets");
  const std::string wanted = UpperAscii(name);
  for (int i = 1; i <= file_.sheet_count(); ++i) {
    if (UpperAscii(file_.sheet(i).name()) == wanted) return *sheets_[i - 1];
  }
  FailHostCall(kErrSubscriptOutOfRange, "Workbook.Sheets", "no sheet named " + name);
}

void MemoryWorkbook::SetSaved(bool saved) {
  Check("Workbook.SetSaved");
  saved_ = saved;
}

void MemoryWorkbook::Close() {
  Check("Workbook.Close");
  closed_ = true;
  ++factory_.close_count_;
  if (!saved_) ++factory_.unsaved_closes_;
  --factory_.open_workbooks_;
}

void MemorySpreadsheetApplication::Check(const char* operation) const {
  if (quit_) FailHostCall(kErrUnspecified, operation, "the application has quit");
}

std::unique_ptr<host::Workbook> MemorySpreadsheetApplication::Open(const std::string& file_name,
                                                                   const OpenOptions& options) {
  Check("Workbooks.Open");
  factory_.opens_.push_back(WorkbookOpen{file_name, options});
  if (factory_.failing_opens_ > 0) {
    --factory_.failing_opens_;
    FailHostCall(kErrUnspecified, "Workbooks.Open", "the file is in use: " + file_name);
  }
  auto it = factory_.files_.find(file_name);
  if (it == factory_.files_.end()) {
    FailHostCall(kErrFileNotFound, "Workbooks.Open", "file not found: " + file_name);
  }
  return std::make_unique<MemoryWorkbook>(factory_, file_name, *it->second);
}

std::unique_ptr<host::Workbook> MemorySpreadsheetApplication::Add() {
  Check("Workbooks.Add");
  scratch_.push_back(std::make_unique<MemoryWorkbookFile>());
  scratch_.back()->AddSheet("Sheet1");
  return std::make_unique<MemoryWorkbook>(factory_, "Book" + std::to_string(scratch_.size()),
                                          *scratch_.back());
}

void MemorySpreadsheetApplication::SetIgnoreRemoteRequests(bool value) {
  Check("Application.SetIgnoreRemoteRequests");
  ignore_remote_requests_ = value;
}

bool MemorySpreadsheetApplication::Visible() const {
  Check("Application.Visible");
  return factory_.visible_;
}

void MemorySpreadsheetApplication::Quit() {
  Check("Application.Quit");
  quit_ = true;
  ++factory_.quit_count_;
}

std::unique_ptr<host::SpreadsheetApplication> MemorySpreadsheetFactory::CreateApplication() {
  if (!available_) {
    throw Error(kErrCannotCreateObject, "Excel.Application",
                "ActiveX component can't create object");
  }
  ++applications_created_;
  return std::make_unique<MemorySpreadsheetApplication>(*this);
}

MemoryWorkbookFile& MemorySpreadsheetFactory::AddWorkbook(const std::string& path) {
  auto& file = files_[path];
  file = std::make_unique<MemoryWorkbookFile>();
  return *file;
}

}  // namespace vintrel::host::memory
