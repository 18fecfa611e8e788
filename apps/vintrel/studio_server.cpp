#include "studio_server.h"

#include <httplib.h>

#include <map>
#include <random>

#include "command.h"
#include "host/error.h"
#include "live_view_files.h"
#include "studio_files.h"

namespace vintrel::app {
namespace {

constexpr char kSource[] = "vintrel.studio";
constexpr char kTokenHeader[] = "X-Vintrel-Token";
constexpr char kAuthorHeader[] = "X-Vintrel-Author";
constexpr char kSecurityPolicy[] =
    "default-src 'none'; script-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

std::string NewToken() {
  std::random_device random;
  std::string token;
  for (int i = 0; i < 32; ++i) token += "0123456789abcdef"[random() & 15];
  return token;
}

// Compares in a time that does not depend on where the texts differ.
bool SameToken(const std::string& given, const std::string& expected) {
  unsigned difference = given.size() ^ expected.size();
  for (size_t i = 0; i < given.size() && i < expected.size(); ++i) {
    difference |= static_cast<unsigned char>(given[i] ^ expected[i]);
  }
  return !expected.empty() && difference == 0;
}

void Reply(httplib::Response& response, int status, const Json& body) {
  response.status = status;
  response.set_header("Cache-Control", "no-store");
  // With the charset named the library leaves the reply uncompressed: on loopback compressing
  // a state at the best Brotli level costs tens of milliseconds a dialog action.
  response.set_content(JsonText(body), "application/json; charset=utf-8");
}

Json Body(const httplib::Request& request) {
  Json body = Json::parse(request.body, nullptr, false);
  if (!body.is_object()) throw BadInput("the request's body is no JSON object");
  return body;
}

}  // namespace

// The pictures the slides' drawings show, by a name made from their content: a request names one
// of these or gets nothing, so no request reaches the file system.
class StudioServer::Assets : public ooxml::SvgAssets {
 public:
  std::string Add(std::string bytes, const std::string& content_type) override {
    char name[32];
    std::snprintf(name, sizeof name, "%016zx", std::hash<std::string>()(bytes));
    std::lock_guard lock(mutex_);
    assets_.try_emplace(name, content_type, std::move(bytes));
    return std::string("/asset/") + name;
  }
  bool Find(const std::string& name, httplib::Response& response) {
    std::lock_guard lock(mutex_);
    const auto found = assets_.find(name);
    if (found == assets_.end()) return false;
    response.set_header("Cache-Control", "private, max-age=31536000, immutable");
    response.set_content(found->second.second, found->second.first);
    return true;
  }

