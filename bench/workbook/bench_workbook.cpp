// Writes a 100,000-row, 10-column workbook (numbers, shared strings, dates, percentages) and
// times reading the range A1:J100000 into cells with their displayed texts, beside openpyxl in
// read-only mode reading the same range's values in a Python subprocess; then the same for a
// workbook openpyxl wrote itself (inline strings, 16-digit floats). The reader's own peak memory
// is measured in a child process that does nothing else.
// Usage: vintrel_bench_workbook [rows]     (vintrel_bench_workbook --read FILE SHEET RANGE is
// that child)
#include <sys/resource.h>
#include <zip.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "../common/child_process.h"
#include "host/common/xlsx_writer.h"
#include "host/error.h"
#include "host/workbook/cell_reference.h"
#include "host/workbook/workbook_reader.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace wb = vintrel::host::workbook;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

void AddPart(zip_t* archive, const std::string& name, const std::string& content) {
  // libzip keeps the buffer until zip_close, so the caller's strings must outlive it.
  zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
  zip_int64_t index = source ? zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE) : -1;
  if (index < 0) {
    std::fprintf(stderr, "cannot add %s\n", name.c_str());
    std::exit(1);
  }
  // Fast compression: the file is written for each run, and the reader's work is the same.
  zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
}

void Generate(const std::string& path, int rows) {
  const std::string words[] = {"north", "south", "east", "west", "Zürich", "total", "n/a", "Q4"};
  vintrel::xlsx::Book book;
  book.shared_strings.emplace();
  for (const std::string& word : words) *book.shared_strings += "<si><t>" + word + "</t></si>";
  book.styles =
      "<numFmts><numFmt numFmtId=\"164\" formatCode=\"dd/mm/yyyy hh:mm\"/>"
      "</numFmts><fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font>"
      "</fonts><fills count=\"1\"><fill><patternFill patternType=\"none\"/>"
      "</fill></fills><borders count=\"1\"><border/></borders>"
      "<cellStyleXfs count=\"1\"><xf/></cellStyleXfs><cellXfs><xf numFmtId=\"0\"/><xf "
      "numFmtId=\"4\"/>"
      "<xf numFmtId=\"164\"/><xf numFmtId=\"10\"/></cellXfs>"
      "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" "
      "builtinId=\"0\"/></cellStyles>";
  std::mt19937 random(42);
  std::uniform_int_distribution<int> number(0, 99999);
  std::string sheet;
  sheet.reserve(static_cast<size_t>(rows) * 420);
  for (int r = 1; r <= rows; ++r) {
    std::string row = std::to_string(r);
    sheet += "<row r=\"" + row + "\">";
    for (int c = 1; c <= 10; ++c) {
      std::string ref = vintrel::ColumnLetters(c) + row;
      int n = number(random);
      switch (c % 5) {
        case 0:  // shared string
          sheet += "<c r=\"" + ref + "\" t=\"s\"><v>" + std::to_string(n % 8) + "</v></c>";
          break;
        case 1:  // integer
          sheet += "<c r=\"" + ref + "\"><v>" + std::to_string(n) + "</v></c>";
          break;
        case 2:  // amount with two decimals
          sheet += "<c r=\"" + ref + "\" s=\"1\"><v>" + std::to_string(n / 7.0) + "</v></c>";
          break;
        case 3:  // date and time
          sheet +=
              "<c r=\"" + ref + "\" s=\"2\"><v>" + std::to_string(40000 + n / 13.0) + "</v></c>";
          break;
        case 4:  // percentage
          sheet += "<c r=\"" + ref + "\" s=\"3\"><v>" + std::to_string(n / 100000.0) + "</v></c>";
          break;
      }
    }
    sheet += "</row>";
  }
  book.sheets.push_back(
      {"Data", vintrel::xlsx::WorksheetXml(sheet, "A1:J" + std::to_string(rows))});
  sheet.clear();
  const vintrel::xlsx::Parts parts = vintrel::xlsx::BookParts(book);
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) {
    std::fprintf(stderr, "cannot create %s\n", path.c_str());
    std::exit(1);
  }
  for (const auto& [name, content] : parts) AddPart(archive, name, content);
  if (zip_close(archive) != 0) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

// The first Python that has openpyxl; empty text when none has.
std::string FindPython() {
  const char* chosen = std::getenv("VINTREL_PYTHON");
  std::vector<std::string> candidates;
  if (chosen && *chosen) candidates.push_back(chosen);
  candidates.push_back("python3");
  candidates.push_back("/usr/bin/python3");
  for (const std::string& python : candidates) {
    std::string probe = python + " -c 'import openpyxl' > /dev/null 2>&1";
    if (std::system(probe.c_str()) == 0) return python;
  }
  return "";
}

