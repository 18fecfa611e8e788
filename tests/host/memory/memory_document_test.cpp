// The in-memory slides and shapes: what the suites above rely on — deleted shapes fail, positions
// move as the host moves them, and changes mark the presentation unsaved. The rest of the host's
// rules are checked on the package host (tests/host/ooxml), which the program runs on.
#include "host/memory/memory_slide.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/memory/error_number.h"
#include "host/memory/memory_presentation.h"

namespace vintrel::host::memory {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> NamesInZOrder(host::Slide& slide) {
  std::vector<std::string> names;
  for (int i = 1; i <= slide.Shapes().Count(); ++i) names.push_back(slide.Shapes().Item(i).Name());
  return names;
}

class MemorySlideTest : public ::testing::Test {
 protected:
  MemorySlideTest() : slide_(deck_.AddSlide()) {
    for (const char* name : {"A", "B", "C", "D"}) slide_.AddAutoShape(name);
  }

  MemoryPresentation deck_{"/decks/a.pptx"};
  MemorySlide& slide_;
};

TEST_F(MemorySlideTest, DeletedShapeFailsAndLaterShapesMoveDown) {
  host::Shape& b = slide_.Shapes().Item(2);
  host::Shape& d = slide_.Shapes().Item(4);
  b.Delete();
  EXPECT_THAT(NamesInZOrder(slide_), ElementsAre("A", "C", "D"));
  EXPECT_EQ(d.ZOrderPosition(), 3);
  EXPECT_NE(ErrorNumberOf([&] { b.Name(); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { b.Delete(); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { b.Tags().Count(); }), 0) << "parts of a deleted shape are gone";
  EXPECT_EQ(ErrorNumberOf([&] { slide_.Shapes().Item(4); }), kErrSubscriptOutOfRange);
}

TEST(MemoryPresentationTest, ChangesThroughTheHostMarkThePresentationUnsaved) {
  MemoryPresentation presentation("/decks/a.pptx");
  MemoryShape& shape = presentation.AddSlide().AddTextBox("x");
  MemoryTags& tags = presentation.tags();
  tags.Put("SETUP", "not a change");
  tags.Delete("ABSENT");
  EXPECT_TRUE(presentation.Saved()) << "set-up and deleting nothing change nothing";
  const std::function<void()> changes[] = {
      [&] { tags.Add("A", "1"); },
      [&] { tags.Delete("A"); },
      [&] { shape.SetVisible(false); },
      [&] { shape.TextFrame().TextRange().SetText("y"); },
  };
  for (const auto& change : changes) {
    presentation.SetSaved(true);
    change();
    EXPECT_FALSE(presentation.Saved());
  }
  presentation.Save();
  EXPECT_TRUE(presentation.Saved());
}

}  // namespace
}  // namespace vintrel::host::memory
