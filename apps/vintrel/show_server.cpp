#include "show_server.h"

#include <httplib.h>
#include <unistd.h>

#include <chrono>
#include <nlohmann/json.hpp>

#include "host/error.h"
#include "host/ooxml/package_presentation.h"
#include "live_view_files.h"

namespace vintrel::app {

namespace {

constexpr char kSource[] = "vintrel.show";
constexpr char kControlHeader[] = "X-Vintrel-Control";
// No address of the live view is longer; anything longer is refused before routing.
constexpr size_t kLongestTarget = 256;
// Events kept for viewers that are a little behind.
constexpr size_t kRecentEvents = 64;
// Pictures seen during the show are kept up to this size in all; past it, only those of the
// slide on screen.
constexpr size_t kAssetBudget = 64 << 20;

constexpr char kSecurityPolicy[] =
    "default-src 'none'; script-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

bool SameSecret(const std::string& given, const std::string& expected) {
  if (expected.empty() || given.size() != expected.size()) return false;
  unsigned char difference = 0;
  for (size_t i = 0; i < given.size(); ++i) difference |= given[i] ^ expected[i];
  return difference == 0;
}

std::string HexHash(const std::string& bytes) {
  uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::string ExtensionOf(const std::string& content_type) {
  if (content_type == "image/png") return "png";
  if (content_type == "image/jpeg") return "jpg";
  if (content_type == "image/gif") return "gif";
  if (content_type == "image/svg+xml") return "svg";
  if (content_type == "image/webp") return "webp";
  return "bmp";
}

void SetCommonHeaders(httplib::Response& response) {
  response.set_header("X-Content-Type-Options", "nosniff");
  response.set_header("Referrer-Policy", "no-referrer");
  response.set_header("Content-Security-Policy", kSecurityPolicy);
}

}  // namespace

// The pictures the drawings refer to, by a name made from their content: a request names one
// of these or gets nothing, so no request reaches the file system.
class ShowServer::Assets : public ooxml::SvgAssets {
 public:
  struct Asset {
    std::string content_type;
    std::shared_ptr<const std::string> bytes;
  };

  std::string Add(std::string bytes, const std::string& content_type) override {
    std::string name = HexHash(bytes) + "." + ExtensionOf(content_type);
    std::lock_guard lock(mutex_);
    if (!assets_.count(name)) {
      total_ += bytes.size();
      assets_[name] = {content_type, std::make_shared<const std::string>(std::move(bytes))};
    }
    return "/asset/" + name;
  }

  std::optional<Asset> Find(const std::string& name) const {
    std::lock_guard lock(mutex_);
    auto found = assets_.find(name);
    if (found == assets_.end()) return std::nullopt;
    return found->second;
  }

