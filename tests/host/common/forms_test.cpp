#include "host/forms.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "host/common/form_json.h"
#include "host/common/text.h"
#include "host/error.h"
#include "host/memory/scripted_front_end.h"
#include "host/platform.h"
#include "testing/error_of.h"

namespace vintrel::host {
namespace {

using vintrel::testing::ErrorOf;

// A form with one control of each kind a dialog uses; every event is written to `log` as
// "control:event".
class SampleForm : public Form {
 public:
  SampleForm() : Form("frmSample", "Sample") {
    Add(ControlKind::kTextBox, "txtName");
    Add(ControlKind::kCheckBox, "chkFirst", "First row");
    Add(ControlKind::kFrame, "frmSource", "Source");
    Add(ControlKind::kOptionButton, "optTable", "Table", "frmSource").value = 1;
    Add(ControlKind::kOptionButton, "optSQL", "SQL", "frmSource");
    Add(ControlKind::kOptionButton, "optElsewhere", "Elsewhere");
    Add(ControlKind::kComboBox, "cmbSheet").editable = false;
    Add(ControlKind::kComboBox, "cmbFree");
    Add(ControlKind::kListBox, "lstItems");
    Add(ControlKind::kTextBox, "txtRow");
    AddUpDown("udRow", "txtRow", {.min = 1, .max = 3});
    Add(ControlKind::kTimer, "tmrPoll");
    Add(ControlKind::kCommandButton, "cmdOK", "OK");
    Add(ControlKind::kCommandButton, "cmdCancel", "Cancel");
    SetItems("cmbSheet", {"Sheet1", "Sheet2"});
    SetItems("cmbFree", {"a", "b"});
    SetItems("lstItems", {"one", "two"});
    SetDefaultButton("cmdOK");
    SetCancelButton("cmdCancel");
    for (const Control& control : Controls()) {
      for (FormEvent event : {FormEvent::kClick, FormEvent::kChange, FormEvent::kLostFocus,
                              FormEvent::kDblClick, FormEvent::kTimer}) {
        On(control.name, event, [this, name = control.name, event] {
          static const char* kWords[] = {"click",    "change", "lostfocus",
                                         "dblclick", "key",    "timer"};
          log.push_back(name + ":" + kWords[static_cast<int>(event)]);
        });
      }
    }
    // Typing into the row box lets digits through only.
    OnKeyPress("txtRow", [this](int& key) {
      if (key < '0' || key > '9') key = 0;
      log.push_back("txtRow:key" + std::to_string(key));
    });
    On("cmdOK", FormEvent::kClick, [this] { Hide(); });
    On("cmdCancel", FormEvent::kClick, [this] { Hide(); });
  }
  std::vector<std::string> log;
};

// A front end whose person does what `fill` says.
struct FormDriver : memory::ScriptedFrontEnd {
  void ShowForm(Form& form) override { fill(form); }
  std::function<void(Form&)> fill;
};

struct ActionCase {
  const char* name;
  const char* actions;  // JSON objects, " " between them
  const char* log;      // the events, in order, " " between them
  const char* result;   // "!" and part of the failure of the last action, "control=text",
                        // "control#value" or ""
};

TEST(Forms, ActionsRaiseTheEventsAPersonWouldCause) {
  const std::vector<ActionCase> cases = {
      {"typing changes the text once per change",
       R"({"control":"txtName","set":"x"} {"control":"txtName","set":"x"})", "txtName:change",
       "txtName=x"},
      {"the focus leaving a box is reported before the next control's event",
       R"({"control":"txtName","set":"x"} {"control":"chkFirst","set":"1"})",
       "txtName:change txtName:lostfocus chkFirst:click", "chkFirst#1"},
      {"leave without another control",
       R"({"control":"txtName","set":"x"} {"control":"txtName","leave":true})",
       "txtName:change txtName:lostfocus", ""},
      {"a click toggles a check box",
       R"({"control":"chkFirst","click":true} {"control":"chkFirst","click":true})",
       "chkFirst:click chkFirst:click", "chkFirst#0"},
      {"options of one frame exclude one another, others stay",
       R"({"control":"optElsewhere","click":true} {"control":"optSQL","click":true})",
       "optElsewhere:click optElsewhere:lostfocus optSQL:click", "optTable#0"},
      {"choosing an entry by its text", R"({"control":"cmbSheet","set":"Sheet2"})",
       "cmbSheet:click", "cmbSheet=Sheet2"},
      {"a drop-down list refuses text it does not list", R"({"control":"cmbSheet","set":"Sheet9"})",
       "", "!\"Sheet9\" is not one of its entries"},
      {"an editable combo box takes typed text", R"({"control":"cmbFree","set":"c"})",
       "cmbFree:change", "cmbFree=c"},
      {"double click on a list",
       R"({"control":"lstItems","set":"two"} {"control":"lstItems","dblclick":true})",
       "lstItems:click lstItems:dblclick", "lstItems=two"},
      {"the up-down writes its buddy and stops at its range",
       R"({"control":"udRow","spin":"up"} {"control":"udRow","spin":"up"} )"
       R"({"control":"udRow","spin":"up"} {"control":"udRow","spin":"up"})",
       "txtRow:change udRow:change txtRow:change udRow:change txtRow:change udRow:change",
       "txtRow=3"},
      {"a key handler sees and may swallow keys",
       R"({"control":"txtRow","key":65} {"control":"txtRow","key":55})", "txtRow:key0 txtRow:key55",
       ""},
      {"a stopped timer does not tick", R"({"control":"tmrPoll","tick":true})", "", ""},
      {"Enter presses the default button", R"({"control":"txtName","set":"x"} {"key":"enter"})",
       "txtName:change txtName:lostfocus cmdOK:click", ""},
      {"a missing control", R"({"control":"txtNope","set":"x"})", "", "!no control"},
      {"not JSON", R"({"control":)", "", "!not JSON"},
      {"no action", R"({"control":"txtName"})", "", "!no action"},
      {"a box is ticked with 1 or 0", R"({"control":"chkFirst","set":"yes"})", "", "!1 or 0"},
  };
  for (const ActionCase& c : cases) {
    SCOPED_TRACE(c.name);
    SampleForm form;
    ShowModal(form, nullptr);  // no front end: shown, then cancelled
    EXPECT_FALSE(form.Visible());
    form.log.clear();
    // Shown again, with a person doing the actions; only the last may fail.
    std::string error, log;
    FormDriver front_end;
    front_end.fill = [&](Form& shown) {
      const std::vector<std::string> actions = Split(c.actions, " ");
      for (size_t i = 0; i < actions.size() && shown.Visible(); ++i) {
        try {
          ApplyFormActionJson(shown, actions[i]);
        } catch (const Error& failure) {
          error = failure.description();
          EXPECT_EQ(i + 1, actions.size()) << "only the last action may fail";
        }
      }
      for (const std::string& event : form.log) log += (log.empty() ? "" : " ") + event;
    };
    ShowModal(form, &front_end);
    EXPECT_EQ(log, c.log);
    const std::string result = c.result;
    const size_t mark = result.find_first_of("!=#");
    if (mark == 0) {
      EXPECT_NE(error.find(result.substr(1)), std::string::npos) << error;
      continue;
    }
    EXPECT_EQ(error, "");
    if (mark == std::string::npos) continue;
    const std::string control = result.substr(0, mark);
    EXPECT_EQ(result[mark] == '=' ? form.Text(control) : std::to_string(form.Value(control)),
              result.substr(mark + 1));
  }
}

TEST(Forms, DisabledHiddenAndUnshownControlsCannotBeReached) {
  SampleForm form;
  auto fails = [&](const char* action, const char* why) {
    const std::string error = ErrorOf([&] { ApplyFormActionJson(form, action); }).description();
    EXPECT_NE(error.find(why), std::string::npos) << action << ": " << error;
  };
  fails(R"({"control":"txtName","set":"x"})", "is not shown");  // the form itself
  FormDriver front_end;
  front_end.fill = [&](Form&) {
    form.SetEnabled("cmdOK", false);
    fails(R"({"control":"cmdOK","click":true})", "\"OK\" (cmdOK) is disabled");
    fails(R"({"key":"enter"})", "is disabled");
    form.SetEnabled("frmSource", false);
    fails(R"({"control":"optSQL","click":true})", "is disabled");
    form.SetVisible("txtName", false);
    fails(R"({"control":"txtName","set":"x"})", "is not shown");
    // Escape still reaches the cancel button.
    ApplyFormActionJson(form, R"({"key":"escape"})");
    EXPECT_FALSE(form.Visible());
  };
  ShowModal(form, &front_end);
  EXPECT_EQ(form.log.back(), "cmdCancel:click");
}

TEST(Forms, JsonShowsEachKindWithItsProperties) {
  SampleForm form;
  form.SetText("txtName", "Sales \xC3\xA9");
  form.SetListIndex("lstItems", 1);
  form.SetInterval("tmrPoll", 500);
  const nlohmann::json json = nlohmann::json::parse(FormToJson(form, 2));
  EXPECT_EQ(json["default"], "cmdOK");
  EXPECT_EQ(json["cancel"], "cmdCancel");
  EXPECT_EQ(json["topmost"], false);
  std::map<std::string, nlohmann::json> controls;
  for (const auto& control : json["controls"]) controls[control["name"]] = control;
  EXPECT_EQ(controls.size(), form.Controls().size());
  const nlohmann::json expected = nlohmann::json::parse(R"({"txtName": {"text": "Sales \u00e9"},
      "lstItems": {"items": ["one", "two"], "listIndex": 1}, "optSQL": {"container": "frmSource"},
      "optTable": {"value": 1}, "udRow": {"buddy": "txtRow", "min": 1},
      "tmrPoll": {"interval": 500}, "cmbSheet": {"editable": false}})");
  for (const auto& [name, fields] : expected.items()) {
    for (const auto& [key, value] : fields.items()) EXPECT_EQ(controls[name][key], value) << name;
  }
  EXPECT_FALSE(controls["cmdOK"].contains("text"));
}

}  // namespace
}  // namespace vintrel::host
