// Namespaces, relationship types and content types the example package uses.
#ifndef VINTREL_TOOLS_MAKE_EXAMPLE_DECK_OOXML_NAMES_H_
#define VINTREL_TOOLS_MAKE_EXAMPLE_DECK_OOXML_NAMES_H_

namespace vintrel::example {

inline constexpr char kXmlDeclaration[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

inline constexpr char kNsA[] = "http://schemas.openxmlformats.org/drawingml/2006/main";
inline constexpr char kNsP[] = "http://schemas.openxmlformats.org/presentationml/2006/main";
inline constexpr char kNsR[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr char kNsC[] = "http://schemas.openxmlformats.org/drawingml/2006/chart";
inline constexpr char kNsRels[] = "http://schemas.openxmlformats.org/package/2006/relationships";
inline constexpr char kNsTypes[] = "http://schemas.openxmlformats.org/package/2006/content-types";
inline constexpr char kNsSpreadsheet[] =
    "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// Relationship types are this prefix followed by the kind ("slide", "chart", ...).
inline constexpr char kRelType[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

inline constexpr char kPresentationType[] = "application/vnd.openxmlformats-officedocument.";

}  // namespace vintrel::example

#endif  // VINTREL_TOOLS_MAKE_EXAMPLE_DECK_OOXML_NAMES_H_
