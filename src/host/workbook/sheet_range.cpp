#include "host/workbook/sheet_range.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "host/common/huge_pages.h"
#include "host/common/text_encoding.h"
#include "host/error.h"

namespace vintrel::host::workbook {

namespace {

constexpr char kSource[] = "WorkbookReader";

std::string RangeText(const CellRange& range) {
  return ColumnLetters(range.first_column) + std::to_string(range.first_row) + ":" +
         ColumnLetters(range.last_column) + std::to_string(range.last_row);
}

bool SameName(const std::string& a, const std::string& b) {
  return FoldCase(a) == FoldCase(b);
}

// The range a name of the workbook stands for on this sheet: a name of the sheet itself first,
// then one of the whole workbook. Nothing when no name is called so; fails when the name means
// cells elsewhere or something other than one rectangle of cells.
std::optional<CellRange> NamedRange(const WorkbookFile& file, size_t index,
                                    const std::string& text) {
  const DefinedName* found = nullptr;
  for (const DefinedName& name : file.Names()) {
    if (!SameName(name.name, text)) continue;
    if (name.sheet == static_cast<int>(index)) {
      found = &name;
      break;
    }
    if (name.sheet < 0 && found == nullptr) found = &name;
  }
  if (found == nullptr) return std::nullopt;
  const std::string& sheet = file.Sheets()[index].name;
  std::optional<SheetRange> target = ParseSheetRange(found->formula);
  if (!target) {
    throw Error(kErrInvalidArgument, kSource,
                "The name '" + found->name + "' stands for " + found->formula +
                    ", which is not one range of cells");
  }
  if (!target->sheet.empty() && !SameName(target->sheet, sheet)) {
    throw Error(kErrInvalidArgument, kSource,
                "The name '" + found->name + "' stands for cells of sheet '" + target->sheet +
                    "', not of '" + sheet + "'");
  }
  return target->range;
}

// The range `a1` means on the sheet: cells ("A1:C10"), a name, or cells with this sheet's name.
CellRange RangeOnSheet(const WorkbookFile& file, size_t index, const std::string& a1) {
  const SheetInfo& sheet = file.Sheets().at(index);
  std::optional<CellRange> parsed = ParseRange(a1);
  if (!parsed) parsed = NamedRange(file, index, a1);
  if (!parsed) {
    // A range written with this sheet's name: "Data!A1:C10".
    std::optional<SheetRange> qualified = ParseSheetRange(a1);
    if (qualified && SameName(qualified->sheet, sheet.name)) parsed = qualified->range;
  }
  if (!parsed) {
    throw Error(kErrInvalidArgument, kSource,
                "'" + a1 + "' is not a cell range; write a range such as A1:C10 or B2");
  }
  return *parsed;
}

// The part of an oversized `range` that holds the gathered cells (beyond them every cell would
// be empty); none when it holds none. Fails when even that part is over the limit.
std::optional<CellRange> UsedPart(const CellRange& range, const std::vector<StoredCell>& gathered,
                                  const std::string& a1, const std::string& sheet,
                                  const ReaderLimits& limits) {
  int last_row = 0;
  int last_column = 0;
  for (const StoredCell& cell : gathered) {
    last_row = std::max(last_row, cell.row);
    last_column = std::max(last_column, cell.column);
  }
  CellRange used = range;
  used.last_row = std::min(range.last_row, last_row);
  used.last_column = std::min(range.last_column, last_column);
  if (used.last_row < used.first_row || used.last_column < used.first_column) return std::nullopt;
  if (used.CellCount() > limits.max_range_cells) {
    throw Error(kErrInvalidArgument, kSource,
                "The range " + a1 + " of sheet '" + sheet + "' holds " +
                    std::to_string(used.CellCount()) + " cells even where it has data (" +
                    RangeText(used) + "); at most " + std::to_string(limits.max_range_cells) +
                    " cells can be read at once");
  }
  return used;
}

// Every cell of `range`, row by row, empty and in General.
std::vector<Cell> EmptyCells(const CellRange& range) {
  const int width = range.last_column - range.first_column + 1;
  const long long count = range.CellCount();
  std::vector<Cell> cells;
  cells.reserve(static_cast<size_t>(count));
  AdviseHugePages(cells.data(), cells.capacity() * sizeof(Cell));
  cells.resize(static_cast<size_t>(count));
  static const std::string kGeneral = "General";
  for (long long i = 0; i < count; ++i) {
    Cell& cell = cells[static_cast<size_t>(i)];
    cell.row = range.first_row + static_cast<int>(i / width);
    cell.column = range.first_column + static_cast<int>(i % width);
    cell.number_format = kGeneral;
  }
  return cells;
}

}  // namespace

std::string DisplayText(const CellValue& value, const NumberFormat& format, DateSystem system) {
  switch (value.kind) {
    case CellValue::Kind::kEmpty:
      return "";
    case CellValue::Kind::kNumber:
    case CellValue::Kind::kDate:
      return format.Format(value.number, system);
    case CellValue::Kind::kText:
      return format.FormatText(value.text);
    case CellValue::Kind::kBoolean:
      return value.number != 0 ? "TRUE" : "FALSE";
    case CellValue::Kind::kError:
      return value.text;
  }
  return "";
}

std::vector<Cell> ReadRange(WorkbookFile& file, size_t index, const std::string& a1,
                            const ReaderLimits& limits) {
  const SheetInfo& sheet = file.Sheets().at(index);
  if (sheet.type == sheet_type::kChart) {
    throw Error(kErrInvalidArgument, kSource,
                "'" + sheet.name + "' is a chart sheet and has no cells to read");
  }
  CellRange range = RangeOnSheet(file, index, a1);

  // Ranges within the limit are filled straight from the file; larger ones are gathered first
  // to find the part of the sheet that holds cells.
  std::vector<StoredCell> gathered;
  const bool oversized = range.CellCount() > limits.max_range_cells;
  if (oversized) {
    file.ReadCells(index, range, [&](StoredCell&& cell) { gathered.push_back(std::move(cell)); });
    const std::optional<CellRange> used = UsedPart(range, gathered, a1, sheet.name, limits);
    if (!used) return {};
    range = *used;
  }

  const int width = range.last_column - range.first_column + 1;
  std::vector<Cell> cells = EmptyCells(range);

  const DateSystem system = file.date_system();
  std::unordered_map<int, std::unique_ptr<NumberFormat>> formats;
  auto place = [&](StoredCell&& stored) {
    if (stored.row < range.first_row || stored.row > range.last_row ||
        stored.column < range.first_column || stored.column > range.last_column) {
      return;
    }
    size_t at = static_cast<size_t>(stored.row - range.first_row) * width +
                static_cast<size_t>(stored.column - range.first_column);
    Cell& cell = cells[at];
    auto found = formats.find(stored.style);
    if (found == formats.end()) {
      found =
          formats
              .emplace(stored.style, std::make_unique<NumberFormat>(file.FormatCode(stored.style)))
              .first;
    }
    const NumberFormat& format = *found->second;
    cell.value = std::move(stored.value);
    cell.number_format = format.code();
    cell.text = DisplayText(cell.value, format, system);
    if (cell.value.kind == CellValue::Kind::kNumber && format.IsDate() && cell.value.number >= 0 &&
        cell.value.number <= kLastDateSerial) {
      // A date value means a point in time: keep it in the 1900 count whatever the file uses.
      cell.value.kind = CellValue::Kind::kDate;
      if (system == DateSystem::k1904) cell.value.number += k1904Offset;
    }
  };
  if (oversized) {
    for (StoredCell& stored : gathered) place(std::move(stored));
  } else {
    file.ReadCells(index, range, place);
  }
  return cells;
}

}  // namespace vintrel::host::workbook
