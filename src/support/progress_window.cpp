#include "support/progress_window.h"

#include <algorithm>

#include "host/event_loop.h"
#include "support/failure_handling.h"
#include "support/module_state.h"
#include "support/time_span.h"

namespace vintrel {

ProgressWindow::ProgressWindow() = default;

ProgressWindow::~ProgressWindow() {
  Close();
}

void ProgressWindow::SetTitle(const std::string& title) {
  title_ = title;
  if (display_) SkipFailure([&] { display_->SetTitle(title_); });
}

void ProgressWindow::SetStatusText(const std::string& text) {
  status_ = text;
  if (display_) SkipFailure([&] { display_->SetStatus(status_); });
}

void ProgressWindow::SetSteps(int steps) {
  steps_ = std::max(steps, 0);
  value_ = std::min(value_, steps_);
  if (display_) SkipFailure([&] { display_->SetProgress(value_, steps_); });
}

void ProgressWindow::NewStepValue(int value) {
  value_ = std::clamp(value, 0, steps_);
  if (display_) {
    SkipFailure([&] { display_->SetProgress(value_, steps_); });
    ShowRemaining();
  }
  SkipFailure([] {
    if (host::EventLoop* loop = Services().loop) loop->DoEvents();
  });
}

void ProgressWindow::Start(bool show) {
  started_ = std::chrono::steady_clock::now();
  started_flag_ = true;
  if (display_ == nullptr && show) {
    SkipFailure([&] {
      if (host::FrontEnd* front_end = Services().front_end) display_ = front_end->OpenProgress();
    });
  }
  if (display_) {
    SkipFailure([&] {
      display_->SetTitle(title_);
      display_->SetStatus(status_);
      display_->SetProgress(value_, steps_);
    });
  }
}

void ProgressWindow::ShowRemaining() {
  if (!started_flag_ || value_ <= 0 || steps_ <= 0) return;
  // The steps so far took as long as they took: the rest will take as long per step.
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  const double remaining = elapsed / value_ * (steps_ - value_);
  const std::string words = FormatTimeSpan(static_cast<int32_t>(remaining));
  SkipFailure([&] { display_->SetRemaining(words.empty() ? "" : "Remaining time: " + words); });
}

void ProgressWindow::Close() {
  if (display_) SkipFailure([&] { display_->Close(); });
  display_.reset();
}

}  // namespace vintrel
