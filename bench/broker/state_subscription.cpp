#include "state_subscription.h"

#include <mosquitto.h>
#include <poll.h>

#include <vector>

#include "arrivals.h"

namespace vintrel::bench {
namespace {

struct Taker {
  const std::string* topic = nullptr;
  long bytes = -1;  // -1: nothing received yet
  Clock::time_point at{};
};

void OnConnect(mosquitto* client, void* self, int code) {
  if (code == 0) mosquitto_subscribe(client, nullptr, static_cast<Taker*>(self)->topic->c_str(), 1);
}

void OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
  auto* taker = static_cast<Taker*>(self);
  if (taker->bytes >= 0) return;
  taker->at = Clock::now();
  taker->bytes = message->payloadlen;
}

// One client's time from connecting to the state, in ms; negative when none came within 5 s.
double TakeStateOnce(int port, Taker& taker) {
  mosquitto* client = mosquitto_new(nullptr, true, &taker);
  mosquitto_connect_callback_set(client, OnConnect);
  mosquitto_message_callback_set(client, OnMessage);
  const Clock::time_point start = Clock::now();
  if (mosquitto_connect(client, "127.0.0.1", port, 60) == MOSQ_ERR_SUCCESS) {
    // poll() rather than mosquitto_loop(), whose select() takes no descriptor past 1023.
    while (taker.bytes < 0 && Clock::now() - start < std::chrono::seconds(5)) {
      pollfd fd = {mosquitto_socket(client),
                   static_cast<short>(POLLIN | (mosquitto_want_write(client) ? POLLOUT : 0)), 0};
      if (poll(&fd, 1, 100) < 0) break;
      if (fd.revents & (POLLIN | POLLHUP | POLLERR)) mosquitto_loop_read(client, 1);
      if (fd.revents & POLLOUT) mosquitto_loop_write(client, 1);
    }
    mosquitto_disconnect(client);
  }
  mosquitto_destroy(client);
  if (taker.bytes < 0) return -1;
  return std::chrono::duration<double, std::milli>(taker.at - start).count();
}

}  // namespace

StateTiming TimeToState(int port, const std::string& topic, int times) {
  mosquitto_lib_init();
  StateTiming timing;
  std::vector<double> milliseconds;
  for (int i = 0; i < times; ++i) {
    Taker taker;
    taker.topic = &topic;
    const double ms = TakeStateOnce(port, taker);
    if (ms < 0) continue;
    milliseconds.push_back(ms);
    timing.bytes = taker.bytes;
  }
  mosquitto_lib_cleanup();
  timing.samples = static_cast<int>(milliseconds.size());
  timing.p50_ms = Percentile(milliseconds, 0.5);
  timing.worst_ms = Percentile(milliseconds, 1);
  return timing;
}

}  // namespace vintrel::bench
