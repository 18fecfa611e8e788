#include "host/ooxml/package_slide_show.h"

#include "host/error.h"

namespace vintrel::ooxml {

PackageSlideShow::PackageSlideShow(host::Presentation& presentation,
                                   host::ApplicationEvents* events, std::function<void()> on_end)
    : presentation_(presentation), events_(events), on_end_(std::move(on_end)) {}

int PackageSlideShow::NextVisibleFrom(int index) const {
  host::Slides& slides = presentation_.Slides();
  for (int i = index; i <= slides.Count(); ++i) {
    if (!slides.Item(i).SlideShowTransition().Hidden()) return i;
  }
  return 0;
}

void PackageSlideShow::Start() {
  running_ = true;
  current_ = NextVisibleFrom(1);
  if (events_ != nullptr) events_->SlideShowBegin(*this);
  if (current_ == 0) {
    End();
    return;
  }
  if (events_ != nullptr) events_->SlideShowNextSlide(*this);
}

host::Slide& PackageSlideShow::Slide() {
  if (!running_ || current_ == 0) {
    throw Error(kErrInvalidArgument, "vintrel.ooxml", "the slide show has ended");
  }
  return presentation_.Slides().Item(current_);
}

void PackageSlideShow::Next() {
  if (!running_) throw Error(kErrInvalidArgument, "vintrel.ooxml", "the slide show has ended");
  int next = NextVisibleFrom(current_ + 1);
  if (next == 0) {
    End();
    return;
  }
  current_ = next;
  if (events_ != nullptr) events_->SlideShowNextSlide(*this);
}

void PackageSlideShow::End() {
  if (!running_) return;
  running_ = false;
  current_ = 0;
  if (events_ != nullptr) events_->SlideShowEnd(presentation_);
  if (on_end_) on_end_();
}

}  // namespace vintrel::ooxml
