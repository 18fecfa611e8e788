// The example's own look around its slides: one master with a "Title Only" layout, the theme,
// the default text style and the document properties.
#ifndef VINTREL_TOOLS_MAKE_EXAMPLE_DECK_PACKAGE_FRAME_H_
#define VINTREL_TOOLS_MAKE_EXAMPLE_DECK_PACKAGE_FRAME_H_

#include <string>
#include <vector>

namespace vintrel::example {

// What the frame of the package (tools/deck_skeleton) takes from the example: the content types
// of pictures, the chart's workbook, `charts` charts and the document properties, the package's
// relationships to those properties, and the styled master, layout and theme.
std::string MoreContentDefaultsXml();
std::string MoreContentTypesXml(int charts);
std::string DocumentPropertiesRelationshipsXml();
std::string DefaultTextStyleXml();
std::string CorePropertiesXml(const std::string& title);
std::string AppPropertiesXml(int slides);
std::string SlideMasterXml();
std::string SlideLayoutXml();
std::string ThemeXml();

}  // namespace vintrel::example

#endif  // VINTREL_TOOLS_MAKE_EXAMPLE_DECK_PACKAGE_FRAME_H_
