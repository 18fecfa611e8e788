// The show published through an MQTT broker to many subscribers while the data changes once a
// second: starts a Mosquitto of its own on a free loopback port, runs `vintrel show --publish` on
// a copy of the bundled example (its text file watched), connects N libmosquitto subscribers to
// TOPIC/events, rewrites the text file every second and prints, per subscriber count, the changes
// every subscriber got, the latency from the write to the last subscriber's receipt, and the CPU
// and memory of vintrel and of the broker. The broker does the fan-out, so vintrel's figures
// should not move with the subscribers.
// Usage: vintrel_bench_broker [seconds=30] [subscribers...=10 1000]
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
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "process_figures.h"
#include "subscribers.h"

extern char** environ;

namespace vintrel::bench {
namespace {

namespace fs = std::filesystem;

constexpr long kBase = 10000;  // North's sales are kBase + the change's number, and ".5"
constexpr char kShape[] = "North sales";
constexpr int kThreads = 4;

int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return ntohs(address.sin_port);
}

bool Reachable(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool up = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return up;
}

// Enough descriptors for the broker (which inherits the limit) and the subscribers.
void RaiseFileLimit(int subscribers) {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  const rlim_t wanted = static_cast<rlim_t>(subscribers) * 2 + 256;
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
            const fs::path& output) {
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

// Its own broker: loopback only, anonymous, nothing kept on disk, no limit on connections. As
// root it drops to its own user, so its folder must be readable.
pid_t StartBroker(const fs::path& work, int port) {
  const fs::path config = work / "mosquitto.conf";
  std::ofstream(config) << "listener " << port << " 127.0.0.1\nallow_anonymous true\n"
                        << "persistence false\nmax_connections -1\nlog_dest none\n";
  chmod(work.c_str(), 0755);
  chmod(config.c_str(), 0644);
  const pid_t pid = Spawn({MOSQUITTO_PROGRAM, "-c", config.string()}, {}, work / "broker.out");
  for (int i = 0; i < 100 && pid > 0 && !Reachable(port); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return pid;
}

void WriteSales(const fs::path& file, long north) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << "Region\tSales\tTarget\tPicture\r\nNorth\t" << north
      << ".5\t1200\tnorth.png\r\nSouth\t980\t1100\tsouth.png\r\nEast\t1432.25\t1400\teast.png\r\n"
         "West\t760\t900\twest.png\r\n";
}

struct Figures {
  int subscribers = 0;
  int connected = 0;
  int changes = 0;
  int received_by_all = 0;
  long missed = 0;  // (subscriber, change) pairs that never arrived
  double p50_ms = 0, p99_ms = 0, worst_ms = 0;
  double vintrel_cpu = 0, broker_cpu = 0;  // % of one core over the measured time
  double subscribers_cpu = 0;              // this program's own
  long vintrel_peak_kib = 0;
  long state_bytes = 0;
  long reconnects = 0;
};

double Percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t at = static_cast<size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(at, values.size() - 1)];
}

// Latencies to the last subscriber of the changes every subscriber received.
void Summarize(const SubscriberPool& pool, const std::vector<Clock::time_point>& written,
               Figures& figures) {
  std::vector<double> latencies;
  for (int k = 1; k <= static_cast<int>(written.size()); ++k) {
    Clock::time_point last{};
    bool everyone = true;
    for (int s = 0; s < pool.size(); ++s) {
      const auto arrival = pool.Arrival(s, k);
      if (!arrival) {
        everyone = false;
        ++figures.missed;
        continue;
      }
      last = std::max(last, *arrival);
    }
    if (!everyone) continue;
    ++figures.received_by_all;
    latencies.push_back(std::chrono::duration<double, std::milli>(last - written[k - 1]).count());
  }
  figures.p50_ms = Percentile(latencies, 0.5);
  figures.p99_ms = Percentile(latencies, 0.99);
  figures.worst_ms = latencies.empty() ? 0 : *std::max_element(latencies.begin(), latencies.end());
}

