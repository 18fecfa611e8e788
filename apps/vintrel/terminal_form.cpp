#include "terminal_form.h"

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <iostream>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "host/error.h"

namespace vintrel::app {
namespace {

using host::Control;
using host::ControlKind;
using host::FormAction;

// A control a person sees: itself and every frame around it shown.
bool Reachable(const host::Form& form, const Control& control) {
  for (const Control* c = &control; c != nullptr;) {
    if (!c->visible) return false;
    c = c->container.empty() || !form.Has(c->container) ? nullptr : &form.Get(c->container);
  }
  return true;
}

bool Usable(const host::Form& form, const Control& control) {
  for (const Control* c = &control; c != nullptr;) {
    if (!c->enabled) return false;
    c = c->container.empty() || !form.Has(c->container) ? nullptr : &form.Get(c->container);
  }
  return true;
}

bool Numbered(const Control& control) {
  return control.kind != ControlKind::kLabel && control.kind != ControlKind::kFrame &&
         control.kind != ControlKind::kTimer && control.kind != ControlKind::kProgressBar;
}

std::string OneLine(std::string text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i] == '\n' || text[i] == '\r' ? std::string(" | ") : std::string(1, text[i]);
  }
  return out;
}

std::string Plain(std::string caption) {
  std::erase(caption, '&');
  return caption;
}

std::string Entries(const Control& control) {
  constexpr size_t kShown = 8;
  std::string out;
  for (size_t i = 0; i < control.items.size() && i < kShown; ++i) {
    const bool chosen = static_cast<int>(i) == control.list_index;
    out += (i == 0 ? "" : "  ") + std::string(chosen ? "[" : "") + OneLine(control.items[i]) +
           (chosen ? "]" : "");
  }
  if (control.items.size() > kShown) {
    out += "  ... (" + std::to_string(control.items.size()) + " entries)";
  }
  return out.empty() ? "(empty)" : out;
}

std::string Shown(const Control& control) {
  switch (control.kind) {
    case ControlKind::kTextBox:
      return "[" + OneLine(host::ShownText(control)) + "]";
    case ControlKind::kCheckBox:
      return std::string(control.value != 0 ? "[x] " : "[ ] ") + Plain(control.caption);
    case ControlKind::kOptionButton:
      return std::string(control.value != 0 ? "(*) " : "( ) ") + Plain(control.caption);
    case ControlKind::kListBox:
      return "list: " + Entries(control);
    case ControlKind::kComboBox:
      return "{" + OneLine(control.text) + "}  choose from: " + Entries(control);
    case ControlKind::kTabStrip:
      return "tabs: " + Entries(control);
    case ControlKind::kUpDown:
      return "<" + std::to_string(control.value) + ">  (" + std::to_string(control.min) + " to " +
             std::to_string(control.max) + ", + or -)";
    case ControlKind::kCommandButton:
      return "<" + Plain(control.caption) + ">";
    case ControlKind::kProgressBar: {
      const int span = std::max(1, control.max - control.min);
      const int filled = (control.value - control.min) * 20 / span;
      return "[" + std::string(static_cast<size_t>(std::clamp(filled, 0, 20)), '#') +
             std::string(static_cast<size_t>(20 - std::clamp(filled, 0, 20)), '-') + "]";
    }
    default:
      return Plain(control.caption);
  }
}

// The controls a person can act on, in the order they are numbered.
std::vector<const Control*> NumberedControls(const host::Form& form) {
  std::vector<const Control*> out;
  for (const Control& control : form.Controls()) {
    if (Numbered(control) && Reachable(form, control)) out.push_back(&control);
  }
  return out;
}

void Help(std::ostream& out) {
  out << "  N        act on control N: type into it, choose from it, tick it or press it\n"
         "  N TEXT   type TEXT into control N, or choose its entry TEXT (or entry number)\n"
         "  N + / -  step an up-down control\n"
         "  (empty)  press the default button;  q  press Cancel;  ?  this help\n";
}

