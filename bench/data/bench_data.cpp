// Reads a generated 1,000,000-line, 10-field TAB-separated file (CR LF, and the same with LF line
// ends) into a recordset and prints, from one run, the times beside `wc -l` and Python's csv
// module reading the same file, the whole program (`vintrel connections test ... --rows 1`) on
// it, the peak memory, a first line of a million names, and one million value reads at random
// rows. Usage: vintrel_bench_data [lines]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "../common/child_process.h"
#include "connections/text_file_reader.h"
#include "host/error.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string Generate(const std::string& path, long lines, const char* line_end) {
  std::mt19937 random(42);
  std::uniform_int_distribution<int> number(0, 99999);
  const char* words[] = {"north", "south", "east", "west", "Zürich", "total", "n/a", "Q4"};
  std::ofstream out(path, std::ios::binary);
  std::string line;
  for (int c = 0; c < 10; ++c) line += (c ? "\tcol" : "col") + std::to_string(c);
  out << line << line_end;
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
    out << line << line_end;
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

// Reads `path` three times and keeps the best.
// The previous table is freed before the clock starts: giving back its memory is not reading.
Timing TimeReader(const std::string& path, std::unique_ptr<vintrel::host::ClientRecordset>& rs) {
  Timing best;
  for (int i = 0; i < 3; ++i) {
    rs.reset();
    const Timing one = Measure(1, RUSAGE_SELF, [&] {
      rs = vintrel::connections::ReadTextFile(path, true);
      return rs != nullptr;
    });
    best.wall = std::min(best.wall, one.wall);
    best.cpu = std::min(best.cpu, one.cpu);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  long lines = argc > 1 ? std::atol(argv[1]) : 1000000;
  const char* tmp = std::getenv("TMPDIR");
  const std::string folder = std::string(tmp && *tmp ? tmp : "/tmp");
  const std::string path = Generate(folder + "/vintrel-bench-data.tsv", lines, "\r\n");
  const std::string lf_path = Generate(folder + "/vintrel-bench-data-lf.tsv", lines, "\n");
  double megabytes = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
  long rss_before = PeakRssKb();

  Timing wc = TimeCommand("wc -l '" + path + "'", 5);
  Timing python = TimeCommand(
      "python3 -c \"import csv,sys\nn=0\nwith open(sys.argv[1], newline='') as f:\n"
      " for row in csv.reader(f, delimiter='\\t'): n+=1\nprint(n)\" '" +
          path + "'",
      1);

  // The whole program on a presentation whose one connection is the file.
  const std::string program =
      std::string("VINTREL_SETTINGS=/nonexistent '") + VINTREL_PROGRAM + "'";
  auto whole_program = [&](const std::string& data, const std::string& deck) {
    std::filesystem::copy_file(VINTREL_BENCH_DECK, deck,
                               std::filesystem::copy_options::overwrite_existing);
    vintrel::bench::ChildUsage added = vintrel::bench::RunChild(
        program + " connections add '" + deck + "' --text '" + data + "' --first-row-names");
    if (!added.ok) return added;
    vintrel::bench::ChildUsage best =
        vintrel::bench::BestChild(program + " connections test '" + deck + "' 01 --rows 1", 3);
    std::filesystem::remove(deck);
    return best;
  };
  vintrel::bench::ChildUsage whole = whole_program(path, folder + "/vintrel-bench-data.pptx");
  vintrel::bench::ChildUsage whole_lf =
      whole_program(lf_path, folder + "/vintrel-bench-data-lf.pptx");

  try {
    std::unique_ptr<vintrel::host::ClientRecordset> rs;
    Timing read_lf = TimeReader(lf_path, rs);
    long lf_records = rs->RecordCount();
    Timing read = TimeReader(path, rs);
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
    rs.reset();

    // A first line of a million different names, as a file read on one line would give.
    const std::string wide_path = folder + "/vintrel-bench-data-wide.tsv";
    {
      std::ofstream wide(wide_path, std::ios::binary);
      for (int i = 0; i < 1000000; ++i) wide << (i ? "\tname" : "name") << i;
      wide << "\r\n1\t2\r\n";
    }
    Timing header = TimeReader(wide_path, rs);
    long header_columns = rs->Fields().Count();
    rs.reset();
    std::filesystem::remove(wide_path);

    std::ifstream load_file("/proc/loadavg");
    std::string load;
    std::getline(load_file, load);
    std::printf("file: %s, %ld data lines, %.1f MB (load average: %s)\n", path.c_str(), lines,
                megabytes, load.c_str());
    std::printf("%-38s %8s %8s\n", "", "wall", "cpu");
    std::printf("%-38s %8.3f %8.3f s\n", "wc -l (best of 5)", wc.wall, wc.cpu);
    std::printf("%-38s %8.3f %8.3f s\n", "python3 csv module", python.wall, python.cpu);
    std::printf("%-38s %8.3f %8.3f s\n", "read into recordset, CR LF (best of 3)", read.wall,
                read.cpu);
    std::printf("%-38s %8.3f %8.3f s (%ld data lines)\n", "read into recordset, LF (best of 3)",
                read_lf.wall, read_lf.cpu, lf_records);
    std::printf(
        "  vs wc -l: %.1fx wall, %.1fx cpu (target <= 3x); LF / CR LF: %.2fx wall, %.2fx cpu\n",
        read.wall / wc.wall, read.cpu / wc.cpu, read_lf.wall / read.wall, read_lf.cpu / read.cpu);
    if (whole.ok && whole_lf.ok) {
      std::printf("%-38s %8.3f %8.3f s (peak %.1f MB)\n", "vintrel connections test, CR LF",
                  whole.wall, whole.cpu, whole.peak_mb);
      std::printf("%-38s %8.3f %8.3f s (peak %.1f MB)\n", "vintrel connections test, LF",
                  whole_lf.wall, whole_lf.cpu, whole_lf.peak_mb);
      std::printf("  python csv / whole program: %.1fx wall, %.1fx cpu (target >= 5x)\n",
                  python.wall / whole.wall, python.cpu / whole.cpu);
      std::printf("  whole program peak: %.2fx file size (target < 2x)\n",
                  whole.peak_mb / megabytes);
    } else {
      std::printf("vintrel connections test: failed to run %s\n", VINTREL_PROGRAM);
    }
    std::printf("%-38s %8.1f MB       (%.2fx file size, target < 2x; %.1f MB before reading)\n",
                "peak resident memory of the reader", peak / 1024.0, peak / 1024.0 / megabytes,
                rss_before / 1024.0);
    std::printf("%-38s %8.3f %8.3f s (%ld columns; target well under 1 s)\n",
                "first line of 1,000,000 names", header.wall, header.cpu, header_columns);
    std::printf("%-38s %8.3f %8.3f s (target < 0.5 s; %zu bytes read)\n",
                "1,000,000 random value reads", reads.wall, reads.cpu, bytes);
  } catch (const vintrel::Error& error) {
    std::fprintf(stderr, "failed: %s\n", error.description().c_str());
    return 1;
  }
  std::filesystem::remove(path);
  std::filesystem::remove(lf_path);
  return 0;
}
