// What a running show costs, through the same host and add-in the program uses.
//
//   vintrel_bench_show [--ticks N] [--changes N]
//
// Builds a one-slide deck with 100 text boxes linked to a TAB-separated file, then
// 1. runs the show and times N data ticks over unchanged data (each requeries the file and
//    compares all 100 shapes), counting the texts they wrote: there must be none;
// 2. rewrites the file N times while the show runs on the real clock and prints how long each new
//    value took to reach the screen (the event the screen receives), with WatchFiles=1 and
//    without it (then the data interval, one second, bounds it).
// Nothing is asserted about time; the figures are printed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/error.h"
#include "host/ooxml/package_application.h"
#include "host/posix/inotify_watcher.h"
#include "host_session.h"
#include "linked_deck.h"
#include "runtime/runtime_timer.h"
#include "shell/application_object.h"

namespace {

using namespace vintrel;
using Steady = std::chrono::steady_clock;

// Counts the texts the show writes, and when the first box shows each generation of the data.
class Screen : public host::ShowDisplay {
 public:
  void TextChanged(const host::ShapeRef& shape, const std::string&,
                   const std::string& new_text) override {
    ++writes;
    if (shape.slide == 1 && shape.shape == 1) seen.emplace_back(new_text, Steady::now());
  }
  long writes = 0;
  std::vector<std::pair<std::string, Steady::time_point>> seen;
};

struct Show {
  Show(const std::string& folder, const std::string& deck, bool watch_files) {
    const std::string settings = folder + "/settings.ini";
    std::ofstream(settings, std::ios::trunc)
        << "[Info]\nWatchFiles=" << (watch_files ? 1 : 0) << "\n";
    app::SessionOptions options;
    options.settings_path = settings;
    options.addin_folder = folder;
    session = std::make_unique<app::HostSession>(options);
    host = dynamic_cast<ooxml::PackageApplication*>(&session->host());
    presentation = &host->Presentations().Open(deck);
    watcher = std::make_unique<host::posix::InotifyWatcher>(session->loop());
    session->SetShowServices(watcher.get(), nullptr);
    host->SetShowDisplay(&screen);
    ooxml::ShowOptions manual;
    manual.advance = ooxml::ShowOptions::Advance::kManual;
    host->presentations().RunSlideShow(*presentation, manual, &session->loop());
  }
  ~Show() {
    if (auto* show = dynamic_cast<ooxml::PackageSlideShow*>(presentation->SlideShowWindow())) {
      show->End();
    }
    host->SetShowDisplay(nullptr);
    session->SetShowServices(nullptr, nullptr);
  }
  FrmRuntimeTimer* Form() {
    clsRuntime* runtime = session->addin()->runtime();
    return runtime != nullptr ? runtime->timer_form() : nullptr;
  }

  std::unique_ptr<app::HostSession> session;
  ooxml::PackageApplication* host = nullptr;
  host::Presentation* presentation = nullptr;
  std::unique_ptr<host::posix::InotifyWatcher> watcher;
  Screen screen;
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

int TickCost(const std::string& folder, const std::string& deck, int ticks) {
  Show show(folder, deck, false);
  FrmRuntimeTimer* form = show.Form();
  if (form == nullptr) {
    std::cerr << "vintrel_bench_show: the show did not start its timers\n";
    return 1;
  }
  for (int i = 0; i < 20; ++i) form->tmrData_Timer();  // warm up
  const long writes_before = show.screen.writes;
  const auto start = Steady::now();
  for (int i = 0; i < ticks; ++i) form->tmrData_Timer();
  const double us = std::chrono::duration<double, std::micro>(Steady::now() - start).count();
  std::printf("%-48s %9.1f us/tick  (%d ticks, goal < 100 us)\n",
              "data tick, 100 linked texts, unchanged data", us / ticks, ticks);
  std::printf("%-48s %9ld (goal 0)\n", "texts written by those ticks",
              show.screen.writes - writes_before);
  return 0;
}

void Latency(const std::string& folder, const std::string& deck, const std::string& data,
             const bench::Sizes& sizes, int changes, bool watch_files) {
  Show show(folder, deck, watch_files);
  std::vector<Steady::time_point> written(changes);
  // Without watching, changes come slower than the data interval, so none is overwritten unseen.
  const int pause = watch_files ? 400 : 1300;
  std::thread writer([&] {
    for (int i = 0; i < changes; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(pause + 137 * (i % 5)));
      written[i] = Steady::now();
      bench::WriteData(data, sizes, i + 100);
    }
  });
  // The loop runs on this thread while the writer works; a second more lets the last one arrive.
  show.session->loop().RunFor(std::chrono::milliseconds(changes * (pause + 300) + 1500));
  writer.join();
  std::vector<double> latencies;
  int missed = 0;
  for (int i = 0; i < changes; ++i) {
    const std::string wanted = "g" + std::to_string(i + 100) + " r1 c0";
    auto found = std::find_if(show.screen.seen.begin(), show.screen.seen.end(),
                              [&](const auto& seen) { return seen.first == wanted; });
    if (found == show.screen.seen.end()) {
      ++missed;
      continue;
    }
    latencies.push_back(
        std::chrono::duration<double, std::milli>(found->second - written[i]).count());
  }
  const double worst =
      latencies.empty() ? 0 : *std::max_element(latencies.begin(), latencies.end());
  std::printf("%-48s %9.1f ms median, %.1f ms worst, %d of %d not seen%s\n",
              watch_files ? "file written -> new value, WatchFiles=1"
                          : "file written -> new value, data interval 1 s",
              Median(latencies), worst, missed, changes,
              watch_files ? "  (goal: median < 250 ms)" : "  (bound: about 1000 ms)");
}

}  // namespace

int main(int argc, char** argv) {
  int ticks = 5000;
  int changes = 20;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if ((argument == "--ticks" || argument == "--changes") && i + 1 < argc &&
        std::atoi(argv[i + 1]) > 0) {
      (argument == "--ticks" ? ticks : changes) = std::atoi(argv[++i]);
    } else {
      std::cerr << "usage: vintrel_bench_show [--ticks N] [--changes N]\n";
      return 2;
    }
  }
  try {
    const std::string folder = bench::MakeBenchFolder("vintrel-bench-show");
    if (folder.empty()) {
      std::perror("vintrel_bench_show: mkdtemp");
      return 1;
    }
    bench::Sizes sizes;
    sizes.slides = 1;
    sizes.boxes = 100;
    sizes.rows = 200;
    const std::string deck = folder + "/deck.pptx";
    const std::string data = folder + "/data.tsv";
    bench::WriteData(data, sizes, 1);
    bench::WriteDeck(deck, sizes);
    bench::LinkDeck(deck, "data.tsv", sizes);
    int status = TickCost(folder, deck, ticks);
    Latency(folder, deck, data, sizes, changes, true);
    Latency(folder, deck, data, sizes, changes, false);
    std::filesystem::remove_all(folder);
    return status;
  } catch (const Error& failure) {
    std::cerr << "vintrel_bench_show: " << failure.description() << "\n";
  } catch (const std::exception& failure) {
    std::cerr << "vintrel_bench_show: " << failure.what() << "\n";
  }
  return 1;
}
