// What runs while the show waits and lets events run (a query, a database opening, a progress
// window, the data tick's own pump): the end of the show, SIGTERM, a slide change and the
// player's switch to another show, each at every such point while the show begins and while its
// data ticks. Whatever the waiting code held must still be there when it returns, and nothing it
// does afterwards may touch the ended show.
#include <gtest/gtest.h>

#include "connections/real_sources.h"
#include "host/memory/memory_data_access.h"
#include "runtime/runtime.h"
#include "show_fixture.h"
#include "support/context.h"

namespace vintrel {
namespace {

using testing::ShowFixture;

constexpr const char* kOtherDeck = "/shows/other.pptx";

enum class Event { kShowEnds, kSigterm, kNextSlide, kPlayerSwitches };

class EventsDuringWaits : public ShowFixture {
 protected:
  void SetUp() override {
    ShowFixture::SetUp();
    loop_.pumps = 0;
    loop_.fire_at = 0;
    loop_.action = nullptr;
    connect_.services().data_access = &databases_;
    connect_.services().sources = connections::RealSources();
    host::memory::MemoryTable rows{{"A"}, {{"v1"}, {"v2"}}};
    databases_.AddDatabase("DSN=x").AddResult("SELECT 1", rows);
    // Each query and opening reports "executing" once: its wait lets events run.
    databases_.set_executing_polls(2);
    FillDeck();
    host::memory::MemoryPresentation* first = file_;
    file_ = &host_.AddFile(kOtherDeck);
    file_->Tags().Add("QUENDRA VERSION", "1");
    FillDeck();
    file_ = first;
  }

  // Two database connections (two, so the opening shows its progress window) and a field of
  // each, on slides 1 and 2 of three.
  void FillDeck() {
    Connection("01", {"A"}, {}, 1000);
    Connection("02", {"A"}, {}, 1000);
    field_ = Field(1, "01", "A", 1);
    Field(2, "02", "A", 2);
    Slide(3);
  }

  // The show begins; every pump it makes counts.
  void Begin() {
    loop_.count_outside = true;
    host_.StartSlideShow(*deck_, &loop_);
    loop_.count_outside = false;
  }

  void Raise(Event event) {
    switch (event) {
      case Event::kShowEnds:
        host_.EndSlideShow();
        break;
      case Event::kSigterm:
        loop_.Quit();  // what the program's SIGTERM handler posts to the loop
        break;
      case Event::kNextSlide:
        host_.NextSlide();
        break;
      case Event::kPlayerSwitches:
        host_.EndSlideShow();
        host_.ClosePresentation(*deck_);
        deck_ = &host_.OpenPresentation(kOtherDeck);
        host_.StartSlideShow(*deck_, &loop_);
        break;
    }
  }

  host::memory::MemoryDataAccess databases_;
  int field_ = 0;
};

TEST_F(EventsDuringWaits, EveryEventAtEveryWaitOfTheBeginningAndOfADataTick) {
  const std::pair<Event, const char*> events[] = {
      {Event::kShowEnds, "the show ends"},
      {Event::kSigterm, "SIGTERM"},
      {Event::kNextSlide, "the next slide"},
      {Event::kPlayerSwitches, "the player switches to another show"}};
  constexpr long kTicking = 2100;  // the first requery of a database falls due at 2 s
  // The event comes while the show begins, or during its data ticks.
  for (const bool begin : {true, false}) {
    const std::string phase = begin ? "while the show begins" : "while the data ticks";
    // A first run finds the waits: every pump from inside the add-in's code.
    StartOver();
    Open();
    Begin();
    if (!begin) {
      loop_.pumps = 0;
      Run(kTicking);
    }
    const int waits = loop_.pumps;
    EXPECT_GE(waits, begin ? 5 : 3) << phase << ": queries and progress let events run";
    for (int wait = 1; wait <= waits; ++wait) {
      for (const auto& [event, name] : events) {
        SCOPED_TRACE(phase + ", wait " + std::to_string(wait) + ": " + name);
        StartOver();
        Open();
        loop_.action = [this, event] { Raise(event); };
        loop_.fire_at = begin ? wait : 0;
        Begin();
        if (!begin) {
          loop_.pumps = 0;
          loop_.fire_at = wait;
        }
        const auto before = clock_.Steady();
        Run(kTicking);
        const auto ran = clock_.Steady() - before;
        EXPECT_FALSE(connect_.context().module.errors_during_show)
            << "nothing failed on the ended show";
        switch (event) {
          case Event::kShowEnds:
            EXPECT_EQ(Runtime(), nullptr) << "released once the waits returned";
            break;
          case Event::kSigterm:
            if (!begin) {
              EXPECT_LT(ran, std::chrono::milliseconds(kTicking)) << "the loop quit";
            }
            [[fallthrough]];
          case Event::kNextSlide:
            ASSERT_NE(Runtime(), nullptr);
            EXPECT_NE(host_.show(), nullptr) << "the show goes on";
            EXPECT_EQ(Text(1, field_), "v1");
            break;
          case Event::kPlayerSwitches:
            ASSERT_NE(Runtime(), nullptr);
            EXPECT_EQ(Runtime()->ActivePresentation(), deck_) << "the other show runs";
            EXPECT_EQ(Text(1, field_), "v1");
            break;
        }
      }
    }
  }
}

}  // namespace
}  // namespace vintrel
