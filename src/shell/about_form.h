// frmAbout: the product's name and version, and a Close button.
#ifndef VINTREL_SHELL_ABOUT_FORM_H_
#define VINTREL_SHELL_ABOUT_FORM_H_

#include <string>
#include <vector>

#include "host/forms.h"

namespace vintrel::shell {

class frmAbout : public host::Form {
 public:
  std::string Name() const override { return "frmAbout"; }
  std::string Caption() const override;
  std::vector<host::FormControlInfo> Controls() const override;
  std::string Value(const std::string& control) const override;
  void SetValue(const std::string& control, const std::string& value) override;
  void Click(const std::string& control) override;
  bool Visible() const override { return visible_; }
  std::string CancelControl() const override { return "cmdClose"; }

 private:
  bool visible_ = true;
};

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_ABOUT_FORM_H_
