// What a screen that joins a published show waits for: a fresh MQTT client connects,
// subscribes to the show's retained state and receives it.
#ifndef VINTREL_BENCH_BROKER_STATE_SUBSCRIPTION_H_
#define VINTREL_BENCH_BROKER_STATE_SUBSCRIPTION_H_

#include <string>

namespace vintrel::bench {

struct StateTiming {
  int samples = 0;  // clients that got the state within 5 s
  long bytes = 0;   // the size of the state the last one got
  double p50_ms = 0, worst_ms = 0;
};

// `times` clients of 127.0.0.1:`port`, one after the other, each timed from its connection
// to its receipt of the retained message of `topic`.
StateTiming TimeToState(int port, const std::string& topic, int times);

}  // namespace vintrel::bench

#endif  // VINTREL_BENCH_BROKER_STATE_SUBSCRIPTION_H_
