#include "shell/about_form.h"

#include "host/error.h"
#include "shell/version.h"

namespace vintrel::shell {
namespace {

[[noreturn]] void NoSuchControl(const std::string& control) {
  throw Error(kErrInvalidProcedureCall, "frmAbout",
              "The form has no control \"" + control + "\" to change");
}

}  // namespace

std::string frmAbout::Caption() const {
  return std::string("About ") + kProductName;
}

std::vector<host::FormControlInfo> frmAbout::Controls() const {
  return {{"lblProduct", host::form_control::kLabel, Value("lblProduct")},
          {"cmdClose", host::form_control::kButton, "Close"}};
}

std::string frmAbout::Value(const std::string& control) const {
  if (control == "lblProduct") return std::string(kProductName) + "\nVersion " + VersionText();
  return "";
}

void frmAbout::SetValue(const std::string& control, const std::string&) {
  NoSuchControl(control);
}

void frmAbout::Click(const std::string& control) {
  if (control != "cmdClose") NoSuchControl(control);
  visible_ = false;
}

}  // namespace vintrel::shell
