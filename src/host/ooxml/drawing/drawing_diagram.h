// SmartArt diagrams drawn from the drawn form their author's program keeps beside the diagram's
// data (a dsp:drawing part of ordinary shapes with text), so they look as they were saved.
#ifndef VINTREL_HOST_OOXML_DRAWING_DIAGRAM_H_
#define VINTREL_HOST_OOXML_DRAWING_DIAGRAM_H_

#include <pugixml.hpp>
#include <string>

#include "host/ooxml/drawing/drawing_context.h"

namespace vintrel::ooxml::drawing {

// The diagram of graphic frame data `relations` (dgm:relIds) of `part`, in the frame's `box`.
// Empty when the deck keeps no drawn form (the diagram was never laid out by its program).
std::string DrawDiagram(pugi::xml_node relations, const std::string& part, const Box& box,
                        DrawingContext& context, std::string& defs);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_DIAGRAM_H_
