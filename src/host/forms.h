// A dialog as the add-in shows it, seen from the front end that puts it in front of a person:
// named controls a person fills in or presses, in tab order. The form does its own work (checks,
// messages through the front end's message boxes, writing on OK); the front end only shows it,
// forwards what the person types and clicks, and returns once the form has hidden itself.
#ifndef VINTREL_HOST_FORMS_H_
#define VINTREL_HOST_FORMS_H_

#include <string>
#include <vector>

namespace vintrel::host {

namespace form_control {
inline constexpr int kTextBox = 1;
inline constexpr int kCheckBox = 2;
inline constexpr int kList = 3;  // a list or combo box: the value is the chosen item's text
inline constexpr int kButton = 4;
inline constexpr int kLabel = 5;
}  // namespace form_control

struct FormControlInfo {
  std::string name;
  int type = form_control::kTextBox;
  std::string caption;
  bool enabled = true;
  bool visible = true;
};

class Form {
 public:
  virtual ~Form() = default;
  // The form's name ("frmDistribution") and window caption.
  virtual std::string Name() const = 0;
  virtual std::string Caption() const = 0;
  virtual std::vector<FormControlInfo> Controls() const = 0;
  // A text box's text, "1" or "0" for a check box, a list's chosen item ("" for none).
  virtual std::string Value(const std::string& control) const = 0;
  // A list's items.
  virtual std::vector<std::string> Items(const std::string& /*control*/) const { return {}; }
  // What typing into a text box, ticking a check box or choosing a list item does (the form's
  // change handlers run). Fails (kErrInvalidProcedureCall) for a control the form does not have,
  // a disabled one or a list item that is not listed.
  virtual void SetValue(const std::string& control, const std::string& value) = 0;
  // What a click on a button does; fails as SetValue does.
  virtual void Click(const std::string& control) = 0;
  // Whether the form is still shown: OK and Cancel hide it.
  virtual bool Visible() const = 0;
  // The button that dismisses the form without changes (pressed when a front end gives up).
  virtual std::string CancelControl() const = 0;
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_FORMS_H_
