#include "form_front_end.h"

#include <unistd.h>

#include <chrono>
#include <iostream>

#include "host/error.h"

namespace vintrel::app {
namespace {

std::string ThisComputer() {
  char name[256] = {};
  return gethostname(name, sizeof name - 1) == 0 ? name : "";
}

// The progress window as one line on the terminal, redrawn in place.
class TerminalProgress : public host::ProgressDisplay {
 public:
  void SetTitle(const std::string& title) override { title_ = title; }
  void SetStatus(const std::string& text) override {
    status_ = text;
    Draw(true);
  }
  void SetProgress(int value, int maximum) override {
    value_ = value;
    maximum_ = maximum;
    Draw(value == maximum);
  }
  void SetRemaining(const std::string& text) override { remaining_ = text; }
  void Close() override {
    if (drawn_) std::cerr << "\r\033[K" << std::flush;
    drawn_ = false;
  }

 private:
  void Draw(bool always) {
    const auto now = std::chrono::steady_clock::now();
    // Thousands of steps a second would spend their time on the terminal.
    if (!always && drawn_ && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    constexpr int kWidth = 30;
    const int filled = maximum_ > 0 ? value_ * kWidth / maximum_ : 0;
    std::cerr << "\r\033[K" << title_ << " [" << std::string(filled, '#')
              << std::string(kWidth - filled, '-') << "] " << value_ << "/" << maximum_ << " "
              << status_ << (remaining_.empty() ? "" : "  " + remaining_) << std::flush;
    drawn_ = true;
  }

  std::string title_, status_, remaining_;
  int value_ = 0;
  int maximum_ = 0;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point last_{};
};

bool IsQuestion(int style) {
  const int buttons = style & host::msg_box::kButtonsMask;
  return buttons == host::msg_box::kYesNo || buttons == host::msg_box::kYesNoCancel;
}

}  // namespace

host::FormAction ActionOf(const FormStep& step) {
  if (step.value) return {host::FormAction::Kind::kSet, step.control, *step.value};
  return {host::FormAction::Kind::kClick, step.control, ""};
}

void CommandFrontEnd::FillForm(const std::string& name, std::vector<FormStep> steps) {
  scripts_[name] = std::move(steps);
}

void CommandFrontEnd::PickComputers(const std::vector<std::string>& names) {
  computers_ = {ThisComputer()};
  computers_.insert(names.begin(), names.end());
  picks_.assign(names.begin(), names.end());
}

int CommandFrontEnd::MsgBox(const std::string& text, int style, const std::string& title) {
  if ((style & host::msg_box::kIconMask) == host::msg_box::kCritical) ++errors_shown_;
  last_message_ = Message{text, style};
  messages_.push_back(*last_message_);
  if (IsQuestion(style) && answer_) return *answer_;
  // What a form says once it has closed (the work its OK started) is no answer to the filling.
  if (filling_.empty() || !filling_.back()->Visible()) return console_.MsgBox(text, style, title);
  form_messages_.push_back(text);
  return IsQuestion(style) ? host::msg_box::kNo : host::msg_box::kOk;
}

std::string CommandFrontEnd::BrowseForFolder(const std::string& title) {
  if (picker_answer_) return picker_answer_({host::PickerKind::kFolder, title, "", ""});
  return console_.BrowseForFolder(title);
}

std::string CommandFrontEnd::BrowseForFile(const std::string& title, const std::string& filter,
                                           const std::string& initial_path) {
  if (picker_answer_) return picker_answer_({host::PickerKind::kFile, title, filter, initial_path});
  return console_.BrowseForFile(title, filter, initial_path);
}

std::string CommandFrontEnd::BrowseForComputer(const std::string& title) {
  if (computers_.empty() && picker_answer_) {
    return picker_answer_({host::PickerKind::kComputer, title, "", ""});
  }
  if (computers_.empty()) return console_.BrowseForComputer(title);
  if (picks_.empty()) return "";
  const std::string name = picks_.front();
  picks_.pop_front();
  return computers_.count(name) != 0 ? name : "";
}

std::unique_ptr<host::ProgressDisplay> CommandFrontEnd::OpenProgress() {
  if (!isatty(STDERR_FILENO)) return nullptr;
  return std::make_unique<TerminalProgress>();
}

void CommandFrontEnd::ShowForm(host::Form& form) {
  const std::string name = form.Name();
  shown_.insert(name);
  const auto script = scripts_.find(name);
  if (script == scripts_.end()) {
    if (person_) {
      person_(form);
    } else {
      console_.ShowForm(form);
    }
    return;
  }
  const std::vector<FormStep> steps = std::move(script->second);
  scripts_.erase(script);
  filling_.push_back(&form);
  const size_t messages_before = form_messages_.size();
  try {
    for (const FormStep& step : steps) {
      if (!form.Visible() || form_messages_.size() > messages_before) break;
      if (!step.entry) {
        form.Act(ActionOf(step));
        continue;
      }
      const std::vector<std::string>& items = form.Items(step.control);
      if (*step.entry < 0 || *step.entry >= static_cast<int>(items.size())) {
        form_messages_.push_back(step.control + " has no entry " + std::to_string(*step.entry));
        break;
      }
      // Chosen as a person chooses it; an earlier entry of the same text is passed over.
      form.Act({host::FormAction::Kind::kSet, step.control, items[*step.entry]});
      if (form.Visible() && form.ListIndex(step.control) != *step.entry) {
        form.SetListIndex(step.control, *step.entry);
      }
    }
  } catch (const Error& failure) {
    form_messages_.push_back(failure.description());
  }
  if (form.Visible()) form.PressCancel();
  filling_.pop_back();
}

}  // namespace vintrel::app
