#include "shell/command_controls.h"

#include <optional>

#include "document/tag_schema.h"
#include "support/context.h"
#include "support/failure_handling.h"
#include "support/logs.h"
#include "support/shell_helpers.h"

namespace vintrel::shell {
namespace {

constexpr const char* kSource = "Application";
constexpr const char* kPopupCaption = "V&intrel";
constexpr const char* kDisplayCaption = "&Display";
constexpr const char* kDisplayTip = "Choose what is displayed in the data shapes";
constexpr const char* kOfflineCaption = "Create &off-line presentation";
constexpr const char* kRefreshCaption = "&Refresh data now";
constexpr int kHelpProduct = 48;
constexpr int kHelpDisplay = 27;

constexpr unsigned kAllPopups = (1u << kContextMenuCount) - 1;
constexpr unsigned Popup(ContextMenu menu) {
  return 1u << menu;
}

constexpr const char* kCommandCaptions[kShapeCommandCount] = {
    "&Slide show properties", "Sl&ide properties",         "&Clock shape properties",
    "&Text shape properties", "&Linked object properties", "Li&nked graph properties"};
constexpr const char* kCommandTips[kShapeCommandCount] = {
    "Slide show properties", "Slide properties",         "Clock shape properties",
    "Text shape properties", "Linked object properties", "Linked graph properties"};
constexpr int kToolBarHelp[kShapeCommandCount] = {4, 9, 1, 10, 7, 0};
constexpr int kMenuHelp[kShapeCommandCount] = {4, 9, 1, 10, 17, 0};

// Tool bar button images: picture and mask by shape command, then off-line and refresh.
constexpr const char* kCommandPictures[kShapeCommandCount][2] = {
    {"PicConnectionPic", "PicConnectionMask"},
    {"picSlidePic", "picSlideMask"},
    {"PicClockPic", "PicClockMask"},
    {"picDataFieldPic", "picDataFieldMask"},
    {"picDataPicturePic", "picDataPictureMask"},
    {"picGraphObjectPic", "picGraphObjectMask"}};

// A bundled button image by name, with its file when the program knows where the faces lie.
host::ButtonImage Face(const Context& ctx, const char* name) {
  const std::string& folder = ctx.services.button_faces_folder;
  return {name, folder.empty() ? std::string() : folder + "/" + name + ".png"};
}

void Trace(Context& ctx, const std::string& message) {
  WriteDebugLog(ctx, DebugLevel::kEvent, kSource, message);
}

// What is set on a control as it is made; a property left empty is not set.
struct ControlProperties {
  int type = host::control_type::kButton;
  std::optional<std::string> caption;
  std::optional<std::string> tooltip;
  std::optional<bool> begin_group;
  std::optional<bool> enabled;
  std::optional<bool> visible;
  std::optional<int> help_context_id;

