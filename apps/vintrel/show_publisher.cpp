#include "show_publisher.h"

#include <mosquitto.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <nlohmann/json.hpp>

#include "command.h"
#include "host/ooxml/package_presentation.h"
#include "shell/settings.h"

namespace vintrel::app {
namespace {

// The broker's user and password come from the settings file only, never from the command line
// (where every user of the machine could read them); a CA file for mqtts:// brokers whose
// certificate the system does not trust.
constexpr char kSettingBrokerUser[] = "BrokerUser";
constexpr char kSettingBrokerPassword[] = "BrokerPassword";
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
  BrokerAddress address;
  std::string rest;
  if (url.rfind("mqtt://", 0) == 0) {
    rest = url.substr(7);
  } else if (url.rfind("mqtts://", 0) == 0) {
    address.tls = true;
    address.port = 8883;
    rest = url.substr(8);
  } else {
    return std::nullopt;
  }
  const size_t slash = rest.find('/');
  if (slash == std::string::npos) return std::nullopt;
  std::string authority = rest.substr(0, slash);
  address.topic = rest.substr(slash + 1);
  if (address.topic.empty() || address.topic.find_first_of("+#") != std::string::npos ||
      address.topic.back() == '/') {
    return std::nullopt;
  }
  std::string port;
  if (!authority.empty() && authority[0] == '[') {
    const size_t close = authority.find(']');
    if (close == std::string::npos) return std::nullopt;
    address.host = authority.substr(1, close - 1);
    if (close + 1 < authority.size()) {
      if (authority[close + 1] != ':') return std::nullopt;
      port = authority.substr(close + 2);
    }
  } else {
    const size_t colon = authority.find(':');
    address.host = authority.substr(0, colon);
    if (colon != std::string::npos) port = authority.substr(colon + 1);
  }
  if (address.host.empty() || address.host.find('@') != std::string::npos) return std::nullopt;
  if (!port.empty()) {
    if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) {
      return std::nullopt;
    }
    address.port = std::stoi(port);
    if (address.port < 1 || address.port > 65535) return std::nullopt;
  }
  return address;
}

ShowPublisher::ShowPublisher(host::Presentation& presentation, host::EventLoop& loop,
                             BrokerAddress address, std::ostream& out, bool json)
    : loop_(loop),
      address_(std::move(address)),
      model_(static_cast<ooxml::PackagePresentation&>(presentation), ShowServerOptions{}),
      writer_(lines_, loop.clock(), true),
      notices_(out, loop.clock(), json) {
  // Called on the loop thread under the model's lock: only take note.
  model_.SetFollower([this](const std::string& type, const std::string& json_text) {
    if (type == "shape") shape_json_ = json_text;
  });
}

ShowPublisher::~ShowPublisher() {
  Stop();
  *alive_ = false;
}

void ShowPublisher::Connect(const Login& login) {
  static const int initialised = mosquitto_lib_init();
  (void)initialised;
  client_ = mosquitto_new(nullptr, true, this);
  if (client_ == nullptr)
    throw BadInput("cannot start an MQTT client: " + LibraryError(MOSQ_ERR_ERRNO));
  const std::string& user = login.user;
  const std::string& password = login.password;
  if (!user.empty()) {
    mosquitto_username_pw_set(client_, user.c_str(), password.empty() ? nullptr : password.c_str());
  }
  if (address_.tls) {
    const std::string& ca_file = login.ca_file;
    int code = mosquitto_tls_set(client_, ca_file.empty() ? nullptr : ca_file.c_str(),
                                 ca_file.empty() ? kSystemCertificates : nullptr, nullptr, nullptr,
                                 nullptr);
    if (code != MOSQ_ERR_SUCCESS) {
      throw BadInput("cannot set up TLS for " + address_.Text() + ": " + LibraryError(code));
    }
  }
  mosquitto_connect_callback_set(client_, &ShowPublisher::OnConnect);
  mosquitto_disconnect_callback_set(client_, &ShowPublisher::OnDisconnect);
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
  code = mosquitto_loop_start(client_);
  if (code != MOSQ_ERR_SUCCESS) {
    throw BadInput("cannot start the MQTT client: " + LibraryError(code));
  }
}

void ShowPublisher::Stop() {
  if (client_ == nullptr) return;
  stopping_ = true;
  mosquitto_disconnect(client_);
  mosquitto_loop_stop(client_, false);
  mosquitto_destroy(client_);
  client_ = nullptr;
  connected_ = false;
}

void ShowPublisher::OnConnect(mosquitto*, void* self, int code) {
  auto* publisher = static_cast<ShowPublisher*>(self);
  if (!publisher->connack_) {
    // The first answer, on Connect's thread: it decides whether the show starts at all.
    publisher->connack_ = code;
    return;
  }
  if (code != 0 || publisher->stopping_) return;
  publisher->connected_ = true;
  auto alive = publisher->alive_;
  publisher->loop_.Post([publisher, alive] {
    if (*alive) publisher->BrokerBack();
  });
}

void ShowPublisher::OnDisconnect(mosquitto*, void* self, int code) {
  auto* publisher = static_cast<ShowPublisher*>(self);
  publisher->connected_ = false;
  if (publisher->stopping_ || code == 0 || !publisher->connack_) return;
  const std::string why =
      code == MOSQ_ERR_CONN_LOST ? "the connection was lost" : LibraryError(code);
  auto alive = publisher->alive_;
  publisher->loop_.Post([publisher, alive, why] {
    if (*alive) publisher->BrokerLost(why);
  });
}

void ShowPublisher::BrokerLost(const std::string& why) {
  if (lost_) return;
  lost_ = true;
  std::cerr << "vintrel: lost the broker at " << address_.Text() << " (" << why
            << "); the show goes on and reconnects" << std::endl;
  notices_.BrokerChange(false, address_.Text(), why);
}

