#include "host/ooxml/chart_workbook.h"

#include <algorithm>
#include <pugixml.hpp>

#include "host/common/text_encoding.h"
#include "host/ooxml/chart_data_sheet.h"
#include "host/ooxml/xml_util.h"
#include "host/ooxml/zip_archive.h"

namespace vintrel::ooxml {

std::string BuildChartWorkbook(const std::string& sheet_name,
                               const std::vector<std::vector<std::string>>& grid) {
  constexpr char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  constexpr char kTypes[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.";
  std::string types = std::string(kXmlDeclaration) + "<Types xmlns=\"" + kNsTypes +
                      "\"><Default Extension=\"rels\" ContentType=\"application/"
                      "vnd.openxmlformats-package.relationships+xml\"/>"
                      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                      "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" +
                      kTypes +
                      "sheet.main+xml\"/>"
                      "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"" +
                      kTypes +
                      "worksheet+xml\"/>"
                      "<Override PartName=\"/xl/styles.xml\" ContentType=\"" +
                      kTypes + "styles+xml\"/></Types>";
  std::string root_rels = std::string(kXmlDeclaration) + "<Relationships xmlns=\"" + kNsRels +
                          "\"><Relationship Id=\"rId1\" Type=\"" + kRelPrefix +
                          "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
  pugi::xml_document workbook;
  ParseXml(workbook, std::string(kXmlDeclaration) + "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" +
                         kNsR +
                         "\"><sheets><sheet sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
  workbook.document_element().child("sheets").child("sheet").prepend_attribute("name") =
      sheet_name.substr(0, 31).c_str();
  std::string workbook_rels = std::string(kXmlDeclaration) + "<Relationships xmlns=\"" + kNsRels +
                              "\"><Relationship Id=\"rId1\" Type=\"" + kRelPrefix +
                              "worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                              "<Relationship Id=\"rId2\" Type=\"" +
                              kRelPrefix + "styles\" Target=\"styles.xml\"/></Relationships>";
  std::string styles = std::string(kXmlDeclaration) + "<styleSheet xmlns=\"" + kMain +
                       "\"><fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/>"
                       "</font></fonts><fills count=\"2\"><fill><patternFill patternType=\"none\"/>"
                       "</fill><fill><patternFill patternType=\"gray125\"/></fill></fills>"
                       "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/>"
                       "</border></borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" "
                       "fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs><cellXfs "
                       "count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
                       "xfId=\"0\"/></cellXfs></styleSheet>";

  pugi::xml_document sheet;
  ParseXml(sheet, std::string(kXmlDeclaration) + "<worksheet xmlns=\"" + kMain +
                      "\"><dimension/><sheetData/></worksheet>");
  size_t width = 0;
  for (const auto& row : grid) width = std::max(width, row.size());
  std::string dimension = "A1";
  if (!grid.empty() && width > 0) {
    dimension += ":" + ColumnLetters(static_cast<int>(width) - 1) + std::to_string(grid.size());
  }
  sheet.document_element().child("dimension").append_attribute("ref") = dimension.c_str();
  pugi::xml_node data = sheet.document_element().child("sheetData");
  for (size_t r = 0; r < grid.size(); ++r) {
    pugi::xml_node row = data.append_child("row");
    row.append_attribute("r") = static_cast<unsigned>(r + 1);
    for (size_t c = 0; c < grid[r].size(); ++c) {
      const std::string& text = grid[r][c];
      if (text.empty()) continue;
      pugi::xml_node cell = row.append_child("c");
      cell.append_attribute("r") =
          (ColumnLetters(static_cast<int>(c)) + std::to_string(r + 1)).c_str();
      double value;
      if (ParseNumber(text, value)) {
        cell.append_child("v").text().set(FormatNumber(value).c_str());
      } else {
        cell.append_attribute("t") = "inlineStr";
        cell.append_child("is").append_child("t").text().set(host::XmlText(text).c_str());
      }
    }
  }
  return BuildZip({{"[Content_Types].xml", types},
                   {"_rels/.rels", root_rels},
                   {"xl/workbook.xml", WriteXml(workbook)},
                   {"xl/_rels/workbook.xml.rels", workbook_rels},
                   {"xl/styles.xml", styles},
                   {"xl/worksheets/sheet1.xml", WriteXml(sheet)}});
}

}  // namespace vintrel::ooxml
