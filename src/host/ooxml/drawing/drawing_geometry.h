// The outline of a shape from its geometry (a:prstGeom or a:custGeom) as SVG elements, and the
// ends of its line (arrowheads) as SVG markers.
#ifndef VINTREL_HOST_OOXML_DRAWING_GEOMETRY_H_
#define VINTREL_HOST_OOXML_DRAWING_GEOMETRY_H_

#include <optional>
#include <pugixml.hpp>
#include <string>

#include "host/ooxml/drawing/drawing_context.h"

namespace vintrel::ooxml::drawing {

// The elements for the geometry in `properties` (an spPr) filling `box`, painted with
// `fill_attributes` and `stroke_attributes`. Presets are evaluated from their definitions; an
// unknown preset is drawn as its bounding rectangle.
std::string GeometryElement(pugi::xml_node properties, const Box& box,
                            const std::string& fill_attributes,
                            const std::string& stroke_attributes);

// Where the text of a shape with the geometry in `properties` goes inside `box`: a preset's or
// custom geometry's text rectangle (inside an ellipse, the shaft of an arrow ...), mirrored
// with the shape's outline when it is flipped (the text itself stays readable).
Box TextBoxOf(pugi::xml_node properties, const Box& box, bool flip_h = false, bool flip_v = false);

// True for presets drawn as an open line (connectors), which take no fill.
bool IsLineGeometry(pugi::xml_node properties);

// Stroke attributes that put the line's ends (a:headEnd at the start, a:tailEnd at the end of
// `line`, an a:ln) on the path, their markers written into `defs`; empty without ends.
std::string LineEndAttributes(pugi::xml_node line, const std::optional<Stroke>& stroke,
                              DrawingContext& context, std::string& defs);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_GEOMETRY_H_
