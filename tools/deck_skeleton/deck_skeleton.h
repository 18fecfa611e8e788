// The frame of a .pptx package around its slides: content types, the package's and the
// presentation's relationships, the presentation part (16:9), one master with one layout, a
// theme and the presentation properties. The example generator and the tests' decks both write
// their packages with it; what they differ in (a styled master, document properties, charts)
// they hand in.
#ifndef VINTREL_TOOLS_DECK_SKELETON_DECK_SKELETON_H_
#define VINTREL_TOOLS_DECK_SKELETON_DECK_SKELETON_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vintrel::pptx {

inline constexpr char kXmlDeclaration[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
// The a, r and p namespaces, as the root of every presentation part declares them.
extern const char kNamespaces[];
// The group properties a shape tree starts with.
extern const char kTreeStart[];

// 16:9 at 13.333 by 7.5 inches, in EMU.
inline constexpr long kSlideWidth = 12192000;
inline constexpr long kSlideHeight = 6858000;

struct Relationship {
  std::string id;
  std::string type;  // after the officeDocument relationships prefix ("slideLayout"), or whole
  std::string target;
  bool external = false;
};
std::string RelationshipXml(const Relationship& relationship);
// A relationships part holding `items` (<Relationship/> elements).
std::string RelationshipsXml(std::string_view items);

struct Slide {
  std::string shapes;           // children of p:spTree after the group properties
  std::string relationships;    // <Relationship/> elements after rId1, the layout
  std::string root_attributes;  // e.g. show="0"
  std::string after_tree;       // inside p:cSld after p:spTree (custDataLst)
  std::string tail;             // after p:clrMapOvr (transition, timing)
};
std::string SlideXml(const Slide& slide);

struct Deck {
  std::vector<Slide> slides;  // rId10 up in the presentation's relationships
  std::string master;         // whole parts; empty for plain ones
  std::string layout;
  std::string theme;
  std::string presentation_attributes;     // on p:presentation
  std::string presentation_tail;           // inside p:presentation after p:notesSz
  std::string presentation_relationships;  // after rId1-rId3 (master, theme, properties)
  std::string presentation_properties;     // inside p:presentationPr
  std::string package_relationships;       // after rId1, the presentation
  std::string content_defaults;            // more <Default/> elements
  std::string content_types;               // more <Override/> elements
  // The parts package_relationships name (document properties), after _rels/.rels.
  std::vector<std::pair<std::string, std::string>> package_parts;
  std::vector<std::pair<std::string, std::string>> more_parts;  // after the slides
};

// A plain theme holding `elements` inside a:themeElements.
std::string ThemeXml(std::string_view elements);

// Every part of the package by name, [Content_Types].xml first.
std::vector<std::pair<std::string, std::string>> DeckParts(const Deck& deck);

}  // namespace vintrel::pptx

#endif  // VINTREL_TOOLS_DECK_SKELETON_DECK_SKELETON_H_
