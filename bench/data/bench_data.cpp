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

// Best wall time of `runs` runs of a shell command, in seconds; negative when it failed.
double TimeCommand(const std::string& command, int runs) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    if (std::system((command + " > /dev/null").c_str()) != 0) return -1;
    best = std::min(best, Seconds(start));
  }
  return best;
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

  double wc = TimeCommand("wc -l '" + path + "'", 5);
  double python = TimeCommand(
      "python3 -c \"import csv,sys\nn=0\nwith open(sys.argv[1], newline='') as f:\n"
      " for row in csv.reader(f, delimiter='\\t'): n+=1\nprint(n)\" '" +
          path + "'",
      1);

  try {
    double best = 1e9;
    std::unique_ptr<vintrel::host::ClientRecordset> rs;
    for (int i = 0; i < 3; ++i) {
      rs.reset();
      auto start = Clock::now();
      rs = vintrel::connections::ReadTextFile(path, true);
      best = std::min(best, Seconds(start));
    }
    long peak = PeakRssKb();

    std::mt19937 random(7);
    std::uniform_int_distribution<long> row(1, rs->RecordCount());
    const char* columns[] = {"col0", "col4", "col8", "COL9"};
    size_t bytes = 0;
    auto start = Clock::now();
    for (int i = 0; i < 1000000; ++i) {
      rs->SetAbsolutePosition(row(random));
      vintrel::host::FieldValue value = rs->Fields().Item(columns[i & 3]).Value();
      bytes += value ? value->size() : 0;
    }
    double reads = Seconds(start);

    std::ifstream load_file("/proc/loadavg");
    std::string load;
    std::getline(load_file, load);
    std::printf("file: %s, %ld data lines, %.1f MB (load average: %s)\n", path.c_str(),
                rs->RecordCount(), megabytes, load.c_str());
    std::printf("%-34s %8.3f s\n", "wc -l", wc);
    std::printf("%-34s %8.3f s\n", "python3 csv module", python);
    std::printf(
        "%-34s %8.3f s   (%.1fx wc -l, target <= 3x; python / this = %.1fx, target >= 5x)\n",
        "read into recordset (best of 3)", best, best / wc, python / best);
    std::printf("%-34s %8.1f MB  (%.2fx file size, target < 2x; %.1f MB before reading)\n",
                "peak resident memory", peak / 1024.0, peak / 1024.0 / megabytes,
                rss_before / 1024.0);
    std::printf("%-34s %8.3f s   (target < 0.5 s; %zu bytes read)\n",
                "1,000,000 random value reads", reads, bytes);
  } catch (const vintrel::Error& error) {
    std::fprintf(stderr, "failed: %s\n", error.description().c_str());
    return 1;
  }
  std::filesystem::remove(path);
  return 0;
}
