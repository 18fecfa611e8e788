// vintrel inspect FILE [--json] [--display-type N]: a presentation as an author sees it after
// opening it: slides, shapes, tags, links, and the values the add-in filled in.

#include "command.h"
#include "host_session.h"
#include "open_presentation.h"
#include "presentation_outline.h"

namespace vintrel::app {
namespace {

struct InspectOptions {
  std::string file;
  bool json = false;
  int display_type = 0;
};

CommandAction SetupInspect(CLI::App& root) {
  auto options = std::make_shared<InspectOptions>();
  CLI::App* command = root.add_subcommand(
      "inspect",
      "Open a presentation as an author would and show its slides, shapes, tags, "
      "links and filled values");
  command->add_option("file", options->file, "The presentation (.pptx)")->required();
  command->add_flag("--json", options->json, "Write one JSON object instead of an outline");
  command
      ->add_option("--display-type", options->display_type,
                   "What linked shapes show: 1 Value, 2 Connection, 3 Column, 4 Index, "
                   "5 Column - Index, 6 Connection - Column, 7 Nothing")
      ->check(CLI::Range(1, 7));
  return [options] {
    HostSession session;
    host::Presentation& presentation = OpenPresentation(session, options->file);
    if (options->display_type != 0) session.ChooseDisplayType(options->display_type);
    PrintOutline(session.context(), presentation, session.addin(), options->json);
    return kExitOk;
  };
}

const CommandRegistration registration(10, SetupInspect);

}  // namespace
}  // namespace vintrel::app
