// The whole sales board package, part by part, in the order a presentation program writes
// them ([Content_Types].xml first).
#ifndef VINTREL_TOOLS_MAKE_EXAMPLE_DECK_BOARD_PACKAGE_H_
#define VINTREL_TOOLS_MAKE_EXAMPLE_DECK_BOARD_PACKAGE_H_

#include <string>
#include <vector>

#include "zip_writer.h"

namespace vintrel::example {

// `picture_target`: the file the linked picture shows until its first fill, relative to the
// presentation's folder.
std::vector<Part> BoardPackage(const std::string& picture_target);

}  // namespace vintrel::example

#endif  // VINTREL_TOOLS_MAKE_EXAMPLE_DECK_BOARD_PACKAGE_H_
