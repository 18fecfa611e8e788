#include "processes.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

extern char** environ;

namespace vintrel::bench {
namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  return address;
}

bool Listening(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = Loopback(port);
  const bool up = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return up;
}

}  // namespace

double LoadAverage() {
  double load = 0;
  std::ifstream("/proc/loadavg") >> load;
  return load;
}

int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0);
  socklen_t size = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return ntohs(address.sin_port);
}

bool WaitListening(int port, double seconds) {
  const auto until = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(static_cast<long>(seconds * 1000));
  while (!Listening(port)) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

void RaiseFileLimit(int descriptors) {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  const rlim_t wanted = static_cast<rlim_t>(descriptors) * 2 + 256;
  if (limit.rlim_cur >= wanted) return;
  limit.rlim_cur = std::min(std::max(wanted, limit.rlim_cur), limit.rlim_max);
  if (limit.rlim_max < wanted) {
    limit.rlim_cur = limit.rlim_max = wanted;  // needs the privilege; else the hard limit stays
    if (setrlimit(RLIMIT_NOFILE, &limit) == 0) return;
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
  }
  setrlimit(RLIMIT_NOFILE, &limit);
}

pid_t Spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& extra,
            const std::filesystem::path& output) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> environment;
  for (char** e = environ; *e; ++e) environment.push_back(*e);
  for (const std::string& variable : extra)
    environment.push_back(const_cast<char*>(variable.c_str()));
  environment.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environment.data()) != 0) {
    pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

pid_t StartBroker(const std::filesystem::path& folder, int port, bool no_delay) {
  const std::filesystem::path config = folder / "mosquitto.conf";
  std::ofstream(config) << "listener " << port << " 127.0.0.1\nallow_anonymous true\n"
                        << "persistence false\nmax_connections -1\nlog_dest none\n"
                        << "set_tcp_nodelay " << (no_delay ? "true" : "false") << "\n";
  // As root the broker drops to its own user, so its folder must be readable.
  chmod(folder.c_str(), 0755);
  chmod(config.c_str(), 0644);
  const pid_t pid = Spawn({MOSQUITTO_PROGRAM, "-c", config.string()}, {}, folder / "broker.out");
  if (pid > 0 && !WaitListening(port, 5)) {
    Stop(pid);
    return -1;
  }
  return pid;
}

}  // namespace vintrel::bench
