// The studio's front end: what the add-in shows (forms, message boxes, pickers) waits on the
// shell thread for the page's person, as a desktop's modal windows do. Each wait publishes what
// it waits for (StateJson) and serves the shell thread's queue, through which the page's actions
// arrive. Every method runs on the shell thread.
#ifndef VINTREL_APPS_VINTREL_STUDIO_FRONT_END_H_
#define VINTREL_APPS_VINTREL_STUDIO_FRONT_END_H_

#include <optional>
#include <string>
#include <vector>

#include "host/forms.h"
#include "host/platform.h"
#include "json_output.h"
#include "shell_thread.h"

namespace vintrel::app {

class StudioFrontEnd : public host::FrontEnd {
 public:
  explicit StudioFrontEnd(ShellThread& shell) : shell_(shell) {}

  int MsgBox(const std::string& text, int style, const std::string& title) override;
  std::string BrowseForFolder(const std::string& title) override;
  std::string BrowseForComputer(const std::string& title) override;
  std::string BrowseForFile(const std::string& title, const std::string& filter,
                            const std::string& initial_path) override;
  // The page has no help viewer of its own; the help stays where `vintrel --help` points.
  void ShowHelp(const std::string&, int) override {}
  void SetBusy(bool) override {}
  void ShowForm(host::Form& form) override;

  // What waits for the person: the forms shown (outermost first), the message box and the
  // picker on top of them, and what the form refused of the last action.
  Json StateJson() const;
  // Whether anything waits (a form, a message box or a picker): the presentation's window is
  // behind a modal window meanwhile.
  bool modal() const { return !forms_.empty() || !messages_.empty() || picker_.has_value(); }
  const std::optional<host::PickerRequest> picker() const {
    return picker_ ? std::optional(picker_->request) : std::nullopt;
  }

  // The page's answers. Act takes one action line as `vintrel form --events` does and gives it
  // to the form on top; what it refuses is kept for StateJson. Each fails (BadInput) when
  // nothing of its kind waits on top.
  void Act(const std::string& line);
  void Answer(int answer);
  void AnswerPicker(const std::string& answer);

 private:
  struct Message {
    std::string text;
    int style = 0;
    std::string title;
    std::optional<int> answer;
  };
  struct Picker {
    host::PickerRequest request;
    std::optional<std::string> answer;
  };
  std::string Browse(host::PickerRequest request);

  ShellThread& shell_;
  std::vector<host::Form*> forms_;
  std::vector<Message> messages_;
  std::optional<Picker> picker_;
  std::string refused_;
};

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_STUDIO_FRONT_END_H_
