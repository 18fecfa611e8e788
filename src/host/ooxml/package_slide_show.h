// A slide show of a package presentation, without a screen of its own: it walks the visible
// slides, advances them by their timings or by a fixed time on the event loop, tells the screen
// (a ShowDisplay) what is shown, and raises the show events so the add-in's show logic runs
// against real files.
#ifndef VINTREL_HOST_OOXML_PACKAGE_SLIDE_SHOW_H_
#define VINTREL_HOST_OOXML_PACKAGE_SLIDE_SHOW_H_

#include <functional>

#include "host/application.h"
#include "host/event_loop.h"
#include "host/presentation.h"
#include "host/show_display.h"

namespace vintrel::ooxml {

class PackagePresentation;

struct ShowOptions {
  enum class Advance {
    kPresentation,  // as the presentation's show settings say (its slide timings unless off)
    kTimings,       // each slide after its own advance time; a slide without one waits
    kManual,        // only Next, Previous and GotoSlide move
    kEvery,         // every slide after `every_seconds`
  };
  Advance advance = Advance::kPresentation;
  double every_seconds = 0;
  // The first slide shown: this one, or the next visible one after it.
  int from_slide = 1;
  // Start over after the last slide (also when the presentation is a kiosk show or loops).
  bool loop = false;
};

class PackageSlideShow : public host::SlideShowWindow, public host::SlideShowView {
 public:
  // `on_end` runs once the show has ended (after SlideShowEnd), to let the owner drop it.
  // Without a loop nothing advances by time and the end of the show waits for End.
  PackageSlideShow(PackagePresentation& presentation, host::ApplicationEvents* events,
                   std::function<void()> on_end, host::EventLoop* loop = nullptr,
                   ShowOptions options = {});
  ~PackageSlideShow() override;

  // Raises SlideShowBegin, then shows the first slide to show (raising SlideShowNextSlide);
  // a presentation without a visible slide goes to the end of the show at once.
  void Start();
  // Raises SlideShowEnd.
  void End();
  bool running() const { return running_; }
  // Past the last slide: nothing is in view. With a loop, the show ends as soon as the loop
  // gets to it (never inside the call that moved past the end, which may be one of the add-in's
  // own handlers).
  bool at_end() const { return running_ && current_ == 0; }

  host::Presentation& Presentation() override;
  host::SlideShowView& View() override { return *this; }
  host::Slide& Slide() override;  // fails at the end of the show
  // The slide's index in the presentation; one past the last slide at the end of the show.
  int CurrentShowPosition() const override;
  // Goes to the next slide that is not hidden at that moment.
  void Next() override;
  int PointerType() const override { return pointer_type_; }
  void SetPointerType(int type) override { pointer_type_ = type; }

  // What a presenter does besides Next: back to the previous visible slide, or to any slide.
  void Previous();
  void GotoSlide(int index);

 private:
  int SlideCount() const;
  int NextVisibleFrom(int index) const;
  int PreviousVisibleFrom(int index) const;
  bool Loops() const;
  void Show(int index);
  void GoToEnd();
  void ScheduleAdvance();
  void CancelAdvance();
  host::ShowDisplay* Display() const;

  PackagePresentation& presentation_;
  host::ApplicationEvents* events_;
  std::function<void()> on_end_;
  host::EventLoop* loop_;
  ShowOptions options_;
  host::EventLoop::TimerId advance_timer_ = 0;
  int current_ = 0;
  bool running_ = false;
  int pointer_type_ = host::pointer_type::kArrow;
};

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_PACKAGE_SLIDE_SHOW_H_
