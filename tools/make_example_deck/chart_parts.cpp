#include "chart_parts.h"

#include "host/common/number_text.h"
#include "host/common/xlsx_writer.h"
#include "ooxml_names.h"
#include "shape_xml.h"
#include "zip_writer.h"

namespace vintrel::example {
namespace {

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
    xml +=
        "<c:pt idx=\"" + std::to_string(i) + "\"><c:v>" + FormatNumber(values[i]) + "</c:v></c:pt>";
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
  std::string rows = xlsx::RowXml(1, xlsx::TextCell("B1", data.series_name));
  for (size_t i = 0; i < data.categories.size(); ++i) {
    const std::string row = std::to_string(i + 2);
    rows += xlsx::RowXml(static_cast<int>(i) + 2, xlsx::TextCell("A" + row, data.categories[i]) +
                                                      xlsx::NumberCell("B" + row, data.values[i]));
  }
  xlsx::Book book;
  book.sheets.push_back({"Sheet1", xlsx::WorksheetXml(rows, "A1:B" + Last(data))});
  book.styles = xlsx::kMinimalStyles;
  std::vector<Part> parts;
  for (auto& [name, xml] : xlsx::BookParts(book)) parts.push_back({name, xml});
  return ZipBytes(parts);
}

}  // namespace vintrel::example
