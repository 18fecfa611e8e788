// DrawingML for the shapes of the example: text boxes, the title placeholder, relationships.
#ifndef VINTREL_TOOLS_MAKE_EXAMPLE_DECK_SHAPE_XML_H_
#define VINTREL_TOOLS_MAKE_EXAMPLE_DECK_SHAPE_XML_H_

#include <string>
#include <string_view>
#include <vector>

#include "deck_skeleton/deck_skeleton.h"
#include "host/common/text.h"  // EscapeXml

namespace vintrel::example {

using pptx::Relationship;
using pptx::RelationshipXml;

// Positions and sizes in EMU (914400 to the inch).
struct Frame {
  long x = 0, y = 0, cx = 0, cy = 0;
};

struct TextLook {
  int size = 1800;  // hundredths of a point
  bool bold = false;
  std::string color = "1F2A44";
  std::string fill;  // RGB hex; empty for none
  std::string align = "l";
  std::string anchor = "t";
  std::string geometry = "rect";
};

std::string Xfrm(const Frame& frame, std::string_view prefix = "a");

// A text box with one paragraph; `text` may be empty (an empty paragraph keeps its run
// properties, so a value filled in later gets the look).
std::string TextBox(int id, std::string_view name, const Frame& frame, std::string_view text,
                    const TextLook& look);

// The slide title: a placeholder taking position and look from the layout.
std::string TitlePlaceholder(int id, std::string_view text);

}  // namespace vintrel::example

#endif  // VINTREL_TOOLS_MAKE_EXAMPLE_DECK_SHAPE_XML_H_
