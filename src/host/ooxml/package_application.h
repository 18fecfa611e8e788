// The presentation program over real .pptx files: the application object the command-line
// program hands to the add-in. It has no screen: windows are one per open presentation, the
// selection is always empty, command bars live in memory.
#ifndef VINTREL_HOST_OOXML_PACKAGE_APPLICATION_H_
#define VINTREL_HOST_OOXML_PACKAGE_APPLICATION_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/package_slide_show.h"
#include "host/ooxml/simple_command_bars.h"
#include "host/platform.h"

namespace vintrel::ooxml {

class PackageApplication;

// A document window. Without a person at a screen, whoever drives the program selects shapes
// through Select (a click) and moves the view through GoToSlide.
class PackageWindow : public host::DocumentWindow,
                      public host::Selection,
                      public host::ShapeRange,
                      public host::View,
                      public host::Pane {
 public:
  PackageWindow(PackagePresentation& presentation, PackageApplication& application)
      : presentation_(presentation), application_(application) {}
  host::Selection& Selection() override { return *this; }
  host::View& View() override { return *this; }
  host::Pane& ActivePane() override { return *this; }
  host::Presentation& Presentation() override { return presentation_; }
  // Selection: shapes (or the text of one shape), or nothing.
  int Type() const override;
  host::ShapeRange& ShapeRange() override;  // fails when nothing is selected
  int Count() const override { return static_cast<int>(selected_.size()); }
  host::Shape& Item(int index) override;
  // View: the slide shown, the first one until another is chosen.
  host::Slide& Slide() override;
  int ViewType() const override { return host::view_type::kNormal; }

  // Selects shapes of the slide `slide_index` (which comes into view), or the text of one shape
  // when `text` is set; an empty list clears the selection. Raises WindowSelectionChange.
  void Select(int slide_index, const std::vector<int>& shape_indices, bool text = false);
  // Shows another slide; the selection is cleared (and the change raised) when there was one.
  void GoToSlide(int slide_index);

 private:
  PackagePresentation& presentation_;
  PackageApplication& application_;
  int slide_index_ = 1;
  std::vector<host::Shape*> selected_;
  bool text_ = false;
};

class PackagePresentations : public host::Presentations {
 public:
  explicit PackagePresentations(PackageApplication& application) : application_(application) {}
  int Count() const override { return static_cast<int>(open_.size()); }
  host::Presentation& Item(int index) override;
  // Opens the file and raises PresentationOpen, then WindowActivate for its window, which becomes
  // the active one. A file already open is not opened twice: its window is activated.
  host::Presentation& Open(const std::string& file_name) override;
  // Closes without saving, raising PresentationClose first (a running show ends before).
  void Close(host::Presentation& presentation);
  // Starts a slide show of an open presentation (see PackageSlideShow); fails while one runs.
  // With a loop, slides advance by time as `options` say.
  host::SlideShowWindow& RunSlideShow(host::Presentation& presentation,
                                      const ShowOptions& options = {},
                                      host::EventLoop* loop = nullptr);

 private:
  friend class PackageApplication;
  struct Open_ {
    std::unique_ptr<PackagePresentation> presentation;
    std::unique_ptr<PackageWindow> window;
    std::unique_ptr<PackageSlideShow> show;
    std::unique_ptr<PackageSlideShow> ended_show;  // kept until the next show or close
  };
  Open_& Find(host::Presentation& presentation);
  PackageApplication& application_;
  std::vector<Open_> open_;
};

class PackageWindows : public host::Windows {
 public:
  explicit PackageWindows(PackagePresentations& presentations) : presentations_(presentations) {}
  int Count() const override { return presentations_.Count(); }

 private:
  PackagePresentations& presentations_;
};

class PackageApplication : public host::Application {
 public:
  // `clipboard` is where chart data sheets paste from; it must outlive the application.
  explicit PackageApplication(host::Clipboard& clipboard);
  ~PackageApplication() override;

  void SetEventSink(host::ApplicationEvents* sink) override { sink_ = sink; }
  std::string Version() const override { return "10.0"; }
  host::Presentation& ActivePresentation() override;
  host::Presentations& Presentations() override { return presentations_; }
  host::Windows& Windows() override { return windows_; }
  host::DocumentWindow& ActiveWindow() override;
  host::CommandBars& CommandBars() override { return command_bars_; }
  int DisplayAlerts() const override { return display_alerts_; }
  void SetDisplayAlerts(int level) override { display_alerts_ = level; }

  host::ApplicationEvents* event_sink() const { return sink_; }
  // The screen that shows the slide shows started from now on (not owned; null for none).
  void SetShowDisplay(host::ShowDisplay* display) { show_display_ = display; }
  host::ShowDisplay* show_display() const { return show_display_; }
  host::Clipboard& clipboard() const { return clipboard_; }
  // Where the application says what it noticed but need not stop for (parts of a presentation
  // it leaves unread), once per opened file; none by default.
  using NoteSink = std::function<void(const std::string&)>;
  void SetNoteSink(NoteSink sink) { note_sink_ = std::move(sink); }
  const NoteSink& note_sink() const { return note_sink_; }
  PackagePresentations& presentations() { return presentations_; }

 private:
  friend class PackagePresentations;
  host::Clipboard& clipboard_;
  host::ApplicationEvents* sink_ = nullptr;
  host::ShowDisplay* show_display_ = nullptr;
  NoteSink note_sink_;
  PackagePresentations presentations_;
  PackageWindows windows_;
  SimpleCommandBars command_bars_;
  int display_alerts_ = host::alert_level::kAll;
  int active_ = 0;  // index into the open presentations, from 1; 0 = none
};

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_PACKAGE_APPLICATION_H_
