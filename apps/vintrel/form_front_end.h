// The program's front end: message boxes and questions go to the terminal, progress windows are
// a bar on stderr (when it is a terminal), and the add-in's forms are filled in from the command
// line: a command says which controls of which form to set and press, and a message the form
// shows while being filled in is the command's error.
#ifndef VINTREL_APPS_VINTREL_FORM_FRONT_END_H_
#define VINTREL_APPS_VINTREL_FORM_FRONT_END_H_

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/platform.h"

namespace vintrel::app {

// One thing a person does in a form: types `value` into a control, or clicks it (no value). With
// `entry`, chooses that entry (from 0) of a list instead: the one way to pick between entries
// that read the same.
struct FormStep {
  std::string control;
  std::optional<std::string> value;
  // A list entry chosen by its position (from 0), for lists whose entries may repeat or are not
  // known beforehand (the connections' names, the clock's formatted times).
  std::optional<int> entry = std::nullopt;
};

// What a person does: a value is set (typed, ticked, chosen), otherwise the control is clicked.
host::FormAction ActionOf(const FormStep& step);

class CommandFrontEnd : public host::FrontEnd {
 public:
  explicit CommandFrontEnd(host::FrontEnd& console) : console_(console) {}

  // The next time form `name` is shown, these steps are taken in order; the form is cancelled
  // afterwards when it is still shown, and at the first message it shows. A step may show
  // another form that has steps of its own (a dialog the first opens); a message in that one
  // ends both. A message shown after the form has closed (by the work its OK started) goes to
  // the terminal as any other.
  void FillForm(const std::string& name, std::vector<FormStep> steps);
  // Whether form `name` was shown, and what the forms said while being filled in.
  bool FormShown(const std::string& name) const { return shown_.count(name) != 0; }
  const std::vector<std::string>& form_messages() const { return form_messages_; }
  // Who fills in a form that no command's steps are given for: a person at the terminal, a
  // script of recorded actions. Without one such a form is cancelled.
  void SetPerson(std::function<void(host::Form&)> person) { person_ = std::move(person); }
  // The computer picker offers this machine and `names`, and picks `names` one by one.
  void PickComputers(const std::vector<std::string>& names);
  // Who answers the pickers a form opens while a person (or a replay) fills it in; without
  // one the terminal asks, as it does for a message box.
  void SetPickerAnswers(std::function<std::string(const host::PickerRequest&)> answer) {
    picker_answer_ = std::move(answer);
  }
  // The last message box the add-in showed (text and style), if any.
  struct Message {
    std::string text;
    int style = 0;
  };
  const std::optional<Message>& last_message() const { return last_message_; }
  // Every message box the add-in showed, in order.
  const std::vector<Message>& messages() const { return messages_; }
  // How many error messages (critical icon) the add-in has shown so far.
  int errors_shown() const { return errors_shown_; }
  // The answer to the next question (yes/no and yes/no/cancel boxes), instead of the terminal's.
  void AnswerQuestions(int answer) { answer_ = answer; }

  int MsgBox(const std::string& text, int style, const std::string& title) override;
  std::string BrowseForFolder(const std::string& title) override;
  std::string BrowseForComputer(const std::string& title) override;
  std::string BrowseForFile(const std::string& title, const std::string& filter,
                            const std::string& initial_path) override;
  void ShowHelp(const std::string& help_file, int context_id) override {
    console_.ShowHelp(help_file, context_id);
  }
  void SetBusy(bool busy) override { console_.SetBusy(busy); }
  std::unique_ptr<host::ProgressDisplay> OpenProgress() override;
  void ShowForm(host::Form& form) override;

 private:
  host::FrontEnd& console_;
  std::map<std::string, std::vector<FormStep>> scripts_;
  std::set<std::string> shown_;
  std::vector<std::string> form_messages_;
  std::vector<host::Form*> filling_;  // the forms being filled in, the innermost last
  std::set<std::string> computers_;
  std::deque<std::string> picks_;
  std::optional<int> answer_;
  int errors_shown_ = 0;
  std::optional<Message> last_message_;
  std::vector<Message> messages_;
  std::function<void(host::Form&)> person_;
  std::function<std::string(const host::PickerRequest&)> picker_answer_;
};

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_FORM_FRONT_END_H_
