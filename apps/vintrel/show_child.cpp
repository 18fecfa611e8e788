#include "show_child.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <future>
#include <vector>

#include "host/error.h"

extern char** environ;

namespace vintrel::app {
namespace {

constexpr char kSource[] = "vintrel.studio";
constexpr char kShowLine[] = "Live show: ";

}  // namespace

std::string ShowChild::Start(const std::string& file, const std::string& address) {
  Stop();
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) throw Error(kErrUnspecified, kSource, "cannot start the show");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
  std::vector<std::string> args = {"vintrel", "show", file,       "--serve",
                                   "--port",  "0",    "--listen", address};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  // The studio blocks the stop signals for its own waiter; the show needs them as usual.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  const int failed =
      posix_spawn(&pid_, "/proc/self/exe", &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_ends[1]);
  if (failed != 0) {
    close(pipe_ends[0]);
    pid_ = -1;
    throw Error(kErrUnspecified, kSource, "cannot start the show");
  }
  auto address_promise = std::make_shared<std::promise<std::string>>();
  std::future<std::string> url = address_promise->get_future();
  reader_ = std::thread([fd = pipe_ends[0], address_promise] {
    std::string output;
    bool told = false;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
      if (told) continue;
      output.append(buffer, n);
      const size_t at = output.find(kShowLine);
      const size_t end = at == std::string::npos ? at : output.find('\n', at);
      if (end != std::string::npos) {
        const size_t from = at + sizeof kShowLine - 1;
        address_promise->set_value(output.substr(from, end - from));
        told = true;
      }
    }
    close(fd);
    if (!told) address_promise->set_value("");
  });
  std::string started = url.get();
  if (started.empty()) {
    Stop();
    throw Error(kErrUnspecified, kSource, "the show of " + file + " did not start");
  }
  return started;
}

void ShowChild::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  if (reader_.joinable()) reader_.join();
}

}  // namespace vintrel::app
