// A connection to an MQTT broker (libmosquitto) as the program's commands use it: an address
// mqtt://HOST[:PORT]/TOPIC or mqtts://..., the login from the settings, the broker's first answer
// awaited at start (so a broker that cannot be used is bad input rather than something retried
// for ever), then the library's own thread keeping the connection, reconnecting with backoff.
#ifndef VINTREL_APPS_VINTREL_BROKER_CLIENT_H_
#define VINTREL_APPS_VINTREL_BROKER_CLIENT_H_

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "shell/settings.h"

struct mosquitto;
struct mosquitto_message;

namespace vintrel::app {

struct BrokerAddress {
  bool tls = false;
  std::string host;
  int port = 1883;
  std::string topic;
  // "mqtt://HOST:PORT" without the topic, for messages.
  std::string Text() const;
};

// nullopt unless `url` is mqtt://HOST[:PORT]/TOPIC or mqtts://... with a topic free of wildcards.
std::optional<BrokerAddress> ParseBrokerAddress(const std::string& url);

// The user's login at the broker and the certificate authority of a TLS broker.
struct BrokerLogin {
  std::string user;
  std::string password;
  std::string ca_file;
};

// The settings BrokerUser, BrokerPassword and BrokerCaFile: never the command line, where every
// user of the machine could read them.
BrokerLogin ReadBrokerLogin(const Context& ctx);

class BrokerClient {
 public:
  // Called on the library's thread (the first `connected` on Connect's).
  struct Handlers {
    // The broker accepted the connection; `again` after it had been lost.
    std::function<void(bool again)> connected;
    // The connection went away (not called for Stop).
    std::function<void(const std::string& why)> lost;
    std::function<void(const std::string& topic, std::string payload)> message;
  };

  BrokerClient(BrokerAddress address, Handlers handlers);
  ~BrokerClient();
  BrokerClient(const BrokerClient&) = delete;
  BrokerClient& operator=(const BrokerClient&) = delete;

  // Connects and waits for the broker's answer. Raises BadInput when the broker cannot be
  // reached or refuses the connection (wrong user or password).
  void Connect(const BrokerLogin& login);
  // Hands the connection to the library's thread, which reconnects with backoff.
  void RunInBackground();
  // Before RunInBackground: publishes and waits until the broker has taken the message. Raises
  // BadInput when it does not.
  void Deliver(const std::string& topic, const std::string& payload, bool retain);
  // QoS 1; false when not connected just now.
  bool Publish(const std::string& topic, const std::string& payload, bool retain);
  bool Subscribe(const std::string& pattern);
  // Disconnects; safe to call twice.
  void Stop();

  bool connected() const { return connected_; }
  const BrokerAddress& address() const { return address_; }

 private:
  static void OnConnect(mosquitto*, void* self, int code);
  static void OnDisconnect(mosquitto*, void* self, int code);
  static void OnPublish(mosquitto*, void* self, int mid);
  static void OnMessage(mosquitto*, void* self, const mosquitto_message* message);

  BrokerAddress address_;
  Handlers handlers_;
  mosquitto* client_ = nullptr;
  std::atomic<bool> connected_{false};
  std::atomic<bool> stopping_{false};
  // The broker's first answer; set before the library's thread starts.
  std::optional<int> connack_;
  // The last message the broker acknowledged, for Deliver.
  std::optional<int> acknowledged_;
};

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_BROKER_CLIENT_H_
