// vintrel save FILE [-o OUT]: open and save, as a person pressing Save (or Save a copy) would.
// Either way the file written holds no linked value: linked texts are blanked and linked
// pictures and charts hidden while it is written, and filled again afterwards.
#include <filesystem>
#include <iostream>

#include "command.h"
#include "host/error.h"
#include "host_session.h"
#include "open_presentation.h"

namespace vintrel::app {
namespace {

struct SaveOptions {
  std::string file;
  std::string output;
};

CommandAction SetupSave(CLI::App& root) {
  auto options = std::make_shared<SaveOptions>();
  CLI::App* command = root.add_subcommand("save", "Open a presentation and save it");
  command->add_option("file", options->file, "The presentation (.pptx)")->required();
  command->add_option("-o,--output", options->output,
                      "Save a copy under this name and leave FILE as it is");
  return [options] {
    HostSession session;
    host::Presentation& presentation = OpenPresentation(session, options->file);
    if (options->output.empty()) {
      presentation.Save();
    } else {
      const std::string output = std::filesystem::absolute(options->output).string();
      if (shell::Application* addin = session.addin()) {
        addin->SaveCopyAs(presentation, output);
      } else {
        presentation.SaveCopyAs(output);
      }
    }
    return kExitOk;
  };
}

const CommandRegistration registration(20, SetupSave);

}  // namespace
}  // namespace vintrel::app
