// The window side of the in-memory application: the document window of each presentation with
// its selection, view and pane, and the slide show window of a running show.
#ifndef VINTREL_HOST_MEMORY_MEMORY_WINDOWS_H_
#define VINTREL_HOST_MEMORY_MEMORY_WINDOWS_H_

#include <vector>

#include "host/application.h"
#include "host/event_loop.h"
#include "host/memory/memory_presentation.h"
#include "host/memory/memory_shape.h"

namespace vintrel::host::memory {

class MemoryApplication;

class MemoryShapeRange : public host::ShapeRange {
 public:
  explicit MemoryShapeRange(MemoryApplication& application) : application_(application) {}

  int Count() const override;
  // Fails outside 1..Count, and for a shape deleted since it was selected.
  host::Shape& Item(int index) override;

  const std::vector<MemoryShape*>& shapes() const { return shapes_; }
  void set_shapes(std::vector<MemoryShape*> shapes) { shapes_ = std::move(shapes); }

 private:
  MemoryApplication& application_;
  std::vector<MemoryShape*> shapes_;
};

class MemorySelection : public host::Selection {
 public:
  explicit MemorySelection(MemoryApplication& application)
      : application_(application), range_(application) {}

  int Type() const override;
  // Fails unless shapes or text are selected.
  host::ShapeRange& ShapeRange() override;

  int type() const { return type_; }
  const std::vector<MemoryShape*>& shapes() const { return range_.shapes(); }
  // selection_type; the shapes count only for kShapes and kText.
  void Set(int type, std::vector<MemoryShape*> shapes);

 private:
  MemoryApplication& application_;
  int type_ = selection_type::kNone;
  MemoryShapeRange range_;
};

class MemoryView : public host::View {
 public:
  MemoryView(MemoryApplication& application, MemoryPresentation& presentation)
      : application_(application), presentation_(presentation) {}

  // The slide at the view's index; fails when the presentation has no slide there.
  host::Slide& Slide() override;

  int slide_index() const { return slide_index_; }
  void set_slide_index(int index) { slide_index_ = index; }

 private:
  MemoryApplication& application_;
  MemoryPresentation& presentation_;
  int slide_index_ = 1;
};

class MemoryPane : public host::Pane {
 public:
  explicit MemoryPane(MemoryApplication& application) : application_(application) {}

  int ViewType() const override;
  void set_view_type(int type) { view_type_ = type; }

 private:
  MemoryApplication& application_;
  int view_type_ = view_type::kNormal;
};

class MemoryDocumentWindow : public host::DocumentWindow {
 public:
  MemoryDocumentWindow(MemoryApplication& application, MemoryPresentation& presentation);

  host::Selection& Selection() override;
  host::View& View() override;
  host::Pane& ActivePane() override;
  host::Presentation& Presentation() override;

  MemorySelection& selection() { return selection_; }
  MemoryView& view() { return view_; }
  MemoryPane& pane() { return pane_; }
  MemoryPresentation& presentation() { return presentation_; }

 private:
  // The window goes with its presentation.
  void CheckOpen(const char* operation) const;

  MemoryApplication& application_;
  MemoryPresentation& presentation_;
  MemorySelection selection_;
  MemoryView view_;
  MemoryPane pane_;
};

class MemorySlideShowWindow;

// The view of a running show. It starts on the first slide not hidden; Next skips hidden slides
// and raises SlideShowNextSlide. Past the last slide a kiosk show starts over, any other show
// stays at its end: no slide is in view there (Slide fails) and no event is raised. A failure
// of the event sink's SlideShowNextSlide comes back out of Next.
class MemorySlideShowView : public host::SlideShowView {
 public:
  MemorySlideShowView(MemoryApplication& application, MemorySlideShowWindow& window);

  host::Slide& Slide() override;
  // The index of the slide in view (one past the last slide at the end of the show).
  int CurrentShowPosition() const override;
  void Next() override;
  int PointerType() const override;
  void SetPointerType(int type) override;

  // What a presenter jumping to a slide does: shows it and raises SlideShowNextSlide.
  void GotoSlide(int index);
  // With a loop, a slide that advances on time moves on by itself after its advance time,
  // unless the presentation's show is set to advance by hand.
  void SetLoop(EventLoop* loop) { loop_ = loop; }
  void ScheduleAdvance();
  void CancelAdvance();
  MemorySlide* current_slide() const { return current_; }
  bool at_end() const { return at_end_; }
  int pointer_type() const { return pointer_type_; }
  int next_count() const { return next_count_; }

 private:
  friend class MemorySlideShowWindow;
  // The first slide from `index` on that is not hidden, or null.
  MemorySlide* FirstShownFrom(int index) const;

  MemoryApplication& application_;
  MemorySlideShowWindow& window_;
  MemorySlide* current_ = nullptr;
  int end_position_ = 0;
  bool at_end_ = false;
  int pointer_type_ = pointer_type::kArrow;
  int next_count_ = 0;
  EventLoop* loop_ = nullptr;
  EventLoop::TimerId advance_timer_ = 0;
};

class MemorySlideShowWindow : public host::SlideShowWindow {
 public:
  MemorySlideShowWindow(MemoryApplication& application, MemoryPresentation& presentation);

  host::Presentation& Presentation() override;
  host::SlideShowView& View() override;

  MemoryPresentation& presentation() { return presentation_; }
  MemorySlideShowView& view() { return view_; }
  bool running() const { return running_; }
  void set_running(bool running) { running_ = running; }

 private:
  MemoryApplication& application_;
  MemoryPresentation& presentation_;
  MemorySlideShowView view_;
  bool running_ = true;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_MEMORY_WINDOWS_H_
