#include "menus_json.h"

#include <charconv>

#include "host/ooxml/simple_command_bars.h"

namespace vintrel::app {
namespace {

const char* TypeName(int type) {
  switch (type) {
    case host::control_type::kComboBox:
      return "combo";
    case host::control_type::kPopup:
      return "popup";
    default:
      return "button";
  }
}

// The next number of an id ("3/1" gives 3, then 1); nothing when the text holds none.
std::optional<int> NextIndex(std::string_view& rest) {
  if (rest.empty() || rest.front() != '/') return std::nullopt;
  rest.remove_prefix(1);
  int index = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), index);
  if (error != std::errc() || index < 1) return std::nullopt;
  rest.remove_prefix(end - rest.data());
  return index;
}

}  // namespace

Json ControlJson(host::CommandBarControl& control, const std::string& id) {
  const int type = control.Type();
  Json out = {{"caption", control.Caption()},
              {"type", TypeName(type)},
              {"enabled", control.Enabled()},
              {"visible", control.Visible()},
              {"beginGroup", control.BeginGroup()},
              {"tooltip", control.TooltipText()},
              {"helpContextId", control.HelpContextId()}};
  if (!id.empty()) out["id"] = id;
  if (type == host::control_type::kButton) {
    out["pressed"] = control.State() == host::button_state::kDown;
    // The package host keeps what the add-in handed over; a button given no image has none.
    if (const auto* button = dynamic_cast<const ooxml::SimpleControl*>(&control)) {
      for (const auto& [key, image] :
           {std::pair{"picture", &button->picture()}, std::pair{"mask", &button->mask()}}) {
        out[key] = image->file.empty() ? Json() : Json(image->file);
      }
    }
  }
  if (type == host::control_type::kComboBox) {
    Json items = Json::array();
    for (int i = 1; i <= control.ListCount(); ++i) items.push_back(control.List(i));
    out["items"] = items;
    out["listIndex"] = control.ListIndex();
  }
  if (type == host::control_type::kPopup) {
    Json items = Json::array();
    host::CommandBarControls& controls = control.Controls();
    for (int i = 1; i <= controls.Count(); ++i) {
      items.push_back(
          ControlJson(controls.Item(i), id.empty() ? id : id + "/" + std::to_string(i)));
    }
    out["items"] = items;
  }
  return out;
}

Json CommandBarsJson(const shell::CommandControls& menus, bool with_ids) {
  const auto id = [with_ids](const std::string& text) { return with_ids ? text : std::string(); };
  host::CommandBar* tool_bar = menus.tool_bar;
  Json controls = Json::array();
  if (tool_bar != nullptr) {
    host::CommandBarControls& items = tool_bar->Controls();
    for (int i = 1; i <= items.Count(); ++i) {
      controls.push_back(ControlJson(items.Item(i), id("t/" + std::to_string(i))));
    }
  }
  Json context_menus = Json::array();
  for (int menu = 0; menu < shell::kContextMenuCount; ++menu) {
    host::CommandBarControl* popup = menus.context_popups[menu].popup;
    context_menus.push_back(
        {{"bar", shell::kContextMenuBars[menu]},
         {"entry", popup ? ControlJson(*popup, id("c/" + std::to_string(menu + 1))) : Json()}});
  }
  return {
      {"toolBar", {{"name", tool_bar != nullptr ? tool_bar->Name() : ""}, {"controls", controls}}},
      {"menu", menus.menu_popup != nullptr ? ControlJson(*menus.menu_popup, id("m")) : Json()},
      {"contextMenus", context_menus}};
}

host::CommandBarControl* FindControl(const shell::CommandControls& menus, const std::string& id,
                                     std::vector<host::CommandBarControl*>* path) {
  std::string_view rest = id;
  host::CommandBarControl* control = nullptr;
  try {
    if (rest.starts_with("m")) {
      rest.remove_prefix(1);
      control = menus.menu_popup;
    } else if (rest.starts_with("t") || rest.starts_with("c")) {
      const bool tool_bar = rest.front() == 't';
      rest.remove_prefix(1);
      const std::optional<int> index = NextIndex(rest);
      if (!index) return nullptr;
      if (tool_bar && menus.tool_bar != nullptr && *index <= menus.tool_bar->Controls().Count()) {
        control = &menus.tool_bar->Controls().Item(*index);
      } else if (!tool_bar && *index <= shell::kContextMenuCount) {
        control = menus.context_popups[*index - 1].popup;
      }
    }
    while (control != nullptr && !rest.empty()) {
      if (path) path->push_back(control);
      const std::optional<int> index = NextIndex(rest);
      if (!index || control->Type() != host::control_type::kPopup ||
          *index > control->Controls().Count()) {
        return nullptr;
      }
      control = &control->Controls().Item(*index);
    }
  } catch (const std::exception&) {
    return nullptr;  // a control the host cannot read is none to click
  }
  return control;
}

}  // namespace vintrel::app
