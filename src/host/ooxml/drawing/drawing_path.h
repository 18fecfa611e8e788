// Geometry defined by formulas (preset shapes and a:custGeom): adjust values and guides are
// evaluated for the shape's size, then its paths are written as SVG path data in points.
#ifndef VINTREL_HOST_OOXML_DRAWING_PATH_H_
#define VINTREL_HOST_OOXML_DRAWING_PATH_H_

#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/ooxml/drawing/drawing_context.h"

namespace vintrel::ooxml::drawing {

// Named values of one shape: the built-in ones (w, h, ss, hc, cd4 ...), then adjust values and
// guides in the order they are defined. Lengths are in EMU, angles in 60000ths of a degree.
class Guides {
 public:
  Guides(double width, double height);
  // Evaluates `formula` ("*/ w adj 100000", "pin 0 adj1 50000" ...) and names its value.
  void Define(std::string_view name, std::string_view formula);
  bool Has(std::string_view name) const;
  // A guide's value, or the number the token spells (0 when it is neither).
  double Value(std::string_view token) const;

 private:
  double Evaluate(std::string_view formula) const;
  std::unordered_map<std::string, double> values_;
};

// One path of a geometry: its SVG path data in points and how it is painted. `fill` is norm,
// none, darken, darkenLess, lighten or lightenLess.
struct GeometryPath {
  std::string data;
  std::string fill = "norm";
  bool stroke = true;
};

// The paths of `geometry` (a preset's definition or an a:custGeom, with avLst, gdLst and
// pathLst children, prefixed or not) for a shape filling `box`; `adjustments` (the shape's own
// a:avLst, may be empty) overrides the definition's adjust values.
std::vector<GeometryPath> EvaluateGeometry(pugi::xml_node geometry, pugi::xml_node adjustments,
                                           const Box& box);

// The rectangle the text of a shape of this geometry goes in (its a:rect), in points; the
// whole box when the geometry names none.
Box TextRectangle(pugi::xml_node geometry, pugi::xml_node adjustments, const Box& box);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_PATH_H_
