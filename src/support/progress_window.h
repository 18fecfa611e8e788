// The progress windows of long work (opening a presentation with many slides or connections,
// building a slide show, the off-line copy): a title, a status line, a bar of steps and an
// estimate of the remaining time. What the user sees comes from the front end's progress display;
// without one the window only keeps its values.
#ifndef VINTREL_SUPPORT_PROGRESS_WINDOW_H_
#define VINTREL_SUPPORT_PROGRESS_WINDOW_H_

#include <chrono>
#include <memory>
#include <string>

#include "host/loop_timer.h"
#include "host/platform.h"
#include "support/context.h"

namespace vintrel {

class ProgressWindow {
 public:
  explicit ProgressWindow(const Context& ctx);
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  void SetTitle(const std::string& title);
  void SetStatusText(const std::string& text);
  void SetSteps(int steps);
  int Steps() const { return steps_; }
  // The bar's value becomes `value`, or the number of steps when it is more; pending work of
  // the event loop runs once.
  void NewStepValue(int value);
  int StepValue() const { return value_; }
  void Step() { NewStepValue(value_ + 1); }
  // Shows the window (when a front end can and `show`) and starts the clock of the
  // remaining-time estimate, which is shown every 3 seconds from the fifth second on (earlier,
  // too few steps have passed to tell).
  void Start(bool show = true);
  void Close();
  bool shown() const { return display_ != nullptr; }
  const std::string& status_text() const { return status_; }
  const std::string& title() const { return title_; }

 private:
  void ShowRemaining();
  host::Clock::Ticks Now() const;

  const Context& ctx_;
  std::string title_;
  std::string status_;
  int steps_ = 0;
  int value_ = 0;
  std::unique_ptr<host::ProgressDisplay> display_;
  host::Clock::Ticks started_{};
  bool started_flag_ = false;
  std::unique_ptr<host::LoopTimer> remaining_timer_;
};

}  // namespace vintrel

#endif  // VINTREL_SUPPORT_PROGRESS_WINDOW_H_
