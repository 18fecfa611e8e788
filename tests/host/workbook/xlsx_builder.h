// Writes small .xlsx packages: the frame from the shared .xlsx writer, every sheet, string and
// style as the test gives it, and zips whatever parts a test changes or adds.
#ifndef VINTREL_TESTS_HOST_WORKBOOK_XLSX_BUILDER_H_
#define VINTREL_TESTS_HOST_WORKBOOK_XLSX_BUILDER_H_

#include <map>
#include <string>

namespace vintrel::host::workbook::testing {

using Parts = std::map<std::string, std::string>;

// Writes `parts` (name -> content) as a zip file at `path`, deflated or stored; the part named
// `encrypted` is written with a password.
void WriteZip(const std::string& path, const Parts& parts, bool compress = true,
              const std::string& encrypted = "");

// The parts of a workbook with the given sheets' XML (name -> sheetData inner XML), optional
// shared strings (<si> items) and styles (the styleSheet's inner XML). A sheet whose name ends
// with " (chart)" becomes a chart sheet of the name without it.
struct BookContents {
  std::map<std::string, std::string> sheets;  // in name order; "1 Data" sorts before "2 Other"
  std::string shared_strings;                 // inner XML of <sst>; no part when empty
  bool has_shared_strings = true;
  std::string styles;         // inner XML of <styleSheet>; no part when empty
  std::string defined_names;  // inner XML of <definedNames>
};
Parts WorkbookParts(const BookContents& contents);

// Wraps cell XML into a sheet's XML.
std::string SheetXml(const std::string& rows);

}  // namespace vintrel::host::workbook::testing

#endif  // VINTREL_TESTS_HOST_WORKBOOK_XLSX_BUILDER_H_
