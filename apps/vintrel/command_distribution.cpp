// vintrel distribution FILE: the distribution list, as "Set distribution list" writes it when
// closed with OK (--start, --stop, --computer), or cleared (--clear); without options it is
// printed. The form's messages are errors here: nothing is written and the exit code is 2.
#include <iostream>
#include <optional>

#include "command.h"
#include "host_session.h"
#include "open_presentation.h"
#include "shell/presentation_report.h"

namespace vintrel::app {
namespace {

struct Options {
  std::string file;
  std::optional<std::string> start;
  std::optional<std::string> stop;
  std::vector<std::string> computers;
  bool clear = false;
};

// "DATE TIME" typed into the form's date and time boxes; the date is what comes before the first
// blank.
void EnterDateTime(const std::string& text, const std::string& date_box,
                   const std::string& time_box, std::vector<FormStep>& steps) {
  const size_t blank = text.find(' ');
  steps.push_back({date_box, text.substr(0, blank)});
  steps.push_back({time_box, blank == std::string::npos ? "" : text.substr(blank + 1)});
}

void Print(const shell::DistributionFacts& list) {
  if (!list.start.empty()) std::cout << "start\t" << list.start << "\n";
  if (!list.stop.empty()) std::cout << "stop\t" << list.stop << "\n";
  for (const std::string& name : list.computers) std::cout << "computer\t" << name << "\n";
}

std::string Joined(const std::vector<std::string>& messages) {
  std::string text;
  for (const std::string& message : messages) text += (text.empty() ? "" : " ") + message;
  return text;
}

int Run(const Options& options) {
  // The picker's empty answer is a cancel: an empty name would silently empty the list.
  for (const std::string& name : options.computers) {
    if (name.empty()) throw BadInput("--computer: a computer name cannot be empty");
  }
  const bool setting = options.start || options.stop || !options.computers.empty();
  HostSession session;
  host::Presentation& presentation = OpenPresentation(session, options.file);
  shell::Application* addin = session.addin();
  if (addin == nullptr || addin->FindEntry(presentation) == nullptr) {
    std::cerr << "vintrel: the add-in could not start\n";
    return kExitFailure;
  }
  if (!setting && !options.clear) {
    Print(shell::DescribeDistribution(addin, presentation));
    return kExitOk;
  }

  CommandFrontEnd& front_end = session.front_end();
  if (options.clear) {
    // --clear asked for it: the question is answered Yes.
    front_end.AnswerQuestions(host::msg_box::kYes);
    addin->DistributionClearClick();
  } else {
    std::vector<FormStep> steps;
    if (options.start) EnterDateTime(*options.start, "txtStartDate", "txtStartTime", steps);
    if (options.stop) EnterDateTime(*options.stop, "txtStopDate", "txtStopTime", steps);
    if (!options.computers.empty()) {
      // The command line gives the whole list: what is listed goes, then each name is added.
      const auto stored = shell::DescribeDistribution(addin, presentation).computers;
      if (!stored.empty()) steps.push_back({"DistributionList", stored.front()});
      for (size_t i = 0; i < stored.size(); ++i) steps.push_back({"cmdDelete", std::nullopt});
      for (size_t i = 0; i < options.computers.size(); ++i)
        steps.push_back({"cmdNew", std::nullopt});
      front_end.PickComputers(options.computers);
    }
    steps.push_back({"cmdClose", std::nullopt});
    front_end.FillForm("frmDistribution", std::move(steps));
    addin->DistributionSetClick();
    if (!front_end.form_messages().empty()) throw BadInput(Joined(front_end.form_messages()));
    if (!front_end.FormShown("frmDistribution")) return kExitFailure;
  }
  presentation.Save();
  return kExitOk;
}

CommandAction Setup(CLI::App& root) {
  auto options = std::make_shared<Options>();
  CLI::App* command = root.add_subcommand(
      "distribution",
      "Show, set or clear the distribution list: the computers that show the presentation and "
      "the time window in which they show it");
  command->add_option("file", options->file, "Presentation (.pptx)")->required();
  CLI::Option* start = command->add_option(
      "--start", options->start,
      "\"DATE TIME\" the window opens, both given (default: the next full hour, or the stored "
      "start)");
  CLI::Option* stop = command->add_option(
      "--stop", options->stop,
      "\"DATE TIME\" the window closes, both given (default: two hours after the default start, "
      "or the stored stop)");
  CLI::Option* computers = command->add_option(
      "--computer", options->computers,
      "Computer names, in order; they replace the stored list (default: the stored list)");
  command->add_flag("--clear", options->clear, "Remove the distribution list")
      ->excludes(start)
      ->excludes(stop)
      ->excludes(computers);
  return [options]() { return Run(*options); };
}

CommandRegistration registration(75, Setup);

}  // namespace
}  // namespace vintrel::app
