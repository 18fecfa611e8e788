#include "chart_parts.h"

#include <sstream>

#include "ooxml_names.h"
#include "shape_xml.h"
#include "zip_writer.h"

namespace vintrel::example {
namespace {

std::string Number(double value) {
  std::ostringstream out;
  out.precision(17);
  out << value;
  return out.str();
}

std::string Last(const ChartData& data) {
  return std::to_string(data.categories.size() + 1);
}

std::string StringCache(const std::vector<std::string>& texts) {
  std::string xml = "<c:strCache><c:ptCount val=\"" + std::to_string(texts.size()) + "\"/>";
  for (size_t i = 0; i < texts.size(); ++i) {
    xml += "<c:pt idx=\"" + std::to_string(i) + "\"><c:v>" + EscapeXml(texts[i]) + "</c:v></c:pt>";
  }
  return xml + "</c:strCache>";
}

std::string NumberCache(const std::vector<double>& values) {
  std::string xml = "<c:numCache><c:formatCode>General</c:formatCode><c:ptCount val=\"" +
                    std::to_string(values.size()) + "\"/>";
  for (size_t i = 0; i < values.size(); ++i) {
    xml += "<c:pt idx=\"" + std::to_string(i) + "\"><c:v>" + Number(values[i]) + "</c:v></c:pt>";
  }
  return xml + "</c:numCache>";
}

std::string SolidFill(const std::string& color) {
  return "<a:solidFill><a:srgbClr val=\"" + color + "\"/></a:solidFill>";
}

// Axis and label text: 14 pt in the body colour.
std::string TextProperties() {
  return "<c:txPr><a:bodyPr/><a:lstStyle/><a:p><a:pPr><a:defRPr sz=\"1400\">" +
         SolidFill("33415C") + "</a:defRPr></a:pPr><a:endParaRPr lang=\"en-US\"/></a:p></c:txPr>";
}

std::string Cell(const std::string& reference, const std::string& text) {
  return "<c r=\"" + reference + "\" t=\"inlineStr\"><is><t>" + EscapeXml(text) + "</t></is></c>";
}

std::string Cell(const std::string& reference, double value) {
  return "<c r=\"" + reference + "\"><v>" + Number(value) + "</v></c>";
}

}  // namespace

std::string ColumnChartXml(const ChartData& data) {
  const std::string last = Last(data);
  const std::string series =
      "<c:ser><c:idx val=\"0\"/><c:order val=\"0\"/><c:tx><c:strRef><c:f>Sheet1!$B$1</c:f>" +
      StringCache({data.series_name}) + "</c:strRef></c:tx><c:spPr>" + SolidFill("2E6FBF") +
      "</c:spPr><c:invertIfNegative val=\"0\"/><c:dLbls><c:spPr><a:noFill/><a:ln><a:noFill/>"
      "</a:ln></c:spPr>" +
      TextProperties() +
      "<c:dLblPos val=\"outEnd\"/><c:showLegendKey val=\"0\"/><c:showVal val=\"1\"/>"
      "<c:showCatName val=\"0\"/><c:showSerName val=\"0\"/><c:showPercent val=\"0\"/>"
      "<c:showBubbleSize val=\"0\"/></c:dLbls><c:cat><c:strRef><c:f>Sheet1!$A$2:$A$" +
      last + "</c:f>" + StringCache(data.categories) +
      "</c:strRef></c:cat><c:val><c:numRef><c:f>Sheet1!$B$2:$B$" + last + "</c:f>" +
      NumberCache(data.values) + "</c:numRef></c:val></c:ser>";
  const std::string axis_line =
      "<c:spPr><a:ln w=\"9525\">" + SolidFill("B8C2D6") + "</a:ln></c:spPr>";
  return std::string(kXmlDeclaration) + "<c:chartSpace xmlns:c=\"" + kNsC + "\" xmlns:a=\"" + kNsA +
         "\" xmlns:r=\"" + kNsR +
         "\"><c:date1904 val=\"0\"/><c:lang val=\"en-US\"/><c:roundedCorners val=\"0\"/>"
         "<c:chart><c:autoTitleDeleted val=\"1\"/><c:plotArea><c:layout/><c:barChart>"
         "<c:barDir val=\"col\"/><c:grouping val=\"clustered\"/><c:varyColors val=\"0\"/>" +
         series +
         "<c:gapWidth val=\"80\"/><c:axId val=\"500100001\"/><c:axId val=\"500100002\"/>"
         "</c:barChart><c:catAx><c:axId val=\"500100001\"/><c:scaling><c:orientation "
         "val=\"minMax\"/></c:scaling><c:delete val=\"0\"/><c:axPos val=\"b\"/><c:numFmt "
         "formatCode=\"General\" sourceLinked=\"1\"/><c:majorTickMark val=\"none\"/>"
         "<c:minorTickMark val=\"none\"/><c:tickLblPos val=\"nextTo\"/>" +
         axis_line + TextProperties() +
         "<c:crossAx val=\"500100002\"/><c:crosses val=\"autoZero\"/><c:auto val=\"1\"/>"
         "<c:lblAlgn val=\"ctr\"/><c:lblOffset val=\"100\"/><c:noMultiLvlLbl val=\"0\"/>"
         "</c:catAx><c:valAx><c:axId val=\"500100002\"/><c:scaling><c:orientation "
         "val=\"minMax\"/></c:scaling><c:delete val=\"0\"/><c:axPos val=\"l\"/>"
         "<c:majorGridlines><c:spPr><a:ln w=\"9525\">" +
         SolidFill("DDE3EE") +
         "</a:ln></c:spPr></c:majorGridlines><c:numFmt formatCode=\"General\" "
         "sourceLinked=\"1\"/><c:majorTickMark val=\"none\"/><c:minorTickMark val=\"none\"/>"
         "<c:tickLblPos val=\"nextTo\"/><c:spPr><a:ln><a:noFill/></a:ln></c:spPr>" +
         TextProperties() +
         "<c:crossAx val=\"500100001\"/><c:crosses val=\"autoZero\"/><c:crossBetween "
         "val=\"between\"/></c:valAx><c:spPr><a:noFill/><a:ln><a:noFill/></a:ln></c:spPr>"
         "</c:plotArea><c:plotVisOnly val=\"1\"/><c:dispBlanksAs val=\"gap\"/></c:chart>"
         "<c:spPr><a:noFill/><a:ln><a:noFill/></a:ln></c:spPr>" +
         TextProperties() +
         "<c:externalData r:id=\"rId1\"><c:autoUpdate val=\"0\"/></c:externalData>"
         "</c:chartSpace>";
}

std::string ChartWorkbook(const ChartData& data) {
  const std::string types = std::string(kPresentationType) + "spreadsheetml.";
  std::string rows = "<row r=\"1\">" + Cell("B1", data.series_name) + "</row>";
  for (size_t i = 0; i < data.categories.size(); ++i) {
    const std::string row = std::to_string(i + 2);
    rows += "<row r=\"" + row + "\">" + Cell("A" + row, data.categories[i]) +
            Cell("B" + row, data.values[i]) + "</row>";
  }
  const std::vector<Part> parts = {
      {"[Content_Types].xml",
       std::string(kXmlDeclaration) + "<Types xmlns=\"" + kNsTypes +
           "\"><Default Extension=\"rels\" "
           "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" +
           types +
           "sheet.main+xml\"/><Override PartName=\"/xl/worksheets/sheet1.xml\" "
           "ContentType=\"" +
           types + "worksheet+xml\"/><Override PartName=\"/xl/styles.xml\" ContentType=\"" + types +
           "styles+xml\"/></Types>"},
      {"_rels/.rels", RelationshipsXml({{"rId1", "officeDocument", "xl/workbook.xml"}})},
      {"xl/workbook.xml", std::string(kXmlDeclaration) + "<workbook xmlns=\"" + kNsSpreadsheet +
                              "\" xmlns:r=\"" + kNsR +
                              "\"><sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/>"
                              "</sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       RelationshipsXml(
           {{"rId1", "worksheet", "worksheets/sheet1.xml"}, {"rId2", "styles", "styles.xml"}})},
      {"xl/worksheets/sheet1.xml", std::string(kXmlDeclaration) + "<worksheet xmlns=\"" +
                                       kNsSpreadsheet + "\"><dimension ref=\"A1:B" + Last(data) +
                                       "\"/><sheetData>" + rows + "</sheetData></worksheet>"},
      {"xl/styles.xml",
       std::string(kXmlDeclaration) + "<styleSheet xmlns=\"" + kNsSpreadsheet +
           "\"><fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Arial\"/></font></fonts>"
           "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill>"
           "<patternFill patternType=\"gray125\"/></fill></fills><borders count=\"1\"><border>"
           "<left/><right/><top/><bottom/><diagonal/></border></borders><cellStyleXfs "
           "count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
           "</cellStyleXfs><cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
           "borderId=\"0\" xfId=\"0\"/></cellXfs></styleSheet>"},
  };
  return ZipBytes(parts);
}

}  // namespace vintrel::example
