// Open + save of a large deck with the package host, against unzip + zip of the same package.
//
//   vintrel_bench_ooxml [--slides N] [--boxes K] [--runs R]   generate a deck, time everything
//   vintrel_bench_ooxml copy IN.pptx OUT.pptx                  open and save unchanged
//   vintrel_bench_ooxml fill IN.pptx DATA.tsv OUT.pptx         set every "Box k" text box
//   vintrel_bench_ooxml generate OUT.pptx N K                  only write the deck
//
// The last two follow the peer benchmark's calling convention. Each timed run is a child
// process, so its wall time and peak resident size are its own.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "host/error.h"
#include "host/ooxml/package_presentation.h"
#include "linked_deck.h"

namespace {

using Clock = std::chrono::steady_clock;
using vintrel::ooxml::PackagePresentation;

double Ms(Clock::time_point from) {
  return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

int Copy(const std::string& in, const std::string& out) {
  auto start = Clock::now();
  auto deck = PackagePresentation::Open(in);
  double open = Ms(start);
  deck->SaveCopyAs(out);
  std::cerr << "ours copy: open=" << open << " save=" << Ms(start) - open << " ms\n";
  return 0;
}

std::vector<std::vector<std::string>> ReadTsv(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::vector<std::string>> rows;
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> cells;
    std::stringstream fields(line);
    std::string cell;
    while (std::getline(fields, cell, '\t')) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

// Slide s (from 0), shape "Box k": data row (s*K + k) mod R, column k mod C.
int Fill(const std::string& in, const std::string& data, const std::string& out) {
  auto start = Clock::now();
  auto rows = ReadTsv(data);
  if (rows.empty()) throw std::runtime_error("no data rows in " + data);
  auto deck = PackagePresentation::Open(in);
  double open = Ms(start);
  for (int s = 0; s < deck->Slides().Count(); ++s) {
    vintrel::host::Shapes& shapes = deck->Slides().Item(s + 1).Shapes();
    int boxes = 0;
    for (int i = 1; i <= shapes.Count(); ++i) boxes += shapes.Item(i).Name().rfind("Box ", 0) == 0;
    for (int i = 1; i <= shapes.Count(); ++i) {
      vintrel::host::Shape& shape = shapes.Item(i);
      if (shape.Name().rfind("Box ", 0) != 0) continue;
      int k = std::stoi(shape.Name().substr(4));
      const auto& row = rows[(static_cast<size_t>(s) * boxes + k) % rows.size()];
      shape.TextFrame().TextRange().SetText(row[k % row.size()]);
    }
  }
  double filled = Ms(start);
  deck->SaveCopyAs(out);
  std::cerr << "ours fill: open=" << open << " fill=" << filled - open
            << " save=" << Ms(start) - filled << " ms\n";
  return 0;
}

// The deck the peer benchmark uses: N slides of K text boxes, one master, layout and theme.
void WriteDeck(const std::string& path, int slides, int boxes) {
  vintrel::bench::Sizes sizes;
  sizes.slides = slides;
  sizes.boxes = boxes;
  vintrel::bench::WriteDeck(path, sizes, [](int slide, int box) {
    return "Slide " + std::to_string(slide + 1) + " box " + std::to_string(box) + " placeholder";
  });
}

struct Run {
  double seconds;
  double peak_mib;
};

// Runs `argv` as a child process and measures it.
Run Measure(const std::vector<std::string>& args) {
  auto start = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 2);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("command failed: " + args[0] + " " + (args.size() > 1 ? args[1] : ""));
  }
  return {Ms(start) / 1000.0, usage.ru_maxrss / 1024.0};
}

Run Median(std::vector<Run> runs) {
  std::sort(runs.begin(), runs.end(),
            [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
  return runs[runs.size() / 2];
}

int Drive(int slides, int boxes, int repeats, const std::string& self) {
  char pattern[] = "/tmp/vintrel-bench-XXXXXX";
  std::string dir = mkdtemp(pattern);
  std::string deck = dir + "/deck.pptx", data = dir + "/data.tsv";
  // The deck is built in a child: a child's peak size counts what it inherited at fork, so this
  // process stays small.
  Measure({self, "generate", deck, std::to_string(slides), std::to_string(boxes)});
  {
    std::ofstream tsv(data);
    tsv << "col0\tcol1\n";
    for (int r = 0; r < 10000; ++r) tsv << "r" << r << "c0\tr" << r << "c1\n";
  }
  std::vector<Run> copy, fill, floor;
  for (int i = 0; i < repeats; ++i) {
    copy.push_back(Measure({self, "copy", deck, dir + "/copy.pptx"}));
    fill.push_back(Measure({self, "fill", deck, data, dir + "/fill.pptx"}));
    std::string unzipped = dir + "/unzipped";
    floor.push_back(Measure({"/bin/sh", "-c",
                             "rm -rf '" + unzipped + "' '" + dir + "/floor.pptx' && unzip -q '" +
                                 deck + "' -d '" + unzipped + "' && cd '" + unzipped +
                                 "' && zip -q -r -X '" + dir + "/floor.pptx' ."}));
  }
  Run c = Median(copy), f = Median(fill), z = Median(floor);
  std::printf("deck: %d slides x %d text boxes (median of %d runs, whole process)\n", slides, boxes,
              repeats);
  std::printf("%-28s %8s %10s\n", "job", "seconds", "peak MiB");
  std::printf("%-28s %8.3f %10.1f\n", "vintrel open+save (copy)", c.seconds, c.peak_mib);
  std::printf("%-28s %8.3f %10.1f\n", "vintrel open+fill+save", f.seconds, f.peak_mib);
  std::printf("%-28s %8.3f %10.1f\n", "unzip + zip", z.seconds, z.peak_mib);
  std::printf("copy / (unzip + zip) = %.2f (target: at most 1.5)\n", c.seconds / z.seconds);
  std::system(("rm -rf '" + dir + "'").c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "copy") return Copy(args[1], args[2]);
    if (args.size() == 4 && args[0] == "fill") return Fill(args[1], args[2], args[3]);
    if (args.size() == 4 && args[0] == "generate") {
      WriteDeck(args[1], std::stoi(args[2]), std::stoi(args[3]));
      return 0;
    }
    int slides = 1000, boxes = 10, runs = 3;
    for (size_t i = 0; i + 1 < args.size(); i += 2) {
      if (args[i] == "--slides")
        slides = std::stoi(args[i + 1]);
      else if (args[i] == "--boxes")
        boxes = std::stoi(args[i + 1]);
      else if (args[i] == "--runs")
        runs = std::stoi(args[i + 1]);
      else
        throw std::runtime_error("unknown option " + args[i]);
    }
    char self[4096];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) throw std::runtime_error("cannot find this program");
    self[length] = '\0';
    return Drive(slides, boxes, std::max(runs, 1), self);
  } catch (const vintrel::Error& error) {
    std::cerr << "vintrel_bench_ooxml: " << error.description() << "\n";
  } catch (const std::exception& error) {
    std::cerr << "vintrel_bench_ooxml: " << error.what() << "\n";
  }
  return 1;
}
