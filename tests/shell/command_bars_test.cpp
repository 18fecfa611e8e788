#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shell/addin_fixture.h"

namespace vintrel::shell {
namespace {

using host::memory::MemoryCommandBarControl;
using host::memory::MemoryCommandBarControls;
using testing_support::kWithConnections;
using testing_support::kWithoutConnections;

class CommandBarsTest : public testing_support::AddInFixture {
 protected:
  MemoryCommandBarControls* ToolBar() {
    host::memory::MemoryCommandBar* bar = host_.command_bars().find(kToolBarName);
    return bar == nullptr ? nullptr : &bar->controls();
  }
  MemoryCommandBarControls& MenuBar() { return host_.command_bars().find("Menu Bar")->controls(); }
  // The captions of the controls a person can click: enabled, and inside enabled popups.
  static void EnabledCaptions(MemoryCommandBarControls& controls, std::vector<std::string>& out) {
    for (int i = 1; i <= controls.count(); ++i) {
      MemoryCommandBarControl& control = controls.at(i);
      if (!control.enabled()) continue;
      if (control.popup_controls() != nullptr) {
        EnabledCaptions(*control.popup_controls(), out);
      } else {
        out.push_back(control.caption());
      }
    }
  }
  std::vector<std::string> EnabledOnToolBarAndMenu() {
    std::vector<std::string> enabled;
    EnabledCaptions(*ToolBar(), enabled);
    EnabledCaptions(*MenuBar().find("V&intrel")->popup_controls(), enabled);
    return enabled;
  }
};

TEST_F(CommandBarsTest, MenuStandsBeforeTheWindowMenuAndGroupsAreMarked) {
  ConnectAddIn();
  std::vector<std::string> captions = MenuBar().captions();
  auto window = std::find(captions.begin(), captions.end(), "&Window");
  ASSERT_NE(window, captions.begin());
  EXPECT_EQ(*(window - 1), "V&intrel");

  std::vector<std::string> groups;
  for (int i = 1; i <= ToolBar()->count(); ++i) {
    if (ToolBar()->at(i).begin_group()) groups.push_back(ToolBar()->at(i).caption());
  }
  EXPECT_EQ(groups,
            (std::vector<std::string>{"Create &off-line presentation", "&Refresh data now"}));
  MemoryCommandBarControl& combo = ToolBar()->at(ToolBar()->count());
  EXPECT_EQ(combo.list_index(), 1);
  EXPECT_EQ(combo.items().size(), 6u);
}

struct StateCase {
  const char* opened;
  bool refresh_and_display;
};

TEST_F(CommandBarsTest, DataCommandsFollowTheActivePresentationsConnections) {
  ConnectAddIn();
  const std::vector<std::string> at_start = EnabledOnToolBarAndMenu();
  EXPECT_EQ(at_start, (std::vector<std::string>{
                          "Create &off-line presentation", "Create &off-line presentation",
                          "&Visit Quendra Vintrel 2002 website", "Quendra Vintrel 2002 &Help",
                          "&About Quendra Vintrel 2002 - Personal Edition"}));
  for (const StateCase& c :
       std::vector<StateCase>{{kWithConnections, true}, {kWithoutConnections, false}}) {
    host::memory::MemoryPresentation& opened = host_.OpenPresentation(c.opened);
    const CommandControls& controls = connect_.application()->command_controls();
    for (host::CommandBarControl* control : {controls.cmbRefreshDataNow, controls.cbrRefreshDataNow,
                                             controls.cmbDisplayType, controls.display_menu}) {
      EXPECT_EQ(control->Enabled(), c.refresh_and_display) << c.opened;
    }
    host_.ClosePresentation(opened);
  }
  // Once the last presentation has closed, the off-line copy goes too.
  EXPECT_FALSE(connect_.application()->command_controls().cmbCreateOfflinePPT->Enabled());
}

TEST_F(CommandBarsTest, SlideSorterKeepsSlidePropertiesOff) {
  ConnectAddIn();
  host::memory::MemoryPresentation& opened = host_.OpenPresentation(kWithConnections);
  const CommandControls& controls = connect_.application()->command_controls();
  EXPECT_TRUE(controls.tool_bar_commands[kSlideProperties]->Enabled());
  host_.window_of(opened)->pane().set_view_type(host::view_type::kSlideSorter);
  host_.ClearSelection();
  EXPECT_FALSE(controls.tool_bar_commands[kSlideProperties]->Enabled());
  EXPECT_FALSE(controls.menu_commands[kSlideProperties]->Enabled());
}

TEST_F(CommandBarsTest, ShutDownLeavesTheHostsBarsAsTheyWere) {
  ConnectAddIn();
  connect_.OnDisconnection(0);
  EXPECT_EQ(ToolBar(), nullptr);
  EXPECT_EQ(MenuBar().captions(), host::memory::MemoryCommandBars::MenuBarCaptions());
  for (const char* name : kContextMenuBars) {
    EXPECT_EQ(host_.command_bars().find(name)->controls().find("V&intrel"), nullptr) << name;
  }
}

TEST_F(CommandBarsTest, HiddenUserInterfaceMakesNothingAndEventsStillRun) {
  SetSetting(kSettingHideUserInterface, "1");
  ConnectAddIn();
  EXPECT_EQ(ToolBar(), nullptr);
  EXPECT_EQ(MenuBar().captions(), host::memory::MemoryCommandBars::MenuBarCaptions());
  host::memory::MemoryPresentation& opened = host_.OpenPresentation(kWithConnections);
  host_.SelectShapes({&opened.slide(1).shape(1)});
  host_.ActivateWindow(opened);
  host_.ClosePresentation(opened);
  EXPECT_TRUE(connect_.application()->presentations().empty());
}

}  // namespace
}  // namespace vintrel::shell
