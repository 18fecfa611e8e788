#include "host/memory/memory_application.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/error.h"
#include "host/memory/error_number.h"
#include "host/memory/recording_events.h"

namespace vintrel::host::memory {
namespace {

using ::testing::ElementsAre;

class MemoryApplicationTest : public ::testing::Test {
 protected:
  MemoryApplicationTest() { app_.SetEventSink(&events_); }

  MemoryApplication app_;
  RecordingEvents events_;
};

TEST_F(MemoryApplicationTest, StartsEmptyWithHostDefaults) {
  EXPECT_EQ(app_.Version(), "10.0");
  EXPECT_EQ(app_.DisplayAlerts(), alert_level::kAll);
  EXPECT_EQ(app_.Presentations().Count(), 0);
  EXPECT_EQ(app_.Windows().Count(), 0);
  EXPECT_NE(ErrorNumberOf([&] { app_.ActivePresentation(); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { app_.ActiveWindow(); }), 0);
  app_.set_version("11.0");
  app_.SetDisplayAlerts(alert_level::kNone);
  EXPECT_EQ(app_.Version(), "11.0");
  EXPECT_EQ(app_.DisplayAlerts(), alert_level::kNone);
}

TEST_F(MemoryApplicationTest, OpenNewAndCloseRaiseEventsAndTrackTheActivePresentation) {
  MemoryPresentation& a = app_.OpenPresentation("/decks/a.pptx");
  MemoryPresentation& b = app_.NewPresentation();
  EXPECT_EQ(b.FullName(), "Presentation1");
  EXPECT_EQ(&app_.ActivePresentation(), &b);
  EXPECT_EQ(app_.Presentations().Count(), 2);
  EXPECT_EQ(&app_.Presentations().Item(1), &a);
  EXPECT_EQ(app_.Windows().Count(), 2);

  app_.ClosePresentation(b);
  EXPECT_EQ(&app_.ActivePresentation(), &a);
  EXPECT_EQ(app_.Presentations().Count(), 1);
  EXPECT_EQ(app_.Windows().Count(), 1);
  EXPECT_THAT(events_.events,
              ElementsAre("Open:/decks/a.pptx", "New:Presentation1", "Close:Presentation1"));
  EXPECT_EQ(ErrorNumberOf([&] { app_.Presentations().Item(2); }), kErrSubscriptOutOfRange);
}

TEST_F(MemoryApplicationTest, ClosedPresentationFailsEveryCall) {
  MemoryPresentation& p = app_.AddPresentation("/decks/a.pptx");
  MemoryShape& shape = p.AddSlide().AddTextBox("x");
  host::DocumentWindow& window = app_.ActiveWindow();
  // The close handler still sees a live presentation.
  events_.after = [&](const std::string& event) {
    if (event.rfind("Close:", 0) == 0) {
      EXPECT_EQ(p.Slides().Count(), 1);
    }
  };
  app_.ClosePresentation(p);
  EXPECT_TRUE(p.closed());
  EXPECT_NE(ErrorNumberOf([&] { p.FullName(); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { shape.Name(); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { window.Selection(); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { app_.ActivePresentation(); }), 0);
}

TEST_F(MemoryApplicationTest, SaveRaisesTheEventBeforeWriting) {
  MemoryPresentation& p = app_.AddPresentation("/decks/a.pptx");
  p.AddSlide();
  p.Tags().Add("k", "v");
  EXPECT_FALSE(p.Saved());
  events_.after = [&](const std::string& event) {
    if (event.rfind("Save:", 0) == 0) {
      EXPECT_EQ(p.save_count(), 0);
    }
  };
  app_.SavePresentation(p);
  EXPECT_TRUE(p.Saved());
  EXPECT_EQ(p.save_count(), 1);
  EXPECT_THAT(events_.events, ElementsAre("Save:/decks/a.pptx"));
}

TEST_F(MemoryApplicationTest, FailingSaveHandlerStopsTheSave) {
  MemoryPresentation& p = app_.AddPresentation("/decks/a.pptx");
  p.Tags().Add("k", "v");
  events_.FailOn("Save:");
  EXPECT_NE(ErrorNumberOf([&] { app_.SavePresentation(p); }), 0);
  EXPECT_EQ(p.save_count(), 0);
  EXPECT_FALSE(p.Saved());
}

TEST_F(MemoryApplicationTest, FailingCloseHandlerStillCloses) {
  MemoryPresentation& p = app_.AddPresentation("/decks/a.pptx");
  events_.FailOn("Close:");
  EXPECT_NE(ErrorNumberOf([&] { app_.ClosePresentation(p); }), 0);
  EXPECT_TRUE(p.closed());
  EXPECT_EQ(app_.Presentations().Count(), 0);
}

TEST_F(MemoryApplicationTest, SavedCopyOpensAgainWithItsContent) {
  MemoryPresentation& p = app_.AddPresentation("/decks/a.pptx");
  p.AddSlide().AddTextBox("hello").WithTag("QUENDRA X", "1");
  p.SaveCopyAs("/tmp/copy.pptx");
  EXPECT_THAT(p.copies_saved(), ElementsAre("/tmp/copy.pptx"));
  EXPECT_EQ(p.full_name(), "/decks/a.pptx");

  host::Presentation& copy = app_.Presentations().Open("/tmp/copy.pptx");
  EXPECT_EQ(copy.FullName(), "/tmp/copy.pptx");
  EXPECT_EQ(copy.Name(), "copy.pptx");
  ASSERT_EQ(copy.Slides().Count(), 1);
  host::Shape& shape = copy.Slides().Item(1).Shapes().Item(1);
  EXPECT_EQ(shape.TextFrame().TextRange().Text(), "hello");
  EXPECT_EQ(shape.Tags().Item("quendra x"), "1");
  // A copy, not the same objects.
  EXPECT_NE(&shape, &p.slide(1).shape(1));
  EXPECT_EQ(&app_.ActivePresentation(), &copy);
  EXPECT_THAT(events_.events, ElementsAre("Open:/tmp/copy.pptx"));

  EXPECT_EQ(ErrorNumberOf([&] { app_.Presentations().Open("/nowhere.pptx"); }), kErrFileNotFound);
}

TEST_F(MemoryApplicationTest, FileBuiltInCodeOpensAsACopy) {
  app_.AddFile("/decks/b.pptx").WithTag("QUENDRA VERSION", "2").AddSlide();
  MemoryPresentation& opened = app_.OpenPresentation("/decks/b.pptx");
  EXPECT_EQ(opened.Tags().Item("QUENDRA VERSION"), "2");
  EXPECT_EQ(opened.Slides().Count(), 1);
}

TEST_F(MemoryApplicationTest, WindowlessPresentationIsNotActive) {
  MemoryPresentation& a = app_.AddPresentation("/decks/a.pptx");
  app_.AddPresentation("/decks/hidden.pptx", /*with_window=*/false);
  EXPECT_EQ(app_.Presentations().Count(), 2);
  EXPECT_EQ(app_.Windows().Count(), 1);
  EXPECT_EQ(&app_.ActivePresentation(), &a);
}

TEST_F(MemoryApplicationTest, ActivateWindowAndSelectionChangeRaiseEvents) {
  MemoryPresentation& a = app_.AddPresentation("/decks/a.pptx");
  MemoryPresentation& b = app_.AddPresentation("/decks/b.pptx");
  MemoryShape& s1 = a.AddSlide().AddTextBox("one");
  MemoryShape& s2 = a.slide(1).AddLinkedPicture("/p.png");

  app_.ActivateWindow(a);
  EXPECT_EQ(&app_.ActiveWindow().Presentation(), &a);
  app_.SelectShapes({&s1, &s2});
  host::Selection& selection = app_.ActiveWindow().Selection();
  EXPECT_EQ(selection.Type(), selection_type::kShapes);
  ASSERT_EQ(selection.ShapeRange().Count(), 2);
  EXPECT_EQ(&selection.ShapeRange().Item(2), &s2);

  app_.ClearSelection();
  EXPECT_NE(ErrorNumberOf([&] { selection.ShapeRange(); }), 0);
  app_.SelectText(s1);
  EXPECT_EQ(&selection.ShapeRange().Item(1), &s1);
  app_.SetActive(b);
  EXPECT_EQ(&app_.ActivePresentation(), &b);
  EXPECT_THAT(events_.events,
              ElementsAre("Activate:/decks/a.pptx", "Selection:2", "Selection:0", "Selection:3"));
}

TEST_F(MemoryApplicationTest, SelectedShapeDeletedLaterFailsInTheRange) {
  MemoryPresentation& a = app_.AddPresentation("/decks/a.pptx");
  MemoryShape& shape = a.AddSlide().AddTextBox("one");
  app_.SelectShapes({&shape});
  shape.Delete();
  EXPECT_NE(ErrorNumberOf([&] { app_.ActiveWindow().Selection().ShapeRange().Item(1); }), 0);
}

TEST_F(MemoryApplicationTest, ViewAndPaneOfTheActiveWindow) {
  MemoryPresentation& a = app_.AddPresentation("/decks/a.pptx");
  EXPECT_NE(ErrorNumberOf([&] { app_.ActiveWindow().View().Slide(); }), 0);
  a.AddSlide();
  a.AddSlide();
  EXPECT_EQ(app_.ActiveWindow().View().Slide().SlideIndex(), 1);
  app_.active_window()->view().set_slide_index(2);
  EXPECT_EQ(app_.ActiveWindow().View().Slide().SlideIndex(), 2);
  a.slide(2).Delete();
  EXPECT_EQ(app_.ActiveWindow().View().Slide().SlideIndex(), 1);

  EXPECT_EQ(app_.ActiveWindow().ActivePane().ViewType(), view_type::kNormal);
  app_.active_window()->pane().set_view_type(view_type::kSlideSorter);
  EXPECT_EQ(app_.ActiveWindow().ActivePane().ViewType(), view_type::kSlideSorter);
}

class SlideShowTest : public MemoryApplicationTest {
 protected:
  SlideShowTest() : deck_(app_.AddPresentation("/decks/show.pptx")) {
    for (int i = 0; i < 4; ++i) deck_.AddSlide();
  }
  MemoryPresentation& deck_;
};

TEST_F(SlideShowTest, ShowWindowExistsOnlyDuringTheShow) {
  EXPECT_EQ(deck_.SlideShowWindow(), nullptr);
  MemorySlideShowWindow& window = app_.StartSlideShow(deck_);
  EXPECT_EQ(deck_.SlideShowWindow(), &window);
  EXPECT_EQ(&window.Presentation(), &deck_);
  events_.after = [&](const std::string& event) {
    // The end event still finds the show window.
    if (event.rfind("End:", 0) == 0) {
      EXPECT_NE(deck_.SlideShowWindow(), nullptr);
    }
  };
  app_.EndSlideShow();
  EXPECT_EQ(deck_.SlideShowWindow(), nullptr);
  EXPECT_NE(ErrorNumberOf([&] { window.View(); }), 0);
  EXPECT_THAT(events_.events, ElementsAre("Begin:1", "End:/decks/show.pptx"));
}

TEST_F(SlideShowTest, NextSkipsHiddenSlidesAndStopsAtTheEnd) {
  deck_.slide(1).transition().set_hidden(true);
  deck_.slide(3).transition().set_hidden(true);
  MemorySlideShowWindow& window = app_.StartSlideShow(deck_);
  EXPECT_EQ(window.View().Slide().SlideIndex(), 2);
  app_.NextSlide();
  EXPECT_EQ(window.View().CurrentShowPosition(), 4);
  app_.NextSlide();
  EXPECT_TRUE(window.view().at_end());
  EXPECT_NE(ErrorNumberOf([&] { window.View().Slide(); }), 0);
  EXPECT_THAT(events_.events, ElementsAre("Begin:2", "Next:4"));
}

TEST_F(SlideShowTest, KioskShowStartsOverAfterTheLastSlide) {
  deck_.settings().set_show_type(show_type::kKiosk);
  MemorySlideShowWindow& window = app_.StartSlideShow(deck_);
  window.view().GotoSlide(4);
  window.View().Next();
  EXPECT_EQ(window.View().Slide().SlideIndex(), 1);
  EXPECT_THAT(events_.events, ElementsAre("Begin:1", "Next:4", "Next:1"));
}

TEST_F(SlideShowTest, NextCalledFromTheNextSlideHandlerMovesOnAgain) {
  // What the add-in does when the slide in view has no data: hide it and move on.
  MemorySlideShowWindow& window = app_.StartSlideShow(deck_);
  events_.after = [&](const std::string& event) {
    if (event == "Next:2") {
      deck_.Slides().Item(2).SlideShowTransition().SetHidden(true);
      window.View().Next();
    }
  };
  app_.NextSlide();
  EXPECT_EQ(window.View().Slide().SlideIndex(), 3);
  EXPECT_THAT(events_.events, ElementsAre("Begin:1", "Next:2", "Next:3"));
}

TEST_F(SlideShowTest, FailingEndHandlerStillEndsTheShow) {
  app_.StartSlideShow(deck_);
  events_.FailOn("End:");
  EXPECT_NE(ErrorNumberOf([&] { app_.EndSlideShow(); }), 0);
  EXPECT_EQ(app_.show(), nullptr);
  EXPECT_EQ(deck_.SlideShowWindow(), nullptr);
  app_.StartSlideShow(deck_);  // a new show can start
}

TEST_F(SlideShowTest, PointerTypeIsKeptOnTheView) {
  MemorySlideShowWindow& window = app_.StartSlideShow(deck_);
  EXPECT_EQ(window.View().PointerType(), pointer_type::kArrow);
  window.View().SetPointerType(pointer_type::kAlwaysHidden);
  EXPECT_EQ(window.view().pointer_type(), pointer_type::kAlwaysHidden);
}

TEST_F(SlideShowTest, ClosingDuringAShowEndsItFirst) {
  app_.StartSlideShow(deck_);
  app_.ClosePresentation(deck_);
  EXPECT_EQ(app_.show(), nullptr);
  EXPECT_THAT(events_.events,
              ElementsAre("Begin:1", "End:/decks/show.pptx", "Close:/decks/show.pptx"));
}

TEST_F(MemoryApplicationTest, ArmedFailureHitsTheNamedCallOnly) {
  MemoryPresentation& p = app_.AddPresentation("/decks/a.pptx");
  MemoryShape& first = p.AddSlide().AddTextBox("1");
  MemoryShape& second = p.slide(1).AddTextBox("2");
  app_.faults().Fail("Shape.Delete", Error(kErrPermissionDenied, "test", "locked"), 1, &first);
  EXPECT_EQ(ErrorNumberOf([&] { first.Delete(); }), kErrPermissionDenied);
  second.Delete();
  first.Delete();  // armed once only
  EXPECT_EQ(p.slide(1).shapes().count(), 0);
  EXPECT_EQ(app_.faults().Calls("Shape.Delete"), 3);
}

}  // namespace
}  // namespace vintrel::host::memory
