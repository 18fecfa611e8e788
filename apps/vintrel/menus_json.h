// The add-in's controls as JSON, for `vintrel menus --json` and the studio's page: captions,
// enabled and pressed states, the display combo's entries, each button's picture and mask files.
#ifndef VINTREL_APPS_VINTREL_MENUS_JSON_H_
#define VINTREL_APPS_VINTREL_MENUS_JSON_H_

#include <string>

#include "host/command_bars.h"
#include "json_output.h"
#include "shell/command_controls.h"

namespace vintrel::app {

// One control and, for a popup, its items. With `id`, every control carries "id": `id` for this
// one and "ID/N" for its N-th item (from 1), so a page can name the control it clicks.
Json ControlJson(host::CommandBarControl& control, const std::string& id = "");

// The tool bar, the main menu's popup and the context menus' popups, each with ids when
// `with_ids` ("t/N", "m", "c/MENU" and their items).
Json CommandBarsJson(const shell::CommandControls& menus, bool with_ids = false);

// The control an id of CommandBarsJson names, with every popup on its way; null for an id
// naming none.
host::CommandBarControl* FindControl(const shell::CommandControls& menus, const std::string& id,
                                     std::vector<host::CommandBarControl*>* path = nullptr);

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_MENUS_JSON_H_
