// The in-memory host application: presentations built in code, their document windows, slide
// shows, command bars, and the application events, raised when a test calls the helper that
// stands for what a person or the host would do (OpenPresentation, SavePresentation,
// StartSlideShow, ChangeSelection, ...). Events go to the one subscribed sink at once, on the
// caller's thread. An exception from the sink comes back out of the helper (or out of the host
// call that raised the event, such as Presentations.Open or SlideShowView.Next): a failed save
// handler stops the save, while close and show end complete first and rethrow after.
#ifndef VINTREL_HOST_MEMORY_MEMORY_APPLICATION_H_
#define VINTREL_HOST_MEMORY_MEMORY_APPLICATION_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/application.h"
#include "host/memory/host_environment.h"
#include "host/memory/memory_command_bars.h"
#include "host/memory/memory_presentation.h"
#include "host/memory/memory_windows.h"

namespace vintrel::host::memory {

class MemoryApplication;

class MemoryPresentations : public host::Presentations {
 public:
  explicit MemoryPresentations(MemoryApplication& application) : application_(application) {}

  int Count() const override;
  host::Presentation& Item(int index) override;
  // Opens a copy of a file in the environment's files (saved earlier, or put there with
  // MemoryApplication::AddFile) with a window, and raises PresentationOpen. Fails
  // (kErrFileNotFound) for a file that is not there.
  host::Presentation& Open(const std::string& file_name) override;

 private:
  MemoryApplication& application_;
};

class MemoryWindows : public host::Windows {
 public:
  explicit MemoryWindows(MemoryApplication& application) : application_(application) {}
  int Count() const override;

 private:
  MemoryApplication& application_;
};

class MemoryApplication : public host::Application {
 public:
  MemoryApplication();
  ~MemoryApplication() override;
  MemoryApplication(const MemoryApplication&) = delete;
  MemoryApplication& operator=(const MemoryApplication&) = delete;

  void SetEventSink(host::ApplicationEvents* sink) override { sink_ = sink; }
  std::string Version() const override;
  // The presentation of the active window; fails when no window is open.
  host::Presentation& ActivePresentation() override;
  host::Presentations& Presentations() override;
  host::Windows& Windows() override;
  host::DocumentWindow& ActiveWindow() override;
  host::CommandBars& CommandBars() override;
  int DisplayAlerts() const override;
  void SetDisplayAlerts(int level) override;

  // --- Building the scene, no events raised.
  void set_version(std::string version) { version_ = std::move(version); }
  // An open presentation, with a document window (which becomes the active one) unless
  // `with_window` is false.
  MemoryPresentation& AddPresentation(const std::string& full_name, bool with_window = true);
  // Makes the presentation's window the active one without an event (it needs a window).
  void SetActive(MemoryPresentation& presentation);
  // A presentation file on "disk" for OpenPresentation and Presentations.Open to open a copy of.
  // Replaces a file of that name (references to the old one become invalid).
  MemoryPresentation& AddFile(const std::string& full_name);

  // --- What a person or the host does, raising the matching events.
  // A new untitled presentation ("Presentation1", ...); raises NewPresentation.
  MemoryPresentation& NewPresentation();
  // Opens a copy of the file of that name, or an empty presentation when there is none, with a
  // window; raises PresentationOpen. A failure of the sink comes back out; the presentation
  // stays open.
  MemoryPresentation& OpenPresentation(const std::string& full_name);
  // Raises the open or new-presentation event for a presentation added with AddPresentation.
  void RaisePresentationOpen(MemoryPresentation& presentation);
  void RaiseNewPresentation(MemoryPresentation& presentation);
  // Ends a show of it, raises PresentationClose, then closes the presentation and its window: it
  // leaves Presentations, and every further call on it or its slides and shapes fails.
  void ClosePresentation(MemoryPresentation& presentation);
  // Raises PresentationSave, then saves (Presentation.Save) unless the handler saved it itself.
  // When the sink fails, nothing is saved and the failure comes back out.
  void SavePresentation(MemoryPresentation& presentation);
  void PrintPresentation(MemoryPresentation& presentation);
  // Makes the presentation's window the active one and raises WindowActivate.
  void ActivateWindow(MemoryPresentation& presentation);
  // Sets the active window's selection and raises WindowSelectionChange.
  void ChangeSelection(int type, std::vector<MemoryShape*> shapes = {});
  void SelectShapes(std::vector<MemoryShape*> shapes);
  // Text editing in a shape: a text selection whose range is that shape.
  void SelectText(MemoryShape& shape) { ChangeSelection(selection_type::kText, {&shape}); }
  void ClearSelection() { ChangeSelection(selection_type::kNone); }
  // Starts a show of the presentation (fails when it has no slide or a show is running) and
  // raises SlideShowBegin. The window is the presentation's SlideShowWindow until the end.
  // With a loop, slides advance by their timings (see MemorySlideShowView::SetLoop).
  MemorySlideShowWindow& StartSlideShow(MemoryPresentation& presentation,
                                        EventLoop* loop = nullptr);
  // Next on the running show's view (what a click in the show does).
  void NextSlide();
  // Raises SlideShowEnd for the presentation of the running show, then ends it.
  void EndSlideShow();

  // --- Inspection.
  MemoryPresentation& presentation(int index);  // from 1, in the order opened
  int presentation_count() const { return static_cast<int>(open_.size()); }
  // The active document window; null when none.
  MemoryDocumentWindow* active_window() const { return active_window_; }
  // The document window of an open presentation; null when it has none.
  MemoryDocumentWindow* window_of(const MemoryPresentation& presentation) const;
  // The running show; null when none runs.
  MemorySlideShowWindow* show() const { return show_; }
  MemoryCommandBars& command_bars() { return command_bars_; }
  HostEnvironment& environment() { return environment_; }
  FaultInjector& faults() { return environment_.faults(); }
  // The application's own clipboard, which chart data sheets paste from unless another one was
  // given with environment().set_clipboard.
  MemoryClipboard& clipboard() { return environment_.own_clipboard(); }
  host::ApplicationEvents* sink() const { return sink_; }

  // Used by the parts of the application: counts the call and fails when armed.
  void Enter(std::string_view operation) const { faults_->Enter(operation, nullptr); }
  // Opens a copy of a stored file (kErrFileNotFound when there is none); no event.
  MemoryPresentation& OpenCopyOfFile(const std::string& file_name);
  void RaiseNextSlide(MemorySlideShowWindow& window);

 private:
  struct OpenDocument {
    std::unique_ptr<MemoryPresentation> presentation;
    std::unique_ptr<MemoryDocumentWindow> window;
  };

  MemoryPresentation& Adopt(std::unique_ptr<MemoryPresentation> presentation, bool with_window);
  std::vector<OpenDocument>::iterator Find(const MemoryPresentation& presentation);

  HostEnvironment environment_;
  FaultInjector* faults_ = &environment_.faults();  // for the const calls
  std::string version_ = "10.0";
  int display_alerts_ = alert_level::kAll;
  host::ApplicationEvents* sink_ = nullptr;
  MemoryPresentations presentations_;
  MemoryWindows windows_;
  MemoryCommandBars command_bars_;
  std::vector<OpenDocument> open_;
  // Closed presentations and their windows, and ended shows: kept so references stay safe.
  std::vector<OpenDocument> closed_;
  std::vector<std::unique_ptr<MemorySlideShowWindow>> shows_;
  MemoryDocumentWindow* active_window_ = nullptr;
  MemorySlideShowWindow* show_ = nullptr;
  int untitled_count_ = 0;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_MEMORY_APPLICATION_H_
