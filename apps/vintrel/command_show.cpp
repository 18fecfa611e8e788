// vintrel show FILE: runs the presentation's slide show on the real clock, as a presenter starting
// it would (the add-in's show handlers start and end its timers), and prints every change the
// show makes as it happens: slides shown, hidden and shown again, texts, pictures, charts,
// connections failing and answering again. Ctrl-C or SIGTERM ends the show cleanly; nothing is
// ever written to the file.
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cctype>
#include <cmath>
#include <iostream>
#include <optional>
#include <random>
#include <thread>

#include "command.h"
#include "host/error.h"
#include "host/ooxml/package_application.h"
#include "host/posix/inotify_watcher.h"
#include "host_session.h"
#include "open_presentation.h"
#include "show_events.h"
#include "show_server.h"

namespace vintrel::app {
namespace {

struct ShowCommandOptions {
  std::string file;
  std::string duration;
  int from = 1;
  std::string advance;
  bool loop = false;
  bool json = false;
  // The live view in browsers (--serve).
  bool serve = false;
  std::string listen = "127.0.0.1";
  int port = 8080;
  bool control = false;
};

// A token no viewer can guess: 128 bits from the system's random source.
std::string ControlToken() {
  std::random_device random;
  std::string token;
  const char* digits = "0123456789abcdef";
  for (int i = 0; i < 32; ++i) token += digits[random() & 15];
  return token;
}

// "10s", "1500ms", "2m", "1h" or a plain number of seconds.
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

// Turns SIGINT and SIGTERM into a request to the loop, so the show ends between two ticks.
// The signals are blocked in every thread; one thread waits for them.
class SignalStop {
 public:
  explicit SignalStop(std::function<void()> stop) {
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
  // The signals stay blocked until the program ends: a second Ctrl-C (or the copy of SIGTERM
  // that timeout(1) also sends to the process group) must not cut the show's clean end short.
  ~SignalStop() {
    pthread_kill(waiter_.native_handle(), SIGUSR1);
    waiter_.join();
  }

 private:
  sigset_t set_;
  std::thread waiter_;
};

// Ends the loop when the show ends by itself (past its last slide).
class EndWatch : public host::ShowDisplay {
 public:
  explicit EndWatch(host::EventLoop& loop) : loop_(loop) {}
  void ShowEnded() override { loop_.Quit(); }

 private:
  host::EventLoop& loop_;
};

CommandAction SetupShow(CLI::App& root) {
  auto options = std::make_shared<ShowCommandOptions>();
  CLI::App* command = root.add_subcommand(
      "show",
      "Run the slide show live: values follow their data, slides hide and scroll, clocks tick; "
      "every change is printed as it happens");
  command->add_option("file", options->file, "The presentation (.pptx)")->required();
  command->add_option("--for", options->duration,
                      "End the show after this long (10s, 1500ms, 2m, 1h; a plain number is "
                      "seconds); without it the show runs until its end, Ctrl-C or SIGTERM");
  command->add_option("--from", options->from, "Start with this slide (from 1)");
  command->add_option("--advance", options->advance,
                      "auto (each slide after its own timing), manual (never), every:SECONDS; "
                      "default: as the presentation's show settings say");
  command->add_flag("--loop", options->loop,
                    "Start over after the last slide (as kiosk shows and shows set to loop do)");
  command->add_flag("--json", options->json,
                    "Print JSON lines with a time stamp (see docs/show-events.md)");
  command->add_flag("--serve", options->serve,
                    "Also show the slide show in web browsers; prints the address to open");
  command->add_option("--listen", options->listen,
                      "With --serve: the address to listen on (default 127.0.0.1, this machine "
                      "only; 0.0.0.0 for every network)");
  command->add_option("--port", options->port, "With --serve: the port (default 8080; 0: any)")
      ->check(CLI::Range(0, 65535));
  command->add_flag("--control", options->control,
                    "With --serve: print a second address whose browser may move the show "
                    "(keys and clicks); every other browser only watches");
  return [options] {
    std::optional<std::chrono::milliseconds> duration;
    if (!options->duration.empty()) {
      duration = ParseDuration(options->duration);
      if (!duration) {
        throw BadInput("--for takes a time such as 10s, 1500ms or 2m, not \"" + options->duration +
                       "\"");
      }
    }
    ooxml::ShowOptions show_options = ParseAdvance(options->advance, options->from);
    show_options.loop = options->loop;
    if (!options->serve &&
        (options->control || options->port != 8080 || options->listen != "127.0.0.1")) {
      throw BadInput("--listen, --port and --control go with --serve");
    }

    // Signals are blocked before any other thread starts, so only the waiter receives them.
    std::atomic<host::EventLoop*> stopping_loop{nullptr};
    std::atomic<bool> stop_requested{false};
    SignalStop signals([&] {
      stop_requested = true;
      // Posted work runs inside the loop, even one that is only about to start.
      if (host::EventLoop* loop = stopping_loop.load()) loop->Post([loop] { loop->Quit(); });
    });

    HostSession session;
    host::Presentation& presentation = OpenPresentation(session, options->file);
    if (options->from < 1 || options->from > presentation.Slides().Count()) {
      throw BadInput("--from: no slide " + std::to_string(options->from) +
                     " (the presentation has " + std::to_string(presentation.Slides().Count()) +
                     ")");
    }
    auto* host = dynamic_cast<ooxml::PackageApplication*>(&session.host());
    if (host == nullptr) throw Error(kErrUnspecified, "vintrel", "the host cannot run shows");

    host::EventLoop& loop = session.loop();
    ShowEventWriter writer(std::cout, loop.clock(), options->json);
    EndWatch end_watch(loop);
    ShowFanout screens;
    screens.Add(static_cast<host::ShowDisplay*>(&writer));
    screens.Add(static_cast<host::DataStatusDisplay*>(&writer));
    screens.Add(static_cast<host::ShowDisplay*>(&end_watch));
    host::posix::InotifyWatcher watcher(loop);
    session.SetShowServices(&watcher, &screens);
    std::optional<ShowServer> server;
    if (options->serve) {
      ShowServerOptions server_options;
      server_options.address = options->listen;
      server_options.port = options->port;
      if (options->control) server_options.control_token = ControlToken();
      server.emplace(static_cast<ooxml::PackagePresentation&>(presentation), server_options);
      server->Start();
      server->SetNavigate([&loop, &presentation](Navigation navigation) {
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
      screens.Add(static_cast<host::ShowDisplay*>(&*server));
      screens.Add(static_cast<host::DataStatusDisplay*>(&*server));
      std::cout << "Live show: " << server->Url() << std::endl;
      if (options->control) {
        std::cout << "Presenter (may move the show): " << server->Url()
                  << "#control=" << server_options.control_token << std::endl;
      }
    }
    host->SetShowDisplay(&screens);

    host->presentations().RunSlideShow(presentation, show_options, &loop);
    stopping_loop = &loop;
    if (stop_requested) loop.Post([&loop] { loop.Quit(); });
    if (presentation.SlideShowWindow() != nullptr) {
      if (duration) {
        loop.RunFor(*duration);
      } else {
        loop.Run();
      }
    }
    stopping_loop = nullptr;
    if (auto* show = dynamic_cast<ooxml::PackageSlideShow*>(presentation.SlideShowWindow())) {
      show->End();
    }
    if (server) server->Stop();
    host->SetShowDisplay(nullptr);
    session.SetShowServices(nullptr, nullptr);
    host->presentations().Close(presentation);
    return kExitOk;
  };
}

const CommandRegistration registration(25, SetupShow);

}  // namespace
}  // namespace vintrel::app
