// Many MQTT subscribers of one topic made with libmosquitto, spread over a few threads: each
// thread connects its own clients and drives them with one poll() over their sockets (the
// library's mosquitto_loop_read/write/misc), so 1,000 clients need neither 1,000 threads nor a
// busy loop. Each subscriber keeps when the event carrying each numbered value arrived.
#ifndef VINTREL_BENCH_BROKER_SUBSCRIBERS_H_
#define VINTREL_BENCH_BROKER_SUBSCRIBERS_H_

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vintrel::bench {

using Clock = std::chrono::steady_clock;

// Picks the value's number out of an event's payload: the number after `"new":"` in an event
// that names `shape`, minus `base`; nothing for other events.
std::optional<int> ChangeOf(const std::string& payload, const std::string& shape, long base);

struct Subscriber;

class SubscriberPool {
 public:
  // `count` clients of 127.0.0.1:`port` subscribed to `topic`, keeping arrivals of the values
  // base+1 .. base+`changes` of `shape`; one more client takes the retained `state_topic`.
  SubscriberPool(int port, int count, int threads, std::string topic, std::string state_topic,
                 std::string shape, long base, int changes);
  ~SubscriberPool();
  SubscriberPool(const SubscriberPool&) = delete;
  SubscriberPool& operator=(const SubscriberPool&) = delete;

  // Waits up to `seconds` until every client's subscription is acknowledged; how many are.
  int WaitSubscribed(double seconds) const;
  // Stops the threads and disconnects; the arrivals stay readable.
  void Stop();

  // When subscriber `s` got change `k` (1-based), or nothing.
  std::optional<Clock::time_point> Arrival(int s, int k) const;
  int size() const { return static_cast<int>(subscribers_.size()) - 1; }
  // Bytes of the first retained state message, and connections lost during the run.
  long StateBytes() const;
  long Reconnects() const { return reconnects_; }

 private:
  void Run(int first, int end);

  int port_;
  std::string topic_, state_topic_, shape_;
  long base_;
  std::vector<std::unique_ptr<Subscriber>> subscribers_;  // the last takes the state
  std::vector<std::thread> threads_;
  std::atomic<bool> stop_{false};
  std::atomic<long> reconnects_{0};
};

}  // namespace vintrel::bench

#endif  // VINTREL_BENCH_BROKER_SUBSCRIBERS_H_
