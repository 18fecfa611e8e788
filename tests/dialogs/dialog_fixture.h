// What the dialog tests share: the in-memory front end, databases and presentations, and the
// workbook reader the program itself uses, with a front end that lets a test fill in each form
// as it is shown.
#ifndef VINTREL_TESTS_DIALOGS_DIALOG_FIXTURE_H_
#define VINTREL_TESTS_DIALOGS_DIALOG_FIXTURE_H_

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "document/presentation_object.h"
#include "host/memory/memory_application.h"
#include "host/memory/memory_data_access.h"
#include "host/memory/memory_host.h"
#include "host/workbook/workbook_reader.h"
#include "support/context.h"
#include "testing/test_context.h"

namespace vintrel::testing {

// Fills in each form shown by the handler for its name; a form without one is cancelled.
class FillingFrontEnd : public host::memory::ScriptedFrontEnd {
 public:
  void ShowForm(host::Form& form) override {
    const auto found = fill.find(form.Name());
    if (found != fill.end()) found->second(form);
  }
  std::map<std::string, std::function<void(host::Form&)>> fill;
};

// (control, value) pairs as a person types them; a value "!" clicks the control instead.
using Steps = std::vector<std::pair<std::string, std::string>>;

inline void Type(host::Form& form, const Steps& steps) {
  for (const auto& [control, value] : steps) {
    if (value == "!") {
      form.Act({host::FormAction::Kind::kClick, control, ""});
    } else {
      form.Act({host::FormAction::Kind::kSet, control, value});
    }
  }
}

class DialogTest : public ::testing::Test {
 protected:
  DialogTest() {
    twins_.ctx.services.front_end = &front_end_;
    twins_.ctx.services.data_access = &data_;
    twins_.ctx.services.spreadsheet = &workbooks_;
  }

  // Shows `form`, lets `fill` act on it, and leaves it as the person left it.
  void Show(host::Form& form, std::function<void(host::Form&)> fill) {
    front_end_.fill[form.Name()] = std::move(fill);
    host::ShowModal(form, &front_end_);
  }

  FillingFrontEnd front_end_;
  host::memory::MemoryDataAccess data_;
  host::workbook::WorkbookReaderFactory workbooks_;
  TestContext twins_;
  Context& ctx_ = twins_.ctx;
};

// For the dialogs that work on a presentation: the add-in's view of `deck_`, made anew by Load().
class PresentationDialogTest : public DialogTest {
 protected:
  clsPresentation& Load() {
    presentation_ = std::make_unique<clsPresentation>(ctx_);
    presentation_->SetActivePresentation(*deck_);
    return *presentation_;
  }

  host::memory::MemoryApplication app_;
  host::memory::MemoryPresentation* deck_ = nullptr;
  std::unique_ptr<clsPresentation> presentation_;
};

}  // namespace vintrel::testing

#endif  // VINTREL_TESTS_DIALOGS_DIALOG_FIXTURE_H_
