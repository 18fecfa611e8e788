#include "offline/progress_meter.h"

#include "document/presentation_object.h"
#include "host/application.h"
#include "host/event_loop.h"
#include "runtime/runtime.h"
#include "support/context.h"
#include "support/error_codes.h"
#include "support/failure_handling.h"
#include "support/logs.h"
#include "support/shell_helpers.h"

namespace vintrel {
namespace {

constexpr const char* kSource = "frmProgressMeter";

// Lets pending events run. One of them may close a presentation the copy works on: the work
// stops then, touching neither of them again (only addresses are compared).
void LetMessagesRun(const Context& ctx, const host::Presentation& source,
                    const host::Presentation* copy = nullptr) {
  SkipFailure([&] { ctx.services.loop->DoEvents(); });
  host::Application* app = ctx.module.host;
  if (app == nullptr) return;
  bool source_open = false;
  bool copy_open = copy == nullptr;
  host::Presentations& open = app->Presentations();
  for (int i = 1; i <= open.Count(); ++i) {
    source_open = source_open || &open.Item(i) == &source;
    copy_open = copy_open || &open.Item(i) == copy;
  }
  if (!source_open || !copy_open) {
    throw Error(kErrObjectNotSet, kSource, "The presentation was closed during the off-line copy.");
  }
}

bool OfflineMessageHidden(const Context& ctx) {
  bool hidden = false;
  SkipFailure([&] {
    hidden = ctx.services.settings->GetSetting("Quendra Vintrel 2002", "Info",
                                               "HideMsgBoxOfflineGeneration") == "1";
  });
  return hidden;
}

// The flag and the remembered source go however the work ends.
struct GenerationRunning {
  GenerationRunning(ModuleState& state, const std::string& source) : state_(state) {
    state_.offline_generation_running = true;
    state_.offline_presentation_name = source;
  }
  ~GenerationRunning() {
    state_.offline_generation_running = false;
    state_.offline_presentation_name.clear();
  }
  ModuleState& state_;
};

}  // namespace

void frmProgressMeter::SetActivePresentation(host::Presentation& presentation) {
  copy_ = nullptr;
  failure_.reset();
  try {
    int count = 0;
    {
      clsRuntime counting(ctx_);
      counting.SetActivePresentation(presentation);
      LetMessagesRun(ctx_, presentation);
      count = counting.SlideCount(true);
    }
    GenerationRunning running(ctx_.module, presentation.FullName());
    window_.SetTitle("Creating off-line presentation...");
    window_.SetStatusText("Opening new presentation");
    window_.SetSteps(count + 2);
    tmrAction_Timer(presentation);
  } catch (...) {
    const Error failure = CurrentFailure();
    RememberFailure(ctx_, failure);
    failure_ = CompleteMessage(ErrorCode::kCreatingOffline, {failure.description()});
    ShowMessage(ctx_, *failure_, host::msg_box::kCritical | host::msg_box::kTopmost);
    return;
  }
  if (!OfflineMessageHidden(ctx_)) {
    ShowMessage(ctx_, "Off-line presentation is ready.",
                host::msg_box::kInformation | host::msg_box::kTopmost);
  }
}

void frmProgressMeter::tmrAction_Timer(host::Presentation& source) {
  std::string prefix = "VTO";
  const std::string reserved = MakeTempFileName(ctx_, prefix);
  if (reserved.empty()) throw Error(kErrFileNotFound, kSource, "No temporary file name");
  copy_file_name_ = reserved + ".pptx";
  // The empty file only reserved the name.
  SkipFailure([&] { ctx_.services.files->Remove(reserved); });

  window_.Start(window_.Steps() >= kShownProgressSteps);
  source.SaveCopyAs(copy_file_name_);
  window_.Step();
  LetMessagesRun(ctx_, source);

  host::Application* app = ctx_.module.host;
  if (app == nullptr) throw Error(kErrObjectNotSet, kSource, "No host application");
  copy_ = &app->Presentations().Open(copy_file_name_);
  LetMessagesRun(ctx_, source, copy_);
  window_.Step();

  clsRuntime runtime(ctx_);
  runtime.SetActivePresentation(*copy_);
  LetMessagesRun(ctx_, source, copy_);
  window_.Step();
  window_.SetStatusText("Processing slides");
  runtime.CreateOfflinePPT(window_, source.FullName());
  LetMessagesRun(ctx_, source, copy_);

  window_.NewStepValue(window_.Steps());
  copy_->SetSaved(false);
  window_.Close();
  WriteDebugLog(ctx_, DebugLevel::kInformation, kSource,
                "Off-line presentation: " + copy_file_name_);
}

void CreateOfflineCopy(clsPresentation& presentation) {
  host::Presentation* active = presentation.ActivePresentation();
  if (active == nullptr || !IsVintrelPresentation(*active)) return;
  Context& ctx = presentation.context();
  SkipFailure([&] { ctx.services.loop->DoEvents(); });
  frmProgressMeter form(ctx);
  form.SetActivePresentation(*active);
  SkipFailure([&] { ctx.services.loop->DoEvents(); });
}

}  // namespace vintrel
