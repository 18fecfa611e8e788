// vintrel: the command-line program that plays the presentation program's role for the add-in.
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>

#include "command.h"
#include "host/error.h"
#include "host_session.h"
#include "shell/version.h"

namespace vintrel::app {

std::vector<RegisteredCommand>& CommandRegistry() {
  static std::vector<RegisteredCommand> commands;
  return commands;
}

namespace {

int Run(int argc, char** argv) {
  CLI::App root(
      "Vintrel: presentations that show live data from text files, databases and "
      "workbooks.",
      "vintrel");
  bool show_version = false;
  root.add_flag("--version", show_version, "Print the version (major.minor.revision) and exit");
  root.require_subcommand(0, 1);

  auto& commands = CommandRegistry();
  std::stable_sort(
      commands.begin(), commands.end(),
      [](const RegisteredCommand& a, const RegisteredCommand& b) { return a.order < b.order; });
  std::map<CLI::App*, CommandAction> actions;
  for (const RegisteredCommand& command : commands) {
    const size_t before = root.get_subcommands({}).size();
    CommandAction action = command.setup(root);
    const auto all = root.get_subcommands({});
    if (all.size() > before) actions[all.back()] = std::move(action);
  }

  try {
    root.parse(argc, argv);
  } catch (const CLI::Success& done) {
    return root.exit(done);  // --help
  } catch (const CLI::ParseError& error) {
    root.exit(error);
    return kExitBadInput;
  }

  if (show_version) {
    // Like every command, the version loads the add-in into the program and unloads it again,
    // so a debug log shows a whole start and shut-down.
    HostSession session;
    std::cout << shell::VersionText() << "\n";
    return kExitOk;
  }

  for (CLI::App* chosen : root.get_subcommands()) {
    auto found = actions.find(chosen);
    if (found == actions.end()) continue;
    try {
      return found->second();
    } catch (const BadInput& error) {
      std::cerr << "vintrel: " << error.what() << "\n";
      return kExitBadInput;
    } catch (const Error& error) {
      std::cerr << "vintrel: " << error.description() << "\n";
      return kExitFailure;
    } catch (const std::exception& error) {
      std::cerr << "vintrel: " << error.what() << "\n";
      return kExitFailure;
    }
  }
  std::cout << root.help();
  return kExitBadInput;
}

}  // namespace
}  // namespace vintrel::app

int main(int argc, char** argv) {
  // libzip turns the DOS date of every entry it reads into a time with mktime, and while TZ is
  // unset glibc looks at /etc/localtime again on every such call: a stat per entry, tens of
  // thousands for a big deck. Naming the same zone file reads it once; local time is unchanged.
  if (std::getenv("TZ") == nullptr) setenv("TZ", ":/etc/localtime", 0);
  return vintrel::app::Run(argc, argv);
}
