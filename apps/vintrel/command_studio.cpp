// vintrel studio FILE: authoring in the browser. Opens the presentation as an author would and
// serves a page on which the add-in's tool bar, menus and dialogs work as on a desktop: shapes are
// selected by clicking them, commands run through the add-in as a click does, and every dialog is
// drawn from its form model. The add-in runs on this program's main thread; the page's requests
// reach it through ShellThread. Ctrl-C or SIGTERM ends it; nothing is saved but what Save saves.
#include <iostream>

#include "command.h"
#include "host_session.h"
#include "live_show.h"
#include "open_presentation.h"
#include "shell_thread.h"
#include "studio_front_end.h"
#include "studio_server.h"
#include "studio_session.h"

namespace vintrel::app {
namespace {

struct StudioOptions {
  std::string file;
  std::string listen = "127.0.0.1";
  int port = 0;
};

int Run(const StudioOptions& options) {
  ShellThread shell;
  // Signals are blocked before any other thread starts, so only the waiter receives them.
  SignalStop signals([&shell] { shell.Stop(); });
  StudioFrontEnd front_end(shell);
  SessionOptions session_options;
  session_options.front_end = &front_end;
  HostSession session(session_options);
  host::Presentation& presentation = OpenPresentation(session, options.file);
  if (session.addin() == nullptr) {
    std::cerr << "vintrel: the add-in could not start\n";
    return kExitFailure;
  }
  StudioSession studio(session, presentation, front_end);
  StudioServerOptions server_options;
  server_options.address = options.listen;
  server_options.port = options.port;
  StudioServer server(shell, studio, server_options);
  server.Start();
  std::cout << "Studio: " << server.Url() << std::endl;
  shell.Serve([] { return false; });
  server.Stop();
  ClosePresentation(session, presentation);
  return kExitOk;
}

CommandAction Setup(CLI::App& root) {
  auto options = std::make_shared<StudioOptions>();
  CLI::App* command = root.add_subcommand(
      "studio",
      "Author in the browser: serve a page showing the slides, the add-in's tool bar, menus and "
      "dialogs; select shapes by clicking them and link them through the dialogs, then Save");
  command->add_option("file", options->file, "The presentation (.pptx)")->required();
  command->add_option("--listen", options->listen,
                      "The address to listen on (default 127.0.0.1, this machine only; 0.0.0.0 "
                      "for every network)");
  command->add_option("--port", options->port, "The port (default: any free one)")
      ->check(CLI::Range(0, 65535));
  command->footer(
      "Prints the address to open, with a token every request needs (Ctrl-C ends the studio). "
      "One page authors at a time; another gets a read-only view. Save writes the file as "
      "`vintrel save` does and never overwrites changes made on disk meanwhile without asking; "
      "Show starts `vintrel show --serve` on the saved file and opens it in a new tab.");
  return [options] { return Run(*options); };
}

const CommandRegistration registration(96, Setup);

}  // namespace
}  // namespace vintrel::app
