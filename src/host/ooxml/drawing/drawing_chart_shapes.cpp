// Shapes an author drew over a chart (its chartUserShapes part): boxes placed in fractions of
// the chart's area, with their fills, outlines and text.
#include <optional>
#include <string_view>

#include "host/ooxml/drawing/drawing_chart_parts.h"
#include "host/ooxml/drawing/drawing_geometry.h"
#include "host/ooxml/drawing/drawing_text.h"

namespace vintrel::ooxml::drawing::chart {

namespace {

// Where an anchor puts its shape: from and to as fractions of the chart (relSizeAnchor), or from
// a fraction with a size of its own in EMU (absSizeAnchor).
std::optional<Box> AnchorBox(pugi::xml_node anchor, const Box& chart) {
  std::string_view kind = anchor.name();
  auto fraction = [](pugi::xml_node point, const char* axis) {
    return point.child(axis).text().as_double();
  };
  pugi::xml_node from = anchor.child("cdr:from");
  double x = chart.x + fraction(from, "cdr:x") * chart.width;
  double y = chart.y + fraction(from, "cdr:y") * chart.height;
  if (kind == "cdr:relSizeAnchor") {
    pugi::xml_node to = anchor.child("cdr:to");
    return Box{x, y, chart.x + fraction(to, "cdr:x") * chart.width - x,
               chart.y + fraction(to, "cdr:y") * chart.height - y};
  }
  if (kind == "cdr:absSizeAnchor") {
    pugi::xml_node extent = anchor.child("cdr:ext");
    return Box{x, y, extent.attribute("cx").as_double() / kEmuPerPoint,
               extent.attribute("cy").as_double() / kEmuPerPoint};
  }
  return std::nullopt;
}

std::string UserShape(pugi::xml_node shape, const Box& box, DrawingContext& context,
                      std::string& defs) {
  pugi::xml_node properties = shape.child("cdr:spPr");
  pugi::xml_node style = shape.child("cdr:style");
  std::optional<Paint> fill = context.FillIn(properties);
  if (!fill) fill = context.ThemeFill(style.child("a:fillRef"));
  std::optional<Stroke> stroke = context.LineOf(properties.child("a:ln"));
  if (!stroke) stroke = context.ThemeLine(style.child("a:lnRef"));
  std::string content;
  if ((fill && !fill->none) || (stroke && !stroke->none)) {
    content += GeometryElement(properties, box, FillAttributes(fill, context, defs),
                               StrokeAttributes(stroke));
  }
  pugi::xml_node body = shape.child("cdr:txBody");
  if (!body.select_node(".//a:t")) return content;
  TextStyles styles;
  styles.lists = {body.child("a:lstStyle"), context.DefaultTextStyle()};
  styles.bodies = {body.child("a:bodyPr")};
  if (pugi::xml_node font = style.child("a:fontRef")) styles.font_color = context.ColorIn(font);
  return content + DrawTextBody(body, styles, TextBoxOf(properties, box), context);
}

}  // namespace

std::string UserShapes(const std::string& chart_part, const Box& chart, DrawingContext& context) {
  Package& package = context.package();
  std::string content, defs;
  for (const Relationship& rel : package.Rels(chart_part)) {
    if (rel.external || !rel.type.ends_with("/chartUserShapes")) continue;
    std::string part = Package::ResolveTarget(chart_part, rel.target);
    if (!package.Has(part)) continue;
    for (pugi::xml_node anchor : package.Xml(part).document_element().children()) {
      std::optional<Box> box = AnchorBox(anchor, chart);
      pugi::xml_node shape = anchor.child("cdr:sp");
      if (box && shape) content += UserShape(shape, *box, context, defs);
    }
  }
  return defs.empty() ? content : "<defs>" + defs + "</defs>" + content;
}

}  // namespace vintrel::ooxml::drawing::chart
