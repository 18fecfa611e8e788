// frmAbout: the product's name and version, and a Close button.
#ifndef VINTREL_SHELL_ABOUT_FORM_H_
#define VINTREL_SHELL_ABOUT_FORM_H_

#include "host/forms.h"

namespace vintrel::shell {

class frmAbout : public host::Form {
 public:
  frmAbout();
};

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_ABOUT_FORM_H_
