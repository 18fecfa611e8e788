#include "host/ooxml/drawing/drawing_effects.h"

#include <cmath>

#include "host/ooxml/drawing/drawing_context.h"

namespace vintrel::ooxml::drawing {

namespace {

constexpr double kPi = 3.14159265358979;

double Points(pugi::xml_node node, const char* attribute) {
  return node.attribute(attribute).as_double() / kEmuPerPoint;
}

std::string Flood(const Color& color) {
  std::string flood = "<feFlood flood-color=\"" + color.Hex() + "\"";
  if (color.alpha < 1) flood += " flood-opacity=\"" + Num(color.alpha) + "\"";
  return flood + "/>";
}

// The shadow cast by the shape's outline: its outline blurred, moved and coloured.
std::string Shadow(pugi::xml_node shadow, const Effects& effects, double rotation,
                   const DrawingContext& context, double& margin) {
  double blur = Points(shadow, "blurRad"), distance = Points(shadow, "dist");
  double direction = shadow.attribute("dir").as_double() / 60000;
  if (!shadow.attribute("rotWithShape").as_bool(false)) direction -= rotation;
  double radians = direction * kPi / 180;
  Color color = ColorIn(shadow, context.colors(), effects.placeholder).value_or(Color{0, 0, 0});
  margin = std::max(margin, distance + blur * 1.5);
  return "<feGaussianBlur in=\"SourceAlpha\" stdDeviation=\"" + Num(blur / 2) +
         "\"/><feOffset dx=\"" + Num(distance * std::cos(radians)) + "\" dy=\"" +
         Num(distance * std::sin(radians)) + "\" result=\"shadow-place\"/>" + Flood(color) +
         "<feComposite in2=\"shadow-place\" operator=\"in\" result=\"shadow\"/>";
}

// An inner shadow: the outside of the outline blurred, moved and coloured, inside the outline.
std::string InnerShadow(pugi::xml_node shadow, const Effects& effects, double rotation,
                        const DrawingContext& context) {
  double blur = Points(shadow, "blurRad"), distance = Points(shadow, "dist");
  double radians = (shadow.attribute("dir").as_double() / 60000 - rotation) * kPi / 180;
  Color color = ColorIn(shadow, context.colors(), effects.placeholder).value_or(Color{0, 0, 0});
  return "<feComponentTransfer in=\"SourceAlpha\"><feFuncA type=\"table\" tableValues=\"1 0\"/>"
         "</feComponentTransfer><feGaussianBlur stdDeviation=\"" +
         Num(blur / 2) + "\"/><feOffset dx=\"" + Num(distance * std::cos(radians)) + "\" dy=\"" +
         Num(distance * std::sin(radians)) + "\" result=\"inner-place\"/>" + Flood(color) +
         "<feComposite in2=\"inner-place\" operator=\"in\"/><feComposite in2=\"SourceAlpha\" "
         "operator=\"in\" result=\"inner\"/>";
}

// A glow: the outline grown by the glow's radius, blurred and coloured.
std::string Glow(pugi::xml_node glow, const Effects& effects, const DrawingContext& context,
                 double& margin) {
  double radius = Points(glow, "rad");
  Color color = ColorIn(glow, context.colors(), effects.placeholder).value_or(Color{0, 0, 0});
  margin = std::max(margin, radius * 1.5);
  return "<feMorphology in=\"SourceAlpha\" operator=\"dilate\" radius=\"" + Num(radius / 2) +
         "\"/><feGaussianBlur stdDeviation=\"" + Num(radius / 4) + "\" result=\"glow-place\"/>" +
         Flood(color) + "<feComposite in2=\"glow-place\" operator=\"in\" result=\"glow\"/>";
}

// Soft edges: the shape shown through its outline shrunk and blurred by the edge's radius.
std::string SoftEdge(pugi::xml_node edge) {
  double radius = Points(edge, "rad");
  return "<feMorphology in=\"SourceAlpha\" operator=\"erode\" radius=\"" + Num(radius / 4) +
         "\"/><feGaussianBlur stdDeviation=\"" + Num(radius / 4) +
         "\" result=\"soft-place\"/><feComposite in=\"SourceGraphic\" in2=\"soft-place\" "
         "operator=\"in\" result=\"soft\"/>";
}

}  // namespace

Effects EffectsOf(pugi::xml_node properties, pugi::xml_node style, const DrawingContext& context) {
  Effects effects;
  if (pugi::xml_node own = properties.child("a:effectLst")) {
    effects.list = own;
    return effects;
  }
  if (properties.child("a:effectDag")) return effects;
  pugi::xml_node reference = style.child("a:effectRef");
  int position = reference.attribute("idx").as_int();
  if (position <= 0) return effects;
  for (pugi::xml_node entry : context.FormatScheme().child("a:effectStyleLst").children()) {
    if (--position > 0) continue;
    effects.list = entry.child("a:effectLst");
    effects.placeholder = ReferenceColor(reference, context.colors());
    break;
  }
  return effects;
}

std::string EffectAttributes(const Effects& effects, const Box& box, double rotation,
                             DrawingContext& context, std::string& defs) {
  pugi::xml_node shadow = effects.list.child("a:outerShdw");
  pugi::xml_node glow = effects.list.child("a:glow");
  pugi::xml_node edge = effects.list.child("a:softEdge");
  pugi::xml_node inner = effects.list.child("a:innerShdw");
  if (!shadow && !glow && !edge && !inner) return {};
  double margin = 0;
  std::string primitives, merge;
  if (shadow) {
    primitives += Shadow(shadow, effects, rotation, context, margin);
    merge += "<feMergeNode in=\"shadow\"/>";
  }
  if (glow) {
    primitives += Glow(glow, effects, context, margin);
    merge += "<feMergeNode in=\"glow\"/>";
  }
  if (edge) primitives += SoftEdge(edge);
  merge += std::string("<feMergeNode in=\"") + (edge ? "soft" : "SourceGraphic") + "\"/>";
  if (inner) {
    primitives += InnerShadow(inner, effects, rotation, context);
    merge += "<feMergeNode in=\"inner\"/>";
  }
  // The region holds the outline with its line and what the effects add around it.
  margin += 6;
  std::string id = context.NextDefinitionId();
  defs += "<filter id=\"" + id + "\" filterUnits=\"userSpaceOnUse\" x=\"" + Num(box.x - margin) +
          "\" y=\"" + Num(box.y - margin) + "\" width=\"" + Num(box.width + 2 * margin) +
          "\" height=\"" + Num(box.height + 2 * margin) + "\">" + primitives + "<feMerge>" + merge +
          "</feMerge></filter>";
  return " filter=\"url(#" + id + ")\"";
}

}  // namespace vintrel::ooxml::drawing
