// vintrel show FILE: runs the presentation's slide show on the real clock, as a presenter starting
// it would (the add-in's show handlers start and end its timers), and prints every change the
// show makes as it happens: slides shown, hidden and shown again, texts, pictures, charts,
// connections failing and answering again. Ctrl-C or SIGTERM ends the show cleanly; nothing is
// ever written to the file.
#include <atomic>
#include <iostream>
#include <optional>

#include "command.h"
#include "host_session.h"
#include "live_show.h"
#include "open_presentation.h"
#include "page_export.h"
#include "shell/argument_checks.h"
#include "show_publisher.h"

namespace vintrel::app {
namespace {

struct ShowCommandOptions {
  std::string file;
  std::string duration;
  std::string publish;
  LiveShowOptions show;
  PageExportOptions page;
};

CommandAction SetupShow(CLI::App& root) {
  auto options = std::make_shared<ShowCommandOptions>();
  CLI::App* command = root.add_subcommand(
      "show",
      "Run the slide show live: values follow their data, slides hide and scroll, clocks tick; "
      "every change is printed as it happens");
  command->add_option("file", options->file, "The presentation (.pptx); none with --export-page");
  command->add_option("--for", options->duration,
                      "End the show after this long (10s, 1500ms, 2m, 1h; a plain number is "
                      "seconds); without it the show runs until its end, Ctrl-C or SIGTERM");
  command->add_option("--from", options->show.from, "Start with this slide (from 1)");
  command->add_flag("--loop", options->show.loop,
                    "Start over after the last slide (as kiosk shows and shows set to loop do)");
  AddLiveShowOptions(*command, options->show);
  command->add_option("--publish", options->publish,
                      "Also publish the show through an MQTT broker: mqtt://HOST[:PORT]/TOPIC or "
                      "mqtts://...; user and password from the settings (BrokerUser, "
                      "BrokerPassword)");
  AddPageExportOptions(*command, options->page);
  return [options, command]() -> int {
    if (auto exported = ExportPageIfAsked(*command, options->page, std::cout)) return *exported;
    if (options->file.empty()) throw BadInput("show: the presentation FILE is required");
    std::optional<std::chrono::milliseconds> duration;
    if (!options->duration.empty()) {
      duration = ParseDuration(options->duration);
      if (!duration) {
        throw BadInput("--for takes a time such as 10s, 1500ms or 2m, not \"" + options->duration +
                       "\"");
      }
    }
    CheckLiveShowOptions(options->show);

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
    const int slides = presentation.Slides().Count();
    if (slides == 0) throw BadInput(options->file + ": the presentation has no slides");
    if (const std::string problem = shell::SlideProblem(presentation, options->show.from);
        !problem.empty()) {
      throw BadInput("--from: " + problem);
    }
    host::EventLoop& loop = session.loop();
    std::unique_ptr<ShowPublisher> publisher = StartShowPublisher(
        options->publish, session.context(), presentation, loop, std::cout, options->show);
    bool serving_nothing = false;
    LiveShow show(session, presentation, options->show, std::cout, [&loop, &serving_nothing] {
      if (!serving_nothing) loop.Quit();
    });
    const bool nothing = show.nothing_to_show();
    if (nothing) {
      std::cerr << "vintrel: " << kNoSlideToShow << std::endl;
      // Browsers pointed at the show say so too, until the time is up or a signal comes.
      serving_nothing = options->show.serve;
    }
    stopping_loop = &loop;
    if (stop_requested) loop.Post([&loop] { loop.Quit(); });
    if (show.running() && (!nothing || serving_nothing)) {
      if (duration) {
        loop.RunFor(*duration);
      } else {
        loop.Run();
      }
    }
    stopping_loop = nullptr;
    show.End();
    ClosePresentation(session, presentation);
    return nothing ? kExitBadInput : kExitOk;
  };
}

const CommandRegistration registration(25, SetupShow);

}  // namespace
}  // namespace vintrel::app
