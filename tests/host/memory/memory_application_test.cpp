// The in-memory application stands in for the host in every suite above it. Only what those suites
// rely on and nothing else checks is tested here: the events it raises and their order, what
// happens when a handler fails, and that armed faults hit only their target. How the host's
// objects behave is checked on the package host (tests/host/ooxml), which the program runs on.
#include "host/memory/memory_application.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/error.h"
#include "testing/error_of.h"

namespace vintrel::host::memory {
namespace {

using ::testing::ElementsAre;
using vintrel::testing::ErrorOf;

// Writes down each event it gets, and can be told to fail one kind of event.
class RecordingEvents : public host::ApplicationEvents {
 public:
  void NewPresentation(Presentation& p) override { Record("New:" + p.FullName()); }
  void PresentationOpen(Presentation& p) override { Record("Open:" + p.FullName()); }
  void PresentationClose(Presentation& p) override { Record("Close:" + p.FullName()); }
  void PresentationSave(Presentation& p) override { Record("Save:" + p.FullName()); }
  void PresentationPrint(Presentation&) override {}
  void SlideShowBegin(SlideShowWindow&) override {}
  void SlideShowNextSlide(SlideShowWindow&) override {}
  void SlideShowEnd(Presentation& p) override { Record("End:" + p.FullName()); }
  void WindowActivate(Presentation& p, DocumentWindow&) override {
    Record("Activate:" + p.FullName());
  }
  void WindowSelectionChange(Selection&) override {}

  // Events whose record starts with `prefix` throw after being recorded.
  void FailOn(std::string prefix) { fail_prefix_ = std::move(prefix); }
  // Runs after each record, inside the handler (to act as the add-in would).
  std::function<void(const std::string&)> after;

  std::vector<std::string> events;

 private:
  void Record(std::string event) {
    events.push_back(event);
    if (after) after(event);
    if (!fail_prefix_.empty() && event.rfind(fail_prefix_, 0) == 0) {
      throw Error(kErrUnspecified, "RecordingEvents", "handler failed on " + event);
    }
  }

  std::string fail_prefix_;
};

class MemoryApplicationTest : public ::testing::Test {
 protected:
  MemoryApplicationTest() { app_.SetEventSink(&events_); }

  MemoryApplication app_;
  RecordingEvents events_;
};

TEST_F(MemoryApplicationTest, DocumentEventsFollowWhatTheUserDoes) {
  MemoryPresentation& a = app_.OpenPresentation("/decks/a.pptx");
  MemoryPresentation& b = app_.NewPresentation();
  b.AddSlide();
  EXPECT_EQ(&app_.ActivePresentation(), &b);
  app_.ActivateWindow(a);
  int slides_seen_on_close = -1;
  events_.after = [&](const std::string& event) {
    if (event.starts_with("Close:")) slides_seen_on_close = b.Slides().Count();
  };
  app_.ClosePresentation(b);
  EXPECT_EQ(slides_seen_on_close, 1) << "the close handler still sees the presentation";
  EXPECT_EQ(&app_.ActivePresentation(), &a);
  EXPECT_EQ(app_.Presentations().Count(), 1);
  EXPECT_EQ(app_.Windows().Count(), 1);
  EXPECT_THAT(events_.events, ElementsAre("Open:/decks/a.pptx", "New:Presentation1",
                                          "Activate:/decks/a.pptx", "Close:Presentation1"));
  EXPECT_EQ(ErrorOf([&] { app_.Presentations().Item(2); }).number(), kErrSubscriptOutOfRange);
}

TEST_F(MemoryApplicationTest, FailingHandlers) {
  MemoryPresentation& p = app_.AddPresentation("/decks/a.pptx");
  p.Tags().Add("k", "v");
  events_.FailOn("Save:");
  EXPECT_NE(ErrorOf([&] { app_.SavePresentation(p); }).number(), 0);
  EXPECT_EQ(p.save_count(), 0) << "a failing save handler stops the save";
  EXPECT_FALSE(p.Saved());

  p.AddSlide();
  app_.StartSlideShow(p);
  events_.FailOn("End:");
  EXPECT_NE(ErrorOf([&] { app_.EndSlideShow(); }).number(), 0);
  EXPECT_EQ(p.SlideShowWindow(), nullptr) << "a failing end handler still ends the show";

  events_.FailOn("Close:");
  EXPECT_NE(ErrorOf([&] { app_.ClosePresentation(p); }).number(), 0);
  EXPECT_TRUE(p.closed()) << "a failing close handler still closes";
  EXPECT_EQ(app_.Presentations().Count(), 0);
}

TEST_F(MemoryApplicationTest, ArmedFaultHitsItsTargetAndWhatTheTargetOwnsOnly) {
  MemoryPresentation& p = app_.AddPresentation("/decks/a.pptx");
  MemorySlide& first_slide = p.AddSlide();
  MemoryShape& first = first_slide.AddTextBox("1");
  MemoryShape& second = first_slide.AddTextBox("2");
  MemoryShape& elsewhere = p.AddSlide().AddTextBox("3");
  app_.faults().Fail("Shape.Delete", Error(kErrPermissionDenied, "test", "locked"), 1, &first);
  EXPECT_EQ(ErrorOf([&] { first.Delete(); }).number(), kErrPermissionDenied);
  second.Delete();
  first.Delete();  // armed once only
  EXPECT_EQ(p.slide(1).shapes().count(), 0);
  EXPECT_EQ(app_.faults().Calls("Shape.Delete"), 3);

  MemoryShape& on_first = first_slide.AddTextBox("a");
  app_.faults().Fail("TextRange.SetText", -1, &first_slide);
  EXPECT_NE(ErrorOf([&] { on_first.TextFrame().TextRange().SetText("x"); }).number(), 0);
  EXPECT_NE(ErrorOf([&] { on_first.TextFrame().TextRange().SetText("x"); }).number(), 0);
  elsewhere.TextFrame().TextRange().SetText("y");
  EXPECT_EQ(on_first.text(), "a");
  EXPECT_EQ(elsewhere.text(), "y");
  app_.faults().Clear();
  on_first.TextFrame().TextRange().SetText("x");
  EXPECT_EQ(on_first.text(), "x");
}

}  // namespace
}  // namespace vintrel::host::memory
