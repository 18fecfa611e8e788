// vintrel form [NAME [FILE]]: one of the add-in's dialogs as a model a front end draws. Prints
// the form (as text, or its JSON with --json); --events replays recorded actions into it (one
// JSON object per line, see src/host/common/form_json.h) and prints the state they leave; a dialog
// the actions open (the connection dialogs of the connection manager) takes the following lines
// until it closes. --interactive lets a person fill it in at the terminal. The presentation is
// written only with --save.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <utility>

#include "command.h"
#include "host/common/form_json.h"
#include "host/error.h"
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
// is left for that one, so a dialog opened by an action gives the lines back when it closes. A
// picker an action opens takes the answer recorded right after that action.
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
      const size_t acting = std::exchange(acting_line_, number);
      try {
        host::ApplyFormActionJson(form, line);
      } catch (const Error& failure) {
        Refuse(number, failure.description());
      }
      acting_line_ = acting;
    }
  }

  // The answer recorded for the picker the current action opened; an action whose picker finds
  // no answer after it is refused (and the picker cancelled).
  std::string AnswerPicker(const host::PickerRequest& request) {
    const char* kind = host::PickerKindName(request.kind);
    std::optional<host::PickerAnswer> answer;
    if (next_ < lines_.size()) {
      try {
        answer = host::ParsePickerAnswer(lines_[next_].second);
      } catch (const Error& failure) {
        Refuse(lines_[next_].first, failure.description());
        ++next_;
        return "";
      }
    }
    if (!answer || answer->kind != request.kind) {
      Refuse(acting_line_, std::string("the ") + kind + " picker (\"" + request.title +
                               "\") was not answered: give {\"picker\": \"" + kind +
                               "\", \"answer\": ...} on the next line");
      return "";
    }
    ++next_;
    return answer->answer;
  }

  bool done() const { return next_ == lines_.size(); }
  size_t left_line() const { return done() ? 0 : lines_[next_].first; }
  const nlohmann::json& refused() const { return refused_; }

 private:
  void Refuse(size_t line, const std::string& why) {
    refused_.push_back({{"line", line}, {"error", why}});
  }

  std::vector<std::pair<size_t, std::string>> lines_;
  size_t line_count_ = 0;
  size_t next_ = 0;
  size_t acting_line_ = 0;
  nlohmann::json refused_ = nlohmann::json::array();
};

// A message box with an error or warning icon: the form refused what it was given.
bool IsError(const CommandFrontEnd::Message& message) {
  const int icon = message.style & host::msg_box::kIconMask;
  return icon == host::msg_box::kCritical || icon == host::msg_box::kExclamation;
}

void ListForms(std::ostream& out) {
  for (const shell::FormEntry& entry : shell::FormCatalog()) {
    out << entry.name << "\t" << entry.what
        << (entry.needs_slide          ? "  (FILE and --slide)"
            : entry.needs_presentation ? "  (FILE)"
                                       : "")
        << "\n";
  }
}

// Prints the state the form was left in (drawn, or as JSON), every message it showed and the
// recorded lines it refused.
void PrintOutcome(const Options& options, const std::string& state, const std::string& drawn,
                  const CommandFrontEnd& front_end, const EventReplay* replay) {
  nlohmann::json messages = nlohmann::json::array();
  for (const CommandFrontEnd::Message& message : front_end.messages()) {
    messages.push_back(message.text);
  }
  if (options.json) {
    nlohmann::json out = {{"form", nlohmann::json::parse(state)}, {"messages", messages}};
    if (replay) {
      out["refused"] = replay->refused();
      if (!replay->done()) out["unused_from_line"] = replay->left_line();
    }
    std::cout << out.dump(2) << "\n";
    return;
  }
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
  context.ctx = &session.context();
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
    // The slide is checked as every command checks it, before any form opens.
    if (options.slide) FindSlide(*presentation, *options.slide);
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
  if (replay) {
    front_end.SetPickerAnswers(
        [&](const host::PickerRequest& request) { return replay->AnswerPicker(request); });
  }
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

  // A replay that was refused, or made the form show an error, has not done what it recorded.
  const bool failed =
      replay && (!replay->refused().empty() ||
                 std::any_of(front_end.messages().begin(), front_end.messages().end(), IsError));
  PrintOutcome(options, state, drawn, front_end, replay ? &*replay : nullptr);
  if (options.save && presentation != nullptr) {
    if (failed) {
      std::cerr << "vintrel: nothing was saved: the form refused an action or showed an error\n";
    } else {
      presentation->Save();
    }
  }
  return failed ? kExitBadInput : kExitOk;
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
                      "the actions opened; {\"picker\": \"computer\"|\"file\"|\"folder\", "
                      "\"answer\": TEXT} answers the picker the action before opened. A refused "
                      "line or an error message: exit code 2, nothing saved");
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
