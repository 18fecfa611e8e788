#include "shell/form_catalog.h"

#include <functional>

#include "dialogs/clock_graph_pages.h"
#include "dialogs/connection_dialogs.h"
#include "dialogs/connection_string_dialog.h"
#include "dialogs/data_field_pages.h"
#include "dialogs/page_support.h"
#include "dialogs/slide_property_page.h"
#include "dialogs/slide_show_property_page.h"
#include "document/presentation_object.h"
#include "host/error.h"
#include "offline/distribution_dialog.h"
#include "shell/about_form.h"
#include "shell/argument_checks.h"

namespace vintrel::shell {
namespace {

using Maker = std::function<std::unique_ptr<host::Form>(const FormContext&)>;

// A connection dialog resolves files and data sources against the presentation, when there is
// one.
template <typename Dialog>
std::unique_ptr<host::Form> MakeConnectionDialog(const FormContext& context) {
  auto dialog = std::make_unique<Dialog>(*context.ctx);
  if (context.presentation != nullptr && context.presentation->ActivePresentation() != nullptr) {
    dialog->SetActivePresentationName(context.presentation->ActivePresentation()->FullName());
  }
  return dialog;
}

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
         auto form = std::make_unique<frmDistribution>(*context.ctx);
         form->SetActivePresentation(*context.presentation);
         return form;
       }},
      {{"frmSlideShowPropertyPage",
        "Slide show properties: the connection manager (add, edit, delete)", true},
       [](const FormContext& context) {
         return std::make_unique<frmSlideShowPropertyPage>(*context.presentation);
       }},
      {{"frmTextFileConnection", "Text file connection: name, file, first row holds names"},
       MakeConnectionDialog<frmTextFileConnection>},
      {{"frmDatabaseConnection",
        "Database connection: name, refresh rate, connection string, table or SQL, Test"},
       MakeConnectionDialog<frmDatabaseConnection>},
      {{"frmExcelConnection", "Excel connection: name, workbook, sheet, range"},
       MakeConnectionDialog<frmExcelConnection>},
      {{"frmConnectionString",
        "Connection string: an SQLite file, an ODBC data source or driver, its values, Test"},
       MakeConnectionDialog<dialogs::frmConnectionString>},
      {{"frmSlidePropertyPage", "Slide properties: hiding, linked objects, scrolling", true, true},
       [](const FormContext& context) {
         return std::make_unique<dialogs::frmSlidePropertyPage>(*context.presentation,
                                                                *context.slide);
       }},
      {{"frmTextFieldPropertyPage",
        "Text shape property page: the selected text shapes' connection, column and row", true},
       [](const FormContext& context) {
         return std::make_unique<dialogs::frmTextFieldPropertyPage>(
             *context.presentation, dialogs::SelectedShapes(*context.ctx));
       }},
      {{"frmObjectFieldPropertyPage",
        "Linked object property page: the selected linked pictures' and objects' data", true},
       [](const FormContext& context) {
         return std::make_unique<dialogs::frmObjectFieldPropertyPage>(
             *context.presentation, dialogs::SelectedShapes(*context.ctx));
       }},
      {{"frmClockPropertyPage", "Clock shape property page: the selected clocks' format", true},
       [](const FormContext& context) {
         return std::make_unique<dialogs::frmClockPropertyPage>(
             *context.presentation, dialogs::SelectedShapes(*context.ctx));
       }},
      {{"frmGraphPropertyPage", "Graph property page: the selected charts' connection", true},
       [](const FormContext& context) {
         return std::make_unique<dialogs::frmGraphPropertyPage>(
             *context.presentation, dialogs::SelectedShapes(*context.ctx));
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
    if (context.ctx == nullptr) throw Error(kErrInvalidProcedureCall, "FormCatalog", "No add-in");
    if (registered.entry.needs_presentation && context.presentation == nullptr) {
      throw Error(kErrInvalidProcedureCall, "FormCatalog", name + " is made for a presentation");
    }
    if (registered.entry.needs_slide && !context.slide) {
      throw Error(kErrInvalidProcedureCall, "FormCatalog", name + " is made for one slide");
    }
    if (registered.entry.needs_slide && context.presentation->ActivePresentation() != nullptr) {
      // A slide page of a slide the presentation lacks would show nothing and save nonsense.
      const std::string problem =
          SlideProblem(*context.presentation->ActivePresentation(), *context.slide);
      if (!problem.empty()) throw Error(kErrInvalidProcedureCall, "FormCatalog", problem);
    }
    return registered.make(context);
  }
  throw Error(kErrInvalidProcedureCall, "FormCatalog", "There is no form named " + name);
}

}  // namespace vintrel::shell
