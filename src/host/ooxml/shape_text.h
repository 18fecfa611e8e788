// The text of a text body (p:txBody or a:txBody) as the host presents it: paragraphs joined by
// a carriage return, line breaks inside a paragraph as a vertical tab (11).
#ifndef VINTREL_HOST_OOXML_SHAPE_TEXT_H_
#define VINTREL_HOST_OOXML_SHAPE_TEXT_H_

#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace vintrel::ooxml {

std::string ReadBodyText(pugi::xml_node body);

// Replaces every paragraph of `body` with `text`, keeping the first paragraph's properties and
// the formatting of its first run, as retyping does in the host. CR, LF and CRLF end
// paragraphs, a vertical tab becomes a line break; other control characters are dropped
// because XML cannot hold them. An empty text leaves one empty paragraph.
void WriteBodyText(pugi::xml_node body, std::string_view text);

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_SHAPE_TEXT_H_