  // Past the budget, keeps only the pictures `drawing` shows.
  void Trim(const std::string& drawing) {
    std::lock_guard lock(mutex_);
    if (total_ <= kAssetBudget) return;
    for (auto it = assets_.begin(); it != assets_.end();) {
      if (drawing.find("/asset/" + it->first) == std::string::npos) {
        total_ -= it->second.bytes->size();
        it = assets_.erase(it);
      } else {
        ++it;
      }
    }
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::string, Asset> assets_;
  size_t total_ = 0;
};

ShowServer::ShowServer(ooxml::PackagePresentation& presentation, ShowServerOptions options)
    : presentation_(presentation),
      options_(std::move(options)),
      assets_(std::make_unique<Assets>()) {}

ShowServer::~ShowServer() {
  Stop();
}

void ShowServer::SetNavigate(std::function<void(Navigation)> navigate) {
  std::lock_guard lock(mutex_);
  navigate_ = std::move(navigate);
}

void ShowServer::SetFollower(Follower follower) {
  std::lock_guard lock(mutex_);
  follower_ = std::move(follower);
}

std::string ShowServer::StateJson() const {
  std::lock_guard lock(mutex_);
  return StateJsonLocked();
}

std::optional<std::pair<std::string, std::shared_ptr<const std::string>>> ShowServer::FindAsset(
    const std::string& name) const {
  std::optional<Assets::Asset> asset = assets_->Find(name);
  if (!asset) return std::nullopt;
  return std::make_pair(asset->content_type, asset->bytes);
}

void ShowServer::Start() {
  server_ = std::make_unique<httplib::Server>();
  Configure(*server_);
  if (options_.port == 0) {
    port_ = server_->bind_to_any_port(options_.address);
  } else {
    port_ = server_->bind_to_port(options_.address, options_.port) ? options_.port : -1;
  }
  if (port_ <= 0) {
    int error = errno;
    throw Error(kErrUnspecified, kSource,
                "cannot listen on " + options_.address + " port " + std::to_string(options_.port) +
                    (error ? ": " + std::string(strerror(error)) : ""));
  }
  listener_ = std::thread([this] { server_->listen_after_bind(); });
}

void ShowServer::Configure(httplib::Server& server) {
  size_t threads = static_cast<size_t>(options_.max_viewers) + 8;
  server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  server.set_write_timeout(options_.write_timeout_seconds, 0);
  server.set_read_timeout(10, 0);
  // A page fetches its few files at once; idle connections need not hold a thread long, and
  // stopping waits for them.
  server.set_keep_alive_timeout(2);
  server.set_keep_alive_max_count(100);
  server.set_payload_max_length(4096);
  Route(server);
}

void ShowServer::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (server_) server_->stop();
  if (listener_.joinable()) listener_.join();
}

std::string ShowServer::Url() const {
  std::string host = options_.address;
  if (host == "0.0.0.0" || host == "::") {
    char name[256] = {};
    host = gethostname(name, sizeof name - 1) == 0 && name[0] ? name : "localhost";
  } else if (host.find(':') != std::string::npos) {
    host = "[" + host + "]";
  }
  return "http://" + host + ":" + std::to_string(port_) + "/";
}

int ShowServer::viewer_count() const {
  std::lock_guard lock(mutex_);
  return viewers_;
}

// ---- What the show tells the screen

void ShowServer::ShowBegan(int slide_count) {
  std::lock_guard lock(mutex_);
  slide_count_ = slide_count;
  current_slide_ = 0;
  ended_ = false;
  shown_any_ = false;
  past_end_ = false;
  drawing_ = {};
  PublishLocked("state", StateJsonLocked());
}

void ShowServer::ShowEnded() {
  std::lock_guard lock(mutex_);
  ended_ = true;
  current_slide_ = 0;
  drawing_ = {};
  PublishLocked("state", StateJsonLocked());
}

void ShowServer::SlideShown(int slide) {
  ooxml::SlideDrawing drawing;
  bool in_range = slide >= 1 && slide <= presentation_.slides().Count();
  if (in_range) {
    try {
      drawing = ooxml::DrawSlide(presentation_, slide, *assets_);
    } catch (const std::exception&) {
      // A slide that cannot be drawn shows empty; the show goes on.
      drawing = {};
    }
  }
  std::lock_guard lock(mutex_);
  current_slide_ = in_range ? slide : 0;
  shown_any_ = shown_any_ || in_range;
  past_end_ = !in_range;
  drawing_ = std::move(drawing);
  assets_->Trim(drawing_.Svg());
  PublishLocked("state", StateJsonLocked());
}

void ShowServer::SlideHiddenChanged(int slide, bool hidden) {
  std::lock_guard lock(mutex_);
  if (hidden) {
    hidden_slides_.insert(slide);
  } else {
    hidden_slides_.erase(slide);
  }
}

void ShowServer::TextChanged(const host::ShapeRef& shape, const std::string&, const std::string&) {
  RedrawShape(shape);
}

void ShowServer::VisibilityChanged(const host::ShapeRef& shape, bool) {
  RedrawShape(shape);
}

void ShowServer::PictureChanged(const host::ShapeRef& shape, const std::string&) {
  RedrawShape(shape);
}

void ShowServer::ChartChanged(const host::ShapeRef& shape) {
  RedrawShape(shape);
}

void ShowServer::RedrawShape(const host::ShapeRef& shape) {
  size_t shape_count;
  {
    std::lock_guard lock(mutex_);
    // Other slides are drawn afresh when they are shown.
    if (shape.slide != current_slide_) return;
    shape_count = drawing_.shapes.size();
  }
  std::string svg;
  ooxml::SlideDrawing whole;
  bool redraw_slide = shape.shape < 1 || static_cast<size_t>(shape.shape) > shape_count;
  try {
    if (redraw_slide) {
      // The slide gained or lost shapes: positions moved, so draw it all again.
      whole = ooxml::DrawSlide(presentation_, shape.slide, *assets_);
      redraw_slide = true;
    } else {
      svg = ooxml::DrawShape(presentation_, shape.slide, shape.shape, *assets_);
    }
  } catch (const std::exception&) {
    return;  // the screen keeps what it shows
  }
  std::lock_guard lock(mutex_);
  if (redraw_slide) {
    drawing_ = std::move(whole);
    PublishLocked("state", StateJsonLocked());
    return;
  }
  drawing_.shapes[shape.shape - 1] = svg;
  nlohmann::json event = {{"slide", shape.slide},
                          {"shape", shape.shape},
                          {"id", ooxml::ShapeElementId(shape.slide, shape.shape)},
                          {"svg", svg}};
  PublishLocked("shape", event.dump());
}

void ShowServer::ConnectionFailed(const std::string& connection, const std::string& description,
                                  const std::string& message) {
  nlohmann::json problem = {{"connection", connection},
                            {"description", description},
                            {"state", "failed"},
                            {"message", message}};
  std::lock_guard lock(mutex_);
  data_status_[connection] = problem.dump();
  PublishLocked("state", StateJsonLocked());
}

void ShowServer::ConnectionRestored(const std::string& connection, const std::string&) {
  std::lock_guard lock(mutex_);
  if (data_status_.erase(connection)) PublishLocked("state", StateJsonLocked());
}

void ShowServer::ValuesStale(const std::string& connection, double age_seconds) {
  nlohmann::json problem = {
      {"connection", connection}, {"state", "stale"}, {"age", static_cast<long>(age_seconds)}};
  std::lock_guard lock(mutex_);
  data_status_[connection] = problem.dump();
  PublishLocked("state", StateJsonLocked());
}

std::string ShowServer::StateJsonLocked() const {
  nlohmann::json state = {{"count", slide_count_},
                          {"slide", current_slide_},
                          {"ended", ended_},
                          {"past_end", past_end_},
                          {"empty", !shown_any_ && (past_end_ || ended_)},
                          {"hidden", hidden_slides_},
                          {"width", drawing_.width},
                          {"height", drawing_.height},
                          {"backdrop", drawing_.backdrop},
                          {"shapes", drawing_.shapes}};
  nlohmann::json problems = nlohmann::json::array();
  for (const auto& [connection, problem] : data_status_) {
    problems.push_back(nlohmann::json::parse(problem));
  }
  state["status"] = std::move(problems);
  return state.dump();
}

void ShowServer::PublishLocked(const std::string& type, const std::string& json) {
  recent_.push_back({++sequence_, "event: " + type + "\ndata: " + json + "\n\n"});
  while (recent_.size() > kRecentEvents) recent_.pop_front();
  changed_.notify_all();
  if (follower_) follower_(type, json);
}

// ---- HTTP

void ShowServer::Route(httplib::Server& server) {
  server.set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
    SetCommonHeaders(response);
    if (request.target.size() > kLongestTarget) {
      response.status = 400;
      response.set_content("request target too long\n", "text/plain");
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });
  server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    // The library refuses request lines past its own limit as "URI too long"; to a client that
    // is one more bad request.
    if (response.status == 414) response.status = 400;
    if (response.body.empty()) {
      response.set_content(std::to_string(response.status) + "\n", "text/plain");
    }
  });
  for (const LiveViewFile& file : LiveViewFiles()) {
    server.Get(file.path, [&file](const httplib::Request&, httplib::Response& response) {
      response.set_header("Cache-Control", "no-cache");
      response.set_content(file.body.data(), file.body.size(), file.content_type);
    });
  }
  server.Get(R"(/asset/([0-9a-f]{16}\.[a-z]{3,4}))", [this](const httplib::Request& request,
                                                            httplib::Response& response) {
    std::optional<Assets::Asset> asset = assets_->Find(request.matches[1]);
    if (!asset) {
      response.status = 404;
      return;
    }
    response.set_header("Cache-Control", "public, max-age=31536000, immutable");
    response.set_content(asset->bytes->data(), asset->bytes->size(), asset->content_type.c_str());
  });
  server.Get("/events", [this](const httplib::Request& request, httplib::Response& response) {
    ServeEvents(request, response);
  });
  server.Post("/control/next",
              [this](const httplib::Request& request, httplib::Response& response) {
                ServeControl(request, response, Navigation::kNext);
              });
  server.Post("/control/previous",
              [this](const httplib::Request& request, httplib::Response& response) {
                ServeControl(request, response, Navigation::kPrevious);
              });
}

