#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/slide_property_page.h"
#include "shell/addin_fixture.h"

namespace vintrel::shell {
namespace {

using host::memory::MemoryCommandBarControl;
using host::memory::MemoryCommandBarControls;
using testing_support::kWithConnections;
using testing_support::kWithoutConnections;

class CommandBarsTest : public testing_support::ConnectedAddInFixture {
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

TEST_F(CommandBarsTest, DataCommandsFollowTheActivePresentationsConnections) {
  EXPECT_EQ(
      EnabledOnToolBarAndMenu(),
      (std::vector<std::string>{"Create &off-line presentation", "Create &off-line presentation",
                                "&Visit Quendra Vintrel 2002 website", "Quendra Vintrel 2002 &Help",
                                "&About Quendra Vintrel 2002 - Personal Edition"}));
  for (const auto& [file, refresh_and_display] :
       {std::pair{kWithConnections, true}, std::pair{kWithoutConnections, false}}) {
    host::memory::MemoryPresentation& opened = host_.OpenPresentation(file);
    const CommandControls& controls = connect_.application()->command_controls();
    for (host::CommandBarControl* control : {controls.cmbRefreshDataNow, controls.cbrRefreshDataNow,
                                             controls.cmbDisplayType, controls.display_menu}) {
      EXPECT_EQ(control->Enabled(), refresh_and_display) << file;
    }
    host_.ClosePresentation(opened);
  }
  // Once the last presentation has closed, the off-line copy goes too.
  EXPECT_FALSE(connect_.application()->command_controls().cmbCreateOfflinePPT->Enabled());
}

TEST_F(CommandBarsTest, SlideSorterKeepsSlidePropertiesOff) {
  host::memory::MemoryPresentation& opened = host_.OpenPresentation(kWithConnections);
  const CommandControls& controls = connect_.application()->command_controls();
  EXPECT_TRUE(controls.tool_bar_commands[kSlideProperties]->Enabled());
  host_.window_of(opened)->pane().set_view_type(host::view_type::kSlideSorter);
  host_.ClearSelection();
  EXPECT_FALSE(controls.tool_bar_commands[kSlideProperties]->Enabled());
  EXPECT_FALSE(controls.menu_commands[kSlideProperties]->Enabled());
}

TEST_F(CommandBarsTest, ShutDownLeavesTheHostsBarsAsTheyWere) {
  connect_.OnDisconnection(0);
  EXPECT_EQ(ToolBar(), nullptr);
  EXPECT_EQ(MenuBar().captions(), host::memory::MemoryCommandBars::MenuBarCaptions());
  for (const char* name : kContextMenuBars) {
    EXPECT_EQ(host_.command_bars().find(name)->controls().find("V&intrel"), nullptr) << name;
  }
}

// Only a setting of exactly 1 hides the interface; the last case is that one.
TEST_F(CommandBarsTest, HiddenUserInterfaceMakesNothingAndEventsStillRun) {
  for (const std::string value : {" 1", "01", "true", "1"}) {
    connect_.OnDisconnection(0);
    SetSetting(kSettingHideUserInterface, value);
    ConnectAddIn();
    EXPECT_EQ(ToolBar() == nullptr, value == "1") << value;
  }
  EXPECT_EQ(MenuBar().captions(), host::memory::MemoryCommandBars::MenuBarCaptions());
  host::memory::MemoryPresentation& opened = host_.OpenPresentation(kWithConnections);
  host_.SelectShapes({&opened.slide(1).shape(1)});
  host_.ActivateWindow(opened);
  host_.ClosePresentation(opened);
  EXPECT_TRUE(connect_.application()->presentations().empty());
}

// Which page a click opens, and with which slide: every control of a shape command reaches the
// same page; the bars name the slide in view, the context menus do not.
constexpr int kToolBar = -1;
constexpr int kMainMenu = -2;  // any other place is the index of a context popup
struct ClickCase {
  const char* name;
  int place;
  ShapeCommand command;
  const char* page;
  std::optional<int> slide;
};

constexpr const char* kConnections = "frmSlideShowPropertyPage";
constexpr const char* kSlide = "frmSlidePropertyPage";
constexpr const char* kText = "frmTextFieldPropertyPage";

TEST_F(CommandBarsTest, ClicksOpenTheirPagesThroughTheActivePresentation) {
  // Notes each page shown (the slide page with its slide) and cancels it.
  struct PageRecorder : host::memory::ScriptedFrontEnd {
    void ShowForm(host::Form& form) override {
      opened.push_back(form.Name());
      if (auto* slide_page = dynamic_cast<dialogs::frmSlidePropertyPage*>(&form)) {
        slide_asked = slide_page->SlideIndex();
      }
    }
    std::vector<std::string> opened;
    std::optional<int> slide_asked;
  } pages;
  connect_.services().front_end = &pages;
  host::memory::MemoryPresentation& deck = host_.OpenPresentation(kWithConnections);
  host::memory::MemoryShape& field = deck.slide(1).shape(1);
  const CommandControls& controls = connect_.application()->command_controls();

  const ClickCase cases[] = {
      {"tool bar, connections", kToolBar, kSlideShowProperties, kConnections, {}},
      {"main menu, slide", kMainMenu, kSlideProperties, kSlide, 1},
      // A popup names no slide: the page is for the slide of the active window.
      {"shapes popup, slide", kShapesMenu, kSlideProperties, kSlide, 1},
      {"pictures popup, connections", kPicturesMenu, kSlideShowProperties, kConnections, {}},
      {"tool bar, text field", kToolBar, kDataFieldProperties, kText, {}},
  };
  for (const ClickCase& c : cases) {
    SCOPED_TRACE(c.name);
    host_.SelectShapes({&field});
    host::CommandBarControl* control = c.place == kToolBar ? controls.tool_bar_commands[c.command]
                                       : c.place == kMainMenu
                                           ? controls.menu_commands[c.command]
                                           : controls.context_popups[c.place].items[c.command];
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(control->Enabled());
    pages.opened.clear();
    pages.slide_asked.reset();
    control->Execute();
    EXPECT_EQ(pages.opened, std::vector<std::string>{c.page});
    EXPECT_EQ(pages.slide_asked, c.slide);
  }
}

TEST_F(CommandBarsTest, DisplayComboAndSubmenuNameTheSameType) {
  host_.OpenPresentation(kWithConnections);
  const CommandControls& controls = connect_.application()->command_controls();
  auto pressed = [&] {
    std::vector<int> down;
    for (int i = 0; i < 6; ++i) {
      if (controls.display_buttons[i]->State() == host::button_state::kDown) down.push_back(i + 1);
    }
    return down;
  };
  controls.cmbDisplayType->SetListIndex(5);
  controls.cmbDisplayType->Execute();
  EXPECT_EQ(pressed(), std::vector<int>{5});
  EXPECT_EQ(connect_.context().module.current_display_type, 5);
  controls.display_buttons[1]->Execute();
  EXPECT_EQ(pressed(), std::vector<int>{2});
  EXPECT_EQ(controls.cmbDisplayType->ListIndex(), 2);
  EXPECT_EQ(connect_.application()->ActiveEntry()->DisplayType(), 2);
}

// Help opens the help the program found; without one it says where the manual is instead of
// opening nothing.
TEST_F(CommandBarsTest, HelpOpensTheHelpFileTheProgramFound) {
  for (const std::string help : {"/usr/share/vintrel/help/vintrel.html", ""}) {
    SCOPED_TRACE(help);
    connect_.services().help_file = help;
    const size_t calls = front_end_.help_calls().size();
    const size_t boxes = front_end_.message_boxes().size();
    connect_.application()->command_controls().cbrProductHelp->Execute();
    EXPECT_EQ(front_end_.help_calls().size(), calls + (help.empty() ? 0 : 1));
    EXPECT_EQ(front_end_.message_boxes().size(), boxes + (help.empty() ? 1 : 0));
    if (!help.empty()) {
      EXPECT_EQ(front_end_.help_calls().back().help_file, help);
    }
  }
}

}  // namespace
}  // namespace vintrel::shell
