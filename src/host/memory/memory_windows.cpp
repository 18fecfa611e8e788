#include "host/memory/memory_windows.h"

#include <cmath>

#include <string>
#include <utility>

#include "host/error.h"
#include "host/memory/fault_injector.h"
#include "host/memory/memory_application.h"

namespace vintrel::host::memory {

int MemoryShapeRange::Count() const {
  application_.Enter("ShapeRange.Count");
  return static_cast<int>(shapes_.size());
}

host::Shape& MemoryShapeRange::Item(int index) {
  application_.Enter("ShapeRange.Item");
  if (index < 1 || index > static_cast<int>(shapes_.size())) {
    FailHostCall(kErrSubscriptOutOfRange, "ShapeRange.Item", "index " + std::to_string(index));
  }
  MemoryShape* shape = shapes_[index - 1];
  if (shape->deleted()) FailHostCall(kErrUnspecified, "ShapeRange.Item", "the shape was deleted");
  return *shape;
}

int MemorySelection::Type() const {
  application_.Enter("Selection.Type");
  return type_;
}

host::ShapeRange& MemorySelection::ShapeRange() {
  application_.Enter("Selection.ShapeRange");
  if (type_ != selection_type::kShapes && type_ != selection_type::kText) {
    FailHostCall(kErrUnspecified, "Selection.ShapeRange", "nothing appropriate is selected");
  }
  return range_;
}

void MemorySelection::Set(int type, std::vector<MemoryShape*> shapes) {
  type_ = type;
  if (type != selection_type::kShapes && type != selection_type::kText) shapes.clear();
  range_.set_shapes(std::move(shapes));
}

host::Slide& MemoryView::Slide() {
  application_.Enter("View.Slide");
  MemorySlides& slides = presentation_.slides();
  if (slides.count() == 0) FailHostCall(kErrUnspecified, "View.Slide", "no slide in view");
  // The host keeps a slide in view when slides go: the last one when the viewed one was past it.
  const int index = slide_index_ > slides.count() ? slides.count() : slide_index_;
  return slides.at(index < 1 ? 1 : index);
}

int MemoryPane::ViewType() const {
  application_.Enter("Pane.ViewType");
  return view_type_;
}

MemoryDocumentWindow::MemoryDocumentWindow(MemoryApplication& application,
                                           MemoryPresentation& presentation)
    : application_(application),
      presentation_(presentation),
      selection_(application),
      view_(application, presentation),
      pane_(application) {}

void MemoryDocumentWindow::CheckOpen(const char* operation) const {
  if (presentation_.closed()) FailHostCall(kErrUnspecified, operation, "the window was closed");
}

host::Selection& MemoryDocumentWindow::Selection() {
  application_.Enter("DocumentWindow.Selection");
  CheckOpen("DocumentWindow.Selection");
  return selection_;
}

host::View& MemoryDocumentWindow::View() {
  application_.Enter("DocumentWindow.View");
  CheckOpen("DocumentWindow.View");
  return view_;
}

host::Pane& MemoryDocumentWindow::ActivePane() {
  application_.Enter("DocumentWindow.ActivePane");
  CheckOpen("DocumentWindow.ActivePane");
  return pane_;
}

host::Presentation& MemoryDocumentWindow::Presentation() {
  application_.Enter("DocumentWindow.Presentation");
  CheckOpen("DocumentWindow.Presentation");
  return presentation_;
}

MemorySlideShowView::MemorySlideShowView(MemoryApplication& application,
                                         MemorySlideShowWindow& window)
    : application_(application), window_(window) {}

MemorySlide* MemorySlideShowView::FirstShownFrom(int index) const {
  MemorySlides& slides = window_.presentation().slides();
  for (int i = index; i <= slides.count(); ++i) {
    if (!slides.at(i).transition().hidden()) return &slides.at(i);
  }
  return nullptr;
}

host::Slide& MemorySlideShowView::Slide() {
  application_.Enter("SlideShowView.Slide");
  if (!window_.running())
    FailHostCall(kErrUnspecified, "SlideShowView.Slide", "the show has ended");
  if (at_end_ || current_ == nullptr || current_->deleted()) {
    FailHostCall(kErrUnspecified, "SlideShowView.Slide", "no slide is in view");
  }
  return *current_;
}

int MemorySlideShowView::CurrentShowPosition() const {
  application_.Enter("SlideShowView.CurrentShowPosition");
  if (!window_.running()) {
    FailHostCall(kErrUnspecified, "SlideShowView.CurrentShowPosition", "the show has ended");
  }
  if (at_end_) return end_position_;
  return current_ != nullptr ? current_->index() : 0;
}

void MemorySlideShowView::Next() {
  application_.Enter("SlideShowView.Next");
  if (!window_.running()) FailHostCall(kErrUnspecified, "SlideShowView.Next", "the show has ended");
  ++next_count_;
  if (at_end_) return;
  const int from = current_ != nullptr ? current_->index() : 0;
  MemorySlide* next = FirstShownFrom(from + 1);
  if (next == nullptr && window_.presentation().settings().show_type() == show_type::kKiosk) {
    next = FirstShownFrom(1);
  }
  if (next == nullptr) {
    at_end_ = true;
    end_position_ = window_.presentation().slides().count() + 1;
    return;
  }
  current_ = next;
  ScheduleAdvance();
  application_.RaiseNextSlide(window_);
}

void MemorySlideShowView::GotoSlide(int index) {
  if (!window_.running()) FailHostCall(kErrUnspecified, "GotoSlide", "the show has ended");
  current_ = &window_.presentation().slides().at(index);
  at_end_ = false;
  ScheduleAdvance();
  application_.RaiseNextSlide(window_);
}

void MemorySlideShowView::ScheduleAdvance() {
  CancelAdvance();
  if (loop_ == nullptr || current_ == nullptr || at_end_) return;
  if (window_.presentation().settings().advance_mode() == advance_mode::kManual) return;
  const MemorySlideShowTransition& transition = current_->transition();
  if (!transition.AdvanceOnTime()) return;
  const auto delay = EventLoop::Milliseconds(std::llround(transition.AdvanceTime() * 1000));
  advance_timer_ = loop_->AddTimer(delay, [this] {
    CancelAdvance();
    if (window_.running()) Next();
  });
}

void MemorySlideShowView::CancelAdvance() {
  if (loop_ != nullptr && advance_timer_ != 0) loop_->RemoveTimer(advance_timer_);
  advance_timer_ = 0;
}

int MemorySlideShowView::PointerType() const {
  application_.Enter("SlideShowView.PointerType");
  return pointer_type_;
}

void MemorySlideShowView::SetPointerType(int type) {
  application_.Enter("SlideShowView.SetPointerType");
  pointer_type_ = type;
}

MemorySlideShowWindow::MemorySlideShowWindow(MemoryApplication& application,
                                             MemoryPresentation& presentation)
    : application_(application), presentation_(presentation), view_(application, *this) {
  view_.current_ = view_.FirstShownFrom(1);
  // A show whose slides are all hidden still opens on the first slide.
  if (view_.current_ == nullptr && presentation.slides().count() > 0) {
    view_.current_ = &presentation.slides().at(1);
  }
}

host::Presentation& MemorySlideShowWindow::Presentation() {
  application_.Enter("SlideShowWindow.Presentation");
  if (!running_)
    FailHostCall(kErrUnspecified, "SlideShowWindow.Presentation", "the show has ended");
  return presentation_;
}

host::SlideShowView& MemorySlideShowWindow::View() {
  application_.Enter("SlideShowWindow.View");
  if (!running_) FailHostCall(kErrUnspecified, "SlideShowWindow.View", "the show has ended");
  return view_;
}

}  // namespace vintrel::host::memory
