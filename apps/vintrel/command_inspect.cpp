// vintrel inspect FILE [--json]: what the host sees of a presentation.
#include <iostream>

#include "command.h"
#include "host_session.h"
#include "open_presentation.h"
#include "presentation_outline.h"

namespace vintrel::app {
namespace {

struct InspectOptions {
  std::string file;
  bool json = false;
};

CommandAction SetupInspect(CLI::App& root) {
  auto options = std::make_shared<InspectOptions>();
  CLI::App* command = root.add_subcommand(
      "inspect", "Show a presentation's slides, shapes, tags and links as the host sees them");
  command->add_option("file", options->file, "The presentation (.pptx)")->required();
  command->add_flag("--json", options->json, "Write one JSON object instead of an outline");
  return [options] {
    HostSession session;
    host::Presentation& presentation = OpenPresentation(session, options->file);
    if (options->json) {
      WriteOutlineJson(presentation, std::cout);
    } else {
      WriteOutline(presentation, std::cout);
    }
    return kExitOk;
  };
}

const CommandRegistration registration(10, SetupInspect);

}  // namespace
}  // namespace vintrel::app
