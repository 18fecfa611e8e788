#include "package_frame.h"

#include "ooxml_names.h"
#include "shape_xml.h"

namespace vintrel::example {
namespace {

std::string Override(const std::string& part, const std::string& type) {
  return "<Override PartName=\"" + part + "\" ContentType=\"" + type + "\"/>";
}

std::string SolidFill(const std::string& color) {
  return "<a:solidFill><a:srgbClr val=\"" + color + "\"/></a:solidFill>";
}

// One level of a text style list: size, colour and spacing.
std::string Level(int level, int size, const std::string& color, bool bold = false) {
  return "<a:lvl" + std::to_string(level) + "pPr marL=\"0\" algn=\"l\" defTabSz=\"914400\">" +
         "<a:spcBef><a:spcPts val=\"0\"/></a:spcBef><a:buNone/><a:defRPr sz=\"" +
         std::to_string(size) + "\"" + (bold ? " b=\"1\"" : "") + " kern=\"1200\">" +
         SolidFill(color) +
         "<a:latin typeface=\"+mn-lt\"/><a:ea typeface=\"+mn-ea\"/><a:cs typeface=\"+mn-cs\"/>"
         "</a:defRPr></a:lvl" +
         std::to_string(level) + "pPr>";
}

const char kTitleColor[] = "1F2A44";
const char kBodyColor[] = "33415C";

}  // namespace

std::string MoreContentDefaultsXml() {
  return "<Default Extension=\"png\" ContentType=\"image/png\"/><Default Extension=\"xlsx\" "
         "ContentType=\"" +
         std::string(kPresentationType) + "spreadsheetml.sheet\"/>";
}

std::string MoreContentTypesXml(int charts) {
  std::string xml;
  for (int chart = 1; chart <= charts; ++chart) {
    xml += Override("/ppt/charts/chart" + std::to_string(chart) + ".xml",
                    std::string(kPresentationType) + "drawingml.chart+xml");
  }
  return xml +
         Override("/docProps/core.xml",
                  "application/vnd.openxmlformats-package.core-properties+xml") +
         Override("/docProps/app.xml", std::string(kPresentationType) + "extended-properties+xml");
}

std::string DocumentPropertiesRelationshipsXml() {
  return RelationshipXml({"rId2",
                          "http://schemas.openxmlformats.org/package/2006/relationships/"
                          "metadata/core-properties",
                          "docProps/core.xml"}) +
         RelationshipXml({"rId3", "extended-properties", "docProps/app.xml"});
}

std::string DefaultTextStyleXml() {
  std::string text_style = "<p:defaultTextStyle>";
  for (int level = 1; level <= 9; ++level) text_style += Level(level, 1800, kBodyColor);
  return text_style + "</p:defaultTextStyle>";
}

std::string CorePropertiesXml(const std::string& title) {
  return std::string(kXmlDeclaration) +
         "<cp:coreProperties "
         "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
         "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
         "xmlns:dcterms=\"http://purl.org/dc/terms/\" "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><dc:title>" +
         EscapeXml(title) + "</dc:title><dc:creator>Vintrel</dc:creator></cp:coreProperties>";
}

std::string AppPropertiesXml(int slides) {
  return std::string(kXmlDeclaration) +
         "<Properties "
         "xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\">"
         "<Application>Vintrel example generator</Application><PresentationFormat>Widescreen"
         "</PresentationFormat><Slides>" +
         std::to_string(slides) + "</Slides></Properties>";
}

std::string SlideMasterXml() {
  const std::string title_frame = Xfrm({609600, 304800, 8534400, 914400});
  std::string title_style =
      "<p:titleStyle><a:lvl1pPr algn=\"l\" defTabSz=\"914400\"><a:lnSpc><a:spcPct "
      "val=\"90000\"/></a:lnSpc><a:spcBef><a:spcPct val=\"0\"/></a:spcBef><a:buNone/>"
      "<a:defRPr sz=\"4000\" b=\"1\" kern=\"1200\">" +
      SolidFill(kTitleColor) +
      "<a:latin typeface=\"+mj-lt\"/><a:ea typeface=\"+mj-ea\"/><a:cs typeface=\"+mj-cs\"/>"
      "</a:defRPr></a:lvl1pPr></p:titleStyle>";
  std::string body_style = "<p:bodyStyle>";
  std::string other_style = "<p:otherStyle>";
  for (int level = 1; level <= 9; ++level) {
    body_style += Level(level, level == 1 ? 2400 : 2000, kBodyColor);
    other_style += Level(level, 1800, kBodyColor);
  }
  body_style += "</p:bodyStyle>";
  other_style += "</p:otherStyle>";
  return std::string(kXmlDeclaration) + "<p:sldMaster " + pptx::kNamespaces +
         "><p:cSld><p:bg><p:bgPr>" + SolidFill("F5F7FB") +
         "<a:effectLst/></p:bgPr></p:bg><p:spTree><p:nvGrpSpPr><p:cNvPr id=\"1\" name=\"\"/>"
         "<p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr><p:grpSpPr><a:xfrm><a:off x=\"0\" y=\"0\"/>"
         "<a:ext cx=\"0\" cy=\"0\"/><a:chOff x=\"0\" y=\"0\"/><a:chExt cx=\"0\" cy=\"0\"/>"
         "</a:xfrm></p:grpSpPr>"
         // The band along the top edge.
         "<p:sp><p:nvSpPr><p:cNvPr id=\"2\" name=\"Band\"/><p:cNvSpPr/><p:nvPr "
         "userDrawn=\"1\"/></p:nvSpPr><p:spPr>" +
         Xfrm({0, 0, pptx::kSlideWidth, 137160}) +
         "<a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom>" + SolidFill("2E6FBF") +
         "<a:ln><a:noFill/></a:ln></p:spPr></p:sp>"
         "<p:sp><p:nvSpPr><p:cNvPr id=\"3\" name=\"Title Placeholder\"/><p:cNvSpPr><a:spLocks "
         "noGrp=\"1\"/></p:cNvSpPr><p:nvPr><p:ph type=\"title\"/></p:nvPr></p:nvSpPr><p:spPr>" +
         title_frame +
         "<a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></p:spPr><p:txBody><a:bodyPr "
         "vert=\"horz\" lIns=\"91440\" tIns=\"45720\" rIns=\"91440\" bIns=\"45720\" "
         "rtlCol=\"0\" anchor=\"ctr\"><a:normAutofit/></a:bodyPr><a:lstStyle/><a:p><a:r><a:rPr "
         "lang=\"en-US\"/><a:t>Title</a:t></a:r><a:endParaRPr lang=\"en-US\"/></a:p></p:txBody>"
         "</p:sp></p:spTree></p:cSld><p:clrMap bg1=\"lt1\" tx1=\"dk1\" bg2=\"lt2\" tx2=\"dk2\" "
         "accent1=\"accent1\" accent2=\"accent2\" accent3=\"accent3\" accent4=\"accent4\" "
         "accent5=\"accent5\" accent6=\"accent6\" hlink=\"hlink\" folHlink=\"folHlink\"/>"
         "<p:sldLayoutIdLst><p:sldLayoutId id=\"2147483649\" r:id=\"rId1\"/></p:sldLayoutIdLst>"
         "<p:txStyles>" +
         title_style + body_style + other_style + "</p:txStyles></p:sldMaster>";
}

std::string SlideLayoutXml() {
  return std::string(kXmlDeclaration) + "<p:sldLayout " + pptx::kNamespaces +
         " type=\"titleOnly\" preserve=\"1\"><p:cSld name=\"Title Only\"><p:spTree>"
         "<p:nvGrpSpPr><p:cNvPr id=\"1\" name=\"\"/><p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr>"
         "<p:grpSpPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"0\" cy=\"0\"/><a:chOff x=\"0\" "
         "y=\"0\"/><a:chExt cx=\"0\" cy=\"0\"/></a:xfrm></p:grpSpPr><p:sp><p:nvSpPr><p:cNvPr "
         "id=\"2\" name=\"Title 1\"/><p:cNvSpPr><a:spLocks noGrp=\"1\"/></p:cNvSpPr><p:nvPr><p:ph "
         "type=\"title\"/></p:nvPr></p:nvSpPr><p:spPr/><p:txBody><a:bodyPr/><a:lstStyle/><a:p>"
         "<a:r><a:rPr lang=\"en-US\"/><a:t>Title</a:t></a:r><a:endParaRPr lang=\"en-US\"/></a:p>"
         "</p:txBody></p:sp></p:spTree></p:cSld><p:clrMapOvr><a:masterClrMapping/></p:clrMapOvr>"
         "</p:sldLayout>";
}

std::string ThemeXml() {
  auto color = [](const char* name, const char* value) {
    return std::string("<a:") + name + "><a:srgbClr val=\"" + value + "\"/></a:" + name + ">";
  };
  auto fonts = [](const char* kind) {
    return std::string("<a:") + kind +
           "><a:latin typeface=\"Arial\"/><a:ea typeface=\"\"/><a:cs typeface=\"\"/></a:" + kind +
           ">";
  };
  const std::string phase_fill = "<a:solidFill><a:schemeClr val=\"phClr\"/></a:solidFill>";
  const std::string fills = phase_fill + phase_fill + phase_fill;
  std::string lines;
  for (int width : {6350, 12700, 19050}) {
    lines += "<a:ln w=\"" + std::to_string(width) + "\" cap=\"flat\" cmpd=\"sng\" algn=\"ctr\">" +
             phase_fill + "<a:prstDash val=\"solid\"/><a:miter lim=\"800000\"/></a:ln>";
  }
  const std::string effects =
      "<a:effectStyle><a:effectLst/></a:effectStyle><a:effectStyle><a:effectLst/>"
      "</a:effectStyle><a:effectStyle><a:effectLst/></a:effectStyle>";
  return std::string(kXmlDeclaration) + "<a:theme xmlns:a=\"" + kNsA +
         "\" name=\"Sales Board\"><a:themeElements><a:clrScheme name=\"Sales Board\">"
         "<a:dk1><a:sysClr val=\"windowText\" lastClr=\"000000\"/></a:dk1><a:lt1><a:sysClr "
         "val=\"window\" lastClr=\"FFFFFF\"/></a:lt1>" +
         color("dk2", "1F2A44") + color("lt2", "E7EBF2") + color("accent1", "2E6FBF") +
         color("accent2", "D9822B") + color("accent3", "3A9D5D") + color("accent4", "8E5BB5") +
         color("accent5", "C0392B") + color("accent6", "2A9DB5") + color("hlink", "2E6FBF") +
         color("folHlink", "8E5BB5") + "</a:clrScheme><a:fontScheme name=\"Sales Board\">" +
         fonts("majorFont") + fonts("minorFont") +
         "</a:fontScheme><a:fmtScheme name=\"Sales Board\"><a:fillStyleLst>" + fills +
         "</a:fillStyleLst><a:lnStyleLst>" + lines + "</a:lnStyleLst><a:effectStyleLst>" + effects +
         "</a:effectStyleLst><a:bgFillStyleLst>" + fills +
         "</a:bgFillStyleLst></a:fmtScheme></a:themeElements><a:objectDefaults/>"
         "<a:extraClrSchemeLst/></a:theme>";
}

}  // namespace vintrel::example
