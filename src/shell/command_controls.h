// The add-in's controls inside the host: its tool bar, the "V&intrel" popup on the main menu bar
// and the "V&intrel" entry of three context menus; how they are made, switched on and off, and
// removed. Every routine skips a failing step and goes on; when "HideUserInterface" is "1" none
// exists and every routine returns at once.
#ifndef VINTREL_SHELL_COMMAND_CONTROLS_H_
#define VINTREL_SHELL_COMMAND_CONTROLS_H_

#include <array>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/command_bars.h"
#include "support/context.h"

namespace vintrel::shell {

// The six shape commands, in the order every context popup lists them; the tool bar and the main
// menu begin with them too.
enum ShapeCommand : int {
  kSlideShowProperties = 0,
  kSlideProperties,
  kClockProperties,
  kDataFieldProperties,
  kDataObjectProperties,
  kGraphProperties,
  kShapeCommandCount
};

// The host's context menus that carry a "V&intrel" entry, in the order they are built.
enum ContextMenu : int { kShapesMenu = 0, kPicturesMenu, kOleMenu, kContextMenuCount };

inline constexpr const char* kToolBarName = "Quendra Vintrel 2002";
inline constexpr const char* kContextMenuBars[kContextMenuCount] = {
    "Shapes", "Pictures Context Menu", "OLE Object"};

struct ContextPopup {
  host::CommandBarControl* popup = nullptr;
  std::array<host::CommandBarControl*, kShapeCommandCount> items{};
};

class CommandControls {
 public:
  explicit CommandControls(Context& ctx) : ctx_(&ctx) {}

  // Makes the tool bar, the context popups and the main-menu popup, in that order. Every control
  // made is recorded for Remove.
  void Build(host::CommandBars& bars);
  // Deletes the tool bar and every control made, failures skipped, and forgets them.
  void Remove();

  // Slide show properties on both bars; slide show and slide properties in all context popups.
  void EnableConnectionMenu();
  void DisableConnectionMenu();
  // Slide properties on both bars; enabled only outside slide sorter view (and while the active
  // window's view can be read).
  void EnableSlideMenu(host::Application* host);
  void DisableSlideMenu();
  // Refresh data now, the display combo and the display submenu.
  void EnableDataMenu();
  void DisableDataMenu();
  void EnableTextFieldMenu();
  void DisableTextFieldMenu();
  void EnableClockMenu();
  void DisableClockMenu();
  void EnableDataObjectMenu();
  void DisableDataObjectMenu();
  void EnableGraphMenu();
  void DisableGraphMenu();
  // Both "Create &off-line presentation" controls.
  void SetOfflineEnabled(bool enabled);

  // The references, null for a control that was not made.
  host::CommandBar* tool_bar = nullptr;
  std::array<host::CommandBarControl*, kShapeCommandCount> tool_bar_commands{};  // cmb...
  host::CommandBarControl* cmbCreateOfflinePPT = nullptr;
  host::CommandBarControl* cmbRefreshDataNow = nullptr;
  host::CommandBarControl* cmbDisplayType = nullptr;
  host::CommandBarControl* menu_popup = nullptr;
  std::array<host::CommandBarControl*, kShapeCommandCount> menu_commands{};  // cbr...
  host::CommandBarControl* display_menu = nullptr;
  std::array<host::CommandBarControl*, 6> display_buttons{};  // cbrDisplayValue ... (types 1-6)
  host::CommandBarControl* cbrRefreshDataNow = nullptr;
  host::CommandBarControl* cbrCreateOfflinePPT = nullptr;
  host::CommandBarControl* cbrGotoWeb = nullptr;
  host::CommandBarControl* cbrProductHelp = nullptr;
  host::CommandBarControl* cbrAboutProduct = nullptr;
  std::array<ContextPopup, kContextMenuCount> context_popups{};
  // Every control made, in the order made (popup items included).
  std::vector<host::CommandBarControl*> created;

 private:
  Context* ctx_;
  // One shape command on the tool bar and the main menu (unless `bars` is false), and its item
  // in the context popups `popups` names (bit i for ContextMenu i). Enabling an item enables its
  // popup; disabling ends with DisableIdlePopups.
  void Switch(ShapeCommand command, bool enabled, unsigned popups, bool bars = true);
  // Disables every context popup whose items are all disabled.
  void DisableIdlePopups();
  void BuildToolBar(host::CommandBars& bars);
  void BuildContextPopups(host::CommandBars& bars);
  void BuildMainMenu(host::CommandBars& bars);
};

// The "HideUserInterface" setting as read at start-up is "1".
bool UserInterfaceHidden(const Context& ctx);

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_COMMAND_CONTROLS_H_
