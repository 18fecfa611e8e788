#include "shell/form_catalog.h"

#include <functional>

#include "host/error.h"
#include "offline/distribution_dialog.h"
#include "shell/about_form.h"

namespace vintrel::shell {
namespace {

using Maker = std::function<std::unique_ptr<host::Form>(const FormContext&)>;

struct Registered {
  FormEntry entry;
  Maker make;
};

const std::vector<Registered>& Registry() {
  static const std::vector<Registered> registry = {
      {{"frmAbout", "About: the product's name and version"},
       [](const FormContext&) { return std::make_unique<frmAbout>(); }},
      {{"frmDistribution", "Set distribution list: computers and the time window", true},
       [](const FormContext& context) {
         auto form = std::make_unique<frmDistribution>();
         form->SetActivePresentation(*context.presentation);
         return form;
       }},
  };
  return registry;
}

}  // namespace

const std::vector<FormEntry>& FormCatalog() {
  static const std::vector<FormEntry> catalog = [] {
    std::vector<FormEntry> entries;
    for (const Registered& registered : Registry()) entries.push_back(registered.entry);
    return entries;
  }();
  return catalog;
}

std::unique_ptr<host::Form> MakeForm(const std::string& name, const FormContext& context) {
  for (const Registered& registered : Registry()) {
    if (registered.entry.name != name) continue;
    if (registered.entry.needs_presentation && context.presentation == nullptr) {
      throw Error(kErrInvalidProcedureCall, "FormCatalog", name + " is made for a presentation");
    }
    if (registered.entry.needs_slide && !context.slide) {
      throw Error(kErrInvalidProcedureCall, "FormCatalog", name + " is made for one slide");
    }
    return registered.make(context);
  }
  throw Error(kErrInvalidProcedureCall, "FormCatalog", "There is no form named " + name);
}

}  // namespace vintrel::shell
