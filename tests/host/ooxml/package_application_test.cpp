// The application over package files: presentations, events, windows and command bars.
#include "host/ooxml/package_application.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/clock.h"
#include "host/error.h"
#include "host/event_loop.h"
#include "package_test_support.h"
#include "testing/temp_dir.h"

namespace vintrel::ooxml {
namespace {

using vintrel::testing::TempDir;

// Records the events it receives; on save it changes a tag, as the add-in blanks values.
class RecordingEvents : public host::ApplicationEvents {
 public:
  std::vector<std::string> log;
  bool fail_save = false;
  void NewPresentation(host::Presentation& p) override { log.push_back("new " + p.Name()); }
  void PresentationOpen(host::Presentation& p) override {
    log.push_back("open " + p.Name() + " slides=" + std::to_string(p.Slides().Count()));
  }
  void PresentationClose(host::Presentation& p) override { log.push_back("close " + p.Name()); }
  void PresentationSave(host::Presentation& p) override {
    log.push_back("save " + p.Name());
    if (fail_save) throw Error(kErrUnspecified, "test", "refused");
    p.Tags().Add("SAVED BY", "handler");
  }
  void PresentationPrint(host::Presentation&) override {}
  void SlideShowBegin(host::SlideShowWindow& w) override {
    log.push_back("begin " + w.Presentation().Name());
  }
  void SlideShowNextSlide(host::SlideShowWindow& w) override {
    log.push_back("slide " + std::to_string(w.View().Slide().SlideIndex()));
    // What the add-in does with slides that have no data: hide them while the show runs.
    if (hide_next) w.Presentation().Slides().Item(3).SlideShowTransition().SetHidden(true);
  }
  void SlideShowEnd(host::Presentation& p) override { log.push_back("end " + p.Name()); }
  bool hide_next = false;
  void WindowActivate(host::Presentation& p, host::DocumentWindow& w) override {
    activations.push_back(p.Name());
    EXPECT_EQ(&w.Presentation(), &p);
  }
  std::vector<std::string> activations;
  void WindowSelectionChange(host::Selection&) override { ++selection_changes; }
  int selection_changes = 0;
};

class Application : public ::testing::Test {
 protected:
  Application() : app_(clipboard_) {}
  std::string Deck(const std::string& name) {
    return testing::WriteDeck(dir_, testing::TextBox(2, "A", "a"), name);
  }
  TempDir dir_;
  testing::TestClipboard clipboard_;
  PackageApplication app_;
  RecordingEvents events_;
};

TEST_F(Application, OpenRaisesTheEventAndMakesTheActivePresentation) {
  EXPECT_EQ(app_.Presentations().Count(), 0);
  EXPECT_THROW(app_.ActivePresentation(), Error);
  EXPECT_THROW(app_.ActiveWindow(), Error);
  app_.SetEventSink(&events_);
  host::Presentation& first = app_.Presentations().Open(Deck("first.pptx"));
  host::Presentation& second = app_.Presentations().Open(Deck("second.pptx"));
  EXPECT_EQ(events_.log,
            (std::vector<std::string>{"open first.pptx slides=1", "open second.pptx slides=1"}));
  EXPECT_EQ(std::pair(app_.Presentations().Count(), app_.Windows().Count()), std::pair(2, 2));
  EXPECT_EQ(&app_.ActivePresentation(), &second);
  EXPECT_EQ(&app_.Presentations().Item(1), &first);
  // Opening an open file gives the open presentation back, with no second event.
  EXPECT_EQ(&app_.Presentations().Open(dir_.File("first.pptx")), &first);
  EXPECT_EQ(events_.log.size(), 2u);
  EXPECT_EQ(&app_.ActivePresentation(), &first);
  EXPECT_EQ(events_.activations,
            (std::vector<std::string>{"first.pptx", "second.pptx", "first.pptx"}));
  EXPECT_THROW(app_.Presentations().Open(dir_.File("absent.pptx")), Error);
  EXPECT_EQ(app_.Presentations().Count(), 2);
  EXPECT_THROW(app_.Presentations().Item(3), Error);
}

TEST_F(Application, SaveEventRunsBeforeTheFileIsWrittenAndCanStopIt) {
  app_.SetEventSink(&events_);
  std::string path = Deck("deck.pptx");
  host::Presentation& deck = app_.Presentations().Open(path);
  deck.Save();
  EXPECT_EQ(events_.log.back(), "save deck.pptx");
  EXPECT_TRUE(deck.Saved());
  EXPECT_NE(testing::ReadEntry(path, "ppt/tags/tag1.xml").find("SAVED BY"), std::string::npos)
      << "what the handler changed is in the file";
  std::string before = vintrel::testing::ReadFile(path);
  deck.Tags().Add("LATER", "x");
  events_.fail_save = true;
  EXPECT_THROW(deck.Save(), Error);
  EXPECT_EQ(vintrel::testing::ReadFile(path), before);
  EXPECT_FALSE(deck.Saved());
  deck.SetSaved(true);
  app_.SetEventSink(nullptr);
  deck.Save();  // a second save from the same open package keeps every change
  EXPECT_EQ(events_.log.size(), 3u) << "no events once unsubscribed";
  auto reopened = PackagePresentation::Open(path);
  EXPECT_EQ(reopened->Tags().Item("later"), "x");
  EXPECT_EQ(reopened->Tags().Item("saved by"), "handler");
}

// The add-in's own save flow: its handler blanks the linked values, saves the presentation
// itself, fills the values in again and marks the presentation saved.
class BlankingSaver : public RecordingEvents {
 public:
  void PresentationSave(host::Presentation& p) override {
    log.push_back("save");
    host::TextRange& text = p.Slides().Item(1).Shapes().Item(1).TextFrame().TextRange();
    std::string value = text.Text();
    text.SetText("");
    p.Save();
    text.SetText(value);
    p.SetSaved(true);
  }
};

TEST_F(Application, SaveFromInsideTheSaveEventWritesOnceWithoutRaisingItAgain) {
  BlankingSaver saver;
  app_.SetEventSink(&saver);
  std::string path = Deck("deck.pptx");
  host::Presentation& deck = app_.Presentations().Open(path);
  testing::TextOf(deck).SetText("live value");
  deck.Save();
  EXPECT_EQ(saver.log, (std::vector<std::string>{"open deck.pptx slides=1", "save"}));
  EXPECT_TRUE(deck.Saved());
  EXPECT_EQ(testing::TextOf(deck).Text(), "live value");
  std::string slide = testing::ReadEntry(path, "ppt/slides/slide1.xml");
  EXPECT_EQ(slide.find("live value"), std::string::npos) << "the file holds the blanked text";
}

TEST_F(Application, WindowSelectionIsWhatTheDriverClicked) {
  testing::DeckLayout layout;
  layout.slides.resize(2);
  layout.slides[1].shapes = testing::TextBox(2, "A", "a") + testing::TextBox(3, "B", "b");
  host::Presentation& deck =
      app_.Presentations().Open(dir_.Write("sel.pptx", testing::BuildDeck(layout)));
  app_.SetEventSink(&events_);
  host::DocumentWindow& window = app_.ActiveWindow();
  auto selection = [&] {
    return std::pair(window.Selection().Type(), window.View().Slide().SlideIndex());
  };
  EXPECT_EQ(selection(), std::pair(host::selection_type::kNone, 1));
  EXPECT_THROW(window.Selection().ShapeRange(), Error);

  auto& package_window = dynamic_cast<PackageWindow&>(window);
  package_window.Select(2, {2, 1});
  EXPECT_EQ(events_.selection_changes, 1);
  EXPECT_EQ(selection(), std::pair(host::selection_type::kShapes, 2));
  host::ShapeRange& range = window.Selection().ShapeRange();
  ASSERT_EQ(range.Count(), 2);
  EXPECT_EQ(range.Item(1).Name(), "B");
  EXPECT_EQ(&range.Item(2), &deck.Slides().Item(2).Shapes().Item(1));
  EXPECT_THROW(range.Item(3), Error);

  package_window.Select(2, {1}, true);
  EXPECT_EQ(window.Selection().Type(), host::selection_type::kText);
  EXPECT_THROW(package_window.Select(2, {1, 2}, true), Error);
  EXPECT_THROW(package_window.Select(2, {3}), Error);
  package_window.GoToSlide(1);
  EXPECT_EQ(selection(), std::pair(host::selection_type::kNone, 1));
  EXPECT_EQ(events_.selection_changes, 3);
}

TEST_F(Application, SlideShowWalksTheVisibleSlidesAndRaisesItsEvents) {
  testing::DeckLayout layout;
  layout.slides.resize(4);
  layout.slides[1].root_attributes = "show=\"0\"";
  host::Presentation& deck =
      app_.Presentations().Open(dir_.Write("show.pptx", testing::BuildDeck(layout)));
  app_.SetEventSink(&events_);
  host::SlideShowWindow& show = app_.presentations().RunSlideShow(deck);
  EXPECT_EQ(deck.SlideShowWindow(), &show);
  EXPECT_THROW(app_.presentations().RunSlideShow(deck), Error) << "one show at a time";
  EXPECT_EQ(show.View().CurrentShowPosition(), 1);
  events_.hide_next = true;
  show.View().Next();  // slide 2 is hidden; while 3 shows, the handler hides it
  EXPECT_EQ(show.View().Slide().SlideIndex(), 3);
  show.View().Next();
  EXPECT_EQ(show.View().CurrentShowPosition(), 4);
  show.View().Next();  // past the last slide: nothing in view until the show is ended
  EXPECT_THROW(show.View().Slide(), Error);
  EXPECT_EQ(show.View().CurrentShowPosition(), 5);
  dynamic_cast<PackageSlideShow&>(show).End();
  EXPECT_EQ(deck.SlideShowWindow(), nullptr);
  EXPECT_EQ(events_.log, (std::vector<std::string>{"begin show.pptx", "slide 1", "slide 3",
                                                   "slide 4", "end show.pptx"}));
  // A second show skips slide 3, which the first one left hidden.
  events_.hide_next = false;
  host::SlideShowWindow& again = app_.presentations().RunSlideShow(deck);
  again.View().Next();
  EXPECT_EQ(again.View().Slide().SlideIndex(), 4);
  app_.presentations().Close(deck);
  EXPECT_EQ(events_.log.back(), "close show.pptx");
  EXPECT_EQ(events_.log[events_.log.size() - 2], "end show.pptx") << "closing ends the show";
  EXPECT_EQ(app_.Presentations().Count(), 0);
  EXPECT_THROW(app_.ActivePresentation(), Error);
}

TEST_F(Application, SlideShowsAdvanceOnTheLoopAsTheirOptionsSay) {
  using Advance = ShowOptions::Advance;
  struct Case {
    const char* name;
    std::string show_properties;
    ShowOptions options;
    // The slide in view after 1, 3, 5 and 9 seconds; 0 at the end of the show, -1 ended.
    std::vector<int> in_view;
  };
  const std::string timed = "<p:showPr><p:sldAll/></p:showPr>",
                    by_hand = "<p:showPr useTimings=\"0\"><p:sldAll/></p:showPr>",
                    looping = "<p:showPr loop=\"1\"><p:sldAll/></p:showPr>";
  const ShowOptions own{Advance::kPresentation}, every{Advance::kEvery, 2};
  const Case cases[] = {
      // Each slide after its own timing; one without a timing waits.
      {"own timings", timed, own, {1, 2, 2, 2}},
      {"presentation set to advance by hand", by_hand, own, {1, 1, 1, 1}},
      // The show ends after the last slide, unless it loops.
      {"a fixed time for every slide", timed, every, {1, 2, 3, -1}},
      {"a looping show starts over", looping, every, {1, 2, 3, 2}},
      {"manual never moves", timed, {Advance::kManual}, {1, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::DeckLayout layout;
    layout.slides.resize(3);
    layout.slides[0].tail = "<p:transition advTm=\"2000\"/>";
    layout.show_properties = c.show_properties;
    host::Presentation& deck =
        app_.Presentations().Open(dir_.Write("timed.pptx", testing::BuildDeck(layout)));
    host::FakeClock clock;
    host::EventLoop loop(clock);
    host::SlideShowWindow& show = app_.presentations().RunSlideShow(deck, c.options, &loop);
    std::vector<int> in_view;
    long elapsed = 0;
    for (long until : {1000, 3000, 5000, 9000}) {
      loop.RunFor(std::chrono::milliseconds(until - elapsed));
      elapsed = until;
      if (deck.SlideShowWindow() == nullptr) {
        in_view.push_back(-1);
      } else {
        const int position = show.View().CurrentShowPosition();
        in_view.push_back(position > deck.Slides().Count() ? 0 : position);
      }
    }
    EXPECT_EQ(in_view, c.in_view);
    app_.presentations().Close(deck);
  }
}

TEST_F(Application, CommandBarsHoldControlsAndRaiseTheirEvents) {
  host::CommandBars& bars = app_.CommandBars();
  EXPECT_EQ(bars.Item("Pictures Context Menu").Name(), "Pictures Context Menu");
  EXPECT_THROW(bars.Item("No Such Bar"), Error);
  host::CommandBar& bar = bars.Add("Vintrel", host::bar_position::kTop, true);
  EXPECT_THROW(bars.Add("vintrel", host::bar_position::kTop, true), Error);
  host::CommandBarControl& button = bar.Controls().Add(host::control_type::kButton);
  host::CommandBarControl& combo = bar.Controls().Add(host::control_type::kComboBox, 1);
  EXPECT_EQ(std::pair(combo.Index(), button.Index()), std::pair(1, 2)) << "added before the first";
  int clicks = 0, changes = 0;
  button.SetCaption("&Refresh");
  button.OnClick([&](host::CommandBarControl&, bool&) { ++clicks; });
  combo.OnChange([&](host::CommandBarControl&) { ++changes; });
  combo.AddItem("Value");
  combo.SetListIndex(1);
  EXPECT_THROW(combo.SetListIndex(2), Error);
  button.Execute();
  combo.Execute();
  button.SetEnabled(false);
  button.Execute();  // a disabled control does nothing
  EXPECT_EQ(std::pair(clicks, changes), std::pair(1, 1));
  EXPECT_EQ(&bar.Controls().Item("&refresh"), &button);
  EXPECT_THROW(button.Controls(), Error) << "only popups have controls";
  combo.Delete();
  EXPECT_EQ(button.Index(), 1);
  bar.Delete();
  EXPECT_THROW(bars.Item("Vintrel"), Error);
}

}  // namespace
}  // namespace vintrel::ooxml
