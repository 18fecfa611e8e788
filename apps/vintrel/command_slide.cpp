// vintrel slide: a slide's settings, written by filling in the slide property page and closing
// it with OK: hide the slide when its connections deliver no data, reload its linked objects when
// their files change, and scroll through a connection's rows step by step.
#include <iostream>
#include <optional>

#include "command.h"
#include "host_session.h"
#include "open_presentation.h"
#include "shell/presentation_report.h"
#include "shell/slide_report.h"
#include "terminal_command.h"

namespace vintrel::app {
namespace {

bool ParseOnOff(const std::string& option, const std::string& text) {
  if (text == "on") return true;
  if (text == "off") return false;
  throw BadInput(option + " takes on or off, not \"" + text + "\"");
}

struct Options {
  std::string file;
  int slide = 0;
  std::optional<std::string> hide_when_no_data;
  std::optional<std::string> refresh_linked_objects;
  std::optional<std::string> scroll;
  std::optional<long> step;
  std::optional<long> time;
  std::optional<std::string> enabled;
  bool interactive = false;
};

constexpr int kHighestConnectionNumber = 99;

// A connection number as a whole number, so that "3" and "03" name the same connection.
std::optional<long> NumberOf(const std::string& text) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::stol(text);
}

void Print(const shell::SlideFacts& facts) {
  std::cout << "hide-when-no-data\t" << (facts.hide_when_no_data ? "on" : "off") << "\n"
            << "refresh-linked-objects\t" << (facts.refresh_linked_objects ? "on" : "off") << "\n";
  for (const shell::SlideFacts::Scroll& scroll : facts.scrolls) {
    std::cout << "scroll " << scroll.number << "\t" << (scroll.enabled ? "on" : "off") << "\tstep "
              << scroll.step << "\ttime " << scroll.time << " ms\n";
  }
}

std::string Joined(const std::vector<std::string>& messages) {
  std::string text;
  for (const std::string& message : messages) text += (text.empty() ? "" : " ") + message;
  return text;
}

// The slide property page's list position of the connection `requested` names, which a shape of
// the slide must show; the page lists no other.
int ListedConnection(host::Slide& slide, int slide_number,
                     const std::vector<shell::ConnectionFacts>& connections,
                     const std::string& requested) {
  const std::optional<long> wanted = NumberOf(requested);
  if (!wanted || *wanted < 1 || *wanted > kHighestConnectionNumber) {
    throw BadInput("connection " + requested + " is outside the scroll settings (1 to 99)");
  }
  std::vector<std::string> numbers;
  std::string number;
  for (const shell::ConnectionFacts& connection : connections) {
    numbers.push_back(connection.number);
    if (NumberOf(connection.number) == wanted) number = connection.number;
  }
  if (number.empty()) throw BadInput("no connection " + requested);
  const std::vector<std::string> listed = shell::ConnectionsShownOnSlide(slide, numbers);
  for (size_t index = 0; index < listed.size(); ++index) {
    if (listed[index] == number) return static_cast<int>(index);
  }
  throw BadInput("no shape of slide " + std::to_string(slide_number) +
                 " shows data of connection " + number);
}

int Run(const Options& options) {
  if (options.interactive) {
    if (options.hide_when_no_data || options.refresh_linked_objects || options.scroll ||
        options.step || options.time || options.enabled) {
      throw BadInput("--interactive takes the settings from the page; give no other options");
    }
    return RunOnTerminal(options.file, [&](HostSession& session, host::Presentation& presentation) {
      FindSlide(presentation, options.slide);
      session.Select(presentation, std::to_string(options.slide));
      session.addin()->ShapeCommandClick(shell::kSlideProperties,
                                         shell::Application::Place::kMainMenu);
    });
  }
  const bool scrolling = options.step || options.time || options.enabled;
  if (scrolling && !options.scroll) throw BadInput("--step, --time and --enabled go with --scroll");
  std::optional<bool> hide;
  std::optional<bool> refresh;
  std::optional<bool> enabled;
  if (options.hide_when_no_data) {
    hide = ParseOnOff("--hide-when-no-data", *options.hide_when_no_data);
  }
  if (options.refresh_linked_objects) {
    refresh = ParseOnOff("--refresh-linked-objects", *options.refresh_linked_objects);
  }
  if (options.enabled) enabled = ParseOnOff("--enabled", *options.enabled);
  if (options.step && *options.step < 0) throw BadInput("--step must not be negative");
  if (options.time && *options.time < 0) throw BadInput("--time must not be negative");

  HostSession session;
  host::Presentation& presentation = OpenPresentation(session, options.file);
  host::Slide& slide = FindSlide(presentation, options.slide);
  const shell::SlideFacts facts = shell::DescribeSlide(slide);
  for (const std::string& warning : facts.warnings) {
    std::cerr << "vintrel: warning: " << warning << "\n";
  }
  if (!hide && !refresh && !options.scroll) {
    Print(facts);
    return kExitOk;
  }
  shell::Application* addin = session.addin();
  if (addin == nullptr || addin->FindEntry(presentation) == nullptr) {
    std::cerr << "vintrel: the add-in could not start\n";
    return kExitFailure;
  }

  // The slide property page, filled in as a person would: the General tab first, then the
  // connection on the Scrolling tab.
  std::vector<FormStep> steps;
  if (hide) steps.push_back({"chkHideWhenNoData", *hide ? "1" : "0"});
  if (refresh) steps.push_back({"chkRefreshLinkedObjects", *refresh ? "1" : "0"});
  if (options.scroll) {
    const int entry = ListedConnection(
        slide, options.slide, shell::DescribeConnections(session.context(), addin, presentation),
        *options.scroll);
    bool shown = false;
    for (const shell::SlideFacts::Scroll& scroll : facts.scrolls) {
      if (scroll.number == NumberOf(*options.scroll)) shown = scroll.enabled;
    }
    steps.push_back({"TabStrip1", "Scrolling"});
    steps.push_back({"ConnectionList", std::nullopt, entry});
    // The step boxes take typing only while scrolling is ticked.
    if (options.step || options.time) steps.push_back({"chkScrollingEnabled", "1"});
    if (options.step) steps.push_back({"txtScrollStep", std::to_string(*options.step)});
    if (options.time) steps.push_back({"txtScrollTime", std::to_string(*options.time)});
    // Leaving the box stores what the page shows for the connection.
    steps.push_back({"chkScrollingEnabled", enabled.value_or(shown) ? "1" : "0"});
  }
  steps.push_back({"cmdClose", std::nullopt});
  CommandFrontEnd& front_end = session.front_end();
  front_end.FillForm("frmSlidePropertyPage", std::move(steps));
  session.Select(presentation, std::to_string(options.slide));
  addin->ShapeCommandClick(shell::kSlideProperties, shell::Application::Place::kMainMenu);
  if (!front_end.form_messages().empty()) throw BadInput(Joined(front_end.form_messages()));
  if (!front_end.FormShown("frmSlidePropertyPage")) {
    std::cerr << "vintrel: the slide property page did not open\n";
    return kExitFailure;
  }
  presentation.Save();
  return kExitOk;
}

CommandAction Setup(CLI::App& root) {
  auto options = std::make_shared<Options>();
  CLI::App* command = root.add_subcommand(
      "slide", "Show or change a slide's data settings: hiding, linked objects, scrolling");
  command->add_option("file", options->file, "Presentation (.pptx)")->required();
  command->add_option("--slide", options->slide, "Slide number, from 1")->required();
  command->add_option("--hide-when-no-data", options->hide_when_no_data,
                      "on or off: hide the slide in the show when its data is empty");
  command->add_option("--refresh-linked-objects", options->refresh_linked_objects,
                      "on or off: reload linked pictures and objects when their files change");
  command->add_option("--scroll", options->scroll, "Connection number whose rows scroll");
  command->add_option("--step", options->step, "Rows per scroll step (--scroll)");
  command->add_option("--time", options->time,
                      "Milliseconds between scroll steps; 0 removes the setting (--scroll)");
  command->add_option("--enabled", options->enabled, "on or off (--scroll)");
  command->add_flag("--interactive", options->interactive,
                    "Fill in \"Slide properties\" at the terminal instead (line prompts)");
  return [options]() { return Run(*options); };
}

CommandRegistration registration(50, Setup);

}  // namespace
}  // namespace vintrel::app
