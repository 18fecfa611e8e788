// Tables (a:tbl in a graphic frame) drawn as cell rectangles with their text bodies.
#ifndef VINTREL_HOST_OOXML_DRAWING_TABLE_H_
#define VINTREL_HOST_OOXML_DRAWING_TABLE_H_

#include <optional>
#include <pugixml.hpp>
#include <string>

#include "host/ooxml/drawing/drawing_context.h"

namespace vintrel::ooxml::drawing {

// Cell fills, borders and text looks come from the cells, then from the table's style
// (ppt/tableStyles.xml) by the flags of a:tblPr (firstRow, bandRow, firstCol ...); a style the
// deck does not define looks like PowerPoint's default. Rows grow to their text.
std::string DrawTable(pugi::xml_node table, const Box& box, DrawingContext& context,
                      std::string& defs);

// A list style (a:lstStyle) whose nine levels give runs this look, appended to `document`: what
// a table style or a diagram's font reference puts between a text's own formatting and the
// deck's defaults.
void RunLookList(bool bold, bool italic, const std::optional<Color>& color,
                 pugi::xml_document& document);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_TABLE_H_
