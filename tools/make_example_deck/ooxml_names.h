// Namespaces and content types the example's own parts use; the package frame's are in
// tools/deck_skeleton.
#ifndef VINTREL_TOOLS_MAKE_EXAMPLE_DECK_OOXML_NAMES_H_
#define VINTREL_TOOLS_MAKE_EXAMPLE_DECK_OOXML_NAMES_H_

#include "deck_skeleton/deck_skeleton.h"

namespace vintrel::example {

using pptx::kXmlDeclaration;

inline constexpr char kNsA[] = "http://schemas.openxmlformats.org/drawingml/2006/main";
inline constexpr char kNsR[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr char kNsC[] = "http://schemas.openxmlformats.org/drawingml/2006/chart";

inline constexpr char kPresentationType[] = "application/vnd.openxmlformats-officedocument.";

}  // namespace vintrel::example

#endif  // VINTREL_TOOLS_MAKE_EXAMPLE_DECK_OOXML_NAMES_H_
