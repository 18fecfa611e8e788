#include "host/forms.h"

#include <algorithm>
#include <charconv>

#include "host/error.h"
#include "host/platform.h"

namespace vintrel::host {

std::string ShownText(const Control& control) {
  if (!control.password) return control.text;
  // One mark per character, not per byte of its UTF-8 form.
  std::string masked;
  for (unsigned char c : control.text) {
    if ((c & 0xC0) != 0x80) masked += '*';
  }
  return masked;
}

const char* ControlKindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::kLabel:
      return "label";
    case ControlKind::kTextBox:
      return "textbox";
    case ControlKind::kCheckBox:
      return "checkbox";
    case ControlKind::kOptionButton:
      return "option";
    case ControlKind::kListBox:
      return "listbox";
    case ControlKind::kComboBox:
      return "combobox";
    case ControlKind::kCommandButton:
      return "button";
    case ControlKind::kFrame:
      return "frame";
    case ControlKind::kTabStrip:
      return "tabstrip";
    case ControlKind::kUpDown:
      return "updown";
    case ControlKind::kProgressBar:
      return "progressbar";
    case ControlKind::kTimer:
      return "timer";
  }
  return "control";
}

const char* PickerKindName(PickerKind kind) {
  switch (kind) {
    case PickerKind::kComputer:
      return "computer";
    case PickerKind::kFile:
      return "file";
    case PickerKind::kFolder:
      return "folder";
  }
  return "picker";
}

Form::Form(std::string name, std::string caption)
    : name_(std::move(name)), caption_(std::move(caption)) {}

Control& Form::Add(ControlKind kind, const std::string& name, const std::string& caption,
                   const std::string& container) {
  if (Has(name)) {
    throw Error(kErrInvalidProcedureCall, name_, "The form has two controls named " + name);
  }
  Control& control = controls_.emplace_back();
  control.name = name;
  control.kind = kind;
  control.caption = caption;
  control.container = container;
  // A timer does not tick until the form's code gives it an interval.
  if (kind == ControlKind::kTimer) control.enabled = false;
  return control;
}

Control& Form::AddUpDown(const std::string& name, const std::string& buddy, SpinRange range,
                         const std::string& container) {
  Control& spin = Add(ControlKind::kUpDown, name, "", container);
  spin.buddy = buddy;
  spin.min = range.min;
  spin.max = range.max;
  spin.increment = range.increment;
  spin.value = range.value;
  return spin;
}

void Form::On(const std::string& control, FormEvent event, Handler handler) {
  handlers_[{control, event}].push_back(std::move(handler));
}

void Form::OnKeyPress(const std::string& control, std::function<void(int& key)> handler) {
  key_handlers_[control].push_back(std::move(handler));
}

bool Form::Has(const std::string& control) const {
  return std::any_of(controls_.begin(), controls_.end(),
                     [&](const Control& c) { return c.name == control; });
}

const Control& Form::Get(const std::string& control) const {
  for (const Control& c : controls_) {
    if (c.name == control) return c;
  }
  throw Error(kErrInvalidProcedureCall, name_, "The form has no control \"" + control + "\"");
}

Control& Form::Find(const std::string& control) {
  return const_cast<Control&>(static_cast<const Form&>(*this).Get(control));
}

Control& Form::Edit(const std::string& control) {
  return Find(control);
}

void Form::Raise(const std::string& control, FormEvent event) {
  const auto found = handlers_.find({control, event});
  if (found == handlers_.end()) return;
  // A handler may add handlers; run the ones there were when the event came.
  const std::vector<Handler> handlers = found->second;
  for (const Handler& handler : handlers) handler();
}

void Form::SetText(const std::string& control, const std::string& text) {
  Control& c = Find(control);
  if (c.text == text) return;
  c.text = text;
  Raise(control, FormEvent::kChange);
}

void Form::SetValue(const std::string& control, int value) {
  Control& c = Find(control);
  switch (c.kind) {
    case ControlKind::kCheckBox:
    case ControlKind::kOptionButton: {
      value = value != 0 ? 1 : 0;
      if (c.value == value) return;
      c.value = value;
      if (c.kind == ControlKind::kOptionButton && value == 1) {
        // Option boxes of one container exclude one another.
        for (Control& other : controls_) {
          if (&other != &c && other.kind == ControlKind::kOptionButton &&
              other.container == c.container) {
            other.value = 0;
          }
        }
      }
      Raise(control, FormEvent::kClick);
      return;
    }
    case ControlKind::kUpDown: {
      value = std::clamp(value, c.min, c.max);
      const bool changed = c.value != value;
      c.value = value;
      if (!c.buddy.empty()) SetText(c.buddy, std::to_string(value));
      if (changed) Raise(control, FormEvent::kChange);
      return;
    }
    default:
      c.value = value;
  }
}

