// The live view of a slide show in browsers: an HTTP server (cpp-httplib) that is one more
// screen of the show. It keeps what is on screen now (the slide's drawing, hidden slides, data
// source problems), so a browser that connects late or comes back gets the current state at
// once, and pushes every change as a server-sent event that replaces only the shape that
// changed.
//
// Threads: the display calls come on the loop's thread, which also draws; the server's own
// threads only read what was drawn, under a lock, and hand navigation to `navigate`, which must
// post it to the loop. Each viewer has its own thread, so a viewer that stops reading only
// blocks itself until the write times out and it is dropped.
#ifndef VINTREL_APPS_VINTREL_SHOW_SERVER_H_
#define VINTREL_APPS_VINTREL_SHOW_SERVER_H_

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>

#include "host/ooxml/drawing/slide_drawing.h"
#include "host/show_display.h"

namespace httplib {
class Server;
class Request;
class Response;
}  // namespace httplib

namespace vintrel::ooxml {
class PackagePresentation;
}

namespace vintrel::app {

struct ShowServerOptions {
  std::string address = "127.0.0.1";  // loopback unless the user says otherwise
  int port = 8080;                    // 0: any free port
  // A viewer holding this token may move the show (empty: nobody may).
  std::string control_token;
  // Viewers beyond this many are turned away (each holds one server thread).
  int max_viewers = 128;
  // How long a write to a viewer may wait before the viewer is dropped.
  int write_timeout_seconds = 5;
  // A comment line keeps idle event streams open through proxies and finds dead viewers.
  int keepalive_seconds = 15;
};

enum class Navigation { kNext, kPrevious };

class ShowServer : public host::ShowDisplay, public host::DataStatusDisplay {
 public:
  ShowServer(ooxml::PackagePresentation& presentation, ShowServerOptions options);
  ~ShowServer() override;
  ShowServer(const ShowServer&) = delete;
  ShowServer& operator=(const ShowServer&) = delete;

  // Binds and starts serving on a thread of its own. Raises vintrel::Error when the address
  // cannot be bound.
  void Start();
  // Ends every event stream and stops the server; safe to call twice.
  void Stop();
  // Applies the settings and routes the live view's addresses on `server`, without binding: Start
  // does this on its own server, the request fuzzer (fuzz/) on one that reads from memory.
  void Configure(httplib::Server& server);
  int port() const { return port_; }
  // The address to open ("http://127.0.0.1:8080/").
  std::string Url() const;
  int viewer_count() const;

  // Runs on a server thread when a viewer with the control token moves the show.
  void SetNavigate(std::function<void(Navigation)> navigate);

  // For a screen that follows what this one holds without serving it (the broker publisher):
  // each event as browsers get it ("state" or "shape", and its JSON), on the loop thread under
  // the server's lock, so it must only take note.
  using Follower = std::function<void(const std::string& type, const std::string& json)>;
  void SetFollower(Follower follower);
  // What a viewer gets first, as JSON.
  std::string StateJson() const;
  // A picture the drawings name "/asset/NAME": its content type and bytes.
  std::optional<std::pair<std::string, std::shared_ptr<const std::string>>> FindAsset(
      const std::string& name) const;

  // host::ShowDisplay (loop thread).
  void ShowBegan(int slide_count) override;
  void ShowEnded() override;
  void SlideShown(int slide) override;
  void SlideHiddenChanged(int slide, bool hidden) override;
  void TextChanged(const host::ShapeRef& shape, const std::string& old_text,
                   const std::string& new_text) override;
  void VisibilityChanged(const host::ShapeRef& shape, bool visible) override;
  void PictureChanged(const host::ShapeRef& shape, const std::string& file) override;
  void ChartChanged(const host::ShapeRef& shape) override;

  // host::DataStatusDisplay (loop thread).
  void ConnectionFailed(const std::string& connection, const std::string& description,
                        const std::string& message) override;
  void ConnectionRestored(const std::string& connection, const std::string& description) override;
  void ValuesStale(const std::string& connection, double age_seconds) override;

 private:
  class Assets;
  struct Event {
    uint64_t sequence;
    std::string text;  // the whole server-sent event, ready to write
  };

  void RedrawShape(const host::ShapeRef& shape);
  // Under mutex_: the state (what a new viewer gets first, as JSON) and publishing an event.
  std::string StateJsonLocked() const;
  void PublishLocked(const std::string& type, const std::string& json);

  void Route(httplib::Server& server);
  void ServeEvents(const httplib::Request& request, httplib::Response& response);
  void ServeControl(const httplib::Request& request, httplib::Response& response,
                    Navigation navigation);

  ooxml::PackagePresentation& presentation_;
  ShowServerOptions options_;
  std::unique_ptr<Assets> assets_;
  std::unique_ptr<httplib::Server> server_;
  std::thread listener_;
  int port_ = 0;
  std::function<void(Navigation)> navigate_;
  Follower follower_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool stopping_ = false;
  int viewers_ = 0;
  // What is on screen.
  int slide_count_ = 0;
  int current_slide_ = 0;  // 0 before the first slide and after the end
  bool ended_ = false;
  // Past the last slide; and whether any slide was shown since the show began (a show whose
  // slides are all hidden goes past its end at once: there is no slide to show).
  bool past_end_ = false;
  bool shown_any_ = false;
  std::set<int> hidden_slides_;
  ooxml::SlideDrawing drawing_;
  std::map<std::string, std::string> data_status_;  // connection -> JSON of its problem
  // The latest events, for viewers a little behind; one further behind gets the state again.
  std::deque<Event> recent_;
  uint64_t sequence_ = 0;
};

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_SHOW_SERVER_H_
