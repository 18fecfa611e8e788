// Fields inside text (a:fld): the slide number and the date and time show what they stand for
// when the slide is drawn, not the text the file last stored for them.
#ifndef VINTREL_HOST_OOXML_DRAWING_FIELDS_H_
#define VINTREL_HOST_OOXML_DRAWING_FIELDS_H_

#include <ctime>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace vintrel::ooxml::drawing {

// The date and time `when` in the format of a date field type ("datetime1" to "datetime13";
// "datetime" is the first), as the presentation program writes them in English; empty for
// other types.
std::string DateFieldText(std::string_view type, const std::tm& when);

// The text field `field` shows on slide number `slide_number` at `now`; fields of other types
// keep their stored text.
std::string FieldText(pugi::xml_node field, int slide_number, const std::tm& now);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_FIELDS_H_
