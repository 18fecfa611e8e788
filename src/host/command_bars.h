#ifndef VINTREL_HOST_COMMAND_BARS_H_
#define VINTREL_HOST_COMMAND_BARS_H_

#include <functional>
#include <string>

namespace vintrel::host {

namespace control_type {
inline constexpr int kButton = 1;
inline constexpr int kComboBox = 4;
inline constexpr int kPopup = 10;
}  // namespace control_type

namespace bar_position {
inline constexpr int kTop = 1;
}  // namespace bar_position

namespace button_state {
inline constexpr int kUp = 0;
inline constexpr int kDown = -1;
}  // namespace button_state

class CommandBarControl;
class CommandBarControls;

// A picture handed to a button: the name of a bundled image and the PNG file it is drawn from
// (empty when the program does not know where its images lie; the front end decides how to
// show it).
struct ButtonImage {
  std::string name;
  std::string file;
};

using ClickHandler = std::function<void(CommandBarControl& control, bool& cancel_default)>;
using ChangeHandler = std::function<void(CommandBarControl& control)>;

class CommandBarControl {
 public:
  virtual ~CommandBarControl() = default;
  virtual int Type() const = 0;  // control_type
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& text) = 0;
  virtual std::string TooltipText() const = 0;
  virtual void SetTooltipText(const std::string& text) = 0;
  virtual bool BeginGroup() const = 0;
  virtual void SetBeginGroup(bool value) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool value) = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool value) = 0;
  virtual int State() const = 0;  // button_state
  virtual void SetState(int state) = 0;
  virtual int Index() const = 0;  // position among its siblings, from 1
  virtual int Width() const = 0;
  virtual void SetWidth(int width) = 0;
  virtual int HelpContextId() const = 0;
  virtual void SetHelpContextId(int id) = 0;
  virtual void SetPicture(const ButtonImage& picture) = 0;
  virtual void SetMask(const ButtonImage& mask) = 0;
  // Removes the control (and, for a popup, its items); the reference is invalid afterwards.
  virtual void Delete() = 0;
  // Popups only: the items.
  virtual CommandBarControls& Controls() = 0;
  // Combo boxes only.
  virtual void AddItem(const std::string& text) = 0;
  virtual int ListCount() const = 0;
  virtual std::string List(int index) const = 0;  // from 1
  virtual int ListIndex() const = 0;              // 0 = nothing chosen
  virtual void SetListIndex(int index) = 0;
  // Event subscriptions: buttons raise click, combo boxes change. An empty handler unsubscribes.
  virtual void OnClick(ClickHandler handler) = 0;
  virtual void OnChange(ChangeHandler handler) = 0;
  // What a person's click (or choice, for a combo box) does: raises the control's event.
  virtual void Execute() = 0;
};

class CommandBarControls {
 public:
  virtual ~CommandBarControls() = default;
  virtual int Count() const = 0;
  virtual CommandBarControl& Item(int index) = 0;                   // from 1
  virtual CommandBarControl& Item(const std::string& caption) = 0;  // fails when absent
  // Adds a control before the control at `before` (0 = at the end).
  virtual CommandBarControl& Add(int type, int before = 0, bool temporary = true) = 0;
};

class CommandBar {
 public:
  virtual ~CommandBar() = default;
  virtual std::string Name() const = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool value) = 0;
  virtual CommandBarControls& Controls() = 0;
  virtual void Delete() = 0;
};

class CommandBars {
 public:
  virtual ~CommandBars() = default;
  virtual CommandBar& Add(const std::string& name, int position, bool temporary) = 0;
  // A bar by name ("Menu Bar", "Shapes", "Pictures Context Menu", "OLE Object"); fails when absent.
  virtual CommandBar& Item(const std::string& name) = 0;
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_COMMAND_BARS_H_
