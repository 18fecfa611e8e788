// Tables (a:tbl in a graphic frame) drawn as cell rectangles with their text bodies.
#ifndef VINTREL_HOST_OOXML_DRAWING_TABLE_H_
#define VINTREL_HOST_OOXML_DRAWING_TABLE_H_

#include <pugixml.hpp>
#include <string>

#include "host/ooxml/drawing/drawing_context.h"

namespace vintrel::ooxml::drawing {

// Cell fills and borders come from the cells; a table that leaves them to its table style gets
// the look of the common default style (accent header row, banded rows).
std::string DrawTable(pugi::xml_node table, const Box& box, DrawingContext& context,
                      std::string& defs);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_TABLE_H_
