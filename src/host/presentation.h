#ifndef VINTREL_HOST_PRESENTATION_H_
#define VINTREL_HOST_PRESENTATION_H_

#include <string>

#include "host/slides.h"
#include "host/tags.h"

namespace vintrel::host {

class Presentation;

namespace show_type {
inline constexpr int kSpeaker = 1;
inline constexpr int kWindow = 2;
inline constexpr int kKiosk = 3;
}  // namespace show_type

namespace advance_mode {
inline constexpr int kManual = 1;
inline constexpr int kUseSlideTimings = 2;
}  // namespace advance_mode

namespace pointer_type {
inline constexpr int kArrow = 1;
inline constexpr int kAlwaysHidden = 3;
}  // namespace pointer_type

class SlideShowSettings {
 public:
  virtual ~SlideShowSettings() = default;
  virtual int ShowType() const = 0;     // show_type
  virtual int AdvanceMode() const = 0;  // advance_mode
};

class SlideShowView {
 public:
  virtual ~SlideShowView() = default;
  virtual host::Slide& Slide() = 0;  // the slide being shown
  virtual int CurrentShowPosition() const = 0;
  virtual void Next() = 0;
  virtual int PointerType() const = 0;
  virtual void SetPointerType(int type) = 0;  // pointer_type
};

class SlideShowWindow {
 public:
  virtual ~SlideShowWindow() = default;
  virtual host::Presentation& Presentation() = 0;
  virtual SlideShowView& View() = 0;
};

class Presentation {
 public:
  virtual ~Presentation() = default;
  // Absolute path of the file; for a presentation never saved, its window name. Its identity.
  virtual std::string FullName() const = 0;
  virtual std::string Name() const = 0;
  virtual bool Saved() const = 0;
  virtual void SetSaved(bool saved) = 0;
  // Writes the presentation to FullName; a failure leaves the file on disk as it was.
  virtual void Save() = 0;
  // Writes a copy; FullName and Saved stay as they are.
  virtual void SaveCopyAs(const std::string& file_name) = 0;
  virtual host::Slides& Slides() = 0;
  virtual host::Tags& Tags() = 0;
  virtual host::SlideShowSettings& SlideShowSettings() = 0;
  // The running show's window, or null when no show runs.
  virtual host::SlideShowWindow* SlideShowWindow() = 0;
  // Reloads every linked file.
  virtual void UpdateLinks() = 0;
};

class Presentations {
 public:
  virtual ~Presentations() = default;
  virtual int Count() const = 0;
  virtual Presentation& Item(int index) = 0;  // from 1
  // Opens a presentation file as another presentation of the same application.
  virtual Presentation& Open(const std::string& file_name) = 0;
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_PRESENTATION_H_
