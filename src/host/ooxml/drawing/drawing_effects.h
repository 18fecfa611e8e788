// Effects of a shape drawn as SVG filters: the outer shadow and glow around it, the inner
// shadow within it and its soft edges (a blur of its edge, inwards), from the shape's own
// a:effectLst or the theme's effect style its p:style names. Reflections and 3-D are not drawn.
#ifndef VINTREL_HOST_OOXML_DRAWING_EFFECTS_H_
#define VINTREL_HOST_OOXML_DRAWING_EFFECTS_H_

#include <optional>
#include <pugixml.hpp>
#include <string>

#include "host/ooxml/drawing/drawing_color.h"

namespace vintrel::ooxml::drawing {

class DrawingContext;
struct Box;

struct Effects {
  pugi::xml_node list;               // a:effectLst, empty when the shape has no effects
  std::optional<Color> placeholder;  // the effect reference's colour, for phClr
};

// The effects of a shape: its properties' (spPr) own list, even when empty, else the theme's
// effect style that the style's effectRef names.
Effects EffectsOf(pugi::xml_node properties, pugi::xml_node style, const DrawingContext& context);

// A filter attribute drawing `effects` for a shape in `box` turned by `rotation` degrees (a
// shadow that does not turn with its shape keeps its direction); the filter goes into `defs`.
// Empty when there is nothing to draw.
std::string EffectAttributes(const Effects& effects, const Box& box, double rotation,
                             DrawingContext& context, std::string& defs);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_EFFECTS_H_
