// A slide show of a package presentation, without a screen: it walks the visible slides and
// raises the show events, so the add-in's show logic runs against real files (the command-line
// program drives it from its timer loop).
#ifndef VINTREL_HOST_OOXML_PACKAGE_SLIDE_SHOW_H_
#define VINTREL_HOST_OOXML_PACKAGE_SLIDE_SHOW_H_

#include <functional>

#include "host/application.h"
#include "host/presentation.h"

namespace vintrel::ooxml {

class PackageSlideShow : public host::SlideShowWindow, public host::SlideShowView {
 public:
  // `on_end` runs once the show has ended (after SlideShowEnd), to let the owner drop it.
  PackageSlideShow(host::Presentation& presentation, host::ApplicationEvents* events,
                   std::function<void()> on_end);

  // Shows the first slide that is not hidden (raising SlideShowBegin, then SlideShowNextSlide);
  // a presentation without a visible slide ends the show at once.
  void Start();
  // Raises SlideShowEnd.
  void End();
  bool running() const { return running_; }

  host::Presentation& Presentation() override { return presentation_; }
  host::SlideShowView& View() override { return *this; }
  host::Slide& Slide() override;
  // The slide's index in the presentation (the show always covers every slide).
  int CurrentShowPosition() const override { return current_; }
  // Goes to the next slide that is not hidden at that moment; after the last one the show ends.
  void Next() override;
  int PointerType() const override { return pointer_type_; }
  void SetPointerType(int type) override { pointer_type_ = type; }

 private:
  int NextVisibleFrom(int index) const;

  host::Presentation& presentation_;
  host::ApplicationEvents* events_;
  std::function<void()> on_end_;
  int current_ = 0;
  bool running_ = false;
  int pointer_type_ = host::pointer_type::kArrow;
};

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_PACKAGE_SLIDE_SHOW_H_
