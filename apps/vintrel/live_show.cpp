#include "live_show.h"

#include <pthread.h>

#include <cmath>
#include <iostream>
#include <random>

#include "command.h"
#include "host/error.h"
#include "host/ooxml/package_application.h"
#include "host/posix/inotify_watcher.h"
#include "show_events.h"
#include "show_server.h"

namespace vintrel::app {
namespace {

// A token no viewer can guess: 128 bits from the system's random source.
std::string ControlToken() {
  std::random_device random;
  std::string token;
  const char* digits = "0123456789abcdef";
  for (int i = 0; i < 32; ++i) token += digits[random() & 15];
  return token;
}

ooxml::ShowOptions ParseAdvance(const std::string& text, int from) {
  ooxml::ShowOptions options;
  options.from_slide = from;
  using Advance = ooxml::ShowOptions::Advance;
  if (text.empty()) {
    options.advance = Advance::kPresentation;
  } else if (text == "auto") {
    options.advance = Advance::kTimings;
  } else if (text == "manual") {
    options.advance = Advance::kManual;
  } else if (text.rfind("every:", 0) == 0) {
    const auto every = ParseDuration(text.substr(6));
    if (!every || every->count() <= 0) {
      throw BadInput("--advance every:SECONDS needs a time above 0, not \"" + text.substr(6) +
                     "\"");
    }
    options.advance = Advance::kEvery;
    options.every_seconds = static_cast<double>(every->count()) / 1000.0;
  } else {
    throw BadInput("--advance takes auto, manual or every:SECONDS, not \"" + text + "\"");
  }
  return options;
}

ooxml::PackageApplication& PackageHost(HostSession& session) {
  auto* host = dynamic_cast<ooxml::PackageApplication*>(&session.host());
  if (host == nullptr) throw Error(kErrUnspecified, "vintrel", "the host cannot run shows");
  return *host;
}

// Tells the owner when the show ends by itself.
class EndWatch : public host::ShowDisplay {
 public:
  explicit EndWatch(std::function<void()> ended) : ended_(std::move(ended)) {}
  void ShowEnded() override {
    if (!ending_ && ended_) ended_();
  }
  bool ending_ = false;

