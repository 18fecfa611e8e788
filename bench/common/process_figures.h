// What a benchmark reads of a running process from /proc: its CPU time and its memory.
#ifndef VINTREL_BENCH_COMMON_PROCESS_FIGURES_H_
#define VINTREL_BENCH_COMMON_PROCESS_FIGURES_H_

#include <sys/types.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace vintrel::bench {

// utime + stime of a process, in seconds; 0 once it is gone.
inline double CpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  if (text.empty()) return 0;
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  double ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14 || i == 15) ticks += std::stod(field);
  }
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// A line of /proc/PID/status in KiB: "VmRSS:" (resident now), "VmHWM:" (its peak).
inline long StatusKiB(pid_t pid, const std::string& key) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
  }
  return 0;
}

}  // namespace vintrel::bench

#endif  // VINTREL_BENCH_COMMON_PROCESS_FIGURES_H_
