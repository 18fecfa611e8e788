// The outline of a shape from its geometry (a:prstGeom or a:custGeom) as one SVG element.
#ifndef VINTREL_HOST_OOXML_DRAWING_GEOMETRY_H_
#define VINTREL_HOST_OOXML_DRAWING_GEOMETRY_H_

#include <pugixml.hpp>
#include <string>

#include "host/ooxml/drawing/drawing_context.h"

namespace vintrel::ooxml::drawing {

// The element for the geometry in `properties` (an spPr) filling `box`, carrying `attributes`
// (fill and stroke). Unknown preset shapes are drawn as their bounding rectangle.
std::string GeometryElement(pugi::xml_node properties, const Box& box,
                            const std::string& attributes);

// True for presets drawn as an open line (connectors), which take no fill.
bool IsLineGeometry(pugi::xml_node properties);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_GEOMETRY_H_