void Form::SetListIndex(const std::string& control, int index) {
  Control& c = Find(control);
  if (index < -1 || index >= static_cast<int>(c.items.size())) {
    throw Error(kErrInvalidProcedureCall, name_,
                "Entry " + std::to_string(index) + " is not in " + control);
  }
  const std::string text = index >= 0 ? c.items[static_cast<size_t>(index)] : "";
  if (c.list_index == index && (c.kind == ControlKind::kTabStrip || c.text == text)) return;
  c.list_index = index;
  if (c.kind != ControlKind::kTabStrip) c.text = text;
  Raise(control, FormEvent::kClick);
}

void Form::SetItems(const std::string& control, std::vector<std::string> items) {
  Control& c = Find(control);
  c.items = std::move(items);
  c.list_index = -1;
  if (c.kind == ControlKind::kListBox || !c.editable) c.text.clear();
}

void Form::AddItem(const std::string& control, const std::string& item) {
  Find(control).items.push_back(item);
}

void Form::RemoveItem(const std::string& control, int index) {
  Control& c = Find(control);
  if (index < 0 || index >= static_cast<int>(c.items.size())) {
    throw Error(kErrInvalidProcedureCall, name_,
                "Entry " + std::to_string(index) + " is not in " + control);
  }
  c.items.erase(c.items.begin() + index);
  if (c.list_index == index) {
    c.list_index = -1;
    if (c.kind != ControlKind::kTabStrip) c.text.clear();
  } else if (c.list_index > index) {
    --c.list_index;
  }
}

void Form::SetEnabled(const std::string& control, bool enabled) {
  Find(control).enabled = enabled;
}

void Form::SetVisible(const std::string& control, bool visible) {
  Find(control).visible = visible;
}

void Form::SetControlCaption(const std::string& control, const std::string& caption) {
  Find(control).caption = caption;
}

void Form::SetToolTip(const std::string& control, const std::string& tip) {
  Find(control).tool_tip = tip;
}

void Form::SetInterval(const std::string& control, int milliseconds) {
  Control& c = Find(control);
  c.interval = std::max(0, milliseconds);
  c.enabled = c.interval > 0;
}

void Form::RequireReachable(const Control& control) const {
  if (!visible_) {
    throw Error(kErrInvalidProcedureCall, name_, "The form \"" + caption_ + "\" is not shown");
  }
  const std::string label =
      control.caption.empty() ? control.name : "\"" + control.caption + "\" (" + control.name + ")";
  // A control inside a hidden or disabled frame cannot be reached either.
  for (const Control* c = &control; c != nullptr;) {
    if (!c->visible) throw Error(kErrInvalidProcedureCall, name_, label + " is not shown");
    if (!c->enabled && c->kind != ControlKind::kTimer) {
      throw Error(kErrInvalidProcedureCall, name_, label + " is disabled");
    }
    const Control* parent = nullptr;
    if (!c->container.empty()) {
      for (const Control& other : controls_) {
        if (other.name == c->container) parent = &other;
      }
    }
    c = parent;
  }
}

void Form::MoveFocus(const std::string& control) {
  if (focus_ == control) return;
  const std::string left = std::exchange(focus_, control);
  if (!left.empty()) Raise(left, FormEvent::kLostFocus);
}

namespace {

int EntryOf(const Control& control, const std::string& text) {
  const auto found = std::find(control.items.begin(), control.items.end(), text);
  return found == control.items.end() ? -1 : static_cast<int>(found - control.items.begin());
}

}  // namespace

void Form::Refuse(const std::string& control, const std::string& why) const {
  throw Error(kErrInvalidProcedureCall, name_, control + ": " + why);
}