 private:
  std::mutex mutex_;
  std::map<std::string, std::pair<std::string, std::string>> assets_;  // type, bytes
};

StudioServer::StudioServer(ShellThread& shell, StudioSession& session, StudioServerOptions options)
    : shell_(shell),
      session_(session),
      options_(std::move(options)),
      assets_(std::make_unique<Assets>()) {
  if (options_.token.empty()) options_.token = NewToken();
}

StudioServer::~StudioServer() {
  Stop();
}

void StudioServer::Start() {
  server_ = std::make_unique<httplib::Server>();
  server_->set_payload_max_length(64 << 10);
  server_->set_keep_alive_timeout(2);
  // A reply's header and body leave at once: each dialog action waits for its reply.
  server_->set_tcp_nodelay(true);
  server_->set_pre_routing_handler([](const httplib::Request&, httplib::Response& response) {
    response.set_header("X-Content-Type-Options", "nosniff");
    response.set_header("Referrer-Policy", "no-referrer");
    response.set_header("Content-Security-Policy", kSecurityPolicy);
    return httplib::Server::HandlerResponse::Unhandled;
  });
  Route(*server_);
  RouteChanges(*server_);
  port_ = options_.port == 0
              ? server_->bind_to_any_port(options_.address)
              : (server_->bind_to_port(options_.address, options_.port) ? options_.port : -1);
  if (port_ <= 0) {
    throw Error(kErrUnspecified, kSource,
                "cannot listen on " + options_.address + " port " + std::to_string(options_.port));
  }
  listener_ = std::thread([this] { server_->listen_after_bind(); });
}

void StudioServer::Stop() {
  if (server_) server_->stop();
  if (listener_.joinable()) listener_.join();
  show_.Stop();
}

std::string StudioServer::Url() const {
  // The author sits at this machine: listening everywhere, it is opened here too.
  const std::string& address = options_.address;
  const bool everywhere = address == "0.0.0.0" || address == "::";
  const std::string host = everywhere                               ? "localhost"
                           : address.find(':') != std::string::npos ? "[" + address + "]"
                                                                    : address;
  return "http://" + host + ":" + std::to_string(port_) + "/?token=" + options_.token;
}

bool StudioServer::Allowed(const httplib::Request& request, httplib::Response& response,
                           Access access) {
  if (!SameToken(request.get_header_value(kTokenHeader), options_.token)) {
    Reply(response, 403, {{"error", "the studio's token is missing or wrong"}});
    return false;
  }
  if (access == Access::kRead) return true;
  std::lock_guard lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  if (author_.empty() || !SameToken(request.get_header_value(kAuthorHeader), author_)) {
    Reply(response, 409,
          {{"error", "another page authors this presentation: this one is read-only"}});
    return false;
  }
  author_seen_ = now;
  return true;
}

Json StudioServer::Claim(const std::string& given) {
  std::lock_guard lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  const bool lapsed = now - author_seen_ > options_.author_lease;
  if (author_.empty() || lapsed || SameToken(given, author_)) {
    if (author_.empty() || lapsed) author_ = NewToken();
    author_seen_ = now;
    return {{"author", author_}};
  }
  return {{"readOnly", true},
          {"why",
           "Another page is authoring this presentation; this one only shows it. Close the "
           "other page to author here."}};
}

Json StudioServer::StateWithAccess(const httplib::Request& request) {
  Json state;
  shell_.Run([&] { state = session_.State(); });
  std::lock_guard lock(mutex_);
  state["revision"] = revision_;
  state["readOnly"] =
      author_.empty() || !SameToken(request.get_header_value(kAuthorHeader), author_);
  return state;
}

void StudioServer::Serve(const httplib::Request& request, httplib::Response& response,
                         Access access, const Work& work) {
  if (!Allowed(request, response, access)) return;
  // The work may go on after the reply, while a dialog it opened waits: it owns what it uses,
  // and its result is read only once it has finished.
  auto result = std::make_shared<Json>();
  const auto job = [result, work] { *result = work(); };
  try {
    const ShellThread::Driven driven =
        access == Access::kRead
            ? (shell_.Run(job) ? ShellThread::Driven::kFinished : ShellThread::Driven::kStopping)
            : shell_.Drive(job);
    if (driven == ShellThread::Driven::kStopping) {
      return Reply(response, 503, {{"error", "the studio is closing"}});
    }
    if (access == Access::kChange) {
      std::lock_guard lock(mutex_);
      ++revision_;
    }
    const bool finished = driven == ShellThread::Driven::kFinished;
    Reply(response, 200, !finished || result->is_null() ? StateWithAccess(request) : *result);
  } catch (const BadInput& failure) {
    Reply(response, 400, {{"error", failure.what()}});
  } catch (const Json::exception& failure) {
    Reply(response, 400,
          {{"error", std::string("the request is not as expected: ") + failure.what()}});
  } catch (const Error& failure) {
    Reply(response, 500, {{"error", failure.description()}});
  } catch (const std::exception& failure) {
    Reply(response, 500, {{"error", failure.what()}});
  }
}

void StudioServer::Route(httplib::Server& server) {
  for (const LiveViewFile& file : StudioFiles()) {
    server.Get(file.path, [&file](const httplib::Request&, httplib::Response& response) {
      response.set_header("Cache-Control", "no-cache");
      response.set_content(file.body.data(), file.body.size(), file.content_type);
    });
  }
  // The live view's own code fits the slides' texts to their boxes.
  for (const LiveViewFile& file : LiveViewFiles()) {
    if (std::string(file.path) != "/live-view.js") continue;
    server.Get(file.path, [&file](const httplib::Request&, httplib::Response& response) {
      response.set_content(file.body.data(), file.body.size(), file.content_type);
    });
  }
  server.Get(R"(/asset/([0-9a-f]{16}))",
             [this](const httplib::Request& request, httplib::Response& response) {
               if (!assets_->Find(request.matches[1], response)) response.status = 404;
             });
  server.Get("/api/state", [this](const httplib::Request& request, httplib::Response& response) {
    if (Allowed(request, response, Access::kRead)) Reply(response, 200, StateWithAccess(request));
  });
  server.Get(R"(/api/slide/(\d{1,6}))",
             [this](const httplib::Request& request, httplib::Response& response) {
               const int number = std::stoi(request.matches[1]);
               const std::string has = request.get_param_value("has");
               Serve(request, response, Access::kRead,
                     [this, number, has] { return session_.Slide(number, *assets_, has); });
             });
  server.Get("/api/files", [this](const httplib::Request& request, httplib::Response& response) {
    const std::string folder = request.get_param_value("folder");
    Serve(request, response, Access::kRead, [this, folder] { return session_.ListFolder(folder); });
  });
  server.Post("/api/claim", [this](const httplib::Request& request, httplib::Response& response) {
    if (Allowed(request, response, Access::kRead)) {
      Reply(response, 200, Claim(request.get_header_value(kAuthorHeader)));
    }
  });
}

void StudioServer::RouteChanges(httplib::Server& server) {
  const auto change = [this, &server](const char* path,
                                      std::function<Json(StudioSession&, const Json&)> work,
                                      Access access = Access::kChange) {
    server.Post(
        path, [this, work, access](const httplib::Request& request, httplib::Response& response) {
          Json body;
          try {
            body = request.body.empty() ? Json::object() : Body(request);
          } catch (const BadInput& failure) {
            return Reply(response, 400, {{"error", failure.what()}});
          }
          Serve(request, response, access, [this, work, body] { return work(session_, body); });
        });
  };
  change(
      "/api/ping", [](StudioSession&, const Json&) { return Json(); }, Access::kAuthor);
  change(
      "/api/select",
      [](StudioSession& session, const Json& body) {
        session.Select(body.value("slide", 0), body.value("shapes", std::vector<int>{}));
        return Json();
      },
      Access::kAuthor);
  change("/api/click", [](StudioSession& session, const Json& body) {
    session.Click(body.value("id", ""));
    return Json();
  });
  change("/api/choose", [](StudioSession& session, const Json& body) {
    session.Choose(body.value("id", ""), body.value("index", 0));
    return Json();
  });
  change("/api/distribution", [](StudioSession& session, const Json&) {
    session.OpenDistributionList();
    return Json();
  });
  change("/api/form", [](StudioSession& session, const Json& body) {
    session.front_end().Act(JsonText(body));
    return Json();
  });
  change("/api/answer", [](StudioSession& session, const Json& body) {
    session.front_end().Answer(body.value("answer", 0));
    return Json();
  });
  change("/api/picker", [](StudioSession& session, const Json& body) {
    session.AnswerPicker(body.value("answer", ""));
    return Json();
  });
  change("/api/save", [this](StudioSession&, const Json& body) { return Save(body); });
  change("/api/show", [this](StudioSession&, const Json&) { return StartShow(); });
  server.Post("/api/release", [this](const httplib::Request& request, httplib::Response& response) {
    if (!Allowed(request, response, Access::kAuthor)) return;
    std::lock_guard lock(mutex_);
    author_.clear();
    Reply(response, 200, Json::object());
  });
}

Json StudioServer::Save(const Json& body) {
  if (session_.Save(body.value("overwrite", false))) return {{"saved", true}};
  return {{"saved", false},
          {"changedOnDisk", true},
          {"message", session_.file() +
                          " was changed on disk since it was opened here. Overwrite those "
                          "changes with this presentation?"}};
}

Json StudioServer::StartShow() {
  return {{"url", show_.Start(session_.file(), options_.address)}};
}

}  // namespace vintrel::app
