// A live slide show of a presentation open in the program, with its screens: the event lines
// (for people or JSON) and, with --serve, web browsers. `vintrel show` runs one; `vintrel
// player` runs one after another.
#ifndef VINTREL_APPS_VINTREL_LIVE_SHOW_H_
#define VINTREL_APPS_VINTREL_LIVE_SHOW_H_

#include <signal.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

#include "host/presentation.h"
#include "host/show_display.h"
#include "host_session.h"

namespace vintrel::app {

struct LiveShowOptions {
  std::string advance;  // auto, manual, every:SECONDS; empty: as the presentation says
  int from = 1;
  bool loop = false;
  bool json = false;
  // The live view in browsers.
  bool serve = false;
  std::string listen = "127.0.0.1";
  int port = 8080;
  bool control = false;
  // More screens the caller owns (the broker publisher), told of every change after the others.
  std::vector<std::pair<host::ShowDisplay*, host::DataStatusDisplay*>> more_screens;
};

// What a show says when it begins past its end: no slide of it is to be shown.
inline constexpr const char* kNoSlideToShow =
    "no slide to show: every slide of the presentation is hidden";

// Adds --advance, --json, --serve, --listen, --port and --control to `command`.
void AddLiveShowOptions(CLI::App& command, LiveShowOptions& options);
// Bad input for options that do not go together or do not read.
void CheckLiveShowOptions(const LiveShowOptions& options);

// "10s", "1500ms", "2m", "1h" or a plain number of seconds.
std::optional<std::chrono::milliseconds> ParseDuration(const std::string& text);

// Turns SIGINT and SIGTERM into a call of `stop` (from a thread of its own), so a loop can end
// between two ticks. The signals are blocked in every thread started after it; they stay blocked
// until the program ends, so a second Ctrl-C cannot cut a clean end short.
class SignalStop {
 public:
  explicit SignalStop(std::function<void()> stop);
  ~SignalStop();
  SignalStop(const SignalStop&) = delete;
  SignalStop& operator=(const SignalStop&) = delete;

 private:
  sigset_t set_;
  std::thread waiter_;
};

class LiveShow {
 public:
  // Starts the show of `presentation` (open in `session`) on the session's loop; its events go
  // to `out`. `ended` runs on the loop when the show ends by itself (past its last slide), not
  // when End ends it. Raises vintrel::Error when the live view's address cannot be bound.
  LiveShow(HostSession& session, host::Presentation& presentation, const LiveShowOptions& options,
           std::ostream& out, std::function<void()> ended);
  // Ends the show when it still runs.
  ~LiveShow();
  LiveShow(const LiveShow&) = delete;
  LiveShow& operator=(const LiveShow&) = delete;

  // Whether the show is on (a show whose slides are all hidden ends as it starts).
  bool running() const;
  // The show began past its end: every slide was hidden (browsers are told so too).
  bool nothing_to_show() const;
  // Ends the show and its screens; the presentation stays open. Safe to call twice.
  void End();

 private:
  struct Screens;
  HostSession& session_;
  host::Presentation& presentation_;
  std::unique_ptr<Screens> screens_;
};

// Closes a presentation without saving (its show ends first).
void ClosePresentation(HostSession& session, host::Presentation& presentation);

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_LIVE_SHOW_H_
