#include "host/common/form_json.h"

#include <nlohmann/json.hpp>
#include <optional>

#include "host/error.h"

namespace vintrel::host {
namespace {

using nlohmann::json;

json ControlToJson(const Control& control) {
  json out = {{"name", control.name}, {"kind", ControlKindName(control.kind)}};
  if (!control.caption.empty()) out["caption"] = control.caption;
  if (!control.container.empty()) out["container"] = control.container;
  if (!control.tool_tip.empty()) out["toolTip"] = control.tool_tip;
  out["enabled"] = control.enabled;
  out["visible"] = control.visible;
  switch (control.kind) {
    case ControlKind::kTextBox:
      out["text"] = ShownText(control);
      if (control.password) out["password"] = true;
      if (control.multi_line) out["multiLine"] = true;
      if (control.locked) out["locked"] = true;
      break;
    case ControlKind::kCheckBox:
    case ControlKind::kOptionButton:
      out["value"] = control.value;
      break;
    case ControlKind::kListBox:
    case ControlKind::kComboBox:
      out["items"] = control.items;
      out["listIndex"] = control.list_index;
      out["text"] = control.text;
      if (control.kind == ControlKind::kComboBox) out["editable"] = control.editable;
      break;
    case ControlKind::kTabStrip:
      out["items"] = control.items;
      out["listIndex"] = control.list_index;
      break;
    case ControlKind::kUpDown:
      out["value"] = control.value;
      out["min"] = control.min;
      out["max"] = control.max;
      out["increment"] = control.increment;
      if (!control.buddy.empty()) out["buddy"] = control.buddy;
      break;
    case ControlKind::kProgressBar:
      out["value"] = control.value;
      out["min"] = control.min;
      out["max"] = control.max;
      break;
    case ControlKind::kTimer:
      out["interval"] = control.interval;
      break;
    case ControlKind::kLabel:
    case ControlKind::kCommandButton:
    case ControlKind::kFrame:
      break;
  }
  return out;
}

[[noreturn]] void BadAction(const Form& form, const std::string& why) {
  throw Error(kErrInvalidProcedureCall, form.Name(), "Cannot read the action: " + why);
}

std::string ValueText(const json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_boolean()) return value.get<bool>() ? "1" : "0";
  if (value.is_number_integer()) return std::to_string(value.get<long long>());
  return value.dump();
}

}  // namespace

std::string FormToJson(const Form& form, int indent) {
  json out = {{"name", form.Name()},
              {"caption", form.Caption()},
              {"visible", form.Visible()},
              {"focus", form.Focus()},
              {"default", form.DefaultButton()},
              {"cancel", form.CancelButton()},
              {"topmost", form.Topmost()}};
  json controls = json::array();
  for (const Control& control : form.Controls()) controls.push_back(ControlToJson(control));
  out["controls"] = std::move(controls);
  return out.dump(indent < 0 ? -1 : indent, ' ', false, json::error_handler_t::replace);
}

std::optional<PickerAnswer> ParsePickerAnswer(const std::string& line) {
  const json action = json::parse(line, nullptr, false);
  if (!action.is_object() || !action.contains("picker")) return std::nullopt;
  auto bad = [](const std::string& why) {
    throw Error(kErrInvalidProcedureCall, "Picker", "Cannot read the answer: " + why);
  };
  const json& kind = action["picker"];
  PickerAnswer answer;
  bool known = false;
  for (const PickerKind each : {PickerKind::kComputer, PickerKind::kFile, PickerKind::kFolder}) {
    if (kind.is_string() && kind.get<std::string>() == PickerKindName(each)) {
      answer.kind = each;
      known = true;
    }
  }
  if (!known) bad("\"picker\" is \"computer\", \"file\" or \"folder\"");
  if (!action.contains("answer") || !action["answer"].is_string()) {
    bad("\"answer\" is the text chosen (empty: cancelled)");
  }
  answer.answer = action["answer"].get<std::string>();
  return answer;
}

void ApplyFormActionJson(Form& form, const std::string& line) {
  json action;
  try {
    action = json::parse(line);
  } catch (const json::exception& failure) {
    BadAction(form, std::string("not JSON (") + failure.what() + ")");
  }
  if (!action.is_object()) BadAction(form, "an action is a JSON object");
  // An answer comes right after the action that opened its picker.
  if (action.contains("picker")) BadAction(form, "no picker is open to take this answer");
  if (!action.contains("control")) {
    const std::string key = action.value("key", std::string());
    if (key == "enter") return form.PressDefault();
    if (key == "escape") return form.PressCancel();
    BadAction(form, "no \"control\" named");
  }
  if (!action["control"].is_string()) BadAction(form, "\"control\" is a name");
  const std::string control = action["control"].get<std::string>();
  static const std::pair<const char*, FormAction::Kind> kKinds[] = {
      {"set", FormAction::Kind::kSet},           {"click", FormAction::Kind::kClick},
      {"dblclick", FormAction::Kind::kDblClick}, {"leave", FormAction::Kind::kLeave},
      {"key", FormAction::Kind::kKey},           {"spin", FormAction::Kind::kSpin},
      {"tick", FormAction::Kind::kTick}};
  for (const auto& [word, kind] : kKinds) {
    if (action.contains(word)) return form.Act({kind, control, ValueText(action[word])});
  }
  BadAction(form, "no action (set, click, dblclick, leave, key, spin or tick) for " + control);
}

}  // namespace vintrel::host
