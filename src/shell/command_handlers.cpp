// What the add-in's controls do when clicked: one handler per control, each acting on the entry
// of the host's active presentation.
#include <array>

#include "dialogs/clock_graph_pages.h"
#include "dialogs/data_field_pages.h"
#include "dialogs/slide_property_page.h"
#include "dialogs/slide_show_property_page.h"
#include "host/platform.h"
#include "offline/distribution.h"
#include "offline/distribution_dialog.h"
#include "offline/progress_meter.h"
#include "shell/about_form.h"
#include "shell/application_object.h"
#include "support/context.h"
#include "support/failure_handling.h"
#include "support/logs.h"
#include "support/shell_helpers.h"

namespace vintrel::shell {
namespace {

constexpr std::array<const char*, kShapeCommandCount> kCommandNames = {
    "SlideShowProperties", "SlideProperties",      "ClockProperties",
    "DataFieldProperties", "DataObjectProperties", "GraphProperties"};

std::string HandlerName(ShapeCommand command, Application::Place place) {
  using Place = Application::Place;
  const char* prefix = "cmb";
  switch (place) {
    case Place::kToolBar:
      break;
    case Place::kMainMenu:
      prefix = "cbr";
      break;
    case Place::kShapesPopup:
      prefix = "cbrShapesPopup";
      break;
    case Place::kPicturesPopup:
      prefix = "cbrpicturePopup";
      break;
    case Place::kOlePopup:
      prefix = "cbrOLEPopup";
      break;
  }
  return std::string(prefix) + kCommandNames[command] + "_Click";
}

}  // namespace

void Application::OnActiveEntry(const std::string& handler,
                                const std::function<void(clsPresentation&)>& action,
                                bool set_controls) {
  SkipFailure([&] { Trace(DebugLevel::kEvent, handler); });
  SkipFailure([&] {
    clsPresentation* entry = ActiveEntry();
    if (entry == nullptr) return;
    Trace(DebugLevel::kEvent, handler + ":" + entry->ActivePresentation()->FullName());
    action(*entry);
    if (set_controls) SetControlsPresentation();
  });
}

bool Application::ShapesSelected() const {
  host::Application* app = ctx_.module.host;
  bool shapes = false;
  SkipFailure([&] {
    shapes =
        app != nullptr && app->ActiveWindow().Selection().Type() == host::selection_type::kShapes;
  });
  return shapes;
}

void Application::ShapeCommandClick(ShapeCommand command, Place place) {
  if (place == Place::kPicturesPopup) {
    // The picture menu's items are the object menu's.
    SkipFailure([&] { Trace(DebugLevel::kEvent, HandlerName(command, place)); });
    place = Place::kOlePopup;
  }
  const std::string handler = HandlerName(command, place);
  // Only the main menu's shape pages leave the other controls as they are.
  const bool set_controls =
      place != Place::kMainMenu || command == kSlideShowProperties || command == kSlideProperties;
  OnActiveEntry(
      handler,
      [&](clsPresentation& entry) {
        switch (command) {
          case kSlideShowProperties:
            ShowSlideShowProperties(entry);
            if (place == Place::kToolBar) entry.FillValues(true);
            break;
          case kSlideProperties:
            if (place == Place::kToolBar || place == Place::kMainMenu) {
              dialogs::ShowSlideProperties(entry,
                                           gpp_app_->ActiveWindow().View().Slide().SlideIndex());
            } else {
              dialogs::ShowSlideProperties(entry, std::nullopt);
            }
            break;
          case kClockProperties:
            dialogs::ShowClockProperties(entry);
            // A clock makes any presentation one that uses the add-in.
            if (!IsVintrelPresentation(*entry.ActivePresentation())) entry.SetVersionTag();
            break;
          case kDataFieldProperties:
            dialogs::ShowDataFieldProperties(entry);
            break;
          case kDataObjectProperties:
            if (ShapesSelected()) dialogs::ShowDataObjectProperties(entry);
            break;
          case kGraphProperties:
            if (ShapesSelected()) dialogs::ShowGraphProperties(entry);
            break;
          default:
            break;
        }
      },
      set_controls);
}

void Application::RefreshDataNowClick(Place place) {
  OnActiveEntry(
      place == Place::kToolBar ? "cmbRefreshDataNow_Click" : "cbrRefreshDataNow_Click",
      [](clsPresentation& entry) {
        // Fetching data is no change of the user's.
        host::Presentation& presentation = *entry.ActivePresentation();
        const bool saved = presentation.Saved();
        entry.FillValues(true);
        presentation.SetSaved(saved);
      },
      false);
}

void Application::CreateOfflinePPTClick(Place place) {
  OnActiveEntry(
      place == Place::kToolBar ? "cmbCreateOfflinePPT_Click" : "cbrCreateOfflinePPT_Click",
      [](clsPresentation& entry) { CreateOfflineCopy(entry); }, true);
}

void Application::GotoWebClick() {
  SkipFailure([&] {
    const std::string& address = ctx_.services.web_address;
    Trace(DebugLevel::kEvent, "cbrGotoWeb_Click:Opening " + address);
    OpenUrl(ctx_, address);
  });
}

void Application::ProductHelpClick() {
  SkipFailure([&] {
    const std::string& help_file = ctx_.services.help_file;
    if (help_file.empty()) {
      // A program run from neither its package nor its build tree has no help beside it.
      ShowMessage(ctx_, "The help file is not installed; \"man vintrel\" shows the manual.",
                  host::msg_box::kInformation);
      return;
    }
    Trace(DebugLevel::kEvent, "cbrProductHelp_Click:Opening " + help_file);
    ShowHelpTopic(ctx_, help_file);
  });
}

void Application::AboutProductClick() {
  SkipFailure([&] {
    Trace(DebugLevel::kEvent, "cbrAboutProduct_Click");
    frmAbout form;
    host::ShowModal(form, ctx_.services.front_end);
  });
}

void Application::DisplayTypeChange() {
  SkipFailure([&] { Trace(DebugLevel::kEvent, "cmbDisplayType_Change"); });
  SkipFailure([&] {
    if (menus_.cmbDisplayType == nullptr) return;
    const int index = menus_.cmbDisplayType->ListIndex();
    for (int position = 1; position <= static_cast<int>(menus_.display_buttons.size());
         ++position) {
      host::CommandBarControl* button = menus_.display_buttons[position - 1];
      if (button == nullptr) continue;
      SkipFailure([&] {
        button->SetState(position == index ? host::button_state::kDown : host::button_state::kUp);
      });
    }
    ctx_.module.current_display_type = index;
    clsPresentation* entry = ActiveEntry();
    if (entry != nullptr) entry->FillValues();
  });
}

void Application::DisplayButtonClick(int position) {
  static constexpr std::array<const char*, 6> kNames = {
      "cbrDisplayValue_Click",          "cbrDisplayConnection_Click",
      "cbrDisplayColumn_Click",         "cbrDisplayIndex_Click",
      "cbrDisplayColumnAndIndex_Click", "cbrDisplayConnectionAndColumn_Click"};
  if (position < 1 || position > static_cast<int>(kNames.size())) return;
  SkipFailure([&] { Trace(DebugLevel::kEvent, kNames[position - 1]); });
  const bool hidden = UserInterfaceHidden(ctx_);
  for (int other = 1; other <= static_cast<int>(menus_.display_buttons.size()); ++other) {
    host::CommandBarControl* button = menus_.display_buttons[other - 1];
    if (button == nullptr) continue;
    SkipFailure([&] {
      if (other == position) {
        button->SetState(host::button_state::kDown);
        if (!hidden && menus_.cmbDisplayType != nullptr) {
          menus_.cmbDisplayType->SetListIndex(position);
        }
      } else {
        button->SetState(host::button_state::kUp);
      }
    });
  }
  if (hidden) return;
  SkipFailure([&] {
    clsPresentation* entry = ActiveEntry();
    if (entry == nullptr || menus_.cmbDisplayType == nullptr) return;
    entry->SetDisplayType(menus_.cmbDisplayType->ListIndex());
  });
}

void Application::DisplayNothingClick() {
  OnActiveEntry(
      "cbrDisplayNothing_Click",
      [](clsPresentation& entry) { entry.SetDisplayType(display_type::kNothing); }, false);
}

void Application::DistributionSetClick(Place place) {
  OnActiveEntry(
      place == Place::kToolBar ? "cmbSetDistributionList_Click" : "cbrDistributionSet_Click",
      [](clsPresentation& entry) { ShowDistributionList(entry); }, false);
}

void Application::DistributionSendClick() {
  OnActiveEntry(
      "cbrDistributionSend_Click", [](clsPresentation& entry) { SendPresentation(entry); }, false);
}

void Application::DistributionClearClick() {
  SkipFailure([&] { Trace(DebugLevel::kEvent, "cbrDistributionClear_Click"); });
  SkipFailure([&] {
    clsPresentation* entry = ActiveEntry();
    if (entry != nullptr) ClearDistributionList(*entry);
  });
}

void Application::SubscribeControls() {
  auto click = [](host::CommandBarControl* control, std::function<void()> handler) {
    if (control == nullptr) return;
    SkipFailure(
        [&] { control->OnClick([handler](host::CommandBarControl&, bool&) { handler(); }); });
  };
  for (int command = 0; command < kShapeCommandCount; ++command) {
    const auto shape_command = static_cast<ShapeCommand>(command);
    click(menus_.tool_bar_commands[command],
          [this, shape_command] { ShapeCommandClick(shape_command, Place::kToolBar); });
    click(menus_.menu_commands[command],
          [this, shape_command] { ShapeCommandClick(shape_command, Place::kMainMenu); });
    static constexpr std::array<Place, kContextMenuCount> kPopupPlaces = {
        Place::kShapesPopup, Place::kPicturesPopup, Place::kOlePopup};
    for (int menu = 0; menu < kContextMenuCount; ++menu) {
      const Place place = kPopupPlaces[menu];
      click(menus_.context_popups[menu].items[command],
            [this, shape_command, place] { ShapeCommandClick(shape_command, place); });
    }
  }
  click(menus_.cmbCreateOfflinePPT, [this] { CreateOfflinePPTClick(Place::kToolBar); });
  click(menus_.cbrCreateOfflinePPT, [this] { CreateOfflinePPTClick(Place::kMainMenu); });
  click(menus_.cmbRefreshDataNow, [this] { RefreshDataNowClick(Place::kToolBar); });
  click(menus_.cbrRefreshDataNow, [this] { RefreshDataNowClick(Place::kMainMenu); });
  click(menus_.cbrGotoWeb, [this] { GotoWebClick(); });
  click(menus_.cbrProductHelp, [this] { ProductHelpClick(); });
  click(menus_.cbrAboutProduct, [this] { AboutProductClick(); });
  for (int position = 1; position <= static_cast<int>(menus_.display_buttons.size()); ++position) {
    click(menus_.display_buttons[position - 1], [this, position] { DisplayButtonClick(position); });
  }
  if (menus_.cmbDisplayType != nullptr) {
    SkipFailure([&] {
      menus_.cmbDisplayType->OnChange([this](host::CommandBarControl&) { DisplayTypeChange(); });
    });
  }
}

}  // namespace vintrel::shell
