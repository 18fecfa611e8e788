// Runs a command line through /bin/sh in a child process and reports what that child alone
// used: wall time, processor time and peak resident memory (so a benchmark can tell the work it
// measures apart from what it did itself, such as generating the input).
#ifndef VINTREL_BENCH_COMMON_CHILD_PROCESS_H_
#define VINTREL_BENCH_COMMON_CHILD_PROCESS_H_

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>

namespace vintrel::bench {

struct ChildUsage {
  bool ok = false;
  double wall = 0;  // seconds
  double cpu = 0;   // seconds, user and system
  double peak_mb = 0;
};

inline ChildUsage RunChild(const std::string& command) {
  ChildUsage usage;
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    execl("/bin/sh", "sh", "-c", (command + " > /dev/null").c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  if (pid < 0) return usage;
  int status = 0;
  struct rusage used {};
  if (wait4(pid, &status, 0, &used) != pid) return usage;
  usage.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  usage.cpu = seconds(used.ru_utime) + seconds(used.ru_stime);
  usage.peak_mb = static_cast<double>(used.ru_maxrss) / 1024.0;
  usage.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return usage;
}

// The best of `runs` runs by wall time (the peak memory is the largest seen).
inline ChildUsage BestChild(const std::string& command, int runs) {
  ChildUsage best;
  double peak = 0;
  for (int i = 0; i < runs; ++i) {
    ChildUsage one = RunChild(command);
    if (!one.ok) return one;
    peak = std::max(peak, one.peak_mb);
    if (!best.ok || one.wall < best.wall) best = one;
  }
  best.peak_mb = peak;
  return best;
}

}  // namespace vintrel::bench

#endif  // VINTREL_BENCH_COMMON_CHILD_PROCESS_H_