  ControlProperties& Type(int value) { return type = value, *this; }
  ControlProperties& Caption(std::string value) { return caption = std::move(value), *this; }
  ControlProperties& Tip(std::string value) { return tooltip = std::move(value), *this; }
  ControlProperties& Group(bool value) { return begin_group = value, *this; }
  ControlProperties& Enabled(bool value) { return enabled = value, *this; }
  ControlProperties& Visible(bool value) { return visible = value, *this; }
  ControlProperties& Help(int value) { return help_context_id = value, *this; }
};

void SetEnabled(host::CommandBarControl* control, bool enabled) {
  if (control != nullptr) SkipFailure([&] { control->SetEnabled(enabled); });
}

}  // namespace

bool UserInterfaceHidden(const Context& ctx) {
  return ctx.module.hide_user_interface_value == "1";
}

namespace {

// Adds a temporary control and sets its properties one by one, each failure skipped; null when
// the control cannot be added.
host::CommandBarControl* Make(host::CommandBarControls& controls,
                              const ControlProperties& properties,
                              std::vector<host::CommandBarControl*>& created, int before = 0) {
  host::CommandBarControl* control = nullptr;
  if (!SkipFailure([&] { control = &controls.Add(properties.type, before, true); })) return nullptr;
  created.push_back(control);
  if (properties.begin_group) SkipFailure([&] { control->SetBeginGroup(*properties.begin_group); });
  if (properties.caption) SkipFailure([&] { control->SetCaption(*properties.caption); });
  if (properties.tooltip) SkipFailure([&] { control->SetTooltipText(*properties.tooltip); });
  if (properties.enabled) SkipFailure([&] { control->SetEnabled(*properties.enabled); });
  if (properties.visible) SkipFailure([&] { control->SetVisible(*properties.visible); });
  if (properties.help_context_id)
    SkipFailure([&] { control->SetHelpContextId(*properties.help_context_id); });
  return control;
}

}  // namespace

void CommandControls::Build(host::CommandBars& bars) {
  SkipFailure([&] { tool_bar = &bars.Add(kToolBarName, host::bar_position::kTop, true); });
  BuildContextPopups(bars);
  BuildToolBar(bars);
  BuildMainMenu(bars);
  SkipFailure([&] {
    if (menu_popup == nullptr) return;
    menu_popup->SetEnabled(true);
    menu_popup->SetVisible(true);
  });
}

void CommandControls::BuildContextPopups(host::CommandBars& bars) {
  for (int menu = 0; menu < kContextMenuCount; ++menu) {
    host::CommandBar* bar = nullptr;
    if (!SkipFailure([&] { bar = &bars.Item(kContextMenuBars[menu]); })) continue;
    ContextPopup& popup = context_popups[menu];
    SkipFailure([&] {
      popup.popup = Make(bar->Controls(),
                         ControlProperties()
                             .Type(host::control_type::kPopup)
                             .Caption(kPopupCaption)
                             .Group(true)
                             .Enabled(false)
                             .Visible(true),
                         created);
    });
    if (popup.popup == nullptr) continue;
    for (int command = 0; command < kShapeCommandCount; ++command) {
      SkipFailure([&] {
        popup.items[command] = Make(popup.popup->Controls(),
                                    ControlProperties()
                                        .Caption(kCommandCaptions[command])
                                        .Group(command == kClockProperties)
                                        .Enabled(false),
                                    created);
      });
    }
  }
}

void CommandControls::BuildToolBar(host::CommandBars&) {
  if (tool_bar == nullptr) return;
  host::CommandBarControls* controls = nullptr;
  if (!SkipFailure([&] { controls = &tool_bar->Controls(); })) return;
  for (int command = 0; command < kShapeCommandCount; ++command) {
    tool_bar_commands[command] = Make(*controls,
                                      ControlProperties()
                                          .Caption(kCommandCaptions[command])
                                          .Tip(kCommandTips[command])
                                          .Group(false)
                                          .Enabled(false)
                                          .Visible(true)
                                          .Help(kToolBarHelp[command]),
                                      created);
  }
  cmbCreateOfflinePPT = Make(*controls,
                             ControlProperties()
                                 .Caption(kOfflineCaption)
                                 .Tip(kOfflineCaption)
                                 .Group(true)
                                 .Enabled(true)
                                 .Visible(true)
                                 .Help(38),
                             created);
  cmbRefreshDataNow = Make(*controls,
                           ControlProperties()
                               .Caption(kRefreshCaption)
                               .Tip(kRefreshCaption)
                               .Group(true)
                               .Enabled(false)
                               .Visible(true)
                               .Help(40),
                           created);
  cmbDisplayType = Make(*controls,
                        ControlProperties()
                            .Type(host::control_type::kComboBox)
                            .Caption(kDisplayCaption)
                            .Tip(kDisplayTip)
                            .Group(false)
                            .Enabled(false)
                            .Visible(true)
                            .Help(kHelpDisplay),
                        created);
  if (cmbDisplayType != nullptr) {
    for (int type = 1; type <= 6; ++type) {
      SkipFailure([&] { cmbDisplayType->AddItem(std::string(DisplayTypeName(type))); });
    }
    SkipFailure([&] { cmbDisplayType->SetListIndex(1); });
    SkipFailure([&] { cmbDisplayType->SetWidth(140); });
  }
  SkipFailure([&] { tool_bar->SetVisible(true); });
}

void CommandControls::BuildMainMenu(host::CommandBars& bars) {
  host::CommandBarControls* menu_bar = nullptr;
  int window_position = 0;
  const bool found = SkipFailure([&] {
    menu_bar = &bars.Item("Menu Bar").Controls();
    window_position = menu_bar->Item("&Window").Index();
  });
  if (!found) return;
  menu_popup = Make(*menu_bar,
                    ControlProperties()
                        .Type(host::control_type::kPopup)
                        .Caption(kPopupCaption)
                        .Enabled(false)
                        .Help(kHelpProduct),
                    created, window_position);
  if (menu_popup == nullptr) return;
  host::CommandBarControls* items = nullptr;
  if (!SkipFailure([&] { items = &menu_popup->Controls(); })) return;
  auto button = [&](const char* caption, bool begin_group, bool enabled, int help) {
    return Make(
        *items,
        ControlProperties().Caption(caption).Tip("").Group(begin_group).Enabled(enabled).Help(help),
        created);
  };
  for (int command = 0; command < kShapeCommandCount; ++command) {
    menu_commands[command] = button(kCommandCaptions[command], false, false, kMenuHelp[command]);
  }
  display_menu = Make(*items,
                      ControlProperties()
                          .Type(host::control_type::kPopup)
                          .Caption(kDisplayCaption)
                          .Tip(kDisplayTip)
                          .Group(true)
                          .Enabled(false)
                          .Help(kHelpDisplay),
                      created);
  if (display_menu != nullptr) {
    host::CommandBarControls* display_items = nullptr;
    if (SkipFailure([&] { display_items = &display_menu->Controls(); })) {
      for (int type = 1; type <= 6; ++type) {
        display_buttons[type - 1] =
            Make(*display_items,
                 ControlProperties().Caption(std::string(DisplayTypeName(type))).Help(kHelpDisplay),
                 created);
      }
      if (display_buttons[0] != nullptr) {
        SkipFailure([&] { display_buttons[0]->SetState(host::button_state::kDown); });
      }
    }
  }
  cbrRefreshDataNow = button(kRefreshCaption, false, false, 40);
  cbrCreateOfflinePPT = button(kOfflineCaption, true, true, 38);
  cbrGotoWeb = button("&Visit Quendra Vintrel 2002 website", true, true, kHelpProduct);
  cbrProductHelp = button("Quendra Vintrel 2002 &Help", false, true, kHelpProduct);
  cbrAboutProduct =
      button("&About Quendra Vintrel 2002 - Personal Edition", false, true, kHelpProduct);

  for (int command = 0; command < kShapeCommandCount; ++command) {
    if (tool_bar_commands[command] == nullptr) continue;
    SkipFailure([&] {
      SetButtonImage(*tool_bar_commands[command], Face(*ctx_, kCommandPictures[command][0]),
                     Face(*ctx_, kCommandPictures[command][1]));
    });
  }
  if (cmbRefreshDataNow != nullptr) {
    SkipFailure([&] {
      SetButtonImage(*cmbRefreshDataNow, Face(*ctx_, "picRefreshDataNowPic"),
                     Face(*ctx_, "picRefreshDataNowMask"));
    });
  }
  if (cmbCreateOfflinePPT != nullptr) {
    SkipFailure([&] {
      SetButtonImage(*cmbCreateOfflinePPT, Face(*ctx_, "picCreateOfflinePPTpic"),
                     Face(*ctx_, "picCreateOfflinePPTMask"));
    });
  }
}

void CommandControls::Remove() {
  SkipFailure([&] {
    if (tool_bar != nullptr) tool_bar->Delete();
  });
  // Deleting a popup removes its items too; deleting those again fails and is skipped.
  for (host::CommandBarControl* control : created) {
    SkipFailure([&] { control->Delete(); });
  }
  *this = CommandControls(*ctx_);
}

void CommandControls::Switch(ShapeCommand command, bool enabled, unsigned popups, bool bars) {
  if (bars) {
    SetEnabled(tool_bar_commands[command], enabled);
    SetEnabled(menu_commands[command], enabled);
  }
  for (int menu = 0; menu < kContextMenuCount; ++menu) {
    if ((popups & (1u << menu)) == 0) continue;
    ContextPopup& popup = context_popups[menu];
    if (popup.items[command] == nullptr) continue;
    SetEnabled(popup.items[command], enabled);
    if (enabled) SetEnabled(popup.popup, true);
  }
  if (!enabled && popups != 0) DisableIdlePopups();
}

void CommandControls::DisableIdlePopups() {
  for (ContextPopup& popup : context_popups) {
    if (popup.popup == nullptr) continue;
    SkipFailure([&] {
      for (host::CommandBarControl* item : popup.items) {
        if (item != nullptr && item->Enabled()) return;
      }
      popup.popup->SetEnabled(false);
    });
  }
}

void CommandControls::EnableConnectionMenu() {
  SkipFailure([&] { Trace(*ctx_, "EnableConnectionMenu"); });
  if (UserInterfaceHidden(*ctx_)) return;
  Switch(kSlideShowProperties, true, kAllPopups);
  // Slide properties on the bars belong to the slide menu.
  Switch(kSlideProperties, true, kAllPopups, false);
}

void CommandControls::DisableConnectionMenu() {
  SkipFailure([&] { Trace(*ctx_, "DisableConnectionMenu"); });
  if (UserInterfaceHidden(*ctx_)) return;
  Switch(kSlideShowProperties, false, kAllPopups);
  Switch(kSlideProperties, false, kAllPopups, false);
}

void CommandControls::EnableSlideMenu(host::Application* host) {
  SkipFailure([&] { Trace(*ctx_, "EnableSlideMenu"); });
  if (UserInterfaceHidden(*ctx_)) return;
  // A window whose view cannot be read shows no slide to give properties of.
  bool sorter = true;
  SkipFailure([&] {
    if (host != nullptr) {
      sorter = host->ActiveWindow().ActivePane().ViewType() == host::view_type::kSlideSorter;
    }
  });
  if (sorter) {
    DisableSlideMenu();
    return;
  }
  Switch(kSlideProperties, true, 0);
}

void CommandControls::DisableSlideMenu() {
  SkipFailure([&] { Trace(*ctx_, "DisableSlideMenu"); });
  if (UserInterfaceHidden(*ctx_)) return;
  Switch(kSlideProperties, false, 0);
}

void CommandControls::EnableDataMenu() {
  SkipFailure([&] { Trace(*ctx_, "EnableDataMenu"); });
  if (UserInterfaceHidden(*ctx_)) return;
  for (host::CommandBarControl* control :
       {cbrRefreshDataNow, cmbRefreshDataNow, cmbDisplayType, display_menu}) {
    SetEnabled(control, true);
  }
}

void CommandControls::DisableDataMenu() {
  SkipFailure([&] { Trace(*ctx_, "DisableDataMenu"); });
  if (UserInterfaceHidden(*ctx_)) return;
  for (host::CommandBarControl* control :
       {cbrRefreshDataNow, cmbRefreshDataNow, cmbDisplayType, display_menu}) {
    SetEnabled(control, false);
  }
}

void CommandControls::EnableTextFieldMenu() {
  SkipFailure([&] { Trace(*ctx_, "EnableTextFieldMenu"); });
  if (UserInterfaceHidden(*ctx_)) return;
  Switch(kDataFieldProperties, true, Popup(kShapesMenu));
}

void CommandControls::DisableTextFieldMenu() {
  SkipFailure([&] { Trace(*ctx_, "DisableTextFieldMenu"); });
  if (UserInterfaceHidden(*ctx_)) return;
  Switch(kDataFieldProperties, false, kAllPopups);
}

void CommandControls::EnableClockMenu() {
  SkipFailure([&] { Trace(*ctx_, "EnableClockMenu"); });
  if (UserInterfaceHidden(*ctx_)) return;
  Switch(kClockProperties, true, Popup(kShapesMenu));
}

void CommandControls::DisableClockMenu() {
  SkipFailure([&] { Trace(*ctx_, "DisableClockMenu"); });
  if (UserInterfaceHidden(*ctx_)) return;
  Switch(kClockProperties, false, kAllPopups);
}

void CommandControls::EnableDataObjectMenu() {
  SkipFailure([&] { Trace(*ctx_, "EnableDataObjectMenu"); });
  if (UserInterfaceHidden(*ctx_)) return;
  Switch(kDataObjectProperties, true, kAllPopups);
}

void CommandControls::DisableDataObjectMenu() {
  SkipFailure([&] { Trace(*ctx_, "DisableDataObjectMenu"); });
  if (UserInterfaceHidden(*ctx_)) return;
  Switch(kDataObjectProperties, false, kAllPopups);
}

void CommandControls::EnableGraphMenu() {
  SkipFailure([&] { Trace(*ctx_, "EnableGraphMenu"); });
  if (UserInterfaceHidden(*ctx_)) return;
  Switch(kGraphProperties, true, Popup(kOleMenu));
}

void CommandControls::DisableGraphMenu() {
  SkipFailure([&] { Trace(*ctx_, "DisableGraphMenu"); });
  if (UserInterfaceHidden(*ctx_)) return;
  Switch(kGraphProperties, false, kAllPopups);
}

void CommandControls::SetOfflineEnabled(bool enabled) {
  if (UserInterfaceHidden(*ctx_)) return;
  SetEnabled(cmbCreateOfflinePPT, enabled);
  SetEnabled(cbrCreateOfflinePPT, enabled);
}

}  // namespace vintrel::shell
