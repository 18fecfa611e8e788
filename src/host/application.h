#ifndef VINTREL_HOST_APPLICATION_H_
#define VINTREL_HOST_APPLICATION_H_

#include <string>

#include "host/command_bars.h"
#include "host/presentation.h"

namespace vintrel::host {

namespace selection_type {
inline constexpr int kNone = 0;
inline constexpr int kSlides = 1;
inline constexpr int kShapes = 2;
inline constexpr int kText = 3;
}  // namespace selection_type

namespace view_type {
inline constexpr int kNormal = 9;
inline constexpr int kSlide = 1;
inline constexpr int kSlideSorter = 7;
}  // namespace view_type

namespace alert_level {
inline constexpr int kNone = 1;
inline constexpr int kAll = 2;
}  // namespace alert_level

class ShapeRange {
 public:
  virtual ~ShapeRange() = default;
  virtual int Count() const = 0;
  virtual Shape& Item(int index) = 0;  // from 1
};

class Selection {
 public:
  virtual ~Selection() = default;
  virtual int Type() const = 0;  // selection_type
  // Fails when nothing is selected.
  virtual host::ShapeRange& ShapeRange() = 0;
};

class View {
 public:
  virtual ~View() = default;
  virtual host::Slide& Slide() = 0;  // the slide shown in the window
};

class Pane {
 public:
  virtual ~Pane() = default;
  virtual int ViewType() const = 0;  // view_type
};

class DocumentWindow {
 public:
  virtual ~DocumentWindow() = default;
  virtual host::Selection& Selection() = 0;
  virtual host::View& View() = 0;
  virtual host::Pane& ActivePane() = 0;
  virtual host::Presentation& Presentation() = 0;
};

class Windows {
 public:
  virtual ~Windows() = default;
  virtual int Count() const = 0;
};

// The host's application events. The add-in implements this interface; the host calls it while
// subscribed. A handler may throw: the open and save events then fail in the host.
class ApplicationEvents {
 public:
  virtual ~ApplicationEvents() = default;
  virtual void NewPresentation(Presentation& presentation) = 0;
  virtual void PresentationOpen(Presentation& presentation) = 0;
  virtual void PresentationClose(Presentation& presentation) = 0;
  // Raised before the host writes the file.
  virtual void PresentationSave(Presentation& presentation) = 0;
  virtual void PresentationPrint(Presentation& presentation) = 0;
  virtual void SlideShowBegin(SlideShowWindow& window) = 0;
  virtual void SlideShowNextSlide(SlideShowWindow& window) = 0;
  virtual void SlideShowEnd(Presentation& presentation) = 0;
  virtual void WindowActivate(Presentation& presentation, DocumentWindow& window) = 0;
  virtual void WindowSelectionChange(Selection& selection) = 0;
};

class Application {
 public:
  virtual ~Application() = default;
  // Subscribes one event sink (null ends the subscription).
  virtual void SetEventSink(ApplicationEvents* sink) = 0;
  // "major.minor", e.g. "10.0".
  virtual std::string Version() const = 0;
  // The presentation of the active window; fails when none is open.
  virtual Presentation& ActivePresentation() = 0;
  virtual host::Presentations& Presentations() = 0;
  virtual host::Windows& Windows() = 0;
  // Fails when no document window is open.
  virtual DocumentWindow& ActiveWindow() = 0;
  virtual host::CommandBars& CommandBars() = 0;
  virtual int DisplayAlerts() const = 0;  // alert_level
  virtual void SetDisplayAlerts(int level) = 0;
};

// The add-in instance object the host hands over at connection.
class AddInInstance {
 public:
  virtual ~AddInInstance() = default;
  virtual std::string ProgId() const = 0;
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_APPLICATION_H_
