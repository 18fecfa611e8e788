#include "runs.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <thread>

#include "event_stream_readers.h"
#include "linked_deck.h"
#include "process_figures.h"
#include "processes.h"
#include "show_folder.h"
#include "subscribers.h"

namespace vintrel::bench {
namespace {

constexpr char kTopic[] = "bench";

std::string BrokerUrl(int port) {
  return "mqtt://127.0.0.1:" + std::to_string(port) + "/" + kTopic;
}

// Changes North once a second for `seconds` (change k writes kBase + k), then gives the last
// change 3 s to arrive; when each change was written. Over that time: the CPU of the show, of
// the broker (when there is one) and of this program, the show's peak memory and the machine's
// load.
std::vector<Clock::time_point> ChangeEverySecond(const ShowFolder& folder, int seconds,
                                                 pid_t broker, Figures& figures) {
  std::vector<Clock::time_point> written(static_cast<size_t>(seconds));
  const pid_t show = folder.show();
  const auto start = Clock::now();
  const double show_cpu = CpuSeconds(show), broker_cpu = broker > 0 ? CpuSeconds(broker) : 0,
               own_cpu = CpuSeconds(getpid());
  figures.load_low = figures.load_high = LoadAverage();
  for (int second = 1; second <= seconds; ++second) {
    written[static_cast<size_t>(second - 1)] = Clock::now();
    WriteSales(folder, kBase + second);
    ++figures.changes;
    const double load = LoadAverage();
    figures.load_low = std::min(figures.load_low, load);
    figures.load_high = std::max(figures.load_high, load);
    std::this_thread::sleep_until(start + std::chrono::seconds(second));
  }
  std::this_thread::sleep_for(std::chrono::seconds(3));
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  figures.vintrel_cpu = 100 * (CpuSeconds(show) - show_cpu) / wall;
  if (broker > 0) figures.broker_cpu = 100 * (CpuSeconds(broker) - broker_cpu) / wall;
  figures.receivers_cpu = 100 * (CpuSeconds(getpid()) - own_cpu) / wall;
  figures.vintrel_peak_kib = StatusKiB(show, "VmHWM:");
  return written;
}

// A run's folder, with a copy of the example, the port its show or broker listens on, and its
// figures so far.
struct Run {
  Run(const char* via, const std::string& name, int count)
      : folder(name), deck(CopyExample(folder)), port(FreePort()) {
    figures.via = via;
    figures.receivers = count;
  }
  ShowFolder folder;
  fs::path deck;
  int port;
  Figures figures;
};

// The changes as `receivers` follow them; `before_stop` runs after the changes, while they are
// still connected.
void Follow(Receivers& receivers, Run& run, int seconds, pid_t broker,
            const std::function<void()>& before_stop = {}) {
  run.figures.connected = receivers.WaitReady(120);
  std::this_thread::sleep_for(std::chrono::seconds(2));  // let the show settle
  const std::vector<Clock::time_point> written =
      ChangeEverySecond(run.folder, seconds, broker, run.figures);
  if (before_stop) before_stop();
  receivers.Stop();
  run.figures.latency = ToLastReceiver(receivers.arrivals(), written);
  run.figures.reconnects = receivers.Reconnects();
}

// Waits up to 10 s for the first retained state and 2 s more for the show to settle (the first
// slide shown and filled), then times kStateSamples fresh subscribers.
StateTiming TimeToStateOnceThere(int port) {
  const std::string topic = std::string(kTopic) + "/state";
  for (int i = 0; i < 10 && TimeToState(port, topic, 1).samples == 0; ++i) {
  }
  std::this_thread::sleep_for(std::chrono::seconds(2));
  return TimeToState(port, topic, kStateSamples);
}

StateFigures MeasureState(const std::string& name, int slides,
                          const std::function<fs::path(const ShowFolder&)>& make_deck) {
  StateFigures figures{name, slides, {}, {}};
  for (bool no_delay : {false, true}) {
    ShowFolder folder("state");
    const fs::path deck = make_deck(folder);
    const int port = FreePort();
    const pid_t broker = StartBroker(folder.path(), port, no_delay);
    if (broker < 0) return figures;
    folder.StartShow(deck, {"--publish", BrokerUrl(port)}, 120);
    (no_delay ? figures.state_no_delay : figures.state) = TimeToStateOnceThere(port);
    folder.EndShow();
    Stop(broker);
  }
  return figures;
}

}  // namespace

Figures RunPublished(int seconds, int count) {
  Run run("--publish", "publish", count);
  const pid_t broker = StartBroker(run.folder.path(), run.port);
  if (broker < 0) {
    std::fprintf(stderr, "the broker did not start: %s\n", MOSQUITTO_PROGRAM);
    return run.figures;
  }
  run.folder.StartShow(run.deck, {"--publish", BrokerUrl(run.port)}, seconds + 300);
  std::this_thread::sleep_for(std::chrono::seconds(2));
  {
    SubscriberPool pool(run.port, count, kSubscriberThreads, std::string(kTopic) + "/events",
                        kShape, kBase, seconds);
    Follow(pool, run, seconds, broker, [&] { run.figures.state = TimeToStateOnceThere(run.port); });
  }
  run.folder.EndShow();
  Stop(broker);
  return run.figures;
}

Figures RunServed(int seconds, int count) {
  Run run("--serve", "serve", count);
  run.folder.StartShow(run.deck, {"--serve", "--port", std::to_string(run.port)}, seconds + 300);
  if (!WaitListening(run.port, 30)) {
    std::fprintf(stderr, "vintrel show --serve does not listen on port %d\n", run.port);
    return run.figures;
  }
  EventStreamReaders readers(run.port, count, kShape, kBase, seconds);
  Follow(readers, run, seconds, -1);
  return run.figures;
}

StateFigures MeasureExampleState() {
  return MeasureState("bundled example", 3, CopyExample);
}

StateFigures MeasureLinkedDeckState(int slides) {
  return MeasureState("generated, linked", slides, [slides](const ShowFolder& folder) {
    Sizes sizes;
    sizes.slides = slides;
    sizes.rows = 1000;
    const fs::path deck = folder.path() / "deck.pptx";
    WriteData((folder.path() / "data.tsv").string(), sizes, 1);
    WriteDeck(deck.string(), sizes);
    LinkDeck(deck.string(), "data.tsv", sizes);
    return deck;
  });
}

}  // namespace vintrel::bench
