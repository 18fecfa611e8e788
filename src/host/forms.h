// The dialogs of the add-in as models: a form holds named controls (labels, text boxes, lists,
// buttons, ...) with the properties a front end draws, and the handlers the form's own code
// attaches to their events. A front end only draws the controls and forwards what a person does
// (types, chooses, ticks, presses, leaves a box); the form does its own work: its checks, its
// messages through the platform's front end, its writes on OK. Every front end (the command
// line, the terminal, a browser) therefore behaves the same, and a script can drive any form.
#ifndef VINTREL_HOST_FORMS_H_
#define VINTREL_HOST_FORMS_H_

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vintrel::host {

enum class ControlKind {
  kLabel,
  kTextBox,
  kCheckBox,
  kOptionButton,
  kListBox,
  kComboBox,
  kCommandButton,
  kFrame,
  kTabStrip,
  kUpDown,
  kProgressBar,
  kTimer,
};

// "label", "textbox", "checkbox", "option", "listbox", "combobox", "button", "frame", "tabstrip",
// "updown", "progressbar", "timer": the kind's name in a form's JSON.
const char* ControlKindName(ControlKind kind);

enum class FormEvent { kClick, kChange, kLostFocus, kDblClick, kKeyPress, kTimer };

struct Control {
  std::string name;
  ControlKind kind = ControlKind::kLabel;
  std::string caption;  // labels, buttons, check and option boxes, frames
  // A text box's text; a list's or combo box's chosen item (a combo box's typed text).
  std::string text;
  // A check or option box: 0 or 1. An up-down control or progress bar: its position.
  int value = 0;
  bool enabled = true;
  bool visible = true;
  std::vector<std::string> items;  // a list's or combo box's entries, a tab strip's tabs
  int list_index = -1;             // the chosen entry or tab, from 0; -1 for none
  std::string tool_tip;
  std::string container;  // the frame (or tab strip) the control is drawn in; empty: the form
  int min = 0;            // up-down and progress bar range
  int max = 100;
  int increment = 1;
  std::string buddy;  // up-down: the text box that shows its position
  int interval = 0;   // timer: milliseconds between ticks (0 stops it)
  bool multi_line = false;
  bool locked = false;    // a text box that shows text the person cannot change
  bool password = false;  // a text box whose text is drawn masked
  bool editable = true;   // a combo box the person may type into (false: a drop-down list)
};

// The text a front end draws for a control: a password box's text as one "*" a character.
std::string ShownText(const Control& control);

// One thing a person does to a form, as a front end forwards it.
struct FormAction {
  enum class Kind {
    kSet,       // type a text, tick/untick ("1"/"0"), choose a list entry or tab by its text
    kClick,     // press a button; tick an option box; a list's click
    kDblClick,  // double-click (a list entry)
    kLeave,     // the focus leaves the control
    kKey,       // a key pressed in a control (value: the key's character code)
    kSpin,      // an up-down control stepped: value "up" or "down"
    kTick,      // a timer's interval ran out
  };
  Kind kind = Kind::kSet;
  std::string control;
  std::string value;
};

// A picker a form's code opens while it handles an event ("Add" asks for a computer,
// "Browse..." for a file): the person chooses, or cancels with an empty answer. Pickers belong
// to the form being filled in, so every front end answers them as it fills the form: a replay
// from its recorded lines, the terminal by asking.
enum class PickerKind { kComputer, kFile, kFolder };

// "computer", "file", "folder": the kind's name in recorded actions.
const char* PickerKindName(PickerKind kind);

struct PickerRequest {
  PickerKind kind = PickerKind::kComputer;
  std::string title;
  std::string filter;   // files: "Text (*.txt)|*.txt|All files|*.*"
  std::string initial;  // files: the path offered
};

class Form {
 public:
  using Handler = std::function<void()>;

  Form(std::string name, std::string caption);
  virtual ~Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  // A form that stays on top of every other window while shown (progress windows, the
  // messages of long work); front ends that draw windows keep it above the rest.
  bool Topmost() const { return topmost_; }
  void SetTopmost(bool topmost) { topmost_ = topmost; }

  // --- Building (the form's constructor) ---
  // Adds a control in tab order; names are unique within a form.
  Control& Add(ControlKind kind, const std::string& name, const std::string& caption = "",
               const std::string& container = "");
  // An up-down control that shows its position in the text box `buddy`: from `min` to `max` in
  // steps of `increment`, starting at `value`.
  struct SpinRange {
    int min = 0;
    int max = 100;
    int increment = 1;
    int value = 0;
  };
  Control& AddUpDown(const std::string& name, const std::string& buddy, SpinRange range,
                     const std::string& container = "");
  void On(const std::string& control, FormEvent event, Handler handler);
  // A key press handler may change or swallow (set to 0) the key.
  void OnKeyPress(const std::string& control, std::function<void(int& key)> handler);
  // Enter presses the default button, Escape the cancel button.
  void SetDefaultButton(std::string control) { default_ = std::move(control); }
  void SetCancelButton(std::string control) { cancel_ = std::move(control); }
  const std::string& DefaultButton() const { return default_; }
  const std::string& CancelButton() const { return cancel_; }

  // --- Reading ---
  const std::deque<Control>& Controls() const { return controls_; }
  bool Has(const std::string& control) const;
  // Fails (kErrInvalidProcedureCall) for a control the form does not have.
  const Control& Get(const std::string& control) const;
  const std::string& Text(const std::string& control) const { return Get(control).text; }
  int Value(const std::string& control) const { return Get(control).value; }
  bool Checked(const std::string& control) const { return Get(control).value != 0; }
  int ListIndex(const std::string& control) const { return Get(control).list_index; }
  const std::vector<std::string>& Items(const std::string& control) const {
    return Get(control).items;
  }
  bool Enabled(const std::string& control) const { return Get(control).enabled; }
  // The control that has the focus (empty when none has).
  const std::string& Focus() const { return focus_; }

  // --- What the form's own code does (the events follow as they would on screen) ---
  // A text box's text; raises Change when it differs.
  void SetText(const std::string& control, const std::string& text);
  // A check box's or option box's state (an option ticks off the others of its container), an
  // up-down's or progress bar's position; a check or option box raises Click when it changes,
  // an up-down raises Change and writes its position into its buddy.
  void SetValue(const std::string& control, int value);
  // Chooses entry `index` (-1: none) of a list, combo box or tab strip; raises Click when it
  // changes.
  void SetListIndex(const std::string& control, int index);
  void SetItems(const std::string& control, std::vector<std::string> items);
  void AddItem(const std::string& control, const std::string& item);
  void RemoveItem(const std::string& control, int index);
  void SetEnabled(const std::string& control, bool enabled);
  void SetVisible(const std::string& control, bool visible);
  void SetControlCaption(const std::string& control, const std::string& caption);
  void SetToolTip(const std::string& control, const std::string& tip);
  void SetInterval(const std::string& control, int milliseconds);
  // Mutable access for properties without events (ranges, flags).
  Control& Edit(const std::string& control);

  // --- What a person does (what a front end forwards) ---
  // Each moves the focus to the control first (the control that had it raises LostFocus) and
  // fails (kErrInvalidProcedureCall) for a control that is missing, hidden or disabled, a list
  // entry that is not listed, or a form that is not shown.
  void Act(const FormAction& action);
  // Enter and Escape.
  void PressDefault();
  void PressCancel();

  // --- Showing ---
  // Shown modally until the form's code hides it (OK, Cancel, Close).
  bool Visible() const { return visible_; }
  void Hide() { visible_ = false; }
  // Called by `ShowModal` before a front end draws the form: the form's load and activate work.
  virtual void Activate() {}

 private:
  friend void ShowModal(Form&, class FrontEnd*);
  Control& Find(const std::string& control);
  void Raise(const std::string& control, FormEvent event);
  void MoveFocus(const std::string& control);
  void RequireReachable(const Control& control) const;
  // The parts of Act: typing or choosing, and a key press.
  void ActSet(const std::string& control, const std::string& value);
  void ActKey(const std::string& control, const std::string& value);
  [[noreturn]] void Refuse(const std::string& control, const std::string& why) const;

  std::string name_;
  std::string caption_;
  std::deque<Control> controls_;
  std::map<std::pair<std::string, FormEvent>, std::vector<Handler>> handlers_;
  std::map<std::string, std::vector<std::function<void(int&)>>> key_handlers_;
  std::string default_;
  std::string cancel_;
  std::string focus_;
  bool visible_ = false;
  bool topmost_ = false;
};

class FrontEnd;

// Shows `form` modally through `front_end`: the form activates, the front end lets a person fill
// it in and returns once the form has hidden itself; a form still shown then (a front end
// without a person) is cancelled.
void ShowModal(Form& form, FrontEnd* front_end);

}  // namespace vintrel::host

#endif  // VINTREL_HOST_FORMS_H_
