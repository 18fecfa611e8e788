#include "host/ooxml/drawing/drawing_presets.h"

#include <cstddef>
#include <string>
#include <unordered_map>

namespace vintrel::ooxml::drawing {

// Generated at build time from presets/presetShapeDefinitions.xml (cmake/embed_text.cmake).
extern const char kPresetShapeDefinitions[];
extern const std::size_t kPresetShapeDefinitionsSize;

namespace {

struct Presets {
  Presets() {
    document.load_buffer(kPresetShapeDefinitions, kPresetShapeDefinitionsSize);
    for (pugi::xml_node preset : document.document_element().children()) {
      by_name.emplace(preset.name(), preset);
    }
  }
  pugi::xml_document document;
  std::unordered_map<std::string, pugi::xml_node> by_name;
};

}  // namespace

pugi::xml_node PresetDefinition(std::string_view name) {
  // Read once per process; every later shape only looks its preset up.
  static const Presets presets;
  auto found = presets.by_name.find(std::string(name));
  return found == presets.by_name.end() ? pugi::xml_node() : found->second;
}

}  // namespace vintrel::ooxml::drawing
