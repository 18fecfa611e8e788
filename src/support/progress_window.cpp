#include "support/progress_window.h"

#include <algorithm>
#include <cmath>

#include "host/event_loop.h"
#include "support/context.h"
#include "support/failure_handling.h"
#include "support/shell_helpers.h"
#include "support/time_span.h"

namespace vintrel {

ProgressWindow::ProgressWindow(const Context& ctx) : ctx_(ctx) {}

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
  }
  SkipFailure([&] { ctx_.services.loop->DoEvents(); });
}

host::Clock::Ticks ProgressWindow::Now() const {
  return ctx_.services.loop->clock().Steady();
}

void ProgressWindow::Start(bool show) {
  started_ = Now();
  started_flag_ = true;
  if (display_ == nullptr && show) {
    SkipFailure([&] { display_ = ctx_.services.front_end->OpenProgress(); });
  }
  if (display_) {
    // The work it shows goes on behind it: it must not disappear behind other windows.
    SetFormTopmost(*display_);
    SkipFailure([&] {
      display_->SetTitle(title_);
      display_->SetStatus(status_);
      display_->SetProgress(value_, steps_);
    });
    remaining_timer_ = std::make_unique<host::LoopTimer>(*ctx_.services.loop, 3000, true,
                                                         [this] { ShowRemaining(); });
  }
}

void ProgressWindow::ShowRemaining() {
  if (!display_ || !started_flag_ || value_ < 1 || steps_ <= 0) return;
  const auto since_start = Now() - started_;
  if (since_start <= std::chrono::seconds(5)) return;
  const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(since_start).count();
  // The steps so far took as long as they took: the rest will take as long per step.
  const double remaining =
      std::nearbyint(static_cast<double>(elapsed) / value_ * (steps_ - value_));
  const std::string words = FormatTimeSpan(static_cast<int32_t>(remaining));
  SkipFailure([&] { display_->SetRemaining(words.empty() ? "" : "Remaining time: " + words); });
}

void ProgressWindow::Close() {
  remaining_timer_.reset();
  if (display_) SkipFailure([&] { display_->Close(); });
  display_.reset();
}

}  // namespace vintrel
