#include "host/workbook/cell_reference.h"

#include <algorithm>
#include <cctype>

#include "host/common/text.h"

namespace vintrel::host::workbook {

namespace {

bool IsLetter(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// One side of a range: letters, digits or both, each optionally behind a $.
struct Corner {
  int row = 0;     // 0 when the side names whole columns
  int column = 0;  // 0 when the side names whole rows
};

bool ParseCorner(std::string_view text, Corner* corner) {
  size_t i = 0;
  if (i < text.size() && text[i] == '$') ++i;
  size_t letters = 0;
  while (i + letters < text.size() && IsLetter(text[i + letters])) ++letters;
  const long long column = letters == 0 ? 0 : ColumnNumber(text.substr(i, letters));
  if (letters > 0 && column == 0) return false;
  i += letters;
  if (letters > 0 && i < text.size() && text[i] == '$') ++i;
  if (letters == 0 && i > 0 && i < text.size() && !IsDigit(text[i])) return false;
  long long row = 0;
  size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) {
    row = row * 10 + (text[i] - '0');
    if (++digits > 7) return false;
    ++i;
  }
  if (i != text.size() || (letters == 0 && digits == 0)) return false;
  if (column > kMaxColumns || row > kMaxRows) return false;
  if (digits > 0 && row == 0) return false;
  corner->row = static_cast<int>(row);
  corner->column = static_cast<int>(column);
  return true;
}

}  // namespace

bool ParseCellReference(std::string_view text, int* row, int* column) {
  Corner corner;
  if (!ParseCorner(text, &corner) || corner.row == 0 || corner.column == 0) return false;
  *row = corner.row;
  *column = corner.column;
  return true;
}

std::optional<CellRange> ParseRange(std::string_view text) {
  text = Trim(text);
  size_t colon = text.find(':');
  std::string_view left = text.substr(0, colon);
  std::string_view right = colon == std::string_view::npos ? left : text.substr(colon + 1);
  Corner a, b;
  if (!ParseCorner(left, &a) || !ParseCorner(right, &b)) return std::nullopt;
  bool a_cell = a.row > 0 && a.column > 0;
  bool b_cell = b.row > 0 && b.column > 0;
  CellRange range;
  if (a_cell && b_cell) {
    range = {std::min(a.row, b.row), std::min(a.column, b.column), std::max(a.row, b.row),
             std::max(a.column, b.column)};
  } else if (colon != std::string_view::npos && a.row == 0 && b.row == 0) {
    // Whole columns: "A:C".
    range = {1, std::min(a.column, b.column), kMaxRows, std::max(a.column, b.column)};
  } else if (colon != std::string_view::npos && a.column == 0 && b.column == 0) {
    // Whole rows: "1:3".
    range = {std::min(a.row, b.row), 1, std::max(a.row, b.row), kMaxColumns};
  } else {
    return std::nullopt;
  }
  return range;
}

std::optional<SheetRange> ParseSheetRange(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '=') text.remove_prefix(1);
  SheetRange result;
  if (!text.empty() && text.front() == '\'') {
    // Quoted names double their quotes: 'Bob''s data'!A1.
    size_t i = 1;
    for (; i < text.size(); ++i) {
      if (text[i] != '\'') {
        result.sheet.push_back(text[i]);
      } else if (i + 1 < text.size() && text[i + 1] == '\'') {
        result.sheet.push_back('\'');
        ++i;
      } else {
        break;
      }
    }
    if (i + 1 >= text.size() || text[i + 1] != '!') return std::nullopt;
    text = text.substr(i + 2);
  } else if (size_t bang = text.find('!'); bang != std::string_view::npos) {
    if (bang == 0) return std::nullopt;
    result.sheet = std::string(text.substr(0, bang));
    text = text.substr(bang + 1);
  }
  std::optional<CellRange> range = ParseRange(text);
  if (!range) return std::nullopt;
  result.range = *range;
  return result;
}

}  // namespace vintrel::host::workbook
