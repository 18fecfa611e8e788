// The runs of the broker benchmark. Each starts what it measures afresh in a folder of its own:
// the show on a copy of the bundled example (its TAB file watched), published through a Mosquitto
// of its own or served by the show itself, its receivers, and then changes North's sales once a
// second, measuring until the last change's stragglers are in.
#ifndef VINTREL_BENCH_BROKER_RUNS_H_
#define VINTREL_BENCH_BROKER_RUNS_H_

#include <string>

#include "arrivals.h"
#include "state_subscription.h"

namespace vintrel::bench {

struct Figures {
  std::string via;    // "broker": `--publish`; "--serve": the show's own event stream
  int receivers = 0;  // subscribers or event-stream readers
  int connected = 0;  // subscribed, or had the state, before the first change
  int changes = 0;
  Latency latency;                          // from each change's write to the last receiver
  double vintrel_cpu = 0, broker_cpu = -1;  // % of one core over the measured time; -1: none
  double receivers_cpu = 0;                 // this program's, all its client threads
  long vintrel_peak_kib = 0;
  long reconnects = 0;
  double load_low = 0, load_high = 0;  // the machine's load average, seen once a second
  StateTiming state;  // fresh subscribers taking the state after the changes, receivers still on
};

// `count` MQTT subscribers of `vintrel show --publish` (on kSubscriberThreads threads).
constexpr int kSubscriberThreads = 4;
Figures RunPublished(int seconds, int count);
// `count` readers of `vintrel show --serve`'s event stream.
Figures RunServed(int seconds, int count);

struct StateFigures {
  std::string deck;
  int slides = 0;
  StateTiming state;           // Mosquitto as it comes
  StateTiming state_no_delay;  // with set_tcp_nodelay
};

// How many fresh subscribers each state measure times.
constexpr int kStateSamples = 20;
// The retained state of the bundled example's show, with no other subscriber, through Mosquitto
// as it comes and with set_tcp_nodelay.
StateFigures MeasureExampleState();
// The same for a generated deck of `slides` slides of ten text boxes, each linked to a cell of a
// TAB file.
StateFigures MeasureLinkedDeckState(int slides);

}  // namespace vintrel::bench

#endif  // VINTREL_BENCH_BROKER_RUNS_H_
