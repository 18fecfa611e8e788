// Reads a generated 1,000,000-line, 10-field TAB-separated file into a recordset and prints the
// time beside `wc -l` and Python's csv module reading the same file, the peak memory, and the
// time of one million value reads at random rows. Usage: vintrel_bench_data [lines]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "connections/text_file_reader.h"
#include "host/error.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string Generate(const std::string& path, long lines) {
  std::mt19937 random(42);
  std::uniform_int_distribution<int> number(0, 99999);
  const char* words[] = {"north", "south", "east", "west", "Zürich", "total", "n/a", "Q4"};
  std::ofstream out(path, std::ios::binary);
  std::string line;
  for (int c = 0; c < 10; ++c) line += (c ? "\tcol" : "col") + std::to_string(c);
  out << line << "\r\n";
  for (long i = 0; i < lines; ++i) {
    line.clear();
    for (int c = 0; c < 10; ++c) {
      if (c) line += '\t';
      if (c % 3 == 2) {
        line += words[number(random) % 8];
      } else {
        line += std::to_string(number(random));
      }
    }
    out << line << "\r\n";
  }
  return path;
}

// Wall and processor time of one measured piece of work, in seconds. The processor time barely
// moves when other programs share the machine, so it is the fairer figure on a busy one.
struct Timing {
  double wall = 1e9;
  double cpu = 1e9;
};

double CpuSeconds(int who) {
  struct rusage usage;
  getrusage(who, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Best of `runs` runs of `work`, each timed by wall clock and by the processor time of `who`
// (RUSAGE_SELF, or RUSAGE_CHILDREN for commands).
template <typename Work>
Timing Measure(int runs, int who, Work work) {
  Timing best;
  for (int i = 0; i < runs; ++i) {
    double cpu = CpuSeconds(who);
    auto start = Clock::now();
    if (!work()) return {-1, -1};
    best.wall = std::min(best.wall, Seconds(start));
    best.cpu = std::min(best.cpu, CpuSeconds(who) - cpu);
  }
  return best;
}

Timing TimeCommand(const std::string& command, int runs) {
  return Measure(runs, RUSAGE_CHILDREN,
                 [&] { return std::system((command + " > /dev/null").c_str()) == 0; });
}

long PeakRssKb() {
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  long lines = argc > 1 ? std::atol(argv[1]) : 1000000;
  const char* tmp = std::getenv("TMPDIR");
  std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/vintrel-bench-data.tsv";
  Generate(path, lines);
  double megabytes = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
  long rss_before = PeakRssKb();

  Timing wc = TimeCommand("wc -l '" + path + "'", 5);
  Timing python = TimeCommand(
      "python3 -c \"import csv,sys\nn=0\nwith open(sys.argv[1], newline='') as f:\n"
      " for row in csv.reader(f, delimiter='\\t'): n+=1\nprint(n)\" '" +
          path + "'",
      1);

  try {
    std::unique_ptr<vintrel::host::ClientRecordset> rs;
    Timing read = Measure(3, RUSAGE_SELF, [&] {
      rs.reset();
      rs = vintrel::connections::ReadTextFile(path, true);
      return rs != nullptr;
    });
    long peak = PeakRssKb();

    std::mt19937 random(7);
    std::uniform_int_distribution<long> row(1, rs->RecordCount());
    const char* columns[] = {"col0", "col4", "col8", "COL9"};
    size_t bytes = 0;
    Timing reads = Measure(1, RUSAGE_SELF, [&] {
      for (int i = 0; i < 1000000; ++i) {
        rs->SetAbsolutePosition(row(random));
        vintrel::host::FieldValue value = rs->Fields().Item(columns[i & 3]).Value();
        bytes += value ? value->size() : 0;
      }
      return true;
    });

    std::ifstream load_file("/proc/loadavg");
    std::string load;
    std::getline(load_file, load);
    std::printf("file: %s, %ld data lines, %.1f MB (load average: %s)\n", path.c_str(),
                rs->RecordCount(), megabytes, load.c_str());
    std::printf("%-34s %8s %8s\n", "", "wall", "cpu");
    std::printf("%-34s %8.3f %8.3f s\n", "wc -l (best of 5)", wc.wall, wc.cpu);
    std::printf("%-34s %8.3f %8.3f s\n", "python3 csv module", python.wall, python.cpu);
    std::printf("%-34s %8.3f %8.3f s\n", "read into recordset (best of 3)", read.wall, read.cpu);
    std::printf("  vs wc -l: %.1fx wall, %.1fx cpu (target <= 3x)\n", read.wall / wc.wall,
                read.cpu / wc.cpu);
    std::printf("  python csv / this: %.1fx wall, %.1fx cpu (target >= 5x)\n",
                python.wall / read.wall, python.cpu / read.cpu);
    std::printf("%-34s %8.1f MB       (%.2fx file size, target < 2x; %.1f MB before reading)\n",
                "peak resident memory", peak / 1024.0, peak / 1024.0 / megabytes,
                rss_before / 1024.0);
    std::printf("%-34s %8.3f %8.3f s (target < 0.5 s; %zu bytes read)\n",
                "1,000,000 random value reads", reads.wall, reads.cpu, bytes);
  } catch (const vintrel::Error& error) {
    std::fprintf(stderr, "failed: %s\n", error.description().c_str());
    return 1;
  }
  std::filesystem::remove(path);
  return 0;
}
