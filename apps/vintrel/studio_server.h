// The studio's HTTP server (cpp-httplib): the page's files, the slides' drawings and their
// pictures, and the page's requests, each handed to the shell thread. Every request under /api/
// carries the token printed with the address; every request that changes anything also carries
// the id of the one page that authors (a second page gets a read-only view).
#ifndef VINTREL_APPS_VINTREL_STUDIO_SERVER_H_
#define VINTREL_APPS_VINTREL_STUDIO_SERVER_H_

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "json_output.h"
#include "shell_thread.h"
#include "show_child.h"
#include "studio_session.h"

namespace httplib {
class Server;
class Request;
class Response;
}  // namespace httplib

namespace vintrel::app {

struct StudioServerOptions {
  std::string address = "127.0.0.1";
  int port = 0;  // 0: any free port
  std::string token;
  // An author page that has not been heard of for this long gives up authoring.
  std::chrono::seconds author_lease{10};
};

class StudioServer {
 public:
  StudioServer(ShellThread& shell, StudioSession& session, StudioServerOptions options);
  ~StudioServer();
  StudioServer(const StudioServer&) = delete;
  StudioServer& operator=(const StudioServer&) = delete;

  // Binds and serves on threads of its own; raises vintrel::Error when the address cannot be
  // bound.
  void Start();
  void Stop();
  // The address to open, token included.
  std::string Url() const;

 private:
  class Assets;
  // What a request may do: read (token), act as the author (token and authorship) without
  // changing the presentation (selecting), or change it.
  enum class Access { kRead, kAuthor, kChange };
  using Work = std::function<Json()>;

  void Route(httplib::Server& server);
  void RouteChanges(httplib::Server& server);
  // Checks the request's access, runs `work` on the shell thread (driving it: a dialog it opens
  // answers at once) and replies with its JSON, or the page's state when it gives null.
  void Serve(const httplib::Request& request, httplib::Response& response, Access access,
             const Work& work);
  bool Allowed(const httplib::Request& request, httplib::Response& response, Access access);
  Json Claim(const std::string& claimant);
  Json StateWithAccess(const httplib::Request& request);
  Json Save(const Json& body);
  Json StartShow();

  ShellThread& shell_;
  StudioSession& session_;
  StudioServerOptions options_;
  std::unique_ptr<Assets> assets_;
  std::unique_ptr<httplib::Server> server_;
  std::thread listener_;
  int port_ = 0;
  ShowChild show_;

  std::mutex mutex_;
  std::string author_;  // the authoring page's id; empty while none authors
  std::chrono::steady_clock::time_point author_seen_;
  uint64_t revision_ = 0;  // counts the changes, so pages know when to draw again
};

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_STUDIO_SERVER_H_
