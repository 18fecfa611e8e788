#include "host/memory/memory_application.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "host/error.h"
#include "host/memory/fault_injector.h"

namespace vintrel::host::memory {

int MemoryPresentations::Count() const {
  application_.Enter("Presentations.Count");
  return application_.presentation_count();
}

host::Presentation& MemoryPresentations::Item(int index) {
  application_.Enter("Presentations.Item");
  if (index < 1 || index > application_.presentation_count()) {
    FailHostCall(kErrSubscriptOutOfRange, "Presentations.Item", "index " + std::to_string(index));
  }
  return application_.presentation(index);
}

host::Presentation& MemoryPresentations::Open(const std::string& file_name) {
  application_.Enter("Presentations.Open");
  MemoryPresentation& presentation = application_.OpenCopyOfFile(file_name);
  application_.RaisePresentationOpen(presentation);
  return presentation;
}

int MemoryWindows::Count() const {
  application_.Enter("Windows.Count");
  int count = 0;
  for (int i = 1; i <= application_.presentation_count(); ++i) {
    if (application_.window_of(application_.presentation(i)) != nullptr) ++count;
  }
  return count;
}

MemoryApplication::MemoryApplication()
    : presentations_(*this), windows_(*this), command_bars_(&environment_.faults()) {}

MemoryApplication::~MemoryApplication() = default;

std::string MemoryApplication::Version() const {
  Enter("Application.Version");
  return version_;
}

host::Presentation& MemoryApplication::ActivePresentation() {
  Enter("Application.ActivePresentation");
  if (active_window_ == nullptr) {
    FailHostCall(kErrUnspecified, "Application.ActivePresentation", "no presentation is active");
  }
  return active_window_->presentation();
}

host::Presentations& MemoryApplication::Presentations() {
  Enter("Application.Presentations");
  return presentations_;
}

host::Windows& MemoryApplication::Windows() {
  Enter("Application.Windows");
  return windows_;
}

host::DocumentWindow& MemoryApplication::ActiveWindow() {
  Enter("Application.ActiveWindow");
  if (active_window_ == nullptr) {
    FailHostCall(kErrUnspecified, "Application.ActiveWindow", "no document window is open");
  }
  return *active_window_;
}

host::CommandBars& MemoryApplication::CommandBars() {
  Enter("Application.CommandBars");
  return command_bars_;
}

int MemoryApplication::DisplayAlerts() const {
  Enter("Application.DisplayAlerts");
  return display_alerts_;
}

void MemoryApplication::SetDisplayAlerts(int level) {
  Enter("Application.SetDisplayAlerts");
  if (level != alert_level::kNone && level != alert_level::kAll) {
    FailHostCall(kErrInvalidArgument, "Application.SetDisplayAlerts", "no such alert level");
  }
  display_alerts_ = level;
}

MemoryPresentation& MemoryApplication::Adopt(std::unique_ptr<MemoryPresentation> presentation,
                                             bool with_window) {
  OpenDocument document;
  document.presentation = std::move(presentation);
  if (with_window) {
    document.window = std::make_unique<MemoryDocumentWindow>(*this, *document.presentation);
    active_window_ = document.window.get();
  }
  open_.push_back(std::move(document));
  return *open_.back().presentation;
}

MemoryPresentation& MemoryApplication::AddPresentation(const std::string& full_name,
                                                       bool with_window) {
  return Adopt(std::make_unique<MemoryPresentation>(full_name, environment_), with_window);
}

MemoryPresentation& MemoryApplication::AddFile(const std::string& full_name) {
  environment_.StoreFile(full_name, std::make_unique<MemoryPresentation>(full_name, environment_));
  return *environment_.FindFile(full_name);
}

MemoryPresentation& MemoryApplication::OpenCopyOfFile(const std::string& file_name) {
  MemoryPresentation* file = environment_.FindFile(file_name);
  if (file == nullptr) FailHostCall(kErrFileNotFound, "Presentations.Open", "no file " + file_name);
  return Adopt(file->CloneAs(file_name, environment_), /*with_window=*/true);
}

MemoryPresentation& MemoryApplication::NewPresentation() {
  MemoryPresentation& presentation =
      AddPresentation("Presentation" + std::to_string(++untitled_count_));
  RaiseNewPresentation(presentation);
  return presentation;
}

MemoryPresentation& MemoryApplication::OpenPresentation(const std::string& full_name) {
  MemoryPresentation& presentation = environment_.FindFile(full_name) != nullptr
                                         ? OpenCopyOfFile(full_name)
                                         : AddPresentation(full_name);
  RaisePresentationOpen(presentation);
  return presentation;
}

void MemoryApplication::RaisePresentationOpen(MemoryPresentation& presentation) {
  if (sink_ != nullptr) sink_->PresentationOpen(presentation);
}

void MemoryApplication::RaiseNewPresentation(MemoryPresentation& presentation) {
  if (sink_ != nullptr) sink_->NewPresentation(presentation);
}

std::vector<MemoryApplication::OpenDocument>::iterator MemoryApplication::Find(
    const MemoryPresentation& presentation) {
  return std::find_if(open_.begin(), open_.end(), [&](const OpenDocument& document) {
    return document.presentation.get() == &presentation;
  });
}

void MemoryApplication::ClosePresentation(MemoryPresentation& presentation) {
  if (Find(presentation) == open_.end()) {
    FailHostCall(kErrInvalidArgument, "ClosePresentation", "the presentation is not open");
  }
  if (show_ != nullptr && &show_->presentation() == &presentation) EndSlideShow();
  // The host closes the presentation whatever the handler does; its failure comes out after.
  std::exception_ptr failure;
  if (sink_ != nullptr) {
    try {
      sink_->PresentationClose(presentation);
    } catch (...) {
      failure = std::current_exception();
    }
  }
  // The sink may have closed other presentations meanwhile: look again.
  auto it = Find(presentation);
  if (it != open_.end()) {
    const bool was_active = it->window != nullptr && it->window.get() == active_window_;
    presentation.MarkClosed();
    closed_.push_back(std::move(*it));
    open_.erase(it);
    if (was_active) {
      // The host activates the most recently opened remaining window.
      active_window_ = nullptr;
      for (auto rit = open_.rbegin(); rit != open_.rend(); ++rit) {
        if (rit->window) {
          active_window_ = rit->window.get();
          break;
        }
      }
    }
  }
  if (failure) std::rethrow_exception(failure);
}

void MemoryApplication::SavePresentation(MemoryPresentation& presentation) {
  const int saves_before = presentation.save_count();
  if (sink_ != nullptr) sink_->PresentationSave(presentation);
  // As the host does: when the event's handler saved the presentation itself, nothing is left
  // to write (writing now would store what the handler put back after its save).
  if (presentation.save_count() == saves_before) presentation.Save();
}

void MemoryApplication::PrintPresentation(MemoryPresentation& presentation) {
  if (sink_ != nullptr) sink_->PresentationPrint(presentation);
}

void MemoryApplication::SetActive(MemoryPresentation& presentation) {
  MemoryDocumentWindow* window = window_of(presentation);
  if (window == nullptr)
    FailHostCall(kErrInvalidArgument, "SetActive", "the presentation has no window");
  active_window_ = window;
}

void MemoryApplication::ActivateWindow(MemoryPresentation& presentation) {
  SetActive(presentation);
  if (sink_ != nullptr) sink_->WindowActivate(presentation, *active_window_);
}

void MemoryApplication::ChangeSelection(int type, std::vector<MemoryShape*> shapes) {
  if (active_window_ == nullptr)
    FailHostCall(kErrUnspecified, "ChangeSelection", "no window is open");
  active_window_->selection().Set(type, std::move(shapes));
  if (sink_ != nullptr) sink_->WindowSelectionChange(active_window_->selection());
}

void MemoryApplication::SelectShapes(std::vector<MemoryShape*> shapes) {
  const int type = shapes.empty() ? selection_type::kNone : selection_type::kShapes;
  ChangeSelection(type, std::move(shapes));
}

MemorySlideShowWindow& MemoryApplication::StartSlideShow(MemoryPresentation& presentation,
                                                         EventLoop* loop) {
  if (Find(presentation) == open_.end()) {
    FailHostCall(kErrInvalidArgument, "StartSlideShow", "the presentation is not open");
  }
  if (show_ != nullptr) FailHostCall(kErrUnspecified, "StartSlideShow", "a show is running");
  if (presentation.slides().count() == 0) {
    FailHostCall(kErrUnspecified, "StartSlideShow", "the presentation has no slide");
  }
  shows_.push_back(std::make_unique<MemorySlideShowWindow>(*this, presentation));
  show_ = shows_.back().get();
  presentation.set_show_window(show_);
  show_->view().SetLoop(loop);
  MemorySlideShowWindow& show = *show_;
  if (sink_ != nullptr) sink_->SlideShowBegin(show);
  if (show.running()) show.view().ScheduleAdvance();
  return show;
}

void MemoryApplication::NextSlide() {
  if (show_ == nullptr) FailHostCall(kErrUnspecified, "NextSlide", "no show is running");
  show_->view().Next();
}

void MemoryApplication::RaiseNextSlide(MemorySlideShowWindow& window) {
  if (sink_ != nullptr) sink_->SlideShowNextSlide(window);
}

void MemoryApplication::EndSlideShow() {
  if (show_ == nullptr) FailHostCall(kErrUnspecified, "EndSlideShow", "no show is running");
  MemorySlideShowWindow* show = show_;
  // The host raises the end while the presentation still reports its show window, and ends the
  // show whatever the handler does; its failure comes out after.
  std::exception_ptr failure;
  if (sink_ != nullptr) {
    try {
      sink_->SlideShowEnd(show->presentation());
    } catch (...) {
      failure = std::current_exception();
    }
  }
  show->view().CancelAdvance();
  show->set_running(false);
  show->presentation().set_show_window(nullptr);
  show_ = nullptr;
  if (failure) std::rethrow_exception(failure);
}

MemoryPresentation& MemoryApplication::presentation(int index) {
  if (index < 1 || index > presentation_count()) {
    FailHostCall(kErrSubscriptOutOfRange, "presentation", "index " + std::to_string(index));
  }
  return *open_[index - 1].presentation;
}

MemoryDocumentWindow* MemoryApplication::window_of(const MemoryPresentation& presentation) const {
  for (const OpenDocument& document : open_) {
    if (document.presentation.get() == &presentation) return document.window.get();
  }
  return nullptr;
}

}  // namespace vintrel::host::memory