// One run with `count` subscribers, the data changed once a second for `seconds`.
Figures RunOnce(int seconds, int count) {
  Figures figures;
  figures.subscribers = count;
  const fs::path work =
      fs::temp_directory_path() /
      ("vintrel-bench-broker-" + std::to_string(getpid()) + "-" + std::to_string(count));
  fs::create_directories(work);
  fs::copy(VINTREL_SOURCE_DIR "/examples", work / "examples", fs::copy_options::recursive);
  std::ofstream(work / "settings.ini") << "[Info]\nWatchFiles=1\n";
  const fs::path sales = work / "examples" / "data" / "sales.tsv";
  WriteSales(sales, kBase);
  const int port = FreePort();
  const pid_t broker = StartBroker(work, port);
  const pid_t show = Spawn(
      {VINTREL_PROGRAM, "show", (work / "examples/sales-board.pptx").string(), "--publish",
       "mqtt://127.0.0.1:" + std::to_string(port) + "/bench", "--advance", "manual", "--for",
       std::to_string(seconds + 300) + "s"},
      {"VINTREL_SETTINGS=" + (work / "settings.ini").string(), "VINTREL_HOME=" + work.string()},
      work / "show.out");
  std::this_thread::sleep_for(std::chrono::seconds(2));
  std::vector<Clock::time_point> written(static_cast<size_t>(seconds));
  {
    SubscriberPool pool(port, count, kThreads, "bench/events", "bench/state", kShape, kBase,
                        seconds);
    figures.connected = pool.WaitSubscribed(120) - 1;
    std::this_thread::sleep_for(std::chrono::seconds(2));  // let the show settle
    const auto start = Clock::now();
    const double show_cpu = CpuSeconds(show), broker_cpu = CpuSeconds(broker),
                 own_cpu = CpuSeconds(getpid());
    for (int second = 1; second <= seconds; ++second) {
      written[static_cast<size_t>(second - 1)] = Clock::now();
      WriteSales(sales, kBase + second);
      ++figures.changes;
      std::this_thread::sleep_until(start + std::chrono::seconds(second));
    }
    std::this_thread::sleep_for(std::chrono::seconds(3));  // the last change's stragglers
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    figures.vintrel_cpu = 100 * (CpuSeconds(show) - show_cpu) / wall;
    figures.broker_cpu = 100 * (CpuSeconds(broker) - broker_cpu) / wall;
    figures.subscribers_cpu = 100 * (CpuSeconds(getpid()) - own_cpu) / wall;
    figures.vintrel_peak_kib = StatusKiB(show, "VmHWM:");
    pool.Stop();
    Summarize(pool, written, figures);
    figures.state_bytes = pool.StateBytes();
    figures.reconnects = pool.Reconnects();
  }
  if (waitpid(show, nullptr, WNOHANG) != 0) {
    std::ifstream out(work / "show.out");
    std::fprintf(stderr, "vintrel show ended early:\n%s\n",
                 std::string(std::istreambuf_iterator<char>(out), {}).c_str());
  }
  Stop(show);
  Stop(broker);
  fs::remove_all(work);
  return figures;
}

void Print(const std::vector<Figures>& runs, int seconds) {
  std::printf(
      "\nvintrel show --publish on the bundled example, the TAB file rewritten once a second for "
      "%d s;\nlatency: from the write to the last subscriber's receipt of that change\n\n",
      seconds);
  std::printf("%11s %9s %7s %8s %7s %7s %8s %9s %10s %9s %14s\n", "subscribers", "connected",
              "changes", "all got", "missed", "p50 ms", "p99 ms", "worst ms", "vintrel %",
              "broker %", "subscribers %");
  for (const Figures& run : runs) {
    std::printf("%11d %9d %7d %8d %7ld %7.1f %8.1f %9.1f %10.2f %9.2f %14.2f\n", run.subscribers,
                run.connected, run.changes, run.received_by_all, run.missed, run.p50_ms, run.p99_ms,
                run.worst_ms, run.vintrel_cpu, run.broker_cpu, run.subscribers_cpu);
  }
  std::printf(
      "\n(CPU: %% of one core over the measured time; subscribers: this program, all %d "
      "client threads)\n",
      kThreads);
  for (const Figures& run : runs) {
    std::printf("%d subscribers: vintrel's peak resident memory %.1f MiB; %ld reconnections\n",
                run.subscribers, run.vintrel_peak_kib / 1024.0, run.reconnects);
  }
  if (!runs.empty()) {
    std::printf("retained state message (bench/state) of the bundled example: %ld bytes\n",
                runs.front().state_bytes);
  }
}

}  // namespace
}  // namespace vintrel::bench

int main(int argc, char** argv) {
  using namespace vintrel::bench;
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
  std::vector<int> counts;
  for (int i = 2; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {10, 1000};
  if (access(MOSQUITTO_PROGRAM, X_OK) != 0) {
    std::fprintf(stderr, "no MQTT broker at %s: apt-get install mosquitto\n", MOSQUITTO_PROGRAM);
    return 1;
  }
  RaiseFileLimit(*std::max_element(counts.begin(), counts.end()));
  std::vector<Figures> runs;
  for (int count : counts) {
    std::printf("%d subscribers, %d s...\n", count, seconds);
    std::fflush(stdout);
    runs.push_back(RunOnce(seconds, count));
  }
  Print(runs, seconds);
  return 0;
}
