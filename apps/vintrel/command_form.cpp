// vintrel form [NAME [FILE]]: one of the add-in's dialogs as a model a front end draws. Prints
// the form (as text, or its JSON with --json); --events replays recorded actions into it (one
// JSON object per line, see src/host/form_json.h) and prints the state they leave; a dialog the
// actions open (the connection dialogs of the connection manager) takes the following lines
// until it closes. --interactive lets a person fill it in at the terminal. The presentation is
// written only with --save.
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "command.h"
#include "host/error.h"
#include "host/form_json.h"
#include "host_session.h"
#include "open_presentation.h"
#include "shell/form_catalog.h"
#include "terminal_form.h"

namespace vintrel::app {
namespace {

struct Options {
  std::string name;
  std::string file;
  std::optional<int> slide;
  std::string select;
  std::string events;
  bool json = false;
  bool interactive = false;
  bool save = false;
};

// Recorded actions, taken by whichever form is shown: a line naming another form ("form": ...)
// is left for that one, so a dialog opened by an action gives the lines back when it closes.
class EventReplay {
 public:
  explicit EventReplay(std::istream& in) {
    std::string line;
    while (std::getline(in, line)) {
      ++line_count_;
      if (line.find_first_not_of(" \t\r") != std::string::npos)
        lines_.push_back({line_count_, line});
    }
  }

  void Fill(host::Form& form) {
    while (form.Visible() && next_ < lines_.size()) {
      const auto& [number, line] = lines_[next_];
      const nlohmann::json parsed = nlohmann::json::parse(line, nullptr, false);
      if (parsed.is_object() && parsed.contains("form") && parsed["form"].is_string() &&
          parsed["form"].get<std::string>() != form.Name()) {
        return;
      }
      ++next_;
      try {
        host::ApplyFormActionJson(form, line);
      } catch (const Error& failure) {
        refused_.push_back({{"line", number}, {"error", failure.description()}});
      }
    }
  }

  bool done() const { return next_ == lines_.size(); }
  size_t left_line() const { return done() ? 0 : lines_[next_].first; }
  const nlohmann::json& refused() const { return refused_; }

 private:
  std::vector<std::pair<size_t, std::string>> lines_;
  size_t line_count_ = 0;
  size_t next_ = 0;
  nlohmann::json refused_ = nlohmann::json::array();
};

void ListForms(std::ostream& out) {
  for (const shell::FormEntry& entry : shell::FormCatalog()) {
    out << entry.name << "\t" << entry.what
        << (entry.needs_slide          ? "  (FILE and --slide)"
            : entry.needs_presentation ? "  (FILE)"
                                       : "")
        << "\n";
  }
}

int Run(const Options& options) {
  if (options.name.empty()) {
    ListForms(std::cout);
    return kExitOk;
  }
  std::ifstream events_file;
  if (!options.events.empty()) {
    events_file.open(options.events);
    if (!events_file) throw BadInput("cannot read the events file " + options.events);
  }
  SessionOptions session_options;
  session_options.terminal_forms = options.interactive;
  session_options.quiet = !options.interactive;
  HostSession session(session_options);

  shell::FormContext context;
  context.slide = options.slide;
  host::Presentation* presentation = nullptr;
  if (!options.file.empty()) {
    presentation = &OpenPresentation(session, options.file);
    context.addin = session.addin();
    if (context.addin == nullptr) {
      std::cerr << "vintrel: the add-in could not start\n";
      return kExitFailure;
    }
    context.presentation = context.addin->FindEntry(*presentation);
    if (!options.select.empty()) session.Select(*presentation, options.select);
  }
  std::unique_ptr<host::Form> form;
  try {
    form = shell::MakeForm(options.name, context);
  } catch (const Error& failure) {
    throw BadInput(failure.description() + " (vintrel form lists the forms)");
  }

  std::optional<EventReplay> replay;
  if (events_file.is_open()) replay.emplace(events_file);
  CommandFrontEnd& front_end = session.front_end();
  // The state is taken when the person is done with the form, before a form left open is
  // cancelled.
  std::string state;
  std::string drawn;
  front_end.SetPerson([&](host::Form& shown) {
    if (replay) {
      replay->Fill(shown);
    } else if (options.interactive) {
      FillFormOnTerminal(shown, std::cin, std::cerr);
    }
    if (&shown != form.get()) return;
    state = host::FormToJson(shown);
    std::ostringstream text;
    DrawForm(shown, text);
    drawn = text.str();
  });
  host::ShowModal(*form, &front_end);
  if (state.empty()) state = host::FormToJson(*form);

  nlohmann::json messages = nlohmann::json::array();
  for (const CommandFrontEnd::Message& message : front_end.messages()) {
    messages.push_back(message.text);
  }
  const bool refused = replay && !replay->refused().empty();
  if (options.json) {
    nlohmann::json out = {{"form", nlohmann::json::parse(state)}, {"messages", messages}};
    if (replay) {
      out["refused"] = replay->refused();
      if (!replay->done()) out["unused_from_line"] = replay->left_line();
    }
    std::cout << out.dump(2) << "\n";
  } else {
    if (!options.interactive) std::cout << drawn;
    for (const auto& message : messages)
      std::cout << "message: " << message.get<std::string>() << "\n";
    if (replay) {
      for (const auto& entry : replay->refused()) {
        std::cerr << "vintrel: line " << entry["line"] << ": " << entry["error"].get<std::string>()
                  << "\n";
      }
    }
  }
  if (options.save && presentation != nullptr) presentation->Save();
  return refused ? kExitBadInput : kExitOk;
}

CommandAction Setup(CLI::App& root) {
  auto options = std::make_shared<Options>();
  CLI::App* command = root.add_subcommand(
      "form",
      "Show one of the add-in's dialogs as a model (text or --json), replay recorded actions "
      "into it (--events), or fill it in at the terminal (--interactive); without NAME, list "
      "the dialogs");
  command->add_option("name", options->name, "The form's own name (e.g. frmTextFileConnection)");
  command->add_option("file", options->file, "Presentation (.pptx) the form works on");
  command->add_option("--slide", options->slide, "The slide a slide page is made for (from 1)");
  command->add_option("--select", options->select,
                      "Select shapes first: SLIDE:SHAPE[,SHAPE...] (for the shape pages)");
  command->add_option("--events", options->events,
                      "Actions to replay, one JSON object per line: {\"control\": NAME, "
                      "\"set\"|\"click\"|\"dblclick\"|\"leave\"|\"key\"|\"spin\"|\"tick\": ...}, "
                      "{\"key\": \"enter\"|\"escape\"}; \"form\": NAME addresses a dialog "
                      "the actions opened");
  command->add_flag("--json", options->json, "Print the form's state and messages as JSON");
  command->add_flag("--interactive", options->interactive,
                    "Fill the form in at the terminal (line prompts)");
  command->add_flag("--save", options->save,
                    "Save the presentation afterwards (what OK wrote into it)");
  std::ostringstream forms;
  ListForms(forms);
  command->footer("Forms:\n" + forms.str());
  return [options] { return Run(*options); };
}

CommandRegistration registration(95, Setup);

}  // namespace
}  // namespace vintrel::app
