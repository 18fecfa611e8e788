// The parts of a small .xlsx workbook, ready to be zipped: a chart's embedded workbook, the
// example's chart data and the workbooks tests read are all written by these functions.
#ifndef VINTREL_HOST_COMMON_XLSX_WRITER_H_
#define VINTREL_HOST_COMMON_XLSX_WRITER_H_

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vintrel::xlsx {

struct Sheet {
  std::string name;
  std::string xml;  // the whole part: a worksheet, or a chart sheet when `chart_sheet`
  bool chart_sheet = false;
};

struct Book {
  std::vector<Sheet> sheets;                  // in the workbook's order
  std::optional<std::string> shared_strings;  // the <si> items; no part when absent
  std::optional<std::string> styles;          // inside <styleSheet>; no part when absent
  bool date1904 = false;
  std::string defined_names;  // the <definedName> elements
};

// One font, the two fills every workbook has, one border and one cell format.
extern const char kMinimalStyles[];

// The parts by name, [Content_Types].xml first.
using Parts = std::vector<std::pair<std::string, std::string>>;
Parts BookParts(const Book& book);

// A worksheet holding `rows` (<row> elements); `dimension` is the range it covers, if given.
std::string WorksheetXml(std::string_view rows, std::string_view dimension = {});
// <row r="N"> around `cells`.
std::string RowXml(int row, std::string_view cells);
// A cell at `reference` ("B2"): text as an inline string, a number as its value.
std::string TextCell(std::string_view reference, std::string_view text);
std::string NumberCell(std::string_view reference, double value);

}  // namespace vintrel::xlsx

#endif  // VINTREL_HOST_COMMON_XLSX_WRITER_H_
