// An application event sink that writes down each event it gets, for the tests of the in-memory
// application, and can be told to fail one kind of event.
#ifndef VINTREL_TESTS_HOST_MEMORY_RECORDING_EVENTS_H_
#define VINTREL_TESTS_HOST_MEMORY_RECORDING_EVENTS_H_

#include <functional>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/error.h"

namespace vintrel::host::memory {

class RecordingEvents : public host::ApplicationEvents {
 public:
  void NewPresentation(Presentation& p) override { Record("New:" + p.FullName()); }
  void PresentationOpen(Presentation& p) override { Record("Open:" + p.FullName()); }
  void PresentationClose(Presentation& p) override { Record("Close:" + p.FullName()); }
  void PresentationSave(Presentation& p) override { Record("Save:" + p.FullName()); }
  void PresentationPrint(Presentation& p) override { Record("Print:" + p.FullName()); }
  void SlideShowBegin(SlideShowWindow& w) override {
    Record("Begin:" + std::to_string(w.View().Slide().SlideIndex()));
  }
  void SlideShowNextSlide(SlideShowWindow& w) override {
    Record("Next:" + std::to_string(w.View().CurrentShowPosition()));
  }
  void SlideShowEnd(Presentation& p) override { Record("End:" + p.FullName()); }
  void WindowActivate(Presentation& p, DocumentWindow&) override {
    Record("Activate:" + p.FullName());
  }
  void WindowSelectionChange(Selection& s) override {
    Record("Selection:" + std::to_string(s.Type()));
  }

  // Events whose record starts with `prefix` throw after being recorded.
  void FailOn(std::string prefix) { fail_prefix_ = std::move(prefix); }
  // Runs after each record, inside the handler (to act as the add-in would).
  std::function<void(const std::string&)> after;

  std::vector<std::string> events;

 private:
  void Record(std::string event) {
    events.push_back(event);
    if (after) after(event);
    if (!fail_prefix_.empty() && event.rfind(fail_prefix_, 0) == 0) {
      throw Error(kErrUnspecified, "RecordingEvents", "handler failed on " + event);
    }
  }

  std::string fail_prefix_;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_TESTS_HOST_MEMORY_RECORDING_EVENTS_H_
