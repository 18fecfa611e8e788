#include "shape_xml.h"

#include "ooxml_names.h"

namespace vintrel::example {

std::string Xfrm(const Frame& frame, std::string_view prefix) {
  const std::string p(prefix);
  return "<" + p + ":xfrm><a:off x=\"" + std::to_string(frame.x) + "\" y=\"" +
         std::to_string(frame.y) + "\"/><a:ext cx=\"" + std::to_string(frame.cx) + "\" cy=\"" +
         std::to_string(frame.cy) + "\"/></" + p + ":xfrm>";
}

std::string TextBox(int id, std::string_view name, const Frame& frame, std::string_view text,
                    const TextLook& look) {
  const std::string fill = look.fill.empty()
                               ? "<a:noFill/>"
                               : "<a:solidFill><a:srgbClr val=\"" + look.fill +
                                     "\"/></a:solidFill><a:ln w=\"9525\"><a:solidFill>"
                                     "<a:srgbClr val=\"D5DCE8\"/></a:solidFill></a:ln>";
  const std::string run_properties = "lang=\"en-US\" sz=\"" + std::to_string(look.size) + "\"" +
                                     (look.bold ? " b=\"1\"" : "") + " dirty=\"0\"";
  const std::string color = "<a:solidFill><a:srgbClr val=\"" + look.color + "\"/></a:solidFill>";
  std::string paragraph = "<a:p><a:pPr algn=\"" + look.align + "\"/>";
  if (!text.empty()) {
    paragraph += "<a:r><a:rPr " + run_properties + ">" + color + "</a:rPr><a:t>" + EscapeXml(text) +
                 "</a:t></a:r>";
  }
  paragraph += "<a:endParaRPr " + run_properties + ">" + color + "</a:endParaRPr></a:p>";
  return "<p:sp><p:nvSpPr><p:cNvPr id=\"" + std::to_string(id) + "\" name=\"" + EscapeXml(name) +
         "\"/><p:cNvSpPr txBox=\"1\"/><p:nvPr/></p:nvSpPr><p:spPr>" + Xfrm(frame) +
         "<a:prstGeom prst=\"" + look.geometry + "\"><a:avLst/></a:prstGeom>" + fill +
         "</p:spPr><p:txBody><a:bodyPr wrap=\"square\" lIns=\"91440\" tIns=\"45720\" "
         "rIns=\"91440\" bIns=\"45720\" rtlCol=\"0\" anchor=\"" +
         look.anchor + "\"><a:noAutofit/></a:bodyPr><a:lstStyle/>" + paragraph +
         "</p:txBody></p:sp>";
}

std::string TitlePlaceholder(int id, std::string_view text) {
  return "<p:sp><p:nvSpPr><p:cNvPr id=\"" + std::to_string(id) +
         "\" name=\"Title\"/><p:cNvSpPr><a:spLocks noGrp=\"1\"/></p:cNvSpPr><p:nvPr><p:ph "
         "type=\"title\"/></p:nvPr></p:nvSpPr><p:spPr/><p:txBody><a:bodyPr/><a:lstStyle/>"
         "<a:p><a:r><a:rPr lang=\"en-US\" dirty=\"0\"/><a:t>" +
         EscapeXml(text) + "</a:t></a:r><a:endParaRPr lang=\"en-US\" dirty=\"0\"/></a:p>" +
         "</p:txBody></p:sp>";
}

}  // namespace vintrel::example
