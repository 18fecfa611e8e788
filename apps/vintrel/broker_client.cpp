#include "broker_client.h"

#include <mosquitto.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "command.h"
#include "shell/settings.h"
#include "url_authority.h"

namespace vintrel::app {
namespace {

constexpr char kSettingBrokerUser[] = "BrokerUser";
constexpr char kSettingBrokerPassword[] = "BrokerPassword";
// For mqtts:// brokers whose certificate the system does not trust.
constexpr char kSettingBrokerCaFile[] = "BrokerCaFile";
constexpr char kSystemCertificates[] = "/etc/ssl/certs";
constexpr int kKeepAliveSeconds = 10;
// Waits between reconnection attempts grow from one second to this.
constexpr int kLongestReconnectWait = 8;
constexpr auto kAnswerWait = std::chrono::seconds(10);
constexpr int kQos = 1;

std::string LibraryError(int code) {
  if (code == MOSQ_ERR_ERRNO) return std::strerror(errno);
  return mosquitto_strerror(code);
}

}  // namespace

std::string BrokerAddress::Text() const {
  const bool ipv6 = host.find(':') != std::string::npos;
  return std::string(tls ? "mqtts://" : "mqtt://") + (ipv6 ? "[" + host + "]" : host) + ":" +
         std::to_string(port);
}

std::optional<BrokerAddress> ParseBrokerAddress(const std::string& url) {
  const auto split = SplitUrl(url, "mqtt", "mqtts");
  if (!split || split->rest.empty()) return std::nullopt;
  BrokerAddress address;
  address.tls = split->secure;
  address.topic = split->rest.substr(1);
  if (address.topic.empty() || address.topic.find_first_of("+#") != std::string::npos ||
      address.topic.back() == '/') {
    return std::nullopt;
  }
  const auto host = ParseAuthority(split->authority, address.tls ? 8883 : 1883);
  if (!host) return std::nullopt;
  address.host = host->host;
  address.port = host->port;
  return address;
}

BrokerLogin ReadBrokerLogin(const Context& ctx) {
  return {shell::ReadSetting(ctx, kSettingBrokerUser),
          shell::ReadSetting(ctx, kSettingBrokerPassword),
          shell::ReadSetting(ctx, kSettingBrokerCaFile)};
}

BrokerClient::BrokerClient(BrokerAddress address, Handlers handlers)
    : address_(std::move(address)), handlers_(std::move(handlers)) {}

BrokerClient::~BrokerClient() {
  Stop();
}

void BrokerClient::Connect(const BrokerLogin& login) {
  static const int initialised = mosquitto_lib_init();
  (void)initialised;
  client_ = mosquitto_new(nullptr, true, this);
  if (client_ == nullptr)
    throw BadInput("cannot start an MQTT client: " + LibraryError(MOSQ_ERR_ERRNO));
  if (!login.user.empty()) {
    mosquitto_username_pw_set(client_, login.user.c_str(),
                              login.password.empty() ? nullptr : login.password.c_str());
  }
  if (address_.tls) {
    const std::string& ca_file = login.ca_file;
    const int code = mosquitto_tls_set(client_, ca_file.empty() ? nullptr : ca_file.c_str(),
                                       ca_file.empty() ? kSystemCertificates : nullptr, nullptr,
                                       nullptr, nullptr);
    if (code != MOSQ_ERR_SUCCESS) {
      throw BadInput("cannot set up TLS for " + address_.Text() + ": " + LibraryError(code));
    }
  }
  mosquitto_connect_callback_set(client_, &BrokerClient::OnConnect);
  mosquitto_disconnect_callback_set(client_, &BrokerClient::OnDisconnect);
  mosquitto_publish_callback_set(client_, &BrokerClient::OnPublish);
  mosquitto_message_callback_set(client_, &BrokerClient::OnMessage);
  mosquitto_reconnect_delay_set(client_, 1, kLongestReconnectWait, true);
  int code = mosquitto_connect(client_, address_.host.c_str(), address_.port, kKeepAliveSeconds);
  if (code != MOSQ_ERR_SUCCESS) {
    throw BadInput("cannot reach the broker at " + address_.Text() + ": " + LibraryError(code));
  }
  // The first answer is awaited on this thread, so a failed TLS handshake or a refusal is an
  // error at start rather than something the library's thread retries for ever.
  const auto until = std::chrono::steady_clock::now() + kAnswerWait;
  while (!connack_ && std::chrono::steady_clock::now() < until) {
    code = mosquitto_loop(client_, 200, 1);
    // A refusal also ends the connection: the broker's answer says more.
    if (code != MOSQ_ERR_SUCCESS && !connack_) {
      throw BadInput("cannot connect to the broker at " + address_.Text() + ": " +
                     LibraryError(code));
    }
  }
  if (!connack_) throw BadInput("the broker at " + address_.Text() + " does not answer");
  if (*connack_ != 0) {
    throw BadInput("the broker at " + address_.Text() +
                   " refused the connection: " + mosquitto_connack_string(*connack_));
  }
  connected_ = true;
  if (handlers_.connected) handlers_.connected(false);
}

void BrokerClient::RunInBackground() {
  const int code = mosquitto_loop_start(client_);
  if (code != MOSQ_ERR_SUCCESS) {
    throw BadInput("cannot start the MQTT client: " + LibraryError(code));
  }
}

void BrokerClient::Deliver(const std::string& topic, const std::string& payload, bool retain) {
  int mid = 0;
  int code = mosquitto_publish(client_, &mid, topic.c_str(), static_cast<int>(payload.size()),
                               payload.data(), kQos, retain);
  const auto until = std::chrono::steady_clock::now() + kAnswerWait;
  while (code == MOSQ_ERR_SUCCESS && acknowledged_ != mid &&
         std::chrono::steady_clock::now() < until) {
    code = mosquitto_loop(client_, 200, 1);
  }
  if (code != MOSQ_ERR_SUCCESS) {
    throw BadInput("cannot publish to the broker at " + address_.Text() + ": " +
                   LibraryError(code));
  }
  if (acknowledged_ != mid) {
    throw BadInput("the broker at " + address_.Text() + " did not take " + topic);
  }
}

bool BrokerClient::Publish(const std::string& topic, const std::string& payload, bool retain) {
  if (!connected_ || client_ == nullptr) return false;
  return mosquitto_publish(client_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                           payload.data(), kQos, retain) == MOSQ_ERR_SUCCESS;
}

bool BrokerClient::Subscribe(const std::string& pattern) {
  if (client_ == nullptr) return false;
  return mosquitto_subscribe(client_, nullptr, pattern.c_str(), kQos) == MOSQ_ERR_SUCCESS;
}

void BrokerClient::Stop() {
  if (client_ == nullptr) return;
  stopping_ = true;
  mosquitto_disconnect(client_);
  mosquitto_loop_stop(client_, false);
  mosquitto_destroy(client_);
  client_ = nullptr;
  connected_ = false;
}

void BrokerClient::OnConnect(mosquitto*, void* self, int code) {
  auto* client = static_cast<BrokerClient*>(self);
  if (!client->connack_) {
    // The first answer, on Connect's thread: it decides whether the command goes on at all.
    client->connack_ = code;
    return;
  }
  if (code != 0 || client->stopping_) return;
  client->connected_ = true;
  if (client->handlers_.connected) client->handlers_.connected(true);
}

void BrokerClient::OnDisconnect(mosquitto*, void* self, int code) {
  auto* client = static_cast<BrokerClient*>(self);
  client->connected_ = false;
  if (client->stopping_ || code == 0 || !client->connack_) return;
  if (!client->handlers_.lost) return;
  client->handlers_.lost(code == MOSQ_ERR_CONN_LOST ? "the connection was lost"
                                                    : LibraryError(code));
}

void BrokerClient::OnPublish(mosquitto*, void* self, int mid) {
  static_cast<BrokerClient*>(self)->acknowledged_ = mid;
}

void BrokerClient::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
  auto* client = static_cast<BrokerClient*>(self);
  if (!client->handlers_.message) return;
  std::string payload;
  if (message->payloadlen > 0) {
    payload.assign(static_cast<const char*>(message->payload),
                   static_cast<size_t>(message->payloadlen));
  }
  client->handlers_.message(message->topic, std::move(payload));
}

}  // namespace vintrel::app
