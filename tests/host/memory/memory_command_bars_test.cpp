#include "host/memory/memory_command_bars.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/memory/error_number.h"

namespace vintrel::host::memory {
namespace {

using ::testing::ElementsAre;

class MemoryCommandBarsTest : public ::testing::Test {
 protected:
  MemoryCommandBars bars_;
};

TEST_F(MemoryCommandBarsTest, HostBarsArePresentAndFoundWithoutCase) {
  for (const char* name : {"Menu Bar", "Shapes", "Pictures Context Menu", "OLE Object"}) {
    EXPECT_EQ(bars_.Item(name).Name(), name);
  }
  EXPECT_EQ(&bars_.Item("menu bar"), &bars_.Item("Menu Bar"));
  EXPECT_EQ(ErrorNumberOf([&] { bars_.Item("Nope"); }), kErrInvalidArgument);
}

TEST_F(MemoryCommandBarsTest, MenuInsertedBeforeTheWindowMenu) {
  // How the add-in places its menu: just left of the host's window menu.
  host::CommandBarControls& menu = bars_.Item("Menu Bar").Controls();
  const int window = menu.Item("&Window").Index();
  EXPECT_EQ(window, 8);
  host::CommandBarControl& popup = menu.Add(control_type::kPopup, window, true);
  popup.SetCaption("V&intrel");
  EXPECT_EQ(popup.Index(), 8);
  EXPECT_EQ(menu.Item("&Window").Index(), 9);
  EXPECT_THAT(bars_.find("Menu Bar")->controls().captions(),
              ElementsAre("&File", "&Edit", "&View", "&Insert", "F&ormat", "&Tools", "Sli&de Show",
                          "V&intrel", "&Window", "&Help"));
  EXPECT_EQ(&menu.Item("&WINDOW"), &menu.Item("&Window"));
  EXPECT_EQ(ErrorNumberOf([&] { menu.Item("Window"); }), kErrInvalidArgument)
      << "the accelerator is part of the caption";
}

TEST_F(MemoryCommandBarsTest, AddAppendsOrInsertsAndRejectsBadPositions) {
  host::CommandBar& bar = bars_.Add("Tool", bar_position::kTop, true);
  host::CommandBarControls& controls = bar.Controls();
  controls.Add(control_type::kButton).SetCaption("1");
  controls.Add(control_type::kButton).SetCaption("3");
  controls.Add(control_type::kButton, 2).SetCaption("2");
  controls.Add(control_type::kButton, 1).SetCaption("0");
  EXPECT_THAT(bars_.find("Tool")->controls().captions(), ElementsAre("0", "1", "2", "3"));
  EXPECT_EQ(controls.Item(3).Caption(), "2");
  EXPECT_EQ(ErrorNumberOf([&] { controls.Add(control_type::kButton, 6); }), kErrInvalidArgument);
  EXPECT_EQ(ErrorNumberOf([&] { controls.Add(2); }), kErrInvalidArgument);
  EXPECT_EQ(ErrorNumberOf([&] { bars_.Add("tool", bar_position::kTop, true); }),
            kErrInvalidArgument);
}

TEST_F(MemoryCommandBarsTest, DeletedControlMovesOthersUpAndFailsAfterwards) {
  host::CommandBarControls& controls = bars_.Item("Shapes").Controls();
  host::CommandBarControl& popup = controls.Add(control_type::kPopup, 0, true);
  host::CommandBarControl& item = popup.Controls().Add(control_type::kButton);
  host::CommandBarControl& paste = controls.Item("&Paste");
  controls.Item("&Copy").Delete();
  EXPECT_EQ(paste.Index(), 2);
  EXPECT_EQ(popup.Index(), 3);

  popup.Delete();
  EXPECT_EQ(controls.Count(), 2);
  EXPECT_NE(ErrorNumberOf([&] { popup.Delete(); }), 0) << "second delete";
  EXPECT_NE(ErrorNumberOf([&] { item.SetEnabled(false); }), 0) << "items go with their popup";
  EXPECT_NE(ErrorNumberOf([&] { popup.Controls(); }), 0);
}

TEST_F(MemoryCommandBarsTest, DeletingABarDeletesItsControlsButNotABuiltInBar) {
  host::CommandBar& bar = bars_.Add("Tool", bar_position::kTop, true);
  host::CommandBarControl& button = bar.Controls().Add(control_type::kButton);
  bar.Delete();
  EXPECT_EQ(bars_.find("Tool"), nullptr);
  EXPECT_NE(ErrorNumberOf([&] { button.Caption(); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { bar.Delete(); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { bars_.Item("OLE Object").Delete(); }), 0);
  // A test may still take a host bar away, to see the add-in cope without it.
  EXPECT_TRUE(bars_.RemoveBar("OLE Object"));
  EXPECT_NE(ErrorNumberOf([&] { bars_.Item("OLE Object"); }), 0);
  // And a new bar of a removed name can be made again.
  bars_.Add("Tool", bar_position::kTop, true);
}

TEST_F(MemoryCommandBarsTest, ButtonPropertiesAndClick) {
  host::CommandBarControl& button =
      bars_.Add("Tool", bar_position::kTop, true).Controls().Add(control_type::kButton);
  button.SetCaption("&Refresh");
  button.SetTooltipText("Refresh now");
  button.SetBeginGroup(true);
  button.SetEnabled(false);
  button.SetState(button_state::kDown);
  button.SetWidth(40);
  button.SetHelpContextId(40);
  button.SetPicture(ButtonImage{"picRefresh"});
  button.SetMask(ButtonImage{"picRefreshMask"});
  auto& memory = static_cast<MemoryCommandBarControl&>(button);
  EXPECT_EQ(button.TooltipText(), "Refresh now");
  EXPECT_TRUE(button.BeginGroup());
  EXPECT_EQ(button.State(), button_state::kDown);
  EXPECT_EQ(button.Width(), 40);
  EXPECT_EQ(button.HelpContextId(), 40);
  EXPECT_EQ(memory.picture()->name, "picRefresh");
  EXPECT_EQ(memory.mask()->name, "picRefreshMask");
  EXPECT_TRUE(memory.temporary());

  std::vector<std::string> clicks;
  button.OnClick([&](host::CommandBarControl& control, bool& cancel_default) {
    clicks.push_back(control.Caption());
    cancel_default = true;
  });
  EXPECT_NE(ErrorNumberOf([&] { button.Execute(); }), 0) << "nobody can click a disabled button";
  EXPECT_TRUE(clicks.empty());
  button.SetEnabled(true);
  button.Execute();
  EXPECT_THAT(clicks, ElementsAre("&Refresh"));
  EXPECT_TRUE(memory.last_cancel_default());
  button.OnClick(nullptr);
  button.Execute();
  EXPECT_EQ(clicks.size(), 1u);
  EXPECT_NE(ErrorNumberOf([&] { button.OnChange([](host::CommandBarControl&) {}); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { button.AddItem("x"); }), 0);
}

TEST_F(MemoryCommandBarsTest, ComboListIndexAndChange) {
  host::CommandBarControl& combo =
      bars_.Add("Tool", bar_position::kTop, true).Controls().Add(control_type::kComboBox);
  for (const char* item : {"Value", "Connection", "Column"}) combo.AddItem(item);
  EXPECT_EQ(combo.ListCount(), 3);
  EXPECT_EQ(combo.List(2), "Connection");
  EXPECT_EQ(combo.ListIndex(), 0);
  int changes = 0;
  combo.OnChange([&](host::CommandBarControl& control) {
    ++changes;
    EXPECT_EQ(control.ListIndex(), 3);
  });
  combo.SetListIndex(1);
  EXPECT_EQ(changes, 0) << "a program setting the index raises nothing";
  static_cast<MemoryCommandBarControl&>(combo).Choose(3);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(ErrorNumberOf([&] { combo.SetListIndex(4); }), kErrInvalidArgument);
  EXPECT_EQ(ErrorNumberOf([&] { combo.List(0); }), kErrInvalidArgument);
  EXPECT_NE(ErrorNumberOf([&] { combo.State(); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { combo.Controls(); }), 0);
}

TEST_F(MemoryCommandBarsTest, HandlerMayDeleteItsOwnControl) {
  host::CommandBarControl& button =
      bars_.Add("Tool", bar_position::kTop, true).Controls().Add(control_type::kButton);
  button.OnClick([](host::CommandBarControl& control, bool&) { control.Delete(); });
  button.Execute();
  EXPECT_TRUE(static_cast<MemoryCommandBarControl&>(button).deleted());
}

TEST(MemoryCommandBarsFaultTest, ArmedControlCallFails) {
  FaultInjector faults;
  MemoryCommandBars bars(&faults);
  faults.Fail("CommandBarControls.Add");
  host::CommandBarControls& menu = bars.Item("Menu Bar").Controls();
  EXPECT_NE(ErrorNumberOf([&] { menu.Add(control_type::kPopup); }), 0);
  menu.Add(control_type::kPopup);
  EXPECT_EQ(faults.Calls("CommandBarControls.Add"), 2) << "built-in set-up is not counted";
}

}  // namespace
}  // namespace vintrel::host::memory
