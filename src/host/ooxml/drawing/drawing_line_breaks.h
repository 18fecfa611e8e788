// Where the browser breaks a paragraph's lines, told without its fonts: for the boxes whose size
// the server must know before the page draws them (table rows grown to their text).
#ifndef VINTREL_HOST_OOXML_DRAWING_LINE_BREAKS_H_
#define VINTREL_HOST_OOXML_DRAWING_LINE_BREAKS_H_

#include <string_view>

#include "host/ooxml/drawing/drawing_fonts.h"

namespace vintrel::ooxml::drawing {

// About how many lines `text` (UTF-8, '\n' a line break) takes at `width` points in a font of
// `size` points with `widths`. Lines break after spaces and hyphens; a word wider than a line
// breaks between any two characters, as the page's text does (overflow-wrap).
int LineCount(std::string_view text, double size, const CharacterWidths& widths, double width);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_LINE_BREAKS_H_
