// What the host sees of a presentation, as a readable outline or as JSON for tools.
#ifndef VINTREL_APPS_VINTREL_PRESENTATION_OUTLINE_H_
#define VINTREL_APPS_VINTREL_PRESENTATION_OUTLINE_H_

#include <ostream>

#include "host/presentation.h"
#include "json_output.h"

namespace vintrel::shell {
class Application;
}

namespace vintrel {
struct Context;
}  // namespace vintrel

namespace vintrel::app {

// With the add-in loaded, its connections with their state; without it the connections are read
// from the tags and not opened.
void WriteOutline(Context& ctx, host::Presentation& presentation, const shell::Application* addin,
                  std::ostream& out);
void WriteOutlineJson(Context& ctx, host::Presentation& presentation,
                      const shell::Application* addin, std::ostream& out);
// The outline on standard output, as JSON or text. The JSON is printed only when complete: a
// failure half-way leaves no cut-off JSON behind.
void PrintOutline(Context& ctx, host::Presentation& presentation, const shell::Application* addin,
                  bool json);

// Parts of the JSON outline: one slide, and the connections.
Json SlideOutlineJson(host::Slide& slide);
Json ConnectionsOutlineJson(Context& ctx, host::Presentation& presentation,
                            const shell::Application* addin);

// The host's name of a shape type code ("text box", "linked picture", ...).
const char* ShapeTypeName(int type);

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_PRESENTATION_OUTLINE_H_
