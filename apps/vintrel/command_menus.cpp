// vintrel menus FILE [--select ...] [--json]: the add-in's tool bar, main menu and context menus
// as a user sees them with the presentation open (and the selection made): captions, enabled
// states, pressed buttons, the display combo's entry; in JSON also each button's picture and
// mask files.
#include <iostream>
#include <sstream>

#include "command.h"
#include "host_session.h"
#include "json_output.h"
#include "menus_json.h"
#include "open_presentation.h"

namespace vintrel::app {
namespace {

struct MenusOptions {
  std::string file;
  std::string select;
  bool json = false;
};

std::string Shown(std::string caption) {
  std::erase(caption, '&');
  return caption;
}

void WriteText(host::CommandBarControl& control, const std::string& indent, std::ostream& out) {
  if (control.BeginGroup()) out << indent << "----\n";
  out << indent;
  const int type = control.Type();
  out << Shown(control.Caption());
  if (type == host::control_type::kButton && control.State() == host::button_state::kDown) {
    out << "  (pressed)";
  }
  if (type == host::control_type::kComboBox) {
    const int index = control.ListIndex();
    out << ": " << (index >= 1 && index <= control.ListCount() ? control.List(index) : "");
  }
  if (type == host::control_type::kPopup) out << " >";
  if (!control.Enabled()) out << "  (disabled)";
  if (!control.Visible()) out << "  (hidden)";
  out << "\n";
  if (type == host::control_type::kPopup) {
    host::CommandBarControls& items = control.Controls();
    for (int i = 1; i <= items.Count(); ++i) WriteText(items.Item(i), indent + "    ", out);
  }
}

CommandAction SetupMenus(CLI::App& root) {
  auto options = std::make_shared<MenusOptions>();
  CLI::App* command = root.add_subcommand(
      "menus", "Show the add-in's tool bar, menu and context menus with their enabled states");
  command->add_option("file", options->file, "The presentation (.pptx)")->required();
  command->add_option("--select", options->select,
                      "Select shapes first: SLIDE:SHAPE[,SHAPE...] (names or positions), or "
                      "SLIDE for a slide with nothing selected");
  command->add_flag("--json", options->json, "Write one JSON object instead of text");
  return [options] {
    HostSession session;
    host::Presentation& presentation = OpenPresentation(session, options->file);
    if (!options->select.empty()) session.Select(presentation, options->select);
    const shell::CommandControls& menus = session.controls();
    host::CommandBar* tool_bar = menus.tool_bar;
    std::ostringstream out;
    if (options->json) {
      out << JsonText(CommandBarsJson(menus)) << "\n";
    } else {
      if (tool_bar != nullptr) {
        out << "Tool bar \"" << tool_bar->Name() << "\"\n";
        host::CommandBarControls& controls = tool_bar->Controls();
        for (int i = 1; i <= controls.Count(); ++i) WriteText(controls.Item(i), "    ", out);
      }
      if (menus.menu_popup != nullptr) {
        out << "Menu bar\n";
        WriteText(*menus.menu_popup, "    ", out);
      }
      for (int menu = 0; menu < shell::kContextMenuCount; ++menu) {
        if (host::CommandBarControl* popup = menus.context_popups[menu].popup) {
          out << "Context menu \"" << shell::kContextMenuBars[menu] << "\"\n";
          WriteText(*popup, "    ", out);
        }
      }
    }
    std::cout << out.str();
    return kExitOk;
  };
}

const CommandRegistration registration(12, SetupMenus);

}  // namespace
}  // namespace vintrel::app
