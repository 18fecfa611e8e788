#include "host/memory/fault_injector.h"

#include <gtest/gtest.h>

#include "host/memory/error_number.h"
#include "host/memory/memory_host.h"

namespace vintrel::host::memory {
namespace {

TEST(FaultInjectorTest, ArmedCountDownThenPass) {
  FaultInjector faults;
  faults.Fail("Op", Error(kErrPathNotFound, "test", "no path"), 2);
  EXPECT_EQ(ErrorNumberOf([&] { faults.Enter("Op", nullptr); }), kErrPathNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { faults.Enter("Other", nullptr); }), 0);
  EXPECT_EQ(ErrorNumberOf([&] { faults.Enter("Op", nullptr); }), kErrPathNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { faults.Enter("Op", nullptr); }), 0);
  EXPECT_EQ(faults.Calls("Op"), 3);
  EXPECT_EQ(faults.Calls("Never"), 0);
}

TEST(FaultInjectorTest, ForeverUntilCleared) {
  FaultInjector faults;
  faults.Fail("Op", -1);
  for (int i = 0; i < 3; ++i) EXPECT_NE(ErrorNumberOf([&] { faults.Enter("Op", nullptr); }), 0);
  faults.Clear();
  EXPECT_EQ(ErrorNumberOf([&] { faults.Enter("Op", nullptr); }), 0);
}

TEST(FaultInjectorTest, TargetCoversWhatItOwns) {
  MemoryApplication app;
  MemoryPresentation& deck = app.AddPresentation("/decks/a.pptx");
  MemorySlide& first = deck.AddSlide();
  MemorySlide& second = deck.AddSlide();
  MemoryShape& on_first = first.AddTextBox("a");
  MemoryShape& on_second = second.AddTextBox("b");
  app.faults().Fail("TextRange.SetText", -1, &first);
  EXPECT_NE(ErrorNumberOf([&] { on_first.TextFrame().TextRange().SetText("x"); }), 0);
  on_second.TextFrame().TextRange().SetText("y");
  EXPECT_EQ(on_first.text(), "a");
  EXPECT_EQ(on_second.text(), "y");
}

}  // namespace
}  // namespace vintrel::host::memory