std::string AskLine(std::istream& in, std::ostream& out, const std::string& prompt, bool& eof) {
  out << prompt << std::flush;
  std::string line;
  if (!std::getline(in, line)) {
    eof = true;
    return "";
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// While a password is typed at a terminal, the terminal does not show it (the drawn form masks
// it too); input from a file or a pipe is read as it is.
class HiddenTyping {
 public:
  HiddenTyping(bool hide, const std::istream& in) {
    if (!hide || &in != &std::cin || !isatty(STDIN_FILENO)) return;
    if (tcgetattr(STDIN_FILENO, &saved_) != 0) return;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    hidden_ = tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
  }
  ~HiddenTyping() {
    if (hidden_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
  }
  HiddenTyping(const HiddenTyping&) = delete;
  HiddenTyping& operator=(const HiddenTyping&) = delete;
  bool hidden() const { return hidden_; }

 private:
  termios saved_{};
  bool hidden_ = false;
};

std::optional<int> Number(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// What typing `text` into `control` means.
FormAction ActionFor(const Control& control, const std::string& text) {
  switch (control.kind) {
    case ControlKind::kListBox:
    case ControlKind::kComboBox:
    case ControlKind::kTabStrip:
      // An entry's number chooses it, unless the text is itself an entry.
      if (const std::optional<int> entry = Number(text);
          entry &&
          std::find(control.items.begin(), control.items.end(), text) == control.items.end()) {
        if (*entry >= 1 && *entry <= static_cast<int>(control.items.size())) {
          return {FormAction::Kind::kSet, control.name,
                  control.items[static_cast<size_t>(*entry - 1)]};
        }
      }
      return {FormAction::Kind::kSet, control.name, text};
    case ControlKind::kUpDown:
      if (text == "+" || text == "-") {
        return {FormAction::Kind::kSpin, control.name, text == "+" ? "up" : "down"};
      }
      return {FormAction::Kind::kSet, control.name, text};
    case ControlKind::kCheckBox:
    case ControlKind::kOptionButton:
      if (text == "1" || text == "0") return {FormAction::Kind::kSet, control.name, text};
      return {FormAction::Kind::kClick, control.name, ""};
    default:
      return {FormAction::Kind::kSet, control.name, text};
  }
}

}  // namespace

void DrawForm(const host::Form& form, std::ostream& out) {
  out << "\n== " << form.Caption() << " ==\n";
  const std::vector<const Control*> numbered = NumberedControls(form);
  std::string pending_label;
  auto flush_label = [&] {
    if (!pending_label.empty()) out << "       " << pending_label << "\n";
    pending_label.clear();
  };
  for (const Control& control : form.Controls()) {
    if (!Reachable(form, control) || control.kind == ControlKind::kTimer) continue;
    if (control.kind == ControlKind::kLabel) {
      flush_label();
      pending_label = OneLine(Plain(control.caption));
      continue;
    }
    if (control.kind == ControlKind::kFrame) {
      flush_label();
      if (!control.caption.empty()) out << "  -- " << Plain(control.caption) << " --\n";
      continue;
    }
    // A label names the box after it; before a button or a tick box it stands alone.
    if (control.kind == ControlKind::kCommandButton || control.kind == ControlKind::kCheckBox ||
        control.kind == ControlKind::kOptionButton || control.kind == ControlKind::kTabStrip) {
      flush_label();
    }
    std::string number = "    ";
    for (size_t i = 0; i < numbered.size(); ++i) {
      if (numbered[i] == &control) number = std::to_string(i + 1);
    }
    number.insert(0, number.size() < 3 ? 3 - number.size() : 0, ' ');
    out << "  " << number << "  ";
    if (!pending_label.empty()) out << pending_label << " ";
    pending_label.clear();
    out << Shown(control);
    if (!Usable(form, control)) out << "  (disabled)";
    if (control.name == form.DefaultButton()) out << "  (Enter)";
    if (control.locked) out << "  (read only)";
    out << "\n";
  }
  flush_label();
}

void FillFormOnTerminal(host::Form& form, std::istream& in, std::ostream& out) {
  bool eof = false;
  bool draw = true;
  while (form.Visible() && !eof) {
    if (draw) DrawForm(form, out);
    draw = true;
    const std::string line = AskLine(in, out, "> ", eof);
    if (eof) break;
    try {
      if (line.empty()) {
        form.PressDefault();
        continue;
      }
      if (line == "q" || line == "Q") {
        form.PressCancel();
        continue;
      }
      if (line == "?") {
        Help(out);
        draw = false;
        continue;
      }
      const size_t blank = line.find(' ');
      const std::optional<int> number = Number(line.substr(0, blank));
      const std::vector<const Control*> numbered = NumberedControls(form);
      if (!number || *number < 1 || *number > static_cast<int>(numbered.size())) {
        out << "! \"" << line << "\": type a control's number, or ? for help\n";
        draw = false;
        continue;
      }
      const Control& control = *numbered[static_cast<size_t>(*number - 1)];
      if (blank != std::string::npos) {
        form.Act(ActionFor(control, line.substr(blank + 1)));
        continue;
      }
      switch (control.kind) {
        case ControlKind::kCommandButton:
        case ControlKind::kCheckBox:
        case ControlKind::kOptionButton:
          form.Act({FormAction::Kind::kClick, control.name, ""});
          break;
        case ControlKind::kListBox:
        case ControlKind::kComboBox:
        case ControlKind::kTabStrip: {
          for (size_t i = 0; i < control.items.size(); ++i) {
            out << "    " << i + 1 << ") " << OneLine(control.items[i]) << "\n";
          }
          const std::string name = control.name;
          const std::string choice = AskLine(in, out, "  entry: ", eof);
          if (!eof) form.Act(ActionFor(form.Get(name), choice));
          break;
        }
        default: {
          const std::string name = control.name;
          std::string text;
          {
            const HiddenTyping hidden(control.password, in);
            text = AskLine(in, out, "  " + Plain(control.name) + ": ", eof);
            if (hidden.hidden()) out << "\n";  // the Enter the terminal did not echo
          }
          if (!eof) form.Act(ActionFor(form.Get(name), text));
        }
      }
    } catch (const Error& failure) {
      out << "! " << failure.description() << "\n";
    }
  }
}

}  // namespace vintrel::app
