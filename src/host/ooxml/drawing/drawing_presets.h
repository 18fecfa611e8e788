// The preset shapes' definitions (avLst, gdLst and pathLst of each, by name), built into the
// program from presets/presetShapeDefinitions.xml and read once, when a shape first needs one.
#ifndef VINTREL_HOST_OOXML_DRAWING_PRESETS_H_
#define VINTREL_HOST_OOXML_DRAWING_PRESETS_H_

#include <pugixml.hpp>
#include <string_view>

namespace vintrel::ooxml::drawing {

// The definition of preset `name` (rect, sun, bentConnector3 ...); empty when unknown.
pugi::xml_node PresetDefinition(std::string_view name);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_PRESETS_H_