void ShowServer::ServeEvents(const httplib::Request&, httplib::Response& response) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_ || viewers_ >= options_.max_viewers) {
      response.status = 503;
      response.set_content("too many viewers\n", "text/plain");
      return;
    }
    ++viewers_;
  }
  response.set_header("Cache-Control", "no-store");
  // The next event this viewer needs; 0 until it has had the state.
  auto next = std::make_shared<uint64_t>(0);
  const auto keepalive = std::chrono::seconds(options_.keepalive_seconds);
  response.set_chunked_content_provider(
      "text/event-stream",
      [this, next, keepalive](size_t, httplib::DataSink& sink) {
        std::string out;
        {
          std::unique_lock lock(mutex_);
          if (*next == 0) {
            out = "retry: 1000\n\nevent: state\ndata: " + StateJsonLocked() + "\n\n";
            *next = sequence_ + 1;
          } else if (!changed_.wait_for(lock, keepalive,
                                        [&] { return stopping_ || sequence_ >= *next; })) {
            out = ": keepalive\n\n";
          } else if (stopping_) {
            lock.unlock();
            sink.done();
            return true;
          } else if (recent_.empty() || recent_.front().sequence > *next) {
            // Too far behind for the events kept: the state says it all.
            out = "event: state\ndata: " + StateJsonLocked() + "\n\n";
            *next = sequence_ + 1;
          } else {
            for (const Event& event : recent_) {
              if (event.sequence >= *next) out += event.text;
            }
            *next = sequence_ + 1;
          }
        }
        return sink.write(out.data(), out.size());
      },
      [this](bool) {
        std::lock_guard lock(mutex_);
        --viewers_;
      });
}

void ShowServer::ServeControl(const httplib::Request& request, httplib::Response& response,
                              Navigation navigation) {
  std::function<void(Navigation)> navigate;
  {
    std::lock_guard lock(mutex_);
    navigate = navigate_;
  }
  if (!SameSecret(request.get_header_value(kControlHeader), options_.control_token) || !navigate) {
    response.status = 403;
    response.set_content("this viewer may not move the show\n", "text/plain");
    return;
  }
  navigate(navigation);
  response.status = 204;
}

}  // namespace vintrel::app
