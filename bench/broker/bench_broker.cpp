// The show published through an MQTT broker to many subscribers, beside the show serving its own
// event stream, while the data changes once a second. Per run: the changes every receiver got,
// the latency from the data's write to the last receiver's receipt, and the CPU and memory of
// vintrel (and of the broker). The broker does the fan-out, so vintrel's figures should not move
// with the subscribers. Then the retained state: its size for the bundled example and for a
// 100-slide linked deck, and the time a fresh subscriber takes from connecting to having it.
// Usage: vintrel_bench_broker [--readers N=128] [SECONDS=300 [SUBSCRIBERS...=10 1000]]
//   (--readers 0: no event-stream run)
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "processes.h"
#include "runs.h"

namespace vintrel::bench {
namespace {

constexpr int kDeckSlides = 100;

void PrintRuns(const std::vector<Figures>& runs, int seconds) {
  std::printf(
      "\nvintrel show on the bundled example, the TAB file rewritten once a second for %d s;\n"
      "latency: from the write to the last receiver's receipt of that value\n\n",
      seconds);
  std::printf("%-9s %9s %9s %7s %7s %6s %7s %7s %8s %10s %12s %9s %11s %10s\n", "via", "receivers",
              "connected", "changes", "all got", "missed", "p50 ms", "p99 ms", "worst ms",
              "vintrel %", "vintrel MiB", "broker %", "receivers %", "reconnects");
  for (const Figures& run : runs) {
    char broker[16] = "-";
    if (run.broker_cpu >= 0) std::snprintf(broker, sizeof broker, "%.2f", run.broker_cpu);
    std::printf("%-9s %9d %9d %7d %7d %6ld %7.1f %7.1f %8.1f %10.2f %12.1f %9s %11.2f %10ld\n",
                run.via.c_str(), run.receivers, run.connected, run.changes,
                run.latency.received_by_all, run.latency.missed, run.latency.p50_ms,
                run.latency.p99_ms, run.latency.worst_ms, run.vintrel_cpu,
                run.vintrel_peak_kib / 1024.0, broker, run.receivers_cpu, run.reconnects);
  }
  std::printf(
      "\n(CPU: %% of one core over the measured time; vintrel MiB: its peak resident memory;\n"
      "receivers: this program, all its client threads: %d for the subscribers, one per reader)\n",
      kSubscriberThreads);
  for (const Figures& run : runs) {
    std::printf("%s, %d receivers: load average %.2f to %.2f\n", run.via.c_str(), run.receivers,
                run.load_low, run.load_high);
  }
}

void PrintState(const std::vector<StateFigures>& decks, const std::vector<Figures>& runs) {
  std::printf(
      "\nretained state (bench/state): a fresh subscriber's time from connecting to having it,\n"
      "%d subscribers one after the other; Mosquitto as it comes, and with set_tcp_nodelay\n\n",
      kStateSamples);
  std::printf("%-38s %6s %12s %16s %22s\n", "deck", "slides", "state bytes", "p50 / worst ms",
              "no delay: p50 / worst");
  auto row = [](const std::string& deck, int slides, const StateTiming& state,
                const StateTiming* no_delay) {
    char right[32] = "-";
    if (no_delay) {
      std::snprintf(right, sizeof right, "%.1f / %.1f", no_delay->p50_ms, no_delay->worst_ms);
    }
    std::printf("%-38s %6d %12ld %7.1f / %6.1f %22s%s\n", deck.c_str(), slides, state.bytes,
                state.p50_ms, state.worst_ms, right,
                state.samples < kStateSamples ? "  (some had no state within 5 s)" : "");
  };
  for (const StateFigures& deck : decks) {
    row(deck.deck + ", alone", deck.slides, deck.state, &deck.state_no_delay);
  }
  for (const Figures& run : runs) {
    if (run.via != "--publish") continue;
    row("bundled example, " + std::to_string(run.receivers) + " subscribers on", 3, run.state,
        nullptr);
  }
}

}  // namespace
}  // namespace vintrel::bench

int main(int argc, char** argv) {
  using namespace vintrel::bench;
  int readers = 128, seconds = 300;
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--readers" && i + 1 < argc) {
      readers = std::atoi(argv[++i]);
    } else {
      counts.push_back(std::atoi(argv[i]));
    }
  }
  if (!counts.empty()) {
    seconds = counts.front();
    counts.erase(counts.begin());
  }
  if (counts.empty()) counts = {10, 1000};
  if (seconds <= 0 || readers < 0 || *std::min_element(counts.begin(), counts.end()) <= 0) {
    std::fprintf(stderr, "usage: vintrel_bench_broker [--readers N] [SECONDS [SUBSCRIBERS...]]\n");
    return 2;
  }
  if (access(MOSQUITTO_PROGRAM, X_OK) != 0) {
    std::fprintf(stderr, "no MQTT broker at %s: apt-get install mosquitto\n", MOSQUITTO_PROGRAM);
    return 1;
  }
  RaiseFileLimit(std::max(*std::max_element(counts.begin(), counts.end()), readers));
  std::vector<Figures> runs;
  for (int count : counts) {
    std::printf("%d subscribers, %d s...\n", count, seconds);
    std::fflush(stdout);
    runs.push_back(RunPublished(seconds, count));
  }
  if (readers > 0) {
    std::printf("%d event-stream readers, %d s...\n", readers, seconds);
    std::fflush(stdout);
    runs.push_back(RunServed(seconds, readers));
  }
  std::printf("the retained state...\n");
  std::fflush(stdout);
  const std::vector<StateFigures> decks = {MeasureExampleState(),
                                           MeasureLinkedDeckState(kDeckSlides)};
  PrintRuns(runs, seconds);
  PrintState(decks, runs);
  return 0;
}
