#include "host/memory/memory_graph_chart.h"

#include <algorithm>
#include <optional>

#include "host/error.h"
#include "host/memory/fault_injector.h"
#include "host/memory/host_environment.h"

namespace vintrel::host::memory {

namespace {

// Splits a pasted text block into lines (CR LF, LF or CR) and the lines into TAB-separated
// cells. A line break at the very end closes the last line rather than starting an empty one.
std::vector<std::vector<std::string>> SplitBlock(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string cell;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\t') {
      row.push_back(std::move(cell));
      cell.clear();
      ++i;
    } else if (c == '\r' || c == '\n') {
      row.push_back(std::move(cell));
      cell.clear();
      rows.push_back(std::move(row));
      row.clear();
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    } else {
      cell.push_back(c);
      ++i;
    }
  }
  if (!cell.empty() || !row.empty()) {
    row.push_back(std::move(cell));
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

bool MemoryDataSheetColumn::Include() const {
  Enter("DataSheetColumn.Include");
  return include_;
}

void MemoryDataSheetColumn::SetInclude(bool include) {
  Enter("DataSheetColumn.SetInclude");
  include_ = include;
  MarkChanged();
}

std::string MemoryDataSheetColumn::NumberFormat() const {
  Enter("DataSheetColumn.NumberFormat");
  return number_format_;
}

void MemoryDataSheetColumn::SetNumberFormat(const std::string& format) {
  Enter("DataSheetColumn.SetNumberFormat");
  number_format_ = format;
  MarkChanged();
}

MemoryDataSheetCell::MemoryDataSheetCell(MemoryDataSheet& sheet, int row, int column)
    : MemoryObject(sheet.document(), &sheet), sheet_(sheet), row_(row), column_(column) {}

void MemoryDataSheetCell::Paste() {
  Enter("DataSheetCell.Paste");
  sheet_.PasteAt(row_, column_);
}

void MemoryDataSheet::ClearContents() {
  Enter("DataSheet.ClearContents");
  values_.clear();
  ++clear_count_;
  MarkChanged();
}

host::DataSheetCell& MemoryDataSheet::Cells(int row, int column) {
  Enter("DataSheet.Cells");
  if (row < 1 || column < 1) {
    throw Error(kErrInvalidArgument, kMemoryHostSource, "DataSheet.Cells: no such cell");
  }
  auto& cell = cells_[{row, column}];
  if (!cell) cell = std::make_unique<MemoryDataSheetCell>(*this, row, column);
  return *cell;
}

host::DataSheetColumn& MemoryDataSheet::Columns(int index) {
  Enter("DataSheet.Columns");
  if (index < 1) {
    throw Error(kErrInvalidArgument, kMemoryHostSource, "DataSheet.Columns: no such column");
  }
  return Column(index);
}

MemoryDataSheetColumn& MemoryDataSheet::Column(int index) {
  auto& column = columns_[index];
  if (!column) column = std::make_unique<MemoryDataSheetColumn>(document(), this);
  return *column;
}

int MemoryDataSheet::RowCount() const {
  Enter("DataSheet.RowCount");
  return UsedRows();
}

int MemoryDataSheet::ColumnCount() const {
  Enter("DataSheet.ColumnCount");
  return UsedColumns();
}

int MemoryDataSheet::UsedRows() const {
  int rows = 0;
  for (const auto& [position, text] : values_) {
    if (!text.empty()) rows = std::max(rows, position.first);
  }
  return rows;
}

int MemoryDataSheet::UsedColumns() const {
  int columns = 0;
  for (const auto& [position, text] : values_) {
    if (!text.empty()) columns = std::max(columns, position.second);
  }
  return columns;
}

std::string MemoryDataSheet::Value(int row, int column) const {
  auto it = values_.find({row, column});
  return it == values_.end() ? "" : it->second;
}

void MemoryDataSheet::SetValue(int row, int column, const std::string& text) {
  values_[{row, column}] = text;
}

std::vector<std::vector<std::string>> MemoryDataSheet::Grid() const {
  const int rows = UsedRows();
  const int columns = UsedColumns();
  std::vector<std::vector<std::string>> grid(rows, std::vector<std::string>(columns));
  for (const auto& [position, text] : values_) {
    if (text.empty()) continue;
    grid[position.first - 1][position.second - 1] = text;
  }
  return grid;
}

void MemoryDataSheet::PasteAt(int row, int column) {
  HostEnvironment* env = environment();
  std::optional<std::string> text;
  if (env != nullptr) text = env->clipboard().GetText();
  if (!text) {
    throw Error(kErrUnspecified, kMemoryHostSource,
                "DataSheetCell.Paste: the clipboard holds no text");
  }
  const auto block = SplitBlock(*text);
  for (size_t r = 0; r < block.size(); ++r) {
    for (size_t c = 0; c < block[r].size(); ++c) {
      values_[{row + static_cast<int>(r), column + static_cast<int>(c)}] = block[r][c];
    }
  }
  ++paste_count_;
  last_paste_origin_ = {row, column};
  MarkChanged();
}

void MemoryDataSheet::CopyFrom(const MemoryDataSheet& other) {
  values_ = other.values_;
  for (const auto& [index, column] : other.columns_) {
    MemoryDataSheetColumn& copy = Column(index);
    copy.include_ = column->include_;
    copy.number_format_ = column->number_format_;
  }
}

host::DataSheet& MemoryGraphApplication::DataSheet() {
  Enter("GraphApplication.DataSheet");
  return sheet_;
}

void MemoryGraphApplication::Update() {
  Enter("GraphApplication.Update");
  ++update_count_;
  MarkChanged();
}

host::GraphApplication& MemoryGraphChart::Application() {
  Enter("GraphChart.Application");
  return application_;
}

}  // namespace vintrel::host::memory
