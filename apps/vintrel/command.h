// The program's commands. Each command lives in its own file and registers itself with a
// CommandRegistration; main() adds every registered command to the command line in order.
#ifndef VINTREL_APPS_VINTREL_COMMAND_H_
#define VINTREL_APPS_VINTREL_COMMAND_H_

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace vintrel::app {

enum ExitCode : int {
  kExitOk = 0,
  kExitFailure = 1,   // the work could not be done (a source failed, a save failed)
  kExitBadInput = 2,  // bad usage or bad input (unknown file, damaged file, unknown shape)
};

// Thrown by a command for bad usage or bad input: printed on stderr, exit code 2.
class BadInput : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What runs when the user chose the command; returns the exit code.
using CommandAction = std::function<int()>;
// Adds the command (a sub-command of `root`, with its options) and returns its action. The
// action may read the options, which CLI11 has filled by then.
using CommandSetup = std::function<CommandAction(CLI::App& root)>;

struct RegisteredCommand {
  int order;  // position in --help
  CommandSetup setup;
};

std::vector<RegisteredCommand>& CommandRegistry();

// Registers a command at static initialisation: `static CommandRegistration r(30, Setup);`
struct CommandRegistration {
  CommandRegistration(int order, CommandSetup setup) {
    CommandRegistry().push_back({order, std::move(setup)});
  }
};

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_COMMAND_H_
