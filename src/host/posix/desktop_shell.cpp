#include "host/posix/desktop_shell.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char** environ;

namespace vintrel::host::posix {

bool DesktopShell::Open(const std::string& target) {
  // A leading "-" would be read as an option by the opener.
  const std::string argument = (!target.empty() && target[0] == '-') ? "./" + target : target;
  std::vector<char*> argv = {const_cast<char*>(opener_.c_str()),
                             const_cast<char*>(argument.c_str()), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", 0, 0);
  pid_t pid = 0;
  const int result = posix_spawnp(&pid, opener_.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) return false;
  // xdg-open hands the target over and returns at once; reap it so no zombie stays behind.
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace vintrel::host::posix
