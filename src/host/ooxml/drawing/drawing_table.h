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

// How runs look where their own formatting says nothing: what a table style's text part or a
// diagram's font reference gives.
struct RunLook {
  bool bold = false, italic = false;
  std::optional<Color> color;
  std::string typeface;  // "+mn-lt" for the theme's body font; empty for the deck's default
};

// A list style (a:lstStyle) whose nine levels give runs `look`, appended to `document`: it goes
// between a text's own formatting and the deck's defaults.
void RunLookList(const RunLook& look, pugi::xml_document& document);

// The run look of a style's font reference (a:fontRef idx="minor" with its colour).
RunLook FontReferenceLook(pugi::xml_node reference, DrawingContext& context);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_TABLE_H_
