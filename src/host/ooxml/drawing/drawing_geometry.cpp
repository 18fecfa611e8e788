#include "host/ooxml/drawing/drawing_geometry.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "host/ooxml/drawing/drawing_path.h"
#include "host/ooxml/drawing/drawing_presets.h"

namespace vintrel::ooxml::drawing {

namespace {

bool IsLinePreset(std::string_view preset) {
  return preset == "line" || preset == "straightConnector1" ||
         preset.rfind("bentConnector", 0) == 0 || preset.rfind("curvedConnector", 0) == 0;
}

// Shaded parts of a shape (the side of a cube, the fold of a scroll) are its fill under a
// veil of black or white.
const char* Veil(std::string_view mode) {
  if (mode == "darken") return " fill=\"#000000\" fill-opacity=\"0.4\"";
  if (mode == "darkenLess") return " fill=\"#000000\" fill-opacity=\"0.2\"";
  if (mode == "lighten") return " fill=\"#ffffff\" fill-opacity=\"0.4\"";
  if (mode == "lightenLess") return " fill=\"#ffffff\" fill-opacity=\"0.2\"";
  return nullptr;
}

std::string PathElements(const std::vector<GeometryPath>& paths, const std::string& fill,
                         const std::string& stroke) {
  std::string result;
  // A shape without fill has no shading either.
  bool unfilled = fill.find(" fill=\"none\"") != std::string::npos;
  for (const GeometryPath& path : paths) {
    std::string head = "<path d=\"" + path.data + "\"";
    bool filled = path.fill != "none";
    const char* veil = unfilled ? nullptr : Veil(path.fill);
    if (filled && path.stroke && !veil) {
      result += head + fill + stroke + "/>";
      continue;
    }
    if (filled) result += head + fill + " stroke=\"none\"/>";
    if (filled && veil) result += head + veil + " stroke=\"none\"/>";
    if (path.stroke) result += head + " fill=\"none\"" + stroke + "/>";
  }
  return result;
}

// A line end's marker: its outline in a 10 by 10 box whose right edge is the line's end.
struct EndShape {
  const char* type;
  const char* outline;
  double reference_x;
  bool open;
};

constexpr EndShape kEndShapes[] = {
    {"triangle", "M0 0 L10 5 L0 10 Z", 10, false},
    {"stealth", "M0 0 L10 5 L0 10 L3.5 5 Z", 10, false},
    {"diamond", "M0 5 L5 0 L10 5 L5 10 Z", 5, false},
    {"oval", "M0 5 A5 5 0 1 1 10 5 A5 5 0 1 1 0 5 Z", 5, false},
    {"arrow", "M1 1 L9 5 L1 9", 9, true},
};

// Sizes of line ends in widths of the line (sm, med, lg); a hairline's ends are sized as for a
// line of 0.7 mm, as the common programs do, so they stay visible.
double EndSize(std::string_view size, double line_width) {
  double factor = size == "sm" ? 2 : size == "lg" ? 5 : 3;
  return factor * std::max(line_width, 1.98);
}

std::string EndMarker(pugi::xml_node end, const Stroke& stroke, DrawingContext& context,
                      std::string& defs) {
  std::string_view type = end.attribute("type").value();
  for (const EndShape& shape : kEndShapes) {
    if (type != shape.type) continue;
    std::string id = context.NextDefinitionId();
    std::string paint =
        shape.open ? " fill=\"none\" stroke=\"" + stroke.color.Hex() + "\" stroke-width=\"1.5\""
                   : " fill=\"" + stroke.color.Hex() + "\"";
    if (stroke.color.alpha < 1) paint += " opacity=\"" + Num(stroke.color.alpha) + "\"";
    defs += "<marker id=\"" + id + "\" viewBox=\"0 0 10 10\" refX=\"" + Num(shape.reference_x) +
            "\" refY=\"5\" markerWidth=\"" +
            Num(EndSize(end.attribute("len").value(), stroke.width)) + "\" markerHeight=\"" +
            Num(EndSize(end.attribute("w").value(), stroke.width)) +
            "\" markerUnits=\"userSpaceOnUse\" preserveAspectRatio=\"none\" "
            "orient=\"auto-start-reverse\"><path d=\"" +
            shape.outline + "\"" + paint + "/></marker>";
    return "url(#" + id + ")";
  }
  return {};
}

}  // namespace

bool IsLineGeometry(pugi::xml_node properties) {
  return IsLinePreset(properties.child("a:prstGeom").attribute("prst").value());
}

std::string LineEndAttributes(pugi::xml_node line, const std::optional<Stroke>& stroke,
                              DrawingContext& context, std::string& defs) {
  if (!stroke || stroke->none) return {};
  std::string attributes;
  std::string head = EndMarker(line.child("a:headEnd"), *stroke, context, defs);
  if (!head.empty()) attributes += " marker-start=\"" + head + "\"";
  std::string tail = EndMarker(line.child("a:tailEnd"), *stroke, context, defs);
  if (!tail.empty()) attributes += " marker-end=\"" + tail + "\"";
  return attributes;
}

Box TextBoxOf(pugi::xml_node properties, const Box& box, bool flip_h, bool flip_v) {
  Box text = box;
  if (pugi::xml_node custom = properties.child("a:custGeom")) {
    text = TextRectangle(custom, {}, box);
  } else {
    pugi::xml_node geometry = properties.child("a:prstGeom");
    std::string_view preset = geometry.attribute("prst").value();
    if (preset.empty() || preset == "rect") return box;
    text = TextRectangle(PresetDefinition(preset), geometry.child("a:avLst"), box);
  }
  if (flip_h) text.x = 2 * box.x + box.width - text.x - text.width;
  if (flip_v) text.y = 2 * box.y + box.height - text.y - text.height;
  return text;
}

std::string GeometryElement(pugi::xml_node properties, const Box& box,
                            const std::string& fill_attributes,
                            const std::string& stroke_attributes) {
  if (pugi::xml_node custom = properties.child("a:custGeom")) {
    return PathElements(EvaluateGeometry(custom, {}, box), fill_attributes, stroke_attributes);
  }
  pugi::xml_node geometry = properties.child("a:prstGeom");
  std::string_view preset = geometry.attribute("prst").value();
  // The two commonest outlines keep their plain SVG elements.
  if (preset == "ellipse") {
    return "<ellipse cx=\"" + Num(box.x + box.width / 2) + "\" cy=\"" +
           Num(box.y + box.height / 2) + "\" rx=\"" + Num(box.width / 2) + "\" ry=\"" +
           Num(box.height / 2) + "\"" + fill_attributes + stroke_attributes + "/>";
  }
  pugi::xml_node definition = preset == "rect" ? pugi::xml_node() : PresetDefinition(preset);
  if (!definition) {
    return "<rect x=\"" + Num(box.x) + "\" y=\"" + Num(box.y) + "\" width=\"" + Num(box.width) +
           "\" height=\"" + Num(box.height) + "\"" + fill_attributes + stroke_attributes + "/>";
  }
  return PathElements(EvaluateGeometry(definition, geometry.child("a:avLst"), box), fill_attributes,
                      stroke_attributes);
}

}  // namespace vintrel::ooxml::drawing
