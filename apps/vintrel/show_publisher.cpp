#include "show_publisher.h"

#include <iostream>
#include <nlohmann/json.hpp>

#include "command.h"
#include "host/ooxml/package_presentation.h"

namespace vintrel::app {
namespace {

// Runs `work` on the loop's thread unless the publisher is gone by then.
void PostWhileAlive(host::EventLoop& loop, const std::shared_ptr<std::atomic<bool>>& alive,
                    std::function<void()> work) {
  loop.Post([alive, work = std::move(work)] {
    if (*alive) work();
  });
}

}  // namespace

ShowPublisher::ShowPublisher(host::Presentation& presentation, host::EventLoop& loop,
                             BrokerAddress address, std::ostream& out, bool json)
    : loop_(loop),
      address_(std::move(address)),
      model_(static_cast<ooxml::PackagePresentation&>(presentation), ShowServerOptions{}),
      writer_(lines_, loop.clock(), true),
      notices_(out, loop.clock(), json),
      broker_(address_, BrokerClient::Handlers{
                            [this](bool again) {
                              if (again) PostWhileAlive(loop_, alive_, [this] { BrokerBack(); });
                            },
                            [this](const std::string& why) {
                              PostWhileAlive(loop_, alive_, [this, why] { BrokerLost(why); });
                            },
                            nullptr}) {
  // Called on the loop thread under the model's lock: only take note.
  model_.SetFollower([this](const std::string& type, const std::string& json_text) {
    if (type == "shape") shape_json_ = json_text;
  });
}

ShowPublisher::~ShowPublisher() {
  Stop();
  *alive_ = false;
}

void ShowPublisher::Connect(const BrokerLogin& login) {
  broker_.Connect(login);
  broker_.RunInBackground();
}

void ShowPublisher::Stop() {
  broker_.Stop();
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
  // Not connected: the whole state goes out on reconnecting.
  broker_.Publish(address_.topic + "/" + subtopic, payload, retain);
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
  publisher->Connect(ReadBrokerLogin(ctx));
  show.more_screens.emplace_back(publisher.get(), publisher.get());
  return publisher;
}

}  // namespace vintrel::app
