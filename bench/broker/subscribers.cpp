#include "subscribers.h"

#include <mosquitto.h>
#include <poll.h>

#include <cstdlib>

namespace vintrel::bench {

struct Subscriber {
  int index = 0;
  mosquitto* client = nullptr;
  const std::string* topic = nullptr;
  const std::string* shape = nullptr;
  long base = 0;
  Arrivals* arrivals = nullptr;
  std::atomic<bool> subscribed{false};
};

namespace {

void OnConnect(mosquitto* client, void* self, int code) {
  if (code != 0) return;
  auto* subscriber = static_cast<Subscriber*>(self);
  mosquitto_subscribe(client, nullptr, subscriber->topic->c_str(), 1);
}

void OnSubscribe(mosquitto*, void* self, int, int, const int*) {
  static_cast<Subscriber*>(self)->subscribed = true;
}

void OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
  const Clock::time_point now = Clock::now();
  auto* subscriber = static_cast<Subscriber*>(self);
  const std::string payload(static_cast<const char*>(message->payload),
                            static_cast<size_t>(message->payloadlen));
  const std::optional<int> change = ChangeOf(payload, *subscriber->shape, subscriber->base);
  if (change) subscriber->arrivals->Record(subscriber->index, *change, now);
}

}  // namespace

std::optional<int> ChangeOf(const std::string& payload, const std::string& shape, long base) {
  if (payload.find("\"name\":\"" + shape + "\"") == std::string::npos) return std::nullopt;
  static const std::string kNew = "\"new\":\"";
  const size_t at = payload.find(kNew);
  if (at == std::string::npos) return std::nullopt;
  const long value = std::strtol(payload.c_str() + at + kNew.size(), nullptr, 10);
  return static_cast<int>(value - base);
}

SubscriberPool::SubscriberPool(int port, int count, int threads, std::string topic,
                               std::string shape, long base, int changes)
    : Receivers(count, changes),
      port_(port),
      topic_(std::move(topic)),
      shape_(std::move(shape)),
      base_(base) {
  mosquitto_lib_init();
  for (int i = 0; i < count; ++i) {
    auto subscriber = std::make_unique<Subscriber>();
    subscriber->index = i;
    subscriber->topic = &topic_;
    subscriber->shape = &shape_;
    subscriber->base = base_;
    subscriber->arrivals = &arrivals_;
    subscriber->client = mosquitto_new(nullptr, true, subscriber.get());
    mosquitto_connect_callback_set(subscriber->client, OnConnect);
    mosquitto_subscribe_callback_set(subscriber->client, OnSubscribe);
    mosquitto_message_callback_set(subscriber->client, OnMessage);
    subscribers_.push_back(std::move(subscriber));
  }
  for (int t = 0; t < threads; ++t) {
    const int first = count * t / threads, end = count * (t + 1) / threads;
    threads_.emplace_back([this, first, end] { Run(first, end); });
  }
}

SubscriberPool::~SubscriberPool() {
  Stop();
  for (auto& subscriber : subscribers_) mosquitto_destroy(subscriber->client);
  mosquitto_lib_cleanup();
}

void SubscriberPool::Run(int first, int end) {
  for (int i = first; i < end; ++i)
    mosquitto_connect(subscribers_[i]->client, "127.0.0.1", port_, 60);
  std::vector<pollfd> fds(static_cast<size_t>(end - first));
  auto misc_at = Clock::now();
  while (!stop_) {
    for (int i = first; i < end; ++i) {
      mosquitto* client = subscribers_[i]->client;
      fds[i - first] = {mosquitto_socket(client),
                        static_cast<short>(POLLIN | (mosquitto_want_write(client) ? POLLOUT : 0)),
                        0};
    }
    if (poll(fds.data(), fds.size(), 100) < 0) continue;
    for (int i = first; i < end; ++i) {
      const pollfd& fd = fds[i - first];
      if (fd.fd < 0) continue;
      if (fd.revents & (POLLIN | POLLHUP | POLLERR))
        mosquitto_loop_read(subscribers_[i]->client, 1);
      if (fd.revents & POLLOUT) mosquitto_loop_write(subscribers_[i]->client, 1);
    }
    if (Clock::now() - misc_at < std::chrono::seconds(1)) continue;
    misc_at = Clock::now();
    for (int i = first; i < end; ++i) {
      mosquitto* client = subscribers_[i]->client;
      if (mosquitto_loop_misc(client) == MOSQ_ERR_NO_CONN && !stop_ &&
          mosquitto_reconnect(client) == MOSQ_ERR_SUCCESS) {
        ++reconnects_;
      }
    }
  }
  for (int i = first; i < end; ++i) mosquitto_disconnect(subscribers_[i]->client);
}

int SubscriberPool::WaitReady(double seconds) const {
  return WaitForAll(seconds, [this](int r) { return subscribers_[r]->subscribed.load(); });
}

void SubscriberPool::Stop() {
  stop_ = true;
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
}

}  // namespace vintrel::bench