void ShowPublisher::BrokerBack() {
  // A broker that restarted may have lost its retained messages: publish everything again.
  sent_assets_.clear();
  PublishState();
  if (!lost_) return;
  lost_ = false;
  std::cerr << "vintrel: the broker at " << address_.Text()
            << " answers again; the whole show is published again" << std::endl;
  notices_.BrokerChange(true, address_.Text(), "");
  writer_.BrokerChange(true, address_.Text(), "");
  Emit();
}

void ShowPublisher::Send(const std::string& subtopic, const std::string& payload, bool retain) {
  if (!connected_ || client_ == nullptr) return;  // the whole state goes out on reconnecting
  const std::string topic = address_.topic + "/" + subtopic;
  mosquitto_publish(client_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                    payload.data(), kQos, retain);
}

void ShowPublisher::PublishAssets(const std::string& svg) {
  static constexpr std::string_view kPrefix = "/asset/";
  for (size_t at = svg.find(kPrefix); at != std::string::npos; at = svg.find(kPrefix, at + 1)) {
    const size_t begin = at + kPrefix.size();
    const size_t end = svg.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz.", begin);
    const std::string name = svg.substr(begin, end - begin);
    if (sent_assets_.count(name)) continue;
    auto asset = model_.FindAsset(name);
    if (!asset) continue;
    sent_assets_.insert(name);
    Send("asset/" + name, *asset->second, true);
  }
}

void ShowPublisher::PublishState() {
  nlohmann::json state = nlohmann::json::parse(model_.StateJson());
  state["sequence"] = sequence_;
  const std::string text = state.dump();
  PublishAssets(text);
  Send("state", text, true);
}

void ShowPublisher::Emit() {
  std::string line = lines_.str();
  lines_.str("");
  ++sequence_;
  nlohmann::json event = nlohmann::json::parse(line, nullptr, false);
  if (event.is_discarded()) event = nlohmann::json::object();
  event["sequence"] = sequence_;
  if (!shape_json_.empty()) {
    nlohmann::json shape = nlohmann::json::parse(shape_json_, nullptr, false);
    if (!shape.is_discarded()) {
      event["id"] = shape["id"];
      event["svg"] = shape["svg"];
      PublishAssets(shape["svg"].get<std::string>());
    }
  }
  // Every event moves the state's sequence on, so the retained state always names the last one.
  PublishState();
  shape_json_.clear();
  Send("events", event.dump(), false);
}

void ShowPublisher::ShowBegan(int slide_count) {
  model_.ShowBegan(slide_count);
  writer_.ShowBegan(slide_count);
  Emit();
}
void ShowPublisher::ShowEnded() {
  model_.ShowEnded();
  writer_.ShowEnded();
  Emit();
}
void ShowPublisher::SlideShown(int slide) {
  model_.SlideShown(slide);
  writer_.SlideShown(slide);
  Emit();
}
void ShowPublisher::SlideHiddenChanged(int slide, bool hidden) {
  model_.SlideHiddenChanged(slide, hidden);
  writer_.SlideHiddenChanged(slide, hidden);
  Emit();
}
void ShowPublisher::TextChanged(const host::ShapeRef& shape, const std::string& old_text,
                                const std::string& new_text) {
  model_.TextChanged(shape, old_text, new_text);
  writer_.TextChanged(shape, old_text, new_text);
  Emit();
}
void ShowPublisher::VisibilityChanged(const host::ShapeRef& shape, bool visible) {
  model_.VisibilityChanged(shape, visible);
  writer_.VisibilityChanged(shape, visible);
  Emit();
}
void ShowPublisher::PictureChanged(const host::ShapeRef& shape, const std::string& file) {
  model_.PictureChanged(shape, file);
  writer_.PictureChanged(shape, file);
  Emit();
}
void ShowPublisher::ChartChanged(const host::ShapeRef& shape) {
  model_.ChartChanged(shape);
  writer_.ChartChanged(shape);
  Emit();
}
void ShowPublisher::ConnectionFailed(const std::string& connection, const std::string& description,
                                     const std::string& message) {
  model_.ConnectionFailed(connection, description, message);
  writer_.ConnectionFailed(connection, description, message);
  Emit();
}
void ShowPublisher::ConnectionRestored(const std::string& connection,
                                       const std::string& description) {
  model_.ConnectionRestored(connection, description);
  writer_.ConnectionRestored(connection, description);
  Emit();
}
void ShowPublisher::ValuesStale(const std::string& connection, double age_seconds) {
  model_.ValuesStale(connection, age_seconds);
  writer_.ValuesStale(connection, age_seconds);
  Emit();
}

std::unique_ptr<ShowPublisher> StartShowPublisher(const std::string& url, const Context& ctx,
                                                  host::Presentation& presentation,
                                                  host::EventLoop& loop, std::ostream& out,
                                                  LiveShowOptions& show) {
  if (url.empty()) return nullptr;
  std::optional<BrokerAddress> address = ParseBrokerAddress(url);
  if (!address) {
    throw BadInput("--publish takes mqtt://HOST[:PORT]/TOPIC or mqtts://HOST[:PORT]/TOPIC, not \"" +
                   url + "\"");
  }
  auto publisher = std::make_unique<ShowPublisher>(presentation, loop, *address, out, show.json);
  publisher->Connect({shell::ReadSetting(ctx, kSettingBrokerUser),
                      shell::ReadSetting(ctx, kSettingBrokerPassword),
                      shell::ReadSetting(ctx, kSettingBrokerCaFile)});
  show.more_screens.emplace_back(publisher.get(), publisher.get());
  return publisher;
}

}  // namespace vintrel::app
