// frmProgressMeter: "Create off-line presentation". Handed a presentation, it counts the slides
// the copy will have, saves a copy of the presentation under a temporary name, opens that copy,
// turns it into the off-line presentation and leaves it open, not saved, for the user to save
// where they like. The presentation itself is never changed.
#ifndef VINTREL_OFFLINE_PROGRESS_METER_H_
#define VINTREL_OFFLINE_PROGRESS_METER_H_

#include <functional>
#include <optional>
#include <string>

#include "host/presentation.h"
#include "support/context.h"
#include "support/progress_window.h"

namespace vintrel {

class Error;
class clsPresentation;

// The window shows itself only for work of at least this many steps.
inline constexpr int kShownProgressSteps = 5;

class frmProgressMeter {
 public:
  explicit frmProgressMeter(Context& ctx) : ctx_(ctx), window_(ctx) {}
  frmProgressMeter(const frmProgressMeter&) = delete;
  frmProgressMeter& operator=(const frmProgressMeter&) = delete;

  // Does the whole work; failures end it with a message box and leave the half-built copy open.
  void SetActivePresentation(host::Presentation& presentation);

  ProgressWindow& window() { return window_; }
  // The copy left open (null before the work or when it failed before opening one), and the
  // temporary file it was opened from.
  host::Presentation* copy() const { return copy_; }
  const std::string& copy_file_name() const { return copy_file_name_; }
  // The failure that ended the work, if one did.
  const std::optional<std::string>& failure() const { return failure_; }

 private:
  void tmrAction_Timer(host::Presentation& source);

  Context& ctx_;
  ProgressWindow window_;
  host::Presentation* copy_ = nullptr;
  std::string copy_file_name_;
  std::optional<std::string> failure_;
};

// "Create off-line presentation": a frmProgressMeter makes the copy and leaves it open in the
// host, unsaved, under its temporary name; a failure is told in a message box.
// The off-line copy of a presentation that uses the add-in (others are left alone): pending events
// run before and after the work.
void CreateOfflineCopy(clsPresentation& presentation);

}  // namespace vintrel

#endif  // VINTREL_OFFLINE_PROGRESS_METER_H_
