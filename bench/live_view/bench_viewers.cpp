// 100 viewers reading the live view's event stream while the data changes once a second: runs
// `vintrel show --serve` on a copy of the bundled example (its text file watched), connects
// plain HTTP clients to /events, rewrites the text file every second, and prints the vintrel
// process's share of one core and its resident memory over time, with the events the viewers
// received. Usage: vintrel_bench_live_view [seconds=60] [viewers=100]
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "process_figures.h"

extern char** environ;

namespace {

using vintrel::bench::CpuSeconds;
using vintrel::bench::StatusKiB;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int Connect(int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  const char request[] = "GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
  if (write(fd, request, sizeof request - 1) < 0) {
    close(fd);
    return -1;
  }
  return fd;
}

void WriteSales(const fs::path& file, int north) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << "Region\tSales\tTarget\tPicture\r\nNorth\t" << north
      << "\t1200\tnorth.png\r\nSouth\t980\t1100\tsouth.png\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  const int viewer_count = argc > 2 ? std::atoi(argv[2]) : 100;
  const fs::path work =
      fs::temp_directory_path() / ("vintrel-bench-live-" + std::to_string(getpid()));
  fs::create_directories(work);
  fs::copy(VINTREL_SOURCE_DIR "/examples", work / "examples", fs::copy_options::recursive);
  std::ofstream(work / "settings.ini") << "[Info]\nWatchFiles=1\n";
  const fs::path sales = work / "examples" / "data" / "sales.tsv";
  WriteSales(sales, 1000);

  // The show, its standard output in a file we read the address from.
  const fs::path out = work / "show.out";
  std::string settings = "VINTREL_SETTINGS=" + (work / "settings.ini").string();
  std::string home = "VINTREL_HOME=" + work.string();
  std::vector<char*> environment;
  for (char** e = environ; *e; ++e) environment.push_back(*e);
  environment.push_back(settings.data());
  environment.push_back(home.data());
  environment.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::string deck = (work / "examples" / "sales-board.pptx").string();
  const char* arguments[] = {VINTREL_PROGRAM, "show",   deck.c_str(), "--serve", "--port", "0",
                             "--advance",     "manual", nullptr};
  pid_t pid;
  if (posix_spawn(&pid, VINTREL_PROGRAM, &actions, nullptr, const_cast<char**>(arguments),
                  environment.data()) != 0) {
    std::perror("vintrel");
    return 1;
  }
  int port = 0;
  for (int i = 0; i < 100 && port == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::ifstream in(out);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::smatch match;
    if (std::regex_search(text, match, std::regex("Live show: http://[^:]+:([0-9]+)/"))) {
      port = std::stoi(match[1]);
    }
  }
  if (port == 0) {
    std::fprintf(stderr, "vintrel show --serve printed no address\n");
    kill(pid, SIGTERM);
    return 1;
  }

  std::vector<pollfd> viewers;
  for (int i = 0; i < viewer_count; ++i) {
    int fd = Connect(port);
    if (fd >= 0) viewers.push_back({fd, POLLIN, 0});
  }
  std::vector<long> shape_events(viewers.size(), 0);
  std::vector<std::string> tails(viewers.size());
  std::printf(
      "vintrel show --serve on the bundled example, %zu viewers, the text file changed "
      "once a second for %d s\n",
      viewers.size(), seconds);
  std::printf("%8s %12s %14s\n", "time s", "CPU % core", "resident MiB");

  // Let the show settle (the first state, every viewer connected) before measuring.
  auto drain = [&](int milliseconds) {
    auto until = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (Clock::now() < until) {
      int left = static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count());
      if (poll(viewers.data(), viewers.size(), std::max(left, 1)) <= 0) continue;
      for (size_t i = 0; i < viewers.size(); ++i) {
        if (!(viewers[i].revents & POLLIN)) continue;
        char chunk[65536];
        ssize_t got = read(viewers[i].fd, chunk, sizeof chunk);
        if (got <= 0) continue;
        std::string text = tails[i] + std::string(chunk, static_cast<size_t>(got));
        for (size_t at = 0; (at = text.find("event: shape", at)) != std::string::npos; ++at) {
          ++shape_events[i];
        }
        tails[i] = text.substr(text.size() > 16 ? text.size() - 16 : 0);
      }
    }
  };
  drain(2000);
  const long first_rss = StatusKiB(pid, "VmRSS:");
  long highest_rss = first_rss;
  const auto start = Clock::now();
  const double start_cpu = CpuSeconds(pid);
  double interval_cpu = start_cpu;
  auto interval_start = start;
  for (int second = 1; second <= seconds; ++second) {
    WriteSales(sales, 1000 + second);
    drain(static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                               start + std::chrono::seconds(second) - Clock::now())
                               .count()));
    highest_rss = std::max(highest_rss, StatusKiB(pid, "VmRSS:"));
    if (second % 10 == 0 || second == seconds) {
      double cpu = CpuSeconds(pid);
      double wall = std::chrono::duration<double>(Clock::now() - interval_start).count();
      std::printf("%8d %12.2f %14.1f\n", second, 100 * (cpu - interval_cpu) / wall,
                  StatusKiB(pid, "VmRSS:") / 1024.0);
      std::fflush(stdout);
      interval_cpu = cpu;
      interval_start = Clock::now();
    }
  }
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = 100 * (CpuSeconds(pid) - start_cpu) / wall;
  const long last_rss = StatusKiB(pid, "VmRSS:");
  long fewest = shape_events.empty() ? 0 : shape_events[0], most = fewest;
  for (long count : shape_events) fewest = std::min(fewest, count), most = std::max(most, count);

  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  for (const pollfd& viewer : viewers) close(viewer.fd);
  fs::remove_all(work);

  std::printf("CPU: %.2f %% of one core over %.0f s (target: under 10 %%)\n", cpu, wall);
  std::printf(
      "resident memory: %.1f MiB after start, %.1f MiB at the end, %.1f MiB at most "
      "(target: no growth)\n",
      first_rss / 1024.0, last_rss / 1024.0, highest_rss / 1024.0);
  std::printf("changed shapes each viewer received: %ld to %ld (one change a second)\n", fewest,
              most);
  return 0;
}
