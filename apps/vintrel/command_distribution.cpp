// vintrel distribution FILE: the distribution list, as "Set distribution list" writes it when
// closed with OK (--start, --stop, --computer), or cleared (--clear); without options it is
// printed. The form's messages are errors here: nothing is written and the exit code is 2.
#include <unistd.h>

#include <deque>
#include <iostream>
#include <optional>
#include <set>

#include "command.h"
#include "document/presentation.h"
#include "host_session.h"
#include "offline/distribution_dialog.h"
#include "open_presentation.h"
#include "support/module_state.h"

namespace vintrel::app {
namespace {

struct Options {
  std::string file;
  std::optional<std::string> start;
  std::optional<std::string> stop;
  std::vector<std::string> computers;
  bool clear = false;
};

std::string ThisComputer() {
  char name[256] = {};
  return gethostname(name, sizeof name - 1) == 0 ? name : "";
}

// Stands where the user sits while the command works the form: the computer picker lists this
// machine and the computers the command line names and picks the latter in order; messages are
// kept for the error; the clear question is answered Yes, since --clear asked for it.
class CommandFrontEnd : public host::FrontEnd {
 public:
  explicit CommandFrontEnd(const std::vector<std::string>& picks)
      : picks_(picks.begin(), picks.end()) {
    listed_.insert(ThisComputer());
    listed_.insert(picks.begin(), picks.end());
  }
  int MsgBox(const std::string& text, int style, const std::string&) override {
    if ((style & host::msg_box::kButtonsMask) == host::msg_box::kYesNoCancel) {
      return host::msg_box::kYes;
    }
    messages_.push_back(text);
    return host::msg_box::kOk;
  }
  std::string BrowseForFolder(const std::string&) override { return ""; }
  std::string BrowseForComputer(const std::string&) override {
    if (picks_.empty()) return "";
    std::string name = picks_.front();
    picks_.pop_front();
    return listed_.count(name) != 0 ? name : "";
  }
  std::string BrowseForFile(const std::string&, const std::string&, const std::string&) override {
    return "";
  }
  void ShowHelp(const std::string&, int) override {}
  void SetBusy(bool) override {}

  const std::vector<std::string>& messages() const { return messages_; }

 private:
  std::set<std::string> listed_;
  std::deque<std::string> picks_;
  std::vector<std::string> messages_;
};

// "DATE TIME" into the form's date and time boxes; the date is what comes before the first
// blank.
void EnterDateTime(const std::string& text, std::string& date, std::string& time) {
  const size_t blank = text.find(' ');
  date = text.substr(0, blank);
  time = blank == std::string::npos ? "" : text.substr(blank + 1);
}

void Print(const clsPresentation& entry) {
  if (entry.DistributionStart())
    std::cout << "start\t" << FormatDateTime(*entry.DistributionStart()) << "\n";
  if (entry.DistributionStop())
    std::cout << "stop\t" << FormatDateTime(*entry.DistributionStop()) << "\n";
  for (const std::string& name : entry.DistributionComputers()) {
    std::cout << "computer\t" << name << "\n";
  }
}

std::string Joined(const std::vector<std::string>& messages) {
  std::string text;
  for (const std::string& message : messages) text += (text.empty() ? "" : " ") + message;
  return text;
}

int Run(const Options& options) {
  const bool setting = options.start || options.stop || !options.computers.empty();
  HostSession session;
  host::Presentation& presentation = OpenPresentation(session, options.file);
  clsPresentation* entry = session.EntryOf(presentation);
  if (entry == nullptr) {
    std::cerr << "vintrel: the add-in could not start\n";
    return kExitFailure;
  }
  if (!setting && !options.clear) {
    Print(*entry);
    return kExitOk;
  }

  {
    CommandFrontEnd front_end(options.computers);
    struct UseFrontEnd {
      host::FrontEnd* inner;
      ~UseFrontEnd() { Services().front_end = inner; }
    } use_front_end{Services().front_end};
    Services().front_end = &front_end;

    if (options.clear) {
      if (!ClearDistributionList(*entry)) return kExitFailure;
    } else {
      frmDistribution form;
      form.SetActivePresentation(*entry);
      if (options.start) EnterDateTime(*options.start, form.txtStartDate, form.txtStartTime);
      if (options.stop) EnterDateTime(*options.stop, form.txtStopDate, form.txtStopTime);
      if (!options.computers.empty()) {
        // The command line gives the whole list.
        form.SetListIndex(0);
        while (form.cmdDeleteEnabled()) form.cmdDelete_Click();
        for (size_t added = 0; added < options.computers.size(); ++added) form.cmdNew_Click();
      }
      if (front_end.messages().empty()) form.cmdClose_Click();
      if (!front_end.messages().empty()) throw BadInput(Joined(front_end.messages()));
      if (!form.written()) return kExitFailure;
    }
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
      "\"DATE TIME\" the window opens (default: the next full hour, or the stored start)");
  CLI::Option* stop = command->add_option(
      "--stop", options->stop,
      "\"DATE TIME\" the window closes (default: two hours after the default start, or the "
      "stored stop)");
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
