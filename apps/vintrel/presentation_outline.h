// What the host sees of a presentation, as a readable outline or as JSON for tools.
#ifndef VINTREL_APPS_VINTREL_PRESENTATION_OUTLINE_H_
#define VINTREL_APPS_VINTREL_PRESENTATION_OUTLINE_H_

#include <ostream>

#include "host/presentation.h"

namespace vintrel::app {

void WriteOutline(host::Presentation& presentation, std::ostream& out);
void WriteOutlineJson(host::Presentation& presentation, std::ostream& out);

// The host's name of a shape type code ("text box", "linked picture", ...).
const char* ShapeTypeName(int type);

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_PRESENTATION_OUTLINE_H_
