// vintrel send FILE: saves a copy of the presentation, with its distribution list and without
// linked values, into the distribution folder of the settings ("[Info] DistributionFolder").
#include "command.h"
#include "host_session.h"
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
    shell::Application* addin = session.addin();
    if (addin == nullptr || addin->FindEntry(presentation) == nullptr) return kExitFailure;
    addin->DistributionSendClick();
    // Sending ends with a message either way.
    const auto& said = session.front_end().last_message();
    if (!said) return kExitFailure;
    if ((said->style & host::msg_box::kIconMask) == host::msg_box::kInformation) return kExitOk;
    // Without a folder in the settings there is nowhere to send to: the user has to say where.
    if (said->text.rfind("Distribution folder not specified", 0) == 0) return kExitBadInput;
    return kExitFailure;
  };
}

const CommandRegistration registration(80, SetupSend);

}  // namespace
}  // namespace vintrel::app