void Form::ActSet(const std::string& name, const std::string& value) {
  const Control& c = Get(name);
  switch (c.kind) {
    case ControlKind::kTextBox:
      if (c.locked) Refuse(name, "the text cannot be changed");
      SetText(name, value);
      return;
    case ControlKind::kCheckBox:
    case ControlKind::kOptionButton:
      if (value != "0" && value != "1") Refuse(name, "a box is ticked with 1 or 0");
      SetValue(name, value == "1" ? 1 : 0);
      return;
    case ControlKind::kListBox:
    case ControlKind::kComboBox:
    case ControlKind::kTabStrip: {
      if (value.empty() && c.kind != ControlKind::kTabStrip) {
        SetListIndex(name, -1);
        return;
      }
      const int entry = EntryOf(c, value);
      if (entry >= 0) {
        SetListIndex(name, entry);
      } else if (c.kind == ControlKind::kComboBox && c.editable) {
        Find(name).list_index = -1;
        SetText(name, value);
      } else {
        Refuse(name, "\"" + value + "\" is not one of its entries");
      }
      return;
    }
    case ControlKind::kUpDown: {
      int number = 0;
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
      if (error != std::errc() || end != value.data() + value.size()) {
        Refuse(name, "\"" + value + "\" is not a whole number");
      }
      SetValue(name, number);
      return;
    }
    default:
      Refuse(name, "it holds nothing to type or choose");
  }
}

void Form::ActKey(const std::string& name, const std::string& value) {
  int key = 0;
  std::from_chars(value.data(), value.data() + value.size(), key);
  const auto found = key_handlers_.find(name);
  if (found != key_handlers_.end()) {
    for (const auto& handler : found->second) {
      if (key != 0) handler(key);
    }
  }
  // Enter and Escape reach the form's default and cancel buttons.
  if (key == '\r' && !default_.empty()) PressDefault();
  if (key == 27 && !cancel_.empty()) PressCancel();
}

void Form::Act(const FormAction& action) {
  const Control& target = Get(action.control);
  RequireReachable(target);
  const std::string name = target.name;
  // Labels, frames and timers never take the focus.
  const bool takes_focus =
      target.kind != ControlKind::kLabel && target.kind != ControlKind::kFrame &&
      target.kind != ControlKind::kTimer && target.kind != ControlKind::kProgressBar;
  if (takes_focus && action.kind != FormAction::Kind::kLeave) MoveFocus(name);
  // The LostFocus handlers may have changed the form.
  if (!visible_) return;
  const Control& c = Get(name);
  switch (action.kind) {
    case FormAction::Kind::kSet:
      ActSet(name, action.value);
      return;
    case FormAction::Kind::kClick:
      if (c.kind == ControlKind::kOptionButton) {
        SetValue(name, 1);
      } else if (c.kind == ControlKind::kCheckBox) {
        SetValue(name, c.value == 0 ? 1 : 0);
      } else {
        Raise(name, FormEvent::kClick);
      }
      return;
    case FormAction::Kind::kDblClick:
      Raise(name, FormEvent::kDblClick);
      return;
    case FormAction::Kind::kLeave:
      if (focus_ == name) MoveFocus("");
      return;
    case FormAction::Kind::kKey:
      ActKey(name, action.value);
      return;
    case FormAction::Kind::kSpin:
      if (c.kind != ControlKind::kUpDown) Refuse(name, "only an up-down control is stepped");
      if (action.value != "up" && action.value != "down") {
        Refuse(name, "it steps \"up\" or \"down\"");
      }
      SetValue(name, c.value + (action.value == "up" ? c.increment : -c.increment));
      return;
    case FormAction::Kind::kTick:
      if (c.kind != ControlKind::kTimer) Refuse(name, "only a timer ticks");
      if (c.enabled && c.interval > 0) Raise(name, FormEvent::kTimer);
      return;
  }
}

void Form::PressDefault() {
  if (default_.empty()) return;
  Act({FormAction::Kind::kClick, default_, ""});
}

void Form::PressCancel() {
  if (cancel_.empty()) {
    Hide();
    return;
  }
  // Escape presses the cancel button where the focus is (no box is left, so no box checks what
  // was typed into it), even while the button is disabled; the form's handler decides.
  Raise(cancel_, FormEvent::kClick);
  if (visible_) Hide();
}

void ShowModal(Form& form, FrontEnd* front_end) {
  form.visible_ = true;
  form.focus_.clear();
  form.Activate();
  if (form.Visible() && front_end != nullptr) front_end->ShowForm(form);
  if (form.Visible()) form.PressCancel();
}

}  // namespace vintrel::host
