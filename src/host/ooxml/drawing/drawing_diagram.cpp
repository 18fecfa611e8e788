#include "host/ooxml/drawing/drawing_diagram.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "host/ooxml/drawing/drawing_geometry.h"
#include "host/ooxml/drawing/drawing_table.h"
#include "host/ooxml/drawing/drawing_text.h"

namespace vintrel::ooxml::drawing {

namespace {

constexpr std::string_view kDrawingType = "diagramDrawing";

std::string PartOf(Package& package, const std::string& source, const Relationship& rel) {
  if (rel.external) return {};
  std::string target = Package::ResolveTarget(source, rel.target);
  return package.Has(target) ? target : std::string();
}

// The drawn form is named by the data part's own relationships, or (as PowerPoint saves it) by
// the data part's dataModelExt, whose relId is a relationship of the slide.
std::string DrawingPart(pugi::xml_node relations, const std::string& part, Package& package) {
  std::optional<Relationship> data = package.Rel(part, relations.attribute("r:dm").value());
  if (!data) return {};
  std::string data_part = PartOf(package, part, *data);
  if (data_part.empty()) return {};
  for (const Relationship& rel : package.Rels(data_part)) {
    if (rel.type.ends_with(kDrawingType)) return PartOf(package, data_part, rel);
  }
  pugi::xpath_node extension =
      package.Xml(data_part).select_node("//*[local-name()='dataModelExt']");
  std::optional<Relationship> drawing =
      package.Rel(part, extension.node().attribute("relId").value());
  if (!drawing || !drawing->type.ends_with(kDrawingType)) return {};
  return PartOf(package, part, *drawing);
}

Box BoxOf(pugi::xml_node xfrm, const Box& frame) {
  return {frame.x + xfrm.child("a:off").attribute("x").as_double() / kEmuPerPoint,
          frame.y + xfrm.child("a:off").attribute("y").as_double() / kEmuPerPoint,
          xfrm.child("a:ext").attribute("cx").as_double() / kEmuPerPoint,
          xfrm.child("a:ext").attribute("cy").as_double() / kEmuPerPoint};
}

std::string Rotated(const std::string& content, double degrees, const Box& box) {
  if (degrees == 0 || content.empty()) return content;
  return "<g transform=\"rotate(" + Num(degrees) + " " + Num(box.x + box.width / 2) + " " +
         Num(box.y + box.height / 2) + ")\">" + content + "</g>";
}

std::string Flipped(const std::string& content, pugi::xml_node xfrm, const Box& box) {
  bool flip_h = xfrm.attribute("flipH").as_bool(), flip_v = xfrm.attribute("flipV").as_bool();
  if (!flip_h && !flip_v) return content;
  double cx = box.x + box.width / 2, cy = box.y + box.height / 2;
  return "<g transform=\"translate(" + Num(cx) + " " + Num(cy) + ") scale(" +
         (flip_h ? "-1 " : "1 ") + (flip_v ? "-1" : "1") + ") translate(" + Num(-cx) + " " +
         Num(-cy) + ")\">" + content + "</g>";
}

std::string DiagramShape(pugi::xml_node shape, const Box& frame, DrawingContext& context,
                         std::string& defs) {
  pugi::xml_node properties = shape.child("dsp:spPr");
  pugi::xml_node style = shape.child("dsp:style");
  pugi::xml_node xfrm = properties.child("a:xfrm");
  Box box = BoxOf(xfrm, frame);
  double rotation = xfrm.attribute("rot").as_double() / 60000;
  std::optional<Paint> fill = context.FillIn(properties);
  if (!fill) fill = context.ThemeFill(style.child("a:fillRef"));
  std::optional<Stroke> stroke = context.LineOf(properties.child("a:ln"));
  if (!stroke) stroke = context.ThemeLine(style.child("a:lnRef"));
  if (IsLineGeometry(properties)) fill.reset();
  std::string outline;
  if ((fill && !fill->none) || (stroke && !stroke->none)) {
    outline = Flipped(GeometryElement(properties, box, FillAttributes(fill, context, defs),
                                      StrokeAttributes(stroke)),
                      xfrm, box);
  }
  std::string content = Rotated(outline, rotation, box);
  pugi::xml_node body = shape.child("dsp:txBody");
  if (!body.select_node(".//a:t")) return content;
  // The text has a box of its own, turned by its own angle on top of the shape's.
  pugi::xml_node text_xfrm = shape.child("dsp:txXfrm");
  Box text_box = text_xfrm ? BoxOf(text_xfrm, frame) : box;
  double text_rotation = rotation + text_xfrm.attribute("rot").as_double() / 60000;
  // The font reference's colour comes before the deck's default text colour.
  pugi::xml_document font_list;
  RunLookList(FontReferenceLook(style.child("a:fontRef"), context), font_list);
  TextStyles styles;
  styles.lists = {body.child("a:lstStyle"), font_list.document_element(),
                  context.DefaultTextStyle()};
  styles.bodies = {body.child("a:bodyPr")};
  return content + Rotated(DrawTextBody(body, styles, text_box, context), text_rotation, text_box);
}

// The texts of a diagram's nodes (its data part's points that are neither the document nor a
// connection), in the order they are listed.
std::vector<std::string> NodeTexts(pugi::xml_node relations, const std::string& part,
                                   Package& package) {
  std::vector<std::string> texts;
  std::optional<Relationship> data = package.Rel(part, relations.attribute("r:dm").value());
  std::string data_part = data ? PartOf(package, part, *data) : std::string();
  if (data_part.empty()) return texts;
  pugi::xml_node points = package.Xml(data_part).document_element().child("dgm:ptLst");
  for (pugi::xml_node point : points.children("dgm:pt")) {
    std::string_view type = point.attribute("type").as_string("node");
    if (type != "node" && type != "asst") continue;
    std::string text;
    for (pugi::xpath_node run : point.child("dgm:t").select_nodes(".//a:t")) {
      text += run.node().text().get();
    }
    if (!text.empty()) texts.push_back(std::move(text));
  }
  return texts;
}

// A diagram saved without its drawn form (its program never laid it out) shows its node texts
// in a row of rounded boxes, so its words are on the screen.
std::string StandIn(const std::vector<std::string>& texts, const Box& frame,
                    DrawingContext& context, std::string& defs) {
  double gap = frame.width * 0.02;
  double width = (frame.width - gap * (texts.size() - 1)) / texts.size();
  double height = std::min(frame.height, width * 0.75);
  double size = std::clamp(height / 4, 6.0, 18.0);
  Paint fill;
  fill.none = false;
  fill.color = context.SchemeColor("accent1").value_or(Color{68, 114, 196});
  std::string fill_attributes = FillAttributes(fill, context, defs);
  RunLook text;
  text.color = context.SchemeColor("lt1").value_or(Color{255, 255, 255});
  pugi::xml_document look;
  RunLookList(text, look);
  std::string content;
  for (size_t i = 0; i < texts.size(); ++i) {
    Box box{frame.x + i * (width + gap), frame.y + (frame.height - height) / 2, width, height};
    pugi::xml_document shape;
    shape.load_string("<p:spPr><a:prstGeom prst=\"roundRect\"/></p:spPr>");
    content += GeometryElement(shape.document_element(), box, fill_attributes, "");
    pugi::xml_document body;
    pugi::xml_node root = body.append_child("p:txBody");
    root.append_child("a:bodyPr").append_attribute("anchor") = "ctr";
    pugi::xml_node paragraph = root.append_child("a:p");
    paragraph.append_child("a:pPr").append_attribute("algn") = "ctr";
    pugi::xml_node run = paragraph.append_child("a:r");
    run.append_child("a:rPr").append_attribute("sz") = static_cast<int>(size * 100);
    run.append_child("a:t").text() = texts[i].c_str();
    TextStyles styles;
    styles.lists = {look.document_element(), context.DefaultTextStyle()};
    styles.bodies = {root.child("a:bodyPr")};
    content += DrawTextBody(root, styles, box, context);
  }
  return content;
}

}  // namespace

std::string DrawDiagram(pugi::xml_node relations, const std::string& part, const Box& box,
                        DrawingContext& context, std::string& defs) {
  std::string drawing_part = DrawingPart(relations, part, context.package());
  if (drawing_part.empty()) {
    std::vector<std::string> texts = NodeTexts(relations, part, context.package());
    if (texts.empty()) return {};
    return "<g class=\"diagram\">" + StandIn(texts, box, context, defs) + "</g>";
  }
  pugi::xml_node tree = context.package().Xml(drawing_part).document_element().child("dsp:spTree");
  std::string content;
  for (pugi::xml_node shape : tree.children("dsp:sp")) {
    content += DiagramShape(shape, box, context, defs);
  }
  return "<g class=\"diagram\">" + content + "</g>";
}

}  // namespace vintrel::ooxml::drawing
