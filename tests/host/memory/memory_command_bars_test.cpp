// The in-memory command bars: what the suites above rely on — positions and deletes as the host
// does them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "host/memory/error_number.h"
#include "host/memory/memory_command_bars.h"

namespace vintrel::host::memory {
namespace {

TEST(MemoryCommandBarsTest, MenuInsertedBeforeTheWindowMenuAndDeletesCascade) {
  MemoryCommandBars bars;
  host::CommandBarControls& menu = bars.Item("menu bar").Controls();
  const int window = menu.Item("&WINDOW").Index();
  host::CommandBarControl& popup = menu.Add(control_type::kPopup, window, true);
  popup.SetCaption("V&intrel");
  host::CommandBarControl& item = popup.Controls().Add(control_type::kButton);
  EXPECT_EQ(popup.Index(), window);
  EXPECT_EQ(menu.Item("&Window").Index(), window + 1);
  EXPECT_EQ(ErrorNumberOf([&] { menu.Item("Window"); }), kErrInvalidArgument)
      << "the accelerator is part of the caption";
  EXPECT_EQ(ErrorNumberOf([&] { menu.Add(control_type::kButton, menu.Count() + 2); }),
            kErrInvalidArgument);

  popup.Delete();
  EXPECT_EQ(menu.Item("&Window").Index(), window);
  EXPECT_NE(ErrorNumberOf([&] { popup.Delete(); }), 0) << "second delete";
  EXPECT_NE(ErrorNumberOf([&] { item.SetEnabled(false); }), 0) << "items go with their popup";
  EXPECT_NE(ErrorNumberOf([&] { bars.Item("OLE Object").Delete(); }), 0) << "built-in bar";
  host::CommandBar& bar = bars.Add("Tool", bar_position::kTop, true);
  host::CommandBarControl& button = bar.Controls().Add(control_type::kButton);
  EXPECT_EQ(ErrorNumberOf([&] { bars.Add("tool", bar_position::kTop, true); }),
            kErrInvalidArgument);
  bar.Delete();
  EXPECT_NE(ErrorNumberOf([&] { button.Caption(); }), 0);
  EXPECT_EQ(ErrorNumberOf([&] { bars.Item("Nope"); }), kErrInvalidArgument);
}

}  // namespace
}  // namespace vintrel::host::memory
