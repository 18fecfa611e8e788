#include "dialogs/slide_property_page.h"

#include <algorithm>
#include <array>

#include "dialogs/page_support.h"
#include "document/presentation_object.h"
#include "document/shape.h"
#include "document/tag_schema.h"
#include "host/application.h"
#include "host/platform.h"
#include "rendering/graph_fill.h"
#include "support/context.h"
#include "support/failure_handling.h"

namespace vintrel::dialogs {
namespace {

using host::ControlKind;
using host::FormEvent;

constexpr std::array<const char*, 2> kGeneralControls = {"chkHideWhenNoData",
                                                         "chkRefreshLinkedObjects"};
constexpr std::array<const char*, 3> kScrollingControls = {"ConnectionList", "chkScrollingEnabled",
                                                           "frmScrollStep"};
constexpr std::array<const char*, 4> kStepSizeControls = {"lblScrollStep", "txtScrollStep",
                                                          "UpDown1", "lblRefreshRateUnits"};
constexpr std::array<const char*, 3> kStepTimeControls = {"lblScrollTime", "txtScrollTime",
                                                          "UpDown2"};

host::Slide* SlideOf(clsPresentation& presentation, int slide_index) {
  host::Slide* slide = nullptr;
  SkipFailure([&] {
    host::Presentation* host_presentation = presentation.ActivePresentation();
    if (host_presentation != nullptr) slide = &host_presentation->Slides().Item(slide_index);
  });
  return slide;
}

}  // namespace

frmSlidePropertyPage::frmSlidePropertyPage(clsPresentation& presentation, int slide_index)
    : host::Form("frmSlidePropertyPage", kCaption),
      presentation_(presentation),
      slide_index_(slide_index) {
  Add(ControlKind::kTabStrip, "TabStrip1").items = {"General", "Scrolling"};
  Add(ControlKind::kCheckBox, "chkHideWhenNoData",
      "Hide this slide when there is no information from the data connection(s).");
  Add(ControlKind::kCheckBox, "chkRefreshLinkedObjects",
      "Refresh linked objects automatically when the source file is changed.");
  Add(ControlKind::kListBox, "ConnectionList");
  Add(ControlKind::kCheckBox, "chkScrollingEnabled", "Enabled");
  Add(ControlKind::kFrame, "frmScrollStep", "Scrolling");
  Add(ControlKind::kLabel, "lblScrollStep", "Step size:", "frmScrollStep");
  Add(ControlKind::kTextBox, "txtScrollStep", "", "frmScrollStep");
  // The spinners' ranges: a step of one row up to the most a text box shows; a step time in
  // tenths of a second up to an hour.
  AddUpDown("UpDown1", "txtScrollStep", {.min = 1, .max = 32767, .increment = 1, .value = 1},
            "frmScrollStep");
  Add(ControlKind::kLabel, "lblScrollTime", "Step time:", "frmScrollStep");
  Add(ControlKind::kTextBox, "txtScrollTime", "", "frmScrollStep");
  AddUpDown("UpDown2", "txtScrollTime",
            {.min = 100, .max = 3600000, .increment = 100, .value = kDefaultStepTime},
            "frmScrollStep");
  Add(ControlKind::kLabel, "lblRefreshRateUnits", "milliseconds", "frmScrollStep");
  Add(ControlKind::kCommandButton, "cmdClose", "OK");
  Add(ControlKind::kCommandButton, "cmdCancel", "Cancel");
  SetDefaultButton("cmdClose");
  SetCancelButton("cmdCancel");

  On("TabStrip1", FormEvent::kClick, [this] { ShowTab(); });
  On("ConnectionList", FormEvent::kClick, [this] {
    ShowSettings();
    ApplyEnableRule();
  });
  On("chkScrollingEnabled", FormEvent::kClick, [this] { ApplyEnableRule(); });
  for (const char* box : {"chkHideWhenNoData", "chkRefreshLinkedObjects", "chkScrollingEnabled"}) {
    On(box, FormEvent::kLostFocus, [this] { Store(); });
  }
  On("txtScrollStep", FormEvent::kChange, [this] {
    SyncSpinner("txtScrollStep", "UpDown1");
    Store();
  });
  On("txtScrollTime", FormEvent::kChange, [this] {
    SyncSpinner("txtScrollTime", "UpDown2");
    Store();
  });
  On("cmdClose", FormEvent::kClick, [this] { cmdClose_Click(); });
  On("cmdCancel", FormEvent::kClick, [this] { Hide(); });
  SetListIndex("TabStrip1", 0);
  ShowTab();
}

void frmSlidePropertyPage::Activate() {
  if (!loaded_) {
    loaded_ = true;
    Load();
  }
  ShowSettings();
  ApplyEnableRule();
}

std::vector<std::string> frmSlidePropertyPage::UsedConnections() const {
  std::vector<std::string> numbers;
  for (const clsConnection* connection : used_)
    numbers.push_back(connection->ConnectionTagNumber());
  return numbers;
}

void frmSlidePropertyPage::ShowTab() {
  const bool general = ListIndex("TabStrip1") == 0;
  for (const char* name : kGeneralControls) SetVisible(name, general);
  for (const char* name : kScrollingControls) SetVisible(name, !general);
}

void frmSlidePropertyPage::Load() {
  filling_ = true;
  host::Slide* slide = SlideOf(presentation_, slide_index_);
  if (slide == nullptr) {
    filling_ = false;
    return;
  }
  host::Tags& tags = slide->Tags();
  SkipFailure([&] {
    for (int index = 1; index <= tags.Count(); ++index) {
      SkipFailure([&] {
        if (HasTagPrefix(tags.Name(index), tag::kSlideProperties)) {
          settings_.SetTagString(tags.Value(index));
        }
      });
    }
  });
  // The page also opens for slides of a presentation whose connections are gone; it then lists
  // none.
  double largest_row = 1;
  std::array<bool, kScrollEntries> used{};
  SkipFailure([&] {
    host::Shapes& shapes = slide->Shapes();
    for (int index = 1; index <= shapes.Count(); ++index) {
      SkipFailure([&] {
        clsshape shape;
        shape.SetShapeItem(shapes.Item(index));
        const int type = shape.SourceType();
        if (type == source_type::kTextField) largest_row = std::max(largest_row, shape.Row());
        if (!shape.VintrelEnabled() || shape.ConnectionTagNumber().empty()) return;
        const bool data = (type == source_type::kTextField || type == source_type::kLinkedObject) &&
                          shape.Row() > 0 && !shape.ColumnName().empty();
        if (!data && type != source_type::kGraph) return;
        const std::optional<long> number = ScrollNumber(shape.ConnectionTagNumber());
        if (number && *number >= 0 && *number < kScrollEntries) {
          used[static_cast<size_t>(*number)] = true;
        }
      });
    }
  });
  default_step_ = static_cast<long>(largest_row);
  SkipFailure([&] {
    for (int index = 1; index <= tags.Count(); ++index) {
      SkipFailure([&] {
        const std::string name = tags.Name(index);
        if (HasTagPrefix(name, tag::kScrollStep)) {
          settings_.AddScrollInfo(TagNumber(name, tag::kScrollStep), tags.Value(index));
        }
      });
    }
  });
  std::vector<std::string> descriptions;
  for (const auto& connection : presentation_.Connections()) {
    const std::optional<long> number = ScrollNumber(connection->ConnectionTagNumber());
    if (!number || *number < 0 || *number >= kScrollEntries || !used[static_cast<size_t>(*number)])
      continue;
    descriptions.push_back(connection->ConnectionDescription());
    used_.push_back(connection.get());
  }
  SetItems("ConnectionList", std::move(descriptions));
  if (!used_.empty()) SetListIndex("ConnectionList", 0);
  SkipFailure([&] {
    if (presentation_.ActivePresentation()->SlideShowSettings().AdvanceMode() ==
        host::advance_mode::kManual) {
      for (const char* name : kStepTimeControls) SetEnabled(name, false);
    }
  });
  filling_ = false;
}

const clsConnection* frmSlidePropertyPage::SelectedConnection() const {
  const int index = ListIndex("ConnectionList");
  if (index < 0 || index >= static_cast<int>(used_.size())) return nullptr;
  return used_[static_cast<size_t>(index)];
}

void frmSlidePropertyPage::ShowSettings() {
  filling_ = true;
  SetValue("chkHideWhenNoData", settings_.HideWhenNoData());
  SetValue("chkRefreshLinkedObjects", settings_.RefreshLinkedObjects());
  const clsConnection* connection = SelectedConnection();
  bool enabled = false;
  long step = default_step_;
  long time = kDefaultStepTime;
  SkipFailure([&] {
    if (connection == nullptr) return;
    const std::string& number = connection->ConnectionTagNumber();
    if (!settings_.ScrollEnabled(number)) return;
    enabled = true;
    step = settings_.ScrollStep(number);
    time = settings_.ScrollTime(number);
  });
  SetValue("chkScrollingEnabled", enabled ? 1 : 0);
  SetText("txtScrollStep", std::to_string(step));
  SetText("txtScrollTime", std::to_string(time));
  SyncSpinner("txtScrollStep", "UpDown1");
  SyncSpinner("txtScrollTime", "UpDown2");
  filling_ = false;
}

void frmSlidePropertyPage::ApplyEnableRule() {
  const bool enabled = Checked("chkScrollingEnabled");
  for (const char* name : kStepSizeControls) SetEnabled(name, enabled);
  // Manual advance disables the step time when the page opens, but the show still scrolls by
  // the step time, so ticking scrolling makes it editable again.
  for (const char* name : kStepTimeControls) SetEnabled(name, enabled);
}

void frmSlidePropertyPage::SyncSpinner(const std::string& text_box, const std::string& spinner) {
  // The spinner follows what is typed without writing back into the box.
  if (const std::optional<long> value = WholeNumber(Text(text_box))) {
    host::Control& c = Edit(spinner);
    c.value = static_cast<int>(std::clamp<long>(*value, c.min, c.max));
  }
}

void frmSlidePropertyPage::Store() {
  if (filling_) return;
  settings_.SetHideWhenNoData(Value("chkHideWhenNoData"));
  settings_.SetRefreshLinkedObjects(Value("chkRefreshLinkedObjects"));
  const clsConnection* connection = SelectedConnection();
  if (connection == nullptr) return;
  const std::string& number = connection->ConnectionTagNumber();
  SkipFailure([&] { settings_.SetScrollEnabled(number, Checked("chkScrollingEnabled")); });
  if (const std::optional<long> step = WholeNumber(Text("txtScrollStep"))) {
    SkipFailure([&] { settings_.SetScrollStep(number, *step); });
  }
  if (const std::optional<long> time = WholeNumber(Text("txtScrollTime"))) {
    SkipFailure([&] { settings_.SetScrollTime(number, *time); });
  }
}

void frmSlidePropertyPage::cmdClose_Click() {
  presentation_.SetSlideTags(settings_, slide_index_);
  written_ = true;
  // The slide's charts show what their connection's scrolling now asks for: the first row of
  // the window, or all rows.
  if (host::Slide* slide = SlideOf(presentation_, slide_index_)) {
    SkipFailure([&] {
      host::Shapes& shapes = slide->Shapes();
      for (int index = 1; index <= shapes.Count(); ++index) {
        SkipFailure([&] {
          host::Shape& host_shape = shapes.Item(index);
          clsshape shape;
          shape.SetShapeItem(host_shape);
          if (shape.SourceType() != source_type::kGraph) return;
          clsConnection* connection = presentation_.FindConnection(shape.ConnectionTagNumber());
          if (connection == nullptr) return;
          if (SlideScrollEnabled(*slide, shape.ConnectionTagNumber())) {
            rendering::FillGraphRow(host_shape, *connection, 1, false);
          } else {
            rendering::FillGraph(host_shape, *connection, false);
          }
        });
      }
    });
  }
  Hide();
}

void ShowSlideProperties(clsPresentation& presentation, std::optional<int> slide_index) {
  if (!slide_index) {
    // From a context menu: the slide in the active window, which holds the selection.
    SkipFailure([&] {
      if (host::Application* app = presentation.context().module.host) {
        slide_index = app->ActiveWindow().View().Slide().SlideIndex();
      }
    });
  }
  if (!slide_index) return;
  frmSlidePropertyPage page(presentation, *slide_index);
  host::ShowModal(page, presentation.context().services.front_end);
}

}  // namespace vintrel::dialogs
