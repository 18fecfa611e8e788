// The parts every presentation needs around its slides: content types, the package and
// presentation relationships, the presentation part (16:9), one master with a "Title Only"
// layout, the theme, presentation properties and document properties.
#ifndef VINTREL_TOOLS_MAKE_EXAMPLE_DECK_PACKAGE_FRAME_H_
#define VINTREL_TOOLS_MAKE_EXAMPLE_DECK_PACKAGE_FRAME_H_

#include <string>
#include <vector>

namespace vintrel::example {

// 16:9 at 13.333 by 7.5 inches, in EMU.
inline constexpr long kSlideWidth = 12192000;
inline constexpr long kSlideHeight = 6858000;

// Part names of the package's slides, charts and embedded packages need overrides or defaults;
// the frame takes the slide and chart counts and lists everything.
std::string ContentTypesXml(int slides, int charts);
std::string PackageRelationshipsXml();
std::string PresentationXml(int slides);
std::string PresentationRelationshipsXml(int slides);
std::string PresentationPropertiesXml();
std::string CorePropertiesXml(const std::string& title);
std::string AppPropertiesXml(int slides);
std::string SlideMasterXml();
std::string SlideMasterRelationshipsXml();
std::string SlideLayoutXml();
std::string SlideLayoutRelationshipsXml();
std::string ThemeXml();

}  // namespace vintrel::example

#endif  // VINTREL_TOOLS_MAKE_EXAMPLE_DECK_PACKAGE_FRAME_H_
