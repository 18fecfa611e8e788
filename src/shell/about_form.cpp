#include "shell/about_form.h"

#include "shell/version.h"

namespace vintrel::shell {

frmAbout::frmAbout() : host::Form("frmAbout", std::string("About ") + kProductName) {
  Add(host::ControlKind::kLabel, "lblProduct",
      std::string(kProductName) + "\nVersion " + VersionText());
  Add(host::ControlKind::kCommandButton, "cmdClose", "Close");
  SetDefaultButton("cmdClose");
  SetCancelButton("cmdClose");
  On("cmdClose", host::FormEvent::kClick, [this] { Hide(); });
}

}  // namespace vintrel::shell
