#include "host/ooxml/package_slide_show.h"

#include <algorithm>
#include <cmath>

#include "host/error.h"
#include "host/ooxml/package_presentation.h"

namespace vintrel::ooxml {
namespace {

constexpr const char* kSource = "vintrel.ooxml";

}  // namespace

PackageSlideShow::PackageSlideShow(PackagePresentation& presentation,
                                   host::ApplicationEvents* events, std::function<void()> on_end,
                                   host::EventLoop* loop, ShowOptions options)
    : presentation_(presentation),
      events_(events),
      on_end_(std::move(on_end)),
      loop_(loop),
      options_(options) {}

PackageSlideShow::~PackageSlideShow() {
  CancelAdvance();
}

host::Presentation& PackageSlideShow::Presentation() {
  return presentation_;
}

host::ShowDisplay* PackageSlideShow::Display() const {
  return running_ ? presentation_.show_display() : nullptr;
}

int PackageSlideShow::SlideCount() const {
  return presentation_.Slides().Count();
}

int PackageSlideShow::NextVisibleFrom(int index) const {
  host::Slides& slides = presentation_.Slides();
  for (int i = std::max(index, 1); i <= slides.Count(); ++i) {
    if (!slides.Item(i).SlideShowTransition().Hidden()) return i;
  }
  return 0;
}

int PackageSlideShow::PreviousVisibleFrom(int index) const {
  host::Slides& slides = presentation_.Slides();
  for (int i = std::min(index, slides.Count()); i >= 1; --i) {
    if (!slides.Item(i).SlideShowTransition().Hidden()) return i;
  }
  return 0;
}

bool PackageSlideShow::Loops() const {
  if (options_.loop) return true;
  auto& settings = static_cast<PackageShowSettings&>(presentation_.SlideShowSettings());
  return settings.ShowType() == host::show_type::kKiosk || settings.Loop();
}

void PackageSlideShow::Start() {
  running_ = true;
  current_ = 0;
  if (host::ShowDisplay* display = Display()) display->ShowBegan(SlideCount());
  if (events_ != nullptr) events_->SlideShowBegin(*this);
  if (!running_) return;  // the begin handler ended the show
  int first = NextVisibleFrom(options_.from_slide);
  if (first == 0) first = NextVisibleFrom(1);
  if (first == 0) {
    GoToEnd();
    return;
  }
  Show(first);
}

host::Slide& PackageSlideShow::Slide() {
  if (!running_ || current_ == 0) {
    throw Error(kErrInvalidArgument, kSource, "no slide is in view: the slide show has ended");
  }
  return presentation_.Slides().Item(current_);
}

int PackageSlideShow::CurrentShowPosition() const {
  return current_ != 0 ? current_ : SlideCount() + 1;
}

void PackageSlideShow::Next() {
  if (!running_) throw Error(kErrInvalidArgument, kSource, "the slide show has ended");
  if (current_ == 0) return;  // at the end already
  int next = NextVisibleFrom(current_ + 1);
  if (next == 0 && Loops()) next = NextVisibleFrom(1);
  if (next == 0) {
    GoToEnd();
    return;
  }
  Show(next);
}

void PackageSlideShow::Previous() {
  if (!running_) throw Error(kErrInvalidArgument, kSource, "the slide show has ended");
  const int from = current_ == 0 ? SlideCount() : current_ - 1;
  int previous = PreviousVisibleFrom(from);
  if (previous == 0 && Loops()) previous = PreviousVisibleFrom(SlideCount());
  if (previous != 0) Show(previous);
}

void PackageSlideShow::GotoSlide(int index) {
  if (!running_) throw Error(kErrInvalidArgument, kSource, "the slide show has ended");
  if (index < 1 || index > SlideCount()) {
    throw Error(kErrInvalidArgument, kSource,
                "there is no slide " + std::to_string(index) + " to go to");
  }
  Show(index);
}

void PackageSlideShow::Show(int index) {
  CancelAdvance();
  current_ = index;
  if (host::ShowDisplay* display = Display()) display->SlideShown(index);
  if (events_ != nullptr) events_->SlideShowNextSlide(*this);
  // A handler may have moved on or ended the show; the timing belongs to the slide in view.
  if (running_ && current_ == index) ScheduleAdvance();
}

void PackageSlideShow::GoToEnd() {
  CancelAdvance();
  current_ = 0;
  if (host::ShowDisplay* display = Display()) display->SlideShown(0);
  if (loop_ == nullptr) return;
  advance_timer_ = loop_->AddTimer(host::EventLoop::Milliseconds(1), [this] {
    CancelAdvance();
    End();
  });
}

void PackageSlideShow::ScheduleAdvance() {
  if (loop_ == nullptr || current_ == 0) return;
  double seconds = -1;
  switch (options_.advance) {
    case ShowOptions::Advance::kManual:
      return;
    case ShowOptions::Advance::kEvery:
      seconds = options_.every_seconds;
      break;
    case ShowOptions::Advance::kPresentation:
      if (presentation_.SlideShowSettings().AdvanceMode() == host::advance_mode::kManual) return;
      [[fallthrough]];
    case ShowOptions::Advance::kTimings: {
      host::SlideShowTransition& transition = Slide().SlideShowTransition();
      if (!transition.AdvanceOnTime()) return;
      seconds = transition.AdvanceTime();
      break;
    }
  }
  if (seconds < 0) return;
  const auto delay = host::EventLoop::Milliseconds(std::llround(seconds * 1000));
  advance_timer_ = loop_->AddTimer(delay, [this] {
    CancelAdvance();
    if (running_) Next();
  });
}

void PackageSlideShow::CancelAdvance() {
  if (loop_ != nullptr && advance_timer_ != 0) loop_->RemoveTimer(advance_timer_);
  advance_timer_ = 0;
}

void PackageSlideShow::End() {
  if (!running_) return;
  CancelAdvance();
  current_ = 0;
  if (events_ != nullptr) events_->SlideShowEnd(presentation_);
  if (host::ShowDisplay* display = Display()) display->ShowEnded();
  running_ = false;
  if (on_end_) on_end_();
}

}  // namespace vintrel::ooxml
