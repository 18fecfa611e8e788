#include "terminal_command.h"

#include <iostream>

#include "command.h"
#include "open_presentation.h"

namespace vintrel::app {

int RunOnTerminal(const std::string& file,
                  const std::function<void(HostSession&, host::Presentation&)>& open_form) {
  SessionOptions options;
  options.terminal_forms = true;
  HostSession session(options);
  host::Presentation& presentation = OpenPresentation(session, file);
  if (!session.addin_active()) throw BadInput("the add-in could not start");
  // Opening fills the linked shapes; only what the forms write counts as a change.
  presentation.SetSaved(true);
  open_form(session, presentation);
  if (presentation.Saved()) {
    std::cerr << "vintrel: nothing was changed\n";
    return kExitOk;
  }
  presentation.Save();
  std::cerr << "vintrel: saved " << file << "\n";
  return kExitOk;
}

}  // namespace vintrel::app
