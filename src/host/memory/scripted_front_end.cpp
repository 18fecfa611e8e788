#include "host/memory/scripted_front_end.h"

#include <utility>

#include "host/error.h"
#include "host/memory/fault_injector.h"

namespace vintrel::host::memory {

namespace {

bool Offers(int buttons, int answer) {
  switch (buttons) {
    case msg_box::kOkOnly:
      return answer == msg_box::kOk;
    case msg_box::kOkCancel:
      return answer == msg_box::kOk || answer == msg_box::kCancel;
    case msg_box::kYesNo:
      return answer == msg_box::kYes || answer == msg_box::kNo;
    case msg_box::kYesNoCancel:
      return answer == msg_box::kYes || answer == msg_box::kNo || answer == msg_box::kCancel;
    default:
      return true;  // buttons this front end does not know: trust the script
  }
}

int UnattendedAnswer(int buttons) {
  return buttons == msg_box::kYesNo || buttons == msg_box::kYesNoCancel ? msg_box::kNo
                                                                        : msg_box::kOk;
}

}  // namespace

int ScriptedFrontEnd::MsgBox(const std::string& text, int style, const std::string& title) {
  MessageBoxCall call{text, style & msg_box::kButtonsMask, style & msg_box::kIconMask, title, 0};
  call.topmost = (style & msg_box::kTopmost) != 0;
  if (!answers_.empty()) {
    call.answer = answers_.front();
    answers_.pop_front();
  } else if (answerer_) {
    call.answer = answerer_(call);
  } else {
    auto it = default_answers_.find(call.buttons);
    call.answer = it != default_answers_.end() ? it->second : UnattendedAnswer(call.buttons);
  }
  message_boxes_.push_back(call);
  if (!Offers(call.buttons, call.answer)) {
    throw Error(kErrInvalidArgument, kMemoryHostSource,
                "MsgBox: answer " + std::to_string(call.answer) + " is not a button of the box \"" +
                    text + "\"");
  }
  return call.answer;
}

std::string ScriptedFrontEnd::Pick(std::deque<std::string>& queue, PickerCall call) {
  if (!queue.empty()) {
    call.answer = std::move(queue.front());
    queue.pop_front();
  }
  pickers_.push_back(call);
  return call.answer;
}

std::string ScriptedFrontEnd::BrowseForFolder(const std::string& title) {
  return Pick(folders_, PickerCall{PickerKind::kFolder, title, "", "", ""});
}

std::string ScriptedFrontEnd::BrowseForComputer(const std::string& title) {
  return Pick(computers_, PickerCall{PickerKind::kComputer, title, "", "", ""});
}

std::string ScriptedFrontEnd::BrowseForFile(const std::string& title, const std::string& filter,
                                            const std::string& initial_path) {
  return Pick(files_, PickerCall{PickerKind::kFile, title, filter, initial_path, ""});
}

void ScriptedFrontEnd::ShowHelp(const std::string& help_file, int context_id) {
  help_calls_.push_back(HelpCall{help_file, context_id});
}

void ScriptedFrontEnd::SetBusy(bool busy) {
  ++busy_calls_;
  if (busy && !busy_) ++busy_starts_;
  busy_ = busy;
}

}  // namespace vintrel::host::memory
