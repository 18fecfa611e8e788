// The authoring commands with --interactive: the presentation is opened in a session whose forms
// a person fills in at the terminal (line prompts, also through a pipe), the command clicks what
// opens the form, and the file is saved only when what the person did changed the presentation.
#ifndef VINTREL_APPS_VINTREL_TERMINAL_COMMAND_H_
#define VINTREL_APPS_VINTREL_TERMINAL_COMMAND_H_

#include <functional>
#include <string>

#include "host/presentation.h"
#include "host_session.h"

namespace vintrel::app {

// `open_form` makes the selection and clicks the control; returns the exit code.
int RunOnTerminal(const std::string& file,
                  const std::function<void(HostSession&, host::Presentation&)>& open_form);

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_TERMINAL_COMMAND_H_
