#include "host/common/xlsx_writer.h"

#include "host/common/number_text.h"
#include "host/common/text.h"

namespace vintrel::xlsx {
namespace {

constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr char kRelationships[] = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr char kNsR[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr char kRelationshipType[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr char kSpreadsheetType[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.";

std::string Override(const std::string& part, const std::string& kind) {
  return "<Override PartName=\"/" + part + "\" ContentType=\"" + kSpreadsheetType + kind +
         "+xml\"/>";
}

std::string Relationship(const std::string& id, const std::string& type,
                         const std::string& target) {
  return "<Relationship Id=\"" + id + "\" Type=\"" + kRelationshipType + type + "\" Target=\"" +
         target + "\"/>";
}

std::string Relationships(const std::string& items) {
  return std::string(kDeclaration) + "<Relationships xmlns=\"" + kRelationships + "\">" + items +
         "</Relationships>";
}

}  // namespace

const char kMinimalStyles[] =
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
    "patternType=\"gray125\"/></fill></fills><borders count=\"1\"><border><left/><right/><top/>"
    "<bottom/><diagonal/></border></borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" "
    "fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs><cellXfs count=\"1\"><xf "
    "numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs>";

Parts BookParts(const Book& book) {
  std::string types = Override("xl/workbook.xml", "sheet.main");
  std::string sheets;
  std::string relationships;
  Parts parts;
  for (size_t i = 0; i < book.sheets.size(); ++i) {
    const Sheet& sheet = book.sheets[i];
    const std::string n = std::to_string(i + 1);
    const std::string kind = sheet.chart_sheet ? "chartsheet" : "worksheet";
    const std::string part = kind + "s/sheet" + n + ".xml";
    types += Override("xl/" + part, kind);
    sheets += "<sheet name=\"" + EscapeXml(sheet.name) + "\" sheetId=\"" + n + "\" r:id=\"rId" + n +
              "\"/>";
    relationships += Relationship("rId" + n, kind, part);
    parts.push_back({"xl/" + part, sheet.xml});
  }
  if (book.shared_strings) {
    types += Override("xl/sharedStrings.xml", "sharedStrings");
    relationships += Relationship("rIdStrings", "sharedStrings", "sharedStrings.xml");
    parts.push_back({"xl/sharedStrings.xml", std::string(kDeclaration) + "<sst xmlns=\"" + kMain +
                                                 "\">" + *book.shared_strings + "</sst>"});
  }
  if (book.styles) {
    types += Override("xl/styles.xml", "styles");
    relationships += Relationship("rIdStyles", "styles", "styles.xml");
    parts.push_back({"xl/styles.xml", std::string(kDeclaration) + "<styleSheet xmlns=\"" + kMain +
                                          "\">" + *book.styles + "</styleSheet>"});
  }
  const std::string workbook =
      std::string(kDeclaration) + "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kNsR + "\">" +
      (book.date1904 ? "<workbookPr date1904=\"1\"/>" : "") + "<sheets>" + sheets + "</sheets>" +
      (book.defined_names.empty() ? ""
                                  : "<definedNames>" + book.defined_names + "</definedNames>") +
      "</workbook>";
  parts.insert(
      parts.begin(),
      {{"[Content_Types].xml",
        std::string(kDeclaration) +
            "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
            "content-types\"><Default Extension=\"rels\" ContentType=\"application/"
            "vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" "
            "ContentType=\"application/xml\"/>" +
            types + "</Types>"},
       {"_rels/.rels", Relationships(Relationship("rId1", "officeDocument", "xl/workbook.xml"))},
       {"xl/workbook.xml", workbook},
       {"xl/_rels/workbook.xml.rels", Relationships(relationships)}});
  return parts;
}

std::string WorksheetXml(std::string_view rows, std::string_view dimension) {
  std::string xml = std::string(kDeclaration) + "<worksheet xmlns=\"" + kMain + "\">";
  if (!dimension.empty()) xml += "<dimension ref=\"" + std::string(dimension) + "\"/>";
  return xml + "<sheetData>" + std::string(rows) + "</sheetData></worksheet>";
}

std::string RowXml(int row, std::string_view cells) {
  return "<row r=\"" + std::to_string(row) + "\">" + std::string(cells) + "</row>";
}

std::string TextCell(std::string_view reference, std::string_view text) {
  return "<c r=\"" + std::string(reference) + "\" t=\"inlineStr\"><is><t>" + EscapeXml(text) +
         "</t></is></c>";
}

std::string NumberCell(std::string_view reference, double value) {
  return "<c r=\"" + std::string(reference) + "\"><v>" + FormatNumber(value) + "</v></c>";
}

}  // namespace vintrel::xlsx
