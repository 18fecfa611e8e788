// vintrel refresh FILE: "Refresh data now": every connection fetches its data again and every
// linked shape is filled; then the presentation is shown as inspect shows it. The file itself is
// not changed: a saved presentation never holds linked values.

#include "command.h"
#include "host_session.h"
#include "open_presentation.h"
#include "presentation_outline.h"

namespace vintrel::app {
namespace {

struct RefreshOptions {
  std::string file;
  bool json = false;
};

CommandAction SetupRefresh(CLI::App& root) {
  auto options = std::make_shared<RefreshOptions>();
  CLI::App* command = root.add_subcommand(
      "refresh", "Fetch every connection's data again, fill the linked shapes and show them");
  command->add_option("file", options->file, "The presentation (.pptx)")->required();
  command->add_flag("--json", options->json, "Write one JSON object instead of an outline");
  return [options] {
    HostSession session;
    host::Presentation& presentation = OpenPresentation(session, options->file);
    session.Click(session.controls().cmbRefreshDataNow, "the presentation has no connections");
    PrintOutline(session.context(), presentation, session.addin(), options->json);
    return kExitOk;
  };
}

const CommandRegistration registration(15, SetupRefresh);

}  // namespace
}  // namespace vintrel::app
