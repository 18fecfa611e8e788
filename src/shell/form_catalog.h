// Every dialog of the add-in by its own name, made for a presentation as the command that opens
// it would make it: for front ends that show a form on their own (a browser, a script, the
// `vintrel form` command) rather than through a click.
#ifndef VINTREL_SHELL_FORM_CATALOG_H_
#define VINTREL_SHELL_FORM_CATALOG_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/forms.h"
#include "support/context.h"

namespace vintrel {
class clsPresentation;
}

namespace vintrel::shell {

class Application;

struct FormEntry {
  std::string name;  // "frmTextFileConnection"
  std::string what;  // one line for --help
  bool needs_presentation = false;
  bool needs_slide = false;  // made for one slide (the slide index is required)
};

const std::vector<FormEntry>& FormCatalog();

// What a form is made for: the add-in, the presentation's entry in it (may be null for forms
// that need none) and a slide; property pages of shapes work on the window's selection.
struct FormContext {
  Context* ctx = nullptr;  // the add-in's context: required
  Application* addin = nullptr;
  clsPresentation* presentation = nullptr;
  std::optional<int> slide;
};

// The form `name`, loaded; fails (kErrInvalidProcedureCall) for an unknown name or a context
// the form cannot be made without.
std::unique_ptr<host::Form> MakeForm(const std::string& name, const FormContext& context);

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_FORM_CATALOG_H_