double CpuSeconds() {
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct ReaderRun {
  double best = 1e9;
  double best_cpu = 1e9;  // processor time: barely moved by other programs on a busy machine
  size_t cells = 0;
  std::string sample;
};

// Reads the range `runs` times and keeps the best time.
ReaderRun ReadRange(const std::string& path, const std::string& sheet, const std::string& range,
                    int runs) {
  ReaderRun result;
  wb::WorkbookReaderApplication app;
  for (int run = 0; run < runs; ++run) {
    auto start = Clock::now();
    double cpu = CpuSeconds();
    auto book = app.Open(path, {});
    std::vector<vintrel::host::Cell> read = book->Sheets(sheet).Range(range);
    book->Close();
    result.best = std::min(result.best, Seconds(start));
    result.best_cpu = std::min(result.best_cpu, CpuSeconds() - cpu);
    result.cells = read.size();
    result.sample = read.size() > 13 ? read[12].text + " | " + read[13].text : "";
  }
  return result;
}

// openpyxl in read-only mode reading the range's values, interpreter start included.
vintrel::bench::ChildUsage OpenpyxlRun(const std::string& python,
                                       const std::filesystem::path& folder, const std::string& path,
                                       const std::string& sheet, int rows) {
  const std::string script = (folder / "read_openpyxl.py").string();
  std::ofstream(script) << "import sys, openpyxl\n"
                           "book = openpyxl.load_workbook(sys.argv[1], read_only=True)\n"
                           "values = [row for row in book[sys.argv[2]].iter_rows(min_row=1, "
                           "max_row="
                        << rows
                        << ", min_col=1, max_col=10, values_only=True)]\n"
                           "book.close()\n"
                           "print(len(values) * 10)\n";
  vintrel::bench::ChildUsage used =
      vintrel::bench::RunChild(python + " '" + script + "' '" + path + "' '" + sheet + "'");
  return used;
}

// A workbook as openpyxl writes it: inline strings, floats with all their digits, dates.
bool WriteWithOpenpyxl(const std::string& python, const std::filesystem::path& folder,
                       const std::string& path, int rows) {
  const std::string script = (folder / "write_openpyxl.py").string();
  std::ofstream(script)
      << "import sys, random, datetime, openpyxl\n"
         "random.seed(42)\n"
         "book = openpyxl.Workbook(write_only=True)\n"
         "sheet = book.create_sheet('Data')\n"
         "words = ['north', 'south', 'east', 'west', 'Z\u00fcrich', 'total', 'n/a', 'Q4']\n"
         "sheet.append(['col%d' % c for c in range(10)])\n"
         "start = datetime.datetime(2020, 1, 1)\n"
         "for r in range(int(sys.argv[2]) - 1):\n"
         "    sheet.append([random.random() * 1e6, random.randint(0, 99999), "
         "random.choice(words), random.random(), start + datetime.timedelta(minutes=r), "
         "random.random() * 1e6, random.choice(words), random.randint(-500, 500), "
         "random.random() * 100, random.choice(words)])\n"
         "book.save(sys.argv[1])\n";
  return vintrel::bench::RunChild(python + " '" + script + "' '" + path + "' " +
                                  std::to_string(rows))
      .ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--read") {
    try {
      ReadRange(argv[2], argv[3], argv[4], 1);
    } catch (const vintrel::Error& error) {
      std::fprintf(stderr, "reading failed: %s\n", error.description().c_str());
      return 1;
    }
    return 0;
  }
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  const char* tmp = std::getenv("TMPDIR");
  std::filesystem::path folder =
      std::filesystem::path(tmp && *tmp ? tmp : "/tmp") / "vintrel-bench-workbook";
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "bench.xlsx").string();
  const std::string written_by_openpyxl = (folder / "openpyxl.xlsx").string();
  const std::string range = "A1:J" + std::to_string(rows);
  const std::string self = std::filesystem::canonical("/proc/self/exe").string();
  const std::string python = FindPython();

  auto start = Clock::now();
  Generate(path, rows);
  std::printf("workbook: %s, %d rows x 10 columns, %.1f MB, written in %.2f s\n", path.c_str(),
              rows, std::filesystem::file_size(path) / 1e6, Seconds(start));
  std::vector<std::string> files{path};
  if (!python.empty()) {
    start = Clock::now();
    if (WriteWithOpenpyxl(python, folder, written_by_openpyxl, rows)) {
      std::printf("workbook: %s, written by openpyxl, %.1f MB, in %.2f s\n",
                  written_by_openpyxl.c_str(),
                  std::filesystem::file_size(written_by_openpyxl) / 1e6, Seconds(start));
      files.push_back(written_by_openpyxl);
    } else {
      std::printf("openpyxl: could not write a workbook\n");
    }
  }

  for (const std::string& file : files) {
    ReaderRun ours;
    try {
      ours = ReadRange(file, "Data", range, 3);
    } catch (const vintrel::Error& error) {
      std::fprintf(stderr, "reading failed: %s\n", error.description().c_str());
      return 1;
    }
    vintrel::bench::ChildUsage alone =
        vintrel::bench::RunChild("'" + self + "' --read '" + file + "' Data " + range);
    std::printf(
        "%s\n  vintrel reader: %zu cells with texts in %.3f s, %.3f s processor time (best of "
        "3), reader's own peak %.0f MiB [%s]\n",
        std::filesystem::path(file).filename().c_str(), ours.cells, ours.best, ours.best_cpu,
        alone.ok ? alone.peak_mb : -1.0, ours.sample.c_str());
    if (python.empty()) {
      std::printf("  openpyxl: skipped (no python3 with openpyxl; set VINTREL_PYTHON)\n");
      continue;
    }
    vintrel::bench::ChildUsage theirs = OpenpyxlRun(python, folder, file, "Data", rows);
    if (!theirs.ok) {
      std::printf("  openpyxl: failed to read the file\n");
      continue;
    }
    std::printf(
        "  openpyxl read-only (values only, with interpreter start): %.3f s, %.3f s processor "
        "time, peak %.0f MiB\n",
        theirs.wall, theirs.cpu, theirs.peak_mb);
    std::printf("  ratio: %.1fx faster by the clock, %.1fx by processor time (target >= 10x)\n",
                theirs.wall / ours.best, theirs.cpu / ours.best_cpu);
  }
  return 0;
}
