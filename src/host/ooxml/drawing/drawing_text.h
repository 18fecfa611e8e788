// Text bodies drawn as XHTML inside an SVG foreignObject: the browser breaks the lines with the
// real font, and every word stays text a reader or a test can find.
#ifndef VINTREL_HOST_OOXML_DRAWING_TEXT_H_
#define VINTREL_HOST_OOXML_DRAWING_TEXT_H_

#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "host/ooxml/drawing/drawing_context.h"

namespace vintrel::ooxml::drawing {

// Where a text body's formatting comes from, nearest first: list styles (a:lstStyle,
// p:titleStyle ... each with a:lvlNpPr children) and body properties (a:bodyPr).
struct TextStyles {
  std::vector<pugi::xml_node> lists;
  std::vector<pugi::xml_node> bodies;
  // The shape style's font colour (p:style/a:fontRef), used when nothing else gives one.
  std::optional<Color> font_color;
};

// The styles of the text body of shape element `shape` (sp on a slide, layout or master),
// following its placeholder to the layout and master.
TextStyles TextStylesOf(pugi::xml_node shape, DrawingContext& context);

// The text body `body` in `box` (points), insets and anchoring from the body properties.
std::string DrawTextBody(pugi::xml_node body, const TextStyles& styles, const Box& box,
                         DrawingContext& context);

// About how tall the text of table row `row` is with the table's `columns` (points): rows grow to
// their text, as they do on the slide, also when the file stores them with no height.
double RowTextHeight(pugi::xml_node row, const std::vector<double>& columns,
                     DrawingContext& context);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_TEXT_H_
