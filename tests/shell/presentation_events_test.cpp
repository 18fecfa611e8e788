#include <gtest/gtest.h>

#include "host/memory/memory_presentation.h"
#include "shell/addin_fixture.h"

namespace vintrel::shell {
namespace {

using host::memory::MemoryPresentation;

// The host events that keep the add-in's presentation entries, on the in-memory host.
class PresentationEventsTest : public testing_support::ConnectedAddInFixture {};

TEST_F(PresentationEventsTest, OpeningLoadsAndFillsWithoutMarkingTheFileChanged) {
  MemoryPresentation& opened = host_.OpenPresentation("/shows/board.pptx");
  ASSERT_EQ(connect_.application()->presentations().size(), 1u);
  clsPresentation* entry = connect_.application()->FindEntry(opened);
  ASSERT_NE(entry, nullptr);
  EXPECT_TRUE(entry->OpenedFromFile());
  EXPECT_EQ(opened.slide(1).shape(1).text(), "1250.5");
  EXPECT_TRUE(opened.Saved());
}

TEST_F(PresentationEventsTest, SavingStoresNoValueAndShowsTheValueAgain) {
  MemoryPresentation& opened = host_.OpenPresentation("/shows/board.pptx");
  opened.SetSaved(false);
  host_.SavePresentation(opened);

  EXPECT_EQ(opened.save_count(), 1);  // the add-in's own save, and no second one after it
  MemoryPresentation* stored = host_.environment().FindFile("/shows/board.pptx");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->slide(1).shape(1).text(), " ");
  EXPECT_EQ(stored->Tags().Item("QUENDRA DISPLAYTYPE"), "0");
  EXPECT_EQ(opened.slide(1).shape(1).text(), "1250.5");
  EXPECT_TRUE(opened.Saved());
}

TEST_F(PresentationEventsTest, ClosingDropsTheEntryAndUnknownPresentationsAreLeftAlone) {
  MemoryPresentation& opened = host_.OpenPresentation("/shows/board.pptx");
  MemoryPresentation& foreign = host_.AddPresentation("/shows/other.pptx");  // no open event
  host_.ClosePresentation(foreign);
  EXPECT_EQ(connect_.application()->presentations().size(), 1u);
  host_.ClosePresentation(opened);
  EXPECT_TRUE(connect_.application()->presentations().empty());
}

TEST_F(PresentationEventsTest, NewPresentationAloneStartsAFreshCollection) {
  host_.OpenPresentation("/shows/board.pptx");
  host_.ClosePresentation(host_.presentation(1));
  host_.NewPresentation();
  ASSERT_EQ(connect_.application()->presentations().size(), 1u);
  EXPECT_FALSE(connect_.application()->presentations()[0]->OpenedFromFile());
}

}  // namespace
}  // namespace vintrel::shell
