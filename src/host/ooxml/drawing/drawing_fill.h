// Fills of shapes, backgrounds, lines and cells: solid colours, linear and path (radial)
// gradients, the preset patterns and pictures, read from the format and written as SVG paint
// with its definitions (gradients, patterns).
#ifndef VINTREL_HOST_OOXML_DRAWING_FILL_H_
#define VINTREL_HOST_OOXML_DRAWING_FILL_H_

#include <optional>
#include <pugixml.hpp>
#include <string>
#include <utility>
#include <vector>

#include "host/ooxml/drawing/drawing_color.h"
#include "host/ooxml/drawing/drawing_picture.h"

namespace vintrel::ooxml::drawing {

class DrawingContext;
struct Box;

struct Paint {
  bool none = true;
  // The colour of a solid fill; for the other kinds, the colour that stands for the fill where
  // only one colour can be shown (text, markers).
  Color color;
  // A gradient instead of a single colour: its stops and angle (degrees, clockwise).
  std::vector<std::pair<double, Color>> stops;
  double angle = 0;
  // The angle holds for the unit square and stretches with the shape (a:lin scaled="1").
  bool scaled = false;
  // A path gradient (a:path): radial from the centre of `focus`, the rectangle the first stop
  // fills (a:fillToRect, fractions of the box: left, top, right, bottom insets).
  bool radial = false;
  double focus[4] = {0.5, 0.5, 0.5, 0.5};
  // A rectangle path (a:path path="rect"): rectangles from the focus out to the box's edges.
  bool rectangular = false;
  bool rotate_with_shape = true;
  // A preset pattern (a:pattFill prst): `color` is its foreground, `background` the rest.
  std::string pattern;
  Color background;
  // A picture (a:blipFill), stretched over the box or tiled.
  std::optional<Picture> picture;
};

struct Stroke {
  bool none = true;
  Color color;
  double width = 0.75;  // points
  std::string dash;     // stroke-dasharray, empty for solid
};

// The fill `fill` (a:noFill, a:solidFill, a:gradFill, a:pattFill, a:blipFill, a:grpFill) on its
// own; `placeholder` stands for phClr. nullopt for other elements.
std::optional<Paint> FillOf(pugi::xml_node fill, const DrawingContext& context,
                            const std::optional<Color>& placeholder = {});

// A paint as SVG fill attributes (fill and fill-opacity); gradients, patterns and pictures are
// written into `defs`. With the box the paint fills, a gradient keeps its true angle and a
// tiled picture its size.
std::string FillAttributes(const std::optional<Paint>& paint, DrawingContext& context,
                           std::string& defs);
std::string FillAttributes(const std::optional<Paint>& paint, DrawingContext& context,
                           std::string& defs, const Box& box);
std::string StrokeAttributes(const std::optional<Stroke>& stroke);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_FILL_H_
