// Many MQTT subscribers of one topic made with libmosquitto, spread over a few threads: each
// thread connects its own clients and drives them with one poll() over their sockets (the
// library's mosquitto_loop_read/write/misc), so 1,000 clients need neither 1,000 threads nor a
// busy loop. Each subscriber keeps when the event carrying each numbered value arrived.
#ifndef VINTREL_BENCH_BROKER_SUBSCRIBERS_H_
#define VINTREL_BENCH_BROKER_SUBSCRIBERS_H_

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "arrivals.h"

namespace vintrel::bench {

// Picks the value's number out of an event's payload: the number after `"new":"` in an event
// that names `shape`, minus `base`; nothing for other events.
std::optional<int> ChangeOf(const std::string& payload, const std::string& shape, long base);

struct Subscriber;

class SubscriberPool : public Receivers {
 public:
  // `count` clients of 127.0.0.1:`port` subscribed to `topic`, keeping arrivals of the values
  // base+1 .. base+`changes` of `shape`.
  SubscriberPool(int port, int count, int threads, std::string topic, std::string shape, long base,
                 int changes);
  ~SubscriberPool() override;

  // Ready: the subscription acknowledged.
  int WaitReady(double seconds) const override;
  void Stop() override;

 private:
  void Run(int first, int end);

  int port_;
  std::string topic_, shape_;
  long base_;
  std::vector<std::unique_ptr<Subscriber>> subscribers_;
  std::vector<std::thread> threads_;
};

}  // namespace vintrel::bench

#endif  // VINTREL_BENCH_BROKER_SUBSCRIBERS_H_
