// When each receiver of the show (an MQTT subscriber, an event-stream reader) got each numbered
// change of the data, and what that says once the run is over: the changes every receiver got
// and the latency from the data's write to the last receiver's receipt. Receivers: what a run
// needs of a set of them, whichever way they receive.
#ifndef VINTREL_BENCH_BROKER_ARRIVALS_H_
#define VINTREL_BENCH_BROKER_ARRIVALS_H_

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace vintrel::bench {

using Clock = std::chrono::steady_clock;

class Arrivals {
 public:
  Arrivals(int receivers, int changes);
  // Receiver `r` got change `k` (1-based) at `at`; a change it had already, or one out of range,
  // is left alone. Each receiver is written by one thread at a time, and read once they stopped.
  void Record(int r, int k, Clock::time_point at);
  std::optional<Clock::time_point> At(int r, int k) const;
  int receivers() const { return receivers_; }
  int changes() const { return changes_; }

 private:
  int receivers_, changes_;
  std::vector<Clock::time_point> at_;  // time_point{}: not (yet) arrived
};

struct Latency {
  int received_by_all = 0;  // changes every receiver got
  long missed = 0;          // (receiver, change) pairs that never arrived
  double p50_ms = 0, p99_ms = 0, worst_ms = 0;
};

// The latency to the last receiver of each change every receiver got; change k was written at
// written[k - 1].
Latency ToLastReceiver(const Arrivals& arrivals, const std::vector<Clock::time_point>& written);

class Receivers {
 public:
  virtual ~Receivers() = default;
  Receivers(const Receivers&) = delete;
  Receivers& operator=(const Receivers&) = delete;

  // Waits up to `seconds` until every receiver is ready for the changes; how many are.
  virtual int WaitReady(double seconds) const = 0;
  // Stops receiving and disconnects; the arrivals stay readable.
  virtual void Stop() = 0;

  const Arrivals& arrivals() const { return arrivals_; }
  // Connections lost (refused, closed) during the run and made again.
  long Reconnects() const { return reconnects_; }

 protected:
  Receivers(int count, int changes) : arrivals_(count, changes) {}
  // Waits up to `seconds` until ready(r) holds for every receiver r, looking every 100 ms; for
  // how many it does.
  int WaitForAll(double seconds, const std::function<bool(int)>& ready) const;

  Arrivals arrivals_;
  std::atomic<bool> stop_{false};
  std::atomic<long> reconnects_{0};
};

// The value at `share` (0..1) of the sorted values, nearest rank; 0 for none.
double Percentile(std::vector<double> values, double share);

}  // namespace vintrel::bench

#endif  // VINTREL_BENCH_BROKER_ARRIVALS_H_
