#include "host/ooxml/package_application.h"

#include <algorithm>

#include "host/error.h"

namespace vintrel::ooxml {

namespace {
constexpr char kSource[] = "vintrel.ooxml";
}  // namespace

int PackageWindow::Type() const {
  if (selected_.empty()) return host::selection_type::kNone;
  return text_ ? host::selection_type::kText : host::selection_type::kShapes;
}

host::ShapeRange& PackageWindow::ShapeRange() {
  if (selected_.empty()) throw Error(kErrInvalidArgument, kSource, "nothing is selected");
  return *this;
}

host::Shape& PackageWindow::Item(int index) {
  if (index < 1 || index > Count()) {
    throw Error(kErrInvalidArgument, kSource,
                "ShapeRange: index " + std::to_string(index) + " is out of range");
  }
  return *selected_[index - 1];
}

host::Slide& PackageWindow::Slide() {
  host::Slides& slides = presentation_.Slides();
  if (slides.Count() == 0) {
    throw Error(kErrInvalidArgument, kSource, "the presentation has no slides");
  }
  // A slide deleted from under the view leaves the nearest one in view.
  return slides.Item(std::clamp(slide_index_, 1, slides.Count()));
}

void PackageWindow::Select(int slide_index, const std::vector<int>& shape_indices, bool text) {
  host::Slide& slide = presentation_.Slides().Item(slide_index);
  std::vector<host::Shape*> chosen;
  for (int index : shape_indices) chosen.push_back(&slide.Shapes().Item(index));
  if (text && chosen.size() != 1) {
    throw Error(kErrInvalidArgument, kSource, "text can be selected in one shape only");
  }
  if (text && !chosen.front()->HasTextFrame()) {
    throw Error(kErrInvalidArgument, kSource, "the shape has no text to select");
  }
  slide_index_ = slide_index;
  selected_ = std::move(chosen);
  text_ = text && !selected_.empty();
  if (application_.event_sink() != nullptr) application_.event_sink()->WindowSelectionChange(*this);
}

void PackageWindow::GoToSlide(int slide_index) {
  presentation_.Slides().Item(slide_index);  // fails outside the slides
  slide_index_ = slide_index;
  if (!selected_.empty()) Select(slide_index, {});
}

host::Presentation& PackagePresentations::Item(int index) {
  if (index < 1 || index > Count()) {
    throw Error(kErrInvalidArgument, kSource,
                "Presentations: index " + std::to_string(index) + " is out of range");
  }
  return *open_[index - 1].presentation;
}

host::Presentation& PackagePresentations::Open(const std::string& file_name) {
  std::string full = AbsolutePath(file_name);
  for (size_t i = 0; i < open_.size(); ++i) {
    if (open_[i].presentation->FullName() == full) {
      application_.active_ = static_cast<int>(i) + 1;
      if (application_.event_sink() != nullptr) {
        application_.event_sink()->WindowActivate(*open_[i].presentation, *open_[i].window);
      }
      return *open_[i].presentation;
    }
  }
  PackageApplication& app = application_;
  auto presentation =
      PackagePresentation::Open(full, &app.clipboard(), [&app](PackagePresentation& p) {
        if (app.event_sink() != nullptr) app.event_sink()->PresentationSave(p);
      });
  const std::vector<std::string>& unread = presentation->package().unread_parts();
  if (!unread.empty() && app.note_sink()) {
    std::string note = "\"" + full + "\": parts left as they are (the program does not read them):";
    for (size_t i = 0; i < unread.size(); ++i) note += (i ? ", " : " ") + unread[i];
    app.note_sink()(note);
  }
  auto window = std::make_unique<PackageWindow>(*presentation, app);
  open_.push_back({std::move(presentation), std::move(window), nullptr, nullptr});
  app.active_ = Count();
  PackagePresentation& opened = *open_.back().presentation;
  PackageWindow& opened_window = *open_.back().window;
  // As in the host: the presentation opens, then its new window becomes the active one.
  if (app.event_sink() != nullptr) app.event_sink()->PresentationOpen(opened);
  if (app.event_sink() != nullptr) app.event_sink()->WindowActivate(opened, opened_window);
  return opened;
}

PackagePresentations::Open_& PackagePresentations::Find(host::Presentation& presentation) {
  for (Open_& open : open_) {
    if (open.presentation.get() == &presentation) return open;
  }
  throw Error(kErrInvalidArgument, kSource, "the presentation is not open");
}

host::SlideShowWindow& PackagePresentations::RunSlideShow(host::Presentation& presentation,
                                                          const ShowOptions& options,
                                                          host::EventLoop* loop) {
  Open_& open = Find(presentation);
  if (open.show) throw Error(kErrInvalidArgument, kSource, "a slide show of it is running");
  PackagePresentation* deck = open.presentation.get();
  open.ended_show.reset();
  open.show = std::make_unique<PackageSlideShow>(
      *deck, application_.event_sink(),
      [this, deck] {
        // The show object is still running this callback: it is parked, not destroyed.
        deck->set_show_window(nullptr);
        Open_& entry = Find(*deck);
        entry.ended_show = std::move(entry.show);
      },
      loop, options);
  PackageSlideShow& show = *open.show;
  deck->set_show_window(&show);
  deck->set_show_display(application_.show_display());
  show.Start();
  return show;
}

void PackagePresentations::Close(host::Presentation& presentation) {
  for (size_t i = 0; i < open_.size(); ++i) {
    if (open_[i].presentation.get() != &presentation) continue;
    if (open_[i].show) open_[i].show->End();
    if (application_.event_sink() != nullptr) {
      application_.event_sink()->PresentationClose(presentation);
    }
    open_.erase(open_.begin() + static_cast<long>(i));
    application_.active_ = Count();
    return;
  }
  throw Error(kErrInvalidArgument, kSource, "the presentation is not open");
}

PackageApplication::PackageApplication(host::Clipboard& clipboard)
    : clipboard_(clipboard), presentations_(*this), windows_(presentations_) {}

PackageApplication::~PackageApplication() = default;

host::Presentation& PackageApplication::ActivePresentation() {
  if (active_ < 1 || active_ > presentations_.Count()) {
    throw Error(kErrInvalidArgument, kSource, "no presentation is open");
  }
  return presentations_.Item(active_);
}

host::DocumentWindow& PackageApplication::ActiveWindow() {
  if (active_ < 1 || active_ > presentations_.Count()) {
    throw Error(kErrInvalidArgument, kSource, "no document window is open");
  }
  return *presentations_.open_[active_ - 1].window;
}

}  // namespace vintrel::ooxml
