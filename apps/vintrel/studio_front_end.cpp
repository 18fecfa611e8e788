#include "studio_front_end.h"

#include "command.h"
#include "host/common/form_json.h"
#include "host/error.h"

namespace vintrel::app {
namespace {

namespace mb = host::msg_box;

const char* IconName(int style) {
  switch (style & mb::kIconMask) {
    case mb::kCritical:
      return "critical";
    case mb::kQuestion:
      return "question";
    case mb::kExclamation:
      return "exclamation";
    case mb::kInformation:
      return "information";
    default:
      return "";
  }
}

// The buttons of a message box, in order, with the answer each gives.
Json Buttons(int style) {
  const std::pair<const char*, int> ok{"OK", mb::kOk}, cancel{"Cancel", mb::kCancel},
      yes{"Yes", mb::kYes}, no{"No", mb::kNo};
  std::vector<std::pair<const char*, int>> buttons;
  switch (style & mb::kButtonsMask) {
    case mb::kOkCancel:
      buttons = {ok, cancel};
      break;
    case mb::kYesNoCancel:
      buttons = {yes, no, cancel};
      break;
    case mb::kYesNo:
      buttons = {yes, no};
      break;
    default:
      buttons = {ok};
  }
  Json out = Json::array();
  for (const auto& [caption, answer] : buttons) {
    out.push_back({{"caption", caption}, {"answer", answer}});
  }
  return out;
}

// What a box answers when nobody can any more (the studio is ending): Cancel, else No, else OK.
int AnswerOnEnd(int style) {
  switch (style & mb::kButtonsMask) {
    case mb::kOkCancel:
    case mb::kYesNoCancel:
      return mb::kCancel;
    case mb::kYesNo:
      return mb::kNo;
    default:
      return mb::kOk;
  }
}

}  // namespace

int StudioFrontEnd::MsgBox(const std::string& text, int style, const std::string& title) {
  messages_.push_back({text, style, title, std::nullopt});
  const size_t depth = messages_.size();
  shell_.Serve([&] { return messages_[depth - 1].answer.has_value(); });
  const int answer = messages_.back().answer.value_or(AnswerOnEnd(style));
  messages_.pop_back();
  return answer;
}

std::string StudioFrontEnd::Browse(host::PickerRequest request) {
  picker_ = Picker{std::move(request), std::nullopt};
  shell_.Serve([&] { return picker_->answer.has_value(); });
  std::string answer = picker_->answer.value_or("");
  picker_.reset();
  return answer;
}

std::string StudioFrontEnd::BrowseForFolder(const std::string& title) {
  return Browse({host::PickerKind::kFolder, title, "", ""});
}

std::string StudioFrontEnd::BrowseForComputer(const std::string& title) {
  return Browse({host::PickerKind::kComputer, title, "", ""});
}

std::string StudioFrontEnd::BrowseForFile(const std::string& title, const std::string& filter,
                                          const std::string& initial_path) {
  return Browse({host::PickerKind::kFile, title, filter, initial_path});
}

void StudioFrontEnd::ShowForm(host::Form& form) {
  forms_.push_back(&form);
  refused_.clear();
  shell_.Serve([&form] { return !form.Visible(); });
  forms_.pop_back();
}

void StudioFrontEnd::Act(const std::string& line) {
  if (forms_.empty()) throw BadInput("no form is shown");
  if (!messages_.empty() || picker_) throw BadInput("answer the message or the picker first");
  refused_.clear();
  try {
    host::ApplyFormActionJson(*forms_.back(), line);
  } catch (const Error& failure) {
    refused_ = failure.description();
  }
}

void StudioFrontEnd::Answer(int answer) {
  if (messages_.empty() || picker_) throw BadInput("no message box waits for an answer");
  const Json buttons = Buttons(messages_.back().style);
  for (const Json& button : buttons) {
    if (button["answer"] == answer) {
      messages_.back().answer = answer;
      return;
    }
  }
  throw BadInput("the message box has no such button");
}

void StudioFrontEnd::AnswerPicker(const std::string& answer) {
  if (!picker_) throw BadInput("no picker is open");
  picker_->answer = answer;
}

Json StudioFrontEnd::StateJson() const {
  Json forms = Json::array();
  for (const host::Form* form : forms_) forms.push_back(Json::parse(host::FormToJson(*form)));
  Json messages = Json::array();
  for (const Message& message : messages_) {
    messages.push_back({{"text", message.text},
                        {"title", message.title},
                        {"icon", IconName(message.style)},
                        {"defaultButton", (message.style & mb::kDefaultButton2) ? 1 : 0},
                        {"buttons", Buttons(message.style)}});
  }
  Json picker;
  if (picker_) {
    picker = {{"kind", host::PickerKindName(picker_->request.kind)},
              {"title", picker_->request.title},
              {"filter", picker_->request.filter},
              {"initial", picker_->request.initial}};
  }
  return {{"forms", forms}, {"messages", messages}, {"picker", picker}, {"refused", refused_}};
}

}  // namespace vintrel::app