 private:
  std::function<void()> ended_;
};

}  // namespace

void AddLiveShowOptions(CLI::App& command, LiveShowOptions& options) {
  command.add_option("--advance", options.advance,
                     "auto (each slide after its own timing), manual (never), every:SECONDS; "
                     "default: as the presentation's show settings say");
  command.add_flag("--json", options.json,
                   "Print JSON lines with a time stamp (see docs/show-events.md)");
  command.add_flag("--serve", options.serve,
                   "Also show the slide show in web browsers; prints the address to open");
  command.add_option("--listen", options.listen,
                     "With --serve: the address to listen on (default 127.0.0.1, this machine "
                     "only; 0.0.0.0 for every network)");
  command.add_option("--port", options.port, "With --serve: the port (default 8080; 0: any)")
      ->check(CLI::Range(0, 65535));
  command.add_flag("--control", options.control,
                   "With --serve: print a second address whose browser may move the show "
                   "(keys and clicks); every other browser only watches");
}

void CheckLiveShowOptions(const LiveShowOptions& options) {
  ParseAdvance(options.advance, options.from);
  if (!options.serve &&
      (options.control || options.port != 8080 || options.listen != "127.0.0.1")) {
    throw BadInput("--listen, --port and --control go with --serve");
  }
}

std::optional<std::chrono::milliseconds> ParseDuration(const std::string& text) {
  size_t end = 0;
  double value = 0;
  try {
    value = std::stod(text, &end);
  } catch (...) {
    return std::nullopt;
  }
  const std::string unit = text.substr(end);
  double scale = 0;
  if (unit.empty() || unit == "s") {
    scale = 1000;
  } else if (unit == "ms") {
    scale = 1;
  } else if (unit == "m" || unit == "min") {
    scale = 60000;
  } else if (unit == "h") {
    scale = 3600000;
  }
  if (scale == 0 || !(value >= 0) || !std::isfinite(value)) return std::nullopt;
  return std::chrono::milliseconds(std::llround(value * scale));
}

SignalStop::SignalStop(std::function<void()> stop) {
  sigemptyset(&set_);
  sigaddset(&set_, SIGINT);
  sigaddset(&set_, SIGTERM);
  sigaddset(&set_, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &set_, nullptr);
  waiter_ = std::thread([this, stop = std::move(stop)] {
    int signal = 0;
    if (sigwait(&set_, &signal) == 0 && signal != SIGUSR1) stop();
  });
}

SignalStop::~SignalStop() {
  pthread_kill(waiter_.native_handle(), SIGUSR1);
  waiter_.join();
}

struct LiveShow::Screens {
  Screens(host::EventLoop& loop, std::ostream& out, bool json, std::function<void()> ended)
      : writer(out, loop.clock(), json), end_watch(std::move(ended)), watcher(loop) {}
  ShowEventWriter writer;
  EndWatch end_watch;
  ShowFanout fanout;
  host::posix::InotifyWatcher watcher;
  std::optional<ShowServer> server;
  bool ended = false;
  bool nothing_to_show = false;
};

LiveShow::LiveShow(HostSession& session, host::Presentation& presentation,
                   const LiveShowOptions& options, std::ostream& out, std::function<void()> ended)
    : session_(session), presentation_(presentation) {
  ooxml::ShowOptions show_options = ParseAdvance(options.advance, options.from);
  show_options.loop = options.loop;
  ooxml::PackageApplication& host = PackageHost(session);
  host::EventLoop& loop = session.loop();
  screens_ = std::make_unique<Screens>(loop, out, options.json, std::move(ended));
  Screens& screens = *screens_;
  screens.fanout.Add(static_cast<host::ShowDisplay*>(&screens.writer));
  screens.fanout.Add(static_cast<host::DataStatusDisplay*>(&screens.writer));
  screens.fanout.Add(static_cast<host::ShowDisplay*>(&screens.end_watch));
  session.SetShowServices(&screens.watcher, &screens.fanout);
  if (options.serve) {
    ShowServerOptions server_options;
    server_options.address = options.listen;
    server_options.port = options.port;
    if (options.control) server_options.control_token = ControlToken();
    ShowServer& server = screens.server.emplace(
        static_cast<ooxml::PackagePresentation&>(presentation), server_options);
    try {
      server.Start();
    } catch (...) {
      session.SetShowServices(nullptr, nullptr);
      throw;
    }
    server.SetNavigate([&loop, &presentation](Navigation navigation) {
      loop.Post([&presentation, navigation] {
        auto* show = dynamic_cast<ooxml::PackageSlideShow*>(presentation.SlideShowWindow());
        if (show == nullptr) return;
        if (navigation == Navigation::kNext) {
          show->Next();
        } else {
          show->Previous();
        }
      });
    });
    screens.fanout.Add(static_cast<host::ShowDisplay*>(&server));
    screens.fanout.Add(static_cast<host::DataStatusDisplay*>(&server));
    out << "Live show: " << server.Url() << std::endl;
    if (options.control) {
      out << "Presenter (may move the show): " << server.Url()
          << "#control=" << server_options.control_token << std::endl;
    }
  }
  for (const auto& [display, status] : options.more_screens) {
    screens.fanout.Add(display);
    screens.fanout.Add(status);
  }
  host.SetShowDisplay(&screens.fanout);
  host.presentations().RunSlideShow(presentation, show_options, &loop);
  auto* show = dynamic_cast<ooxml::PackageSlideShow*>(presentation.SlideShowWindow());
  screens.nothing_to_show = show == nullptr || show->at_end();
}

LiveShow::~LiveShow() {
  End();
}

bool LiveShow::running() const {
  return !screens_->ended && presentation_.SlideShowWindow() != nullptr;
}

bool LiveShow::nothing_to_show() const {
  return screens_->nothing_to_show;
}

void LiveShow::End() {
  if (screens_->ended) return;
  screens_->ended = true;
  screens_->end_watch.ending_ = true;
  if (auto* show = dynamic_cast<ooxml::PackageSlideShow*>(presentation_.SlideShowWindow())) {
    show->End();
  }
  if (screens_->server) screens_->server->Stop();
  PackageHost(session_).SetShowDisplay(nullptr);
  session_.SetShowServices(nullptr, nullptr);
}

void ClosePresentation(HostSession& session, host::Presentation& presentation) {
  PackageHost(session).presentations().Close(presentation);
}

}  // namespace vintrel::app
