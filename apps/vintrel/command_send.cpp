// vintrel send FILE: saves a copy of the presentation, with its distribution list and without
// linked values, into the distribution folder of the settings ("[Info] DistributionFolder").
#include "command.h"
#include "document/presentation.h"
#include "host_session.h"
#include "offline/distribution.h"
#include "open_presentation.h"

namespace vintrel::app {
namespace {

CommandAction SetupSend(CLI::App& root) {
  auto file = std::make_shared<std::string>();
  CLI::App* command = root.add_subcommand(
      "send", "Save a copy of the presentation into the distribution folder of the settings");
  command->add_option("file", *file, "The presentation (.pptx)")->required();
  return [file] {
    HostSession session;
    host::Presentation& presentation = OpenPresentation(session, *file);
    clsPresentation* entry = session.EntryOf(presentation);
    if (entry == nullptr) return kExitFailure;
    // Without a folder in the settings there is nowhere to send to: the user has to say where.
    if (GetDistributionFolder().find_first_not_of(' ') == std::string::npos) {
      SendPresentation(*entry);
      return kExitBadInput;
    }
    return SendPresentation(*entry) ? kExitOk : kExitFailure;
  };
}

const CommandRegistration registration(80, SetupSend);

}  // namespace
}  // namespace vintrel::app
