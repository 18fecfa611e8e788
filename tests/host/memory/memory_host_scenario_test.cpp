// Whole flows the add-in runs on the host, played on the in-memory one, to show the pieces work
// together: re-entrant saves, an off-line style copy made from a menu click, a show that hides a
// slide without data.
#include "host/memory/memory_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/memory/recording_events.h"

namespace vintrel::host::memory {
namespace {

using ::testing::ElementsAre;

TEST(MemoryHostScenarioTest, SaveHandlerBlanksSavesAndRefills) {
  MemoryApplication app;
  RecordingEvents events;
  app.SetEventSink(&events);
  MemoryPresentation& deck = app.AddPresentation("/decks/board.pptx");
  MemoryShape& value = deck.AddSlide().AddTextBox("42");
  std::string text_saved;
  events.after = [&](const std::string& event) {
    if (event.rfind("Save:", 0) != 0) return;
    host::Presentation& p = app.ActivePresentation();
    value.TextFrame().TextRange().SetText(" ");
    p.Save();
    text_saved = deck.host_environment().FindFile("/decks/board.pptx")->slide(1).shape(1).text();
    value.TextFrame().TextRange().SetText("42");
    p.SetSaved(true);
  };
  app.SavePresentation(deck);
  EXPECT_EQ(text_saved, " ") << "the file never holds the value";
  EXPECT_EQ(deck.save_count(), 1) << "the handler saved; the host writes nothing after it";
  EXPECT_EQ(deck.host_environment().FindFile("/decks/board.pptx")->slide(1).shape(1).text(), " ");
  EXPECT_TRUE(deck.Saved());
}

TEST(MemoryHostScenarioTest, CopyMadeFromAMenuClickOpensWithItsOwnChanges) {
  MemoryApplication app;
  RecordingEvents events;
  app.SetEventSink(&events);
  MemoryFileSystem files;
  MemoryPresentation& deck = app.AddPresentation("/decks/board.pptx");
  deck.WithTag("QUENDRA VERSION", "2");
  deck.AddSlide().AddLinkedPicture("/pics/chart.png");

  host::CommandBarControl& popup =
      app.CommandBars().Item("Menu Bar").Controls().Add(control_type::kPopup, 8, true);
  host::CommandBarControl& button = popup.Controls().Add(control_type::kButton);
  button.OnClick([&](host::CommandBarControl&, bool&) {
    const std::string name = files.CreateUniqueFile(files.TempFolder(), "VT") + ".pptx";
    app.ActivePresentation().SaveCopyAs(name);
    host::Presentation& copy = app.Presentations().Open(name);
    host::Slide& slide = copy.Slides().Item(1);
    slide.Duplicate();
    slide.Shapes().Item(1).Delete();
    copy.Tags().Delete("QUENDRA VERSION");
    copy.SetSaved(false);
  });
  button.Execute();

  ASSERT_EQ(app.presentation_count(), 2);
  MemoryPresentation& copy = app.presentation(2);
  EXPECT_EQ(&app.ActivePresentation(), &copy);
  EXPECT_EQ(copy.slides().count(), 2);
  EXPECT_EQ(copy.slide(1).shapes().count(), 0);
  EXPECT_EQ(copy.slide(2).shapes().count(), 1);
  EXPECT_EQ(copy.tags().Item("QUENDRA VERSION"), "");
  EXPECT_EQ(deck.tags().Item("QUENDRA VERSION"), "2") << "the source is untouched";
  EXPECT_EQ(deck.slide(1).shapes().count(), 1);
  EXPECT_TRUE(deck.Saved());
  EXPECT_THAT(events.events, ElementsAre("Open:" + copy.full_name()));
}

TEST(MemoryHostScenarioTest, ShowHidesASlideWithoutDataAndMovesOn) {
  MemoryApplication app;
  RecordingEvents events;
  app.SetEventSink(&events);
  MemoryPresentation& deck = app.AddPresentation("/decks/board.pptx");
  for (int i = 0; i < 3; ++i) deck.AddSlide();
  deck.slide(2).tags().Put("QUENDRA NODATA", "1");
  bool saved_at_start = false;
  events.after = [&](const std::string& event) {
    if (event.rfind("Begin:", 0) == 0) saved_at_start = deck.Saved();
    if (event.rfind("Next:", 0) != 0) return;
    host::SlideShowView& view = deck.SlideShowWindow()->View();
    host::Slide& slide = view.Slide();
    if (slide.Tags().Item("QUENDRA NODATA") == "1") {
      slide.SlideShowTransition().SetHidden(true);
      view.Next();
    }
  };
  app.StartSlideShow(deck);
  app.NextSlide();
  EXPECT_EQ(app.show()->View().Slide().SlideIndex(), 3);
  events.after = [&](const std::string& event) {
    if (event.rfind("End:", 0) != 0) return;
    for (int i = 1; i <= deck.Slides().Count(); ++i) {
      deck.Slides().Item(i).SlideShowTransition().SetHidden(false);
    }
    deck.SetSaved(saved_at_start);
  };
  app.EndSlideShow();
  EXPECT_FALSE(deck.slide(2).transition().hidden());
  EXPECT_TRUE(deck.Saved());
  EXPECT_THAT(events.events, ElementsAre("Begin:1", "Next:2", "Next:3", "End:/decks/board.pptx"));
}

}  // namespace
}  // namespace vintrel::host::memory
