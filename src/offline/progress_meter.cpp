#include "offline/progress_meter.h"

#include "document/presentation.h"
#include "host/application.h"
#include "host/event_loop.h"
#include "runtime/runtime.h"
#include "support/error_codes.h"
#include "support/failure_handling.h"
#include "support/logs.h"
#include "support/module_state.h"
#include "support/shell_helpers.h"

namespace vintrel {
namespace {

constexpr const char* kSource = "frmProgressMeter";

// Lets pending events run. One of them may close a presentation the copy works on: the work
// stops then, touching neither of them again (only addresses are compared).
void LetMessagesRun(const host::Presentation& source, const host::Presentation* copy = nullptr) {
  SkipFailure([] {
    if (host::EventLoop* loop = Services().loop) loop->DoEvents();
  });
  host::Application* app = Module().host;
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

bool OfflineMessageHidden() {
  bool hidden = false;
  SkipFailure([&] {
    if (host::SettingsStore* settings = Services().settings) {
      hidden = settings->GetSetting("Quendra Vintrel 2002", "Info",
                                    "HideMsgBoxOfflineGeneration") == "1";
    }
  });
  return hidden;
}

// The flag and the remembered source go however the work ends.
struct GenerationRunning {
  explicit GenerationRunning(const std::string& source) {
    Module().offline_generation_running = true;
    Module().offline_presentation_name = source;
  }
  ~GenerationRunning() {
    Module().offline_generation_running = false;
    Module().offline_presentation_name.clear();
  }
};

}  // namespace

void frmProgressMeter::SetActivePresentation(host::Presentation& presentation) {
  copy_ = nullptr;
  failure_.reset();
  try {
    int count = 0;
    {
      clsRuntime counting;
      counting.SetActivePresentation(presentation);
      LetMessagesRun(presentation);
      count = counting.SlideCount(true);
    }
    GenerationRunning running(presentation.FullName());
    window_.SetTitle("Creating off-line presentation...");
    window_.SetStatusText("Opening new presentation");
    window_.SetSteps(count + 2);
    tmrAction_Timer(presentation);
  } catch (...) {
    const Error failure = CurrentFailure();
    RememberFailure(failure);
    failure_ = CompleteMessage(ErrorCode::kCreatingOffline, {failure.description()});
    ShowMessage(*failure_, host::msg_box::kCritical | host::msg_box::kTopmost);
    return;
  }
  if (!OfflineMessageHidden()) {
    ShowMessage("Off-line presentation is ready.",
                host::msg_box::kInformation | host::msg_box::kTopmost);
  }
}

void frmProgressMeter::tmrAction_Timer(host::Presentation& source) {
  std::string prefix = "VTO";
  const std::string reserved = MakeTempFileName(prefix);
  if (reserved.empty()) throw Error(kErrFileNotFound, kSource, "No temporary file name");
  copy_file_name_ = reserved + ".pptx";
  // The empty file only reserved the name.
  SkipFailure([&] { Services().files->Remove(reserved); });

  window_.Start(window_.Steps() >= kShownProgressSteps);
  source.SaveCopyAs(copy_file_name_);
  window_.Step();
  LetMessagesRun(source);

  host::Application* app = Module().host;
  if (app == nullptr) throw Error(kErrObjectNotSet, kSource, "No host application");
  copy_ = &app->Presentations().Open(copy_file_name_);
  LetMessagesRun(source, copy_);
  window_.Step();

  clsRuntime runtime;
  runtime.SetActivePresentation(*copy_);
  LetMessagesRun(source, copy_);
  window_.Step();
  window_.SetStatusText("Processing slides");
  runtime.CreateOfflinePPT(window_, source.FullName());
  LetMessagesRun(source, copy_);

  window_.NewStepValue(window_.Steps());
  copy_->SetSaved(false);
  window_.Close();
  WriteDebugLog(DebugLevel::kInformation, kSource, "Off-line presentation: " + copy_file_name_);
}

void CreateOfflineCopy(clsPresentation& presentation) {
  if (presentation.ActivePresentation() == nullptr) return;
  frmProgressMeter form;
  form.SetActivePresentation(*presentation.ActivePresentation());
}

}  // namespace vintrel
