#include "shell/application.h"

#include "connections/excel_status.h"
#include "host/event_loop.h"
#include "shell/check_data_access.h"
#include "shell/settings.h"
#include "support/failure_handling.h"
#include "support/logs.h"
#include "support/module_state.h"
#include "support/shell_helpers.h"

namespace vintrel::shell {
namespace {

constexpr const char* kSource = "Application";

void Trace(DebugLevel level, const std::string& message) {
  WriteDebugLog(level, kSource, message);
}

}  // namespace

Application::~Application() {
  if (gpp_app_ != nullptr) {
    SkipFailure([&] { gpp_app_->SetEventSink(nullptr); });
  }
  gpp_app_ = nullptr;
  ModuleState& state = Module();
  state.host = nullptr;
  tool_bar_ = nullptr;
  controls_.clear();
  presentations_.clear();
}

void Application::InitHandler(host::Application& host, const std::string& prog_id) {
  SkipFailure([&] { Trace(DebugLevel::kInformation, "InitHandler"); });
  SkipFailure([&] {
    host.SetEventSink(this);
    gpp_app_ = &host;
  });
  Module().host = &host;
  prog_id_ = prog_id;
  presentations_.clear();

  bool can_run = false;
  SkipFailure([&] { can_run = CheckDataAccess(host); });
  if (!can_run) return;  // the host events stay subscribed until the connection drops us

  SkipFailure([&] { Trace(DebugLevel::kInformation, "Opening menu"); });
  SkipFailure([&] {
    Module().hide_user_interface_value = ReadSetting(kSettingHideUserInterface);
    if (Module().hide_user_interface_value != "1") BuildUserInterface();
  });
  Module().current_display_type = 1;
  SkipFailure([&] {
    if (host::EventLoop* loop = Services().loop) loop->DoEvents();
  });
}

void Application::BuildUserInterface() {
  // The command bars come with the menus; until then the add-in has no user interface inside the
  // host and is driven through the program's commands alone.
}

void Application::UnInitHandler() {
  SkipFailure([&] { Trace(DebugLevel::kInformation, "UnInitHandler"); });
  SkipFailure([&] {
    if (tool_bar_ == nullptr) throw Error(kErrUnspecified, kSource, "No tool bar");
    tool_bar_->Delete();
  });
  // Deleting a popup removes its items too; deleting those again fails and is skipped.
  for (host::CommandBarControl* control : controls_) {
    SkipFailure([&] { control->Delete(); });
  }
  SkipFailure([&] {
    if (gpp_app_ != nullptr) gpp_app_->SetEventSink(nullptr);
    gpp_app_ = nullptr;
    Module().host = nullptr;
    presentations_.clear();
  });
  SkipFailure([&] {
    if (connections::ExcelStatus(false, false) == connections::excel_status::kStarted) {
      connections::ExcelStatus(false, true);
    }
  });
  tool_bar_ = nullptr;
  controls_.clear();
}

clsPresentation* Application::FindEntry(host::Presentation& presentation) const {
  std::string wanted;
  if (!SkipFailure([&] { wanted = presentation.FullName(); })) return nullptr;
  for (const auto& entry : presentations_) {
    host::Presentation* host_presentation = entry->ActivePresentation();
    std::string name;
    if (host_presentation == nullptr ||
        !SkipFailure([&] { name = host_presentation->FullName(); })) {
      continue;
    }
    if (name == wanted) return entry.get();
  }
  return nullptr;
}

clsPresentation* Application::ActiveEntry() const {
  clsPresentation* entry = nullptr;
  SkipFailure([&] {
    if (gpp_app_ != nullptr) entry = FindEntry(gpp_app_->ActivePresentation());
  });
  return entry;
}

void Application::SetControlsPresentation() {
  SkipFailure([&] { Trace(DebugLevel::kEvent, "SetControlsPresentation"); });
}

void Application::NewPresentation(host::Presentation& presentation) {
  try {
    Trace(DebugLevel::kEvent, "gppApp_NewPresentation");
    if (host::EventLoop* loop = Services().loop) loop->DoEvents();
    if (Module().offline_generation_running) {
      Trace(DebugLevel::kInformation, "New presentation due to offline generation");
      return;
    }
    auto entry = std::make_unique<clsPresentation>();
    entry->SetActivePresentation(presentation);
    // The only open presentation starts a fresh collection: entries of presentations that
    // vanished without a close event go.
    if (gpp_app_ != nullptr && gpp_app_->Presentations().Count() == 1) presentations_.clear();
    presentations_.push_back(std::move(entry));
    SetControlsPresentation();
  } catch (...) {
    LogFailure(CurrentFailure());
  }
}

void Application::PresentationOpen(host::Presentation& presentation) {
  try {
    Trace(DebugLevel::kEvent, "gppApp_PresentationOpen:" + presentation.FullName());
    if (host::EventLoop* loop = Services().loop) loop->DoEvents();
    auto entry = std::make_unique<clsPresentation>();
    entry->SetOpenedFromFile(true);
    entry->SetActivePresentation(presentation);
    presentations_.push_back(std::move(entry));
    SetControlsPresentation();
    // Loading tags and filling values is no change of the user's.
    presentation.SetSaved(true);
  } catch (...) {
    const Error failure = CurrentFailure();
    RememberFailure(failure);
    SkipFailure([&] { presentation.SetSaved(true); });
    // The entry being built goes with the failure; the host hears of it.
    std::erase_if(presentations_,
                  [&](const auto& entry) { return entry->ActivePresentation() == &presentation; });
    throw failure;
  }
}

void Application::PresentationClose(host::Presentation& presentation) {
  SkipFailure([&] { Trace(DebugLevel::kEvent, "gppApp_PresentationClose"); });
  SkipFailure([&] {
    clsPresentation* entry = FindEntry(presentation);
    if (entry == nullptr) return;
    Trace(DebugLevel::kEvent, "gppApp_PresentationClose:" + presentation.FullName());
    std::erase_if(presentations_, [entry](const auto& item) { return item.get() == entry; });
  });
  SkipFailure([&] { SetControlsPresentation(); });
}

void Application::PresentationSave(host::Presentation& presentation) {
  Trace(DebugLevel::kEvent, "gppApp_PresentationSave");
  const ModuleState& state = Module();
  if (state.offline_generation_running || state.resetting_saved_state) return;
  // The add-in's own save below raises this event once more: the host just writes then.
  if (saving_ == &presentation) return;
  clsPresentation* entry = FindEntry(presentation);
  if (entry == nullptr) return;
  Trace(DebugLevel::kEvent, "gppApp_PresentationSave:" + presentation.FullName());
  saving_ = &presentation;
  try {
    entry->SetDisplayType();
    entry->PrepareSave();
    presentation.Save();
    saving_ = nullptr;
    entry->FillValues();
    presentation.SetSaved(true);
  } catch (...) {
    saving_ = nullptr;
    throw;
  }
}

void Application::PresentationPrint(host::Presentation&) {
  // Printing shows every alert again, whatever a show or a command had switched off.
  SkipFailure([&] {
    if (gpp_app_ != nullptr && GetHostMajorVersion(*gpp_app_) >= 10) {
      gpp_app_->SetDisplayAlerts(host::alert_level::kAll);
    }
  });
}

void Application::SlideShowBegin(host::SlideShowWindow& window) {
  try {
    Module().errors_during_show = false;
    Trace(DebugLevel::kEvent, "gppApp_SlideShowBegin");
    Module().in_slide_show = true;
    host::Presentation& presentation = window.Presentation();
    if (!IsVintrelPresentation(presentation)) {
      Trace(DebugLevel::kVariable, "PresentationVintrelEnabled:0");
      return;
    }
    Trace(DebugLevel::kVariable, "PresentationVintrelEnabled:-1");
    if (Module().first_yield_pending) {
      Module().first_yield_pending = false;
      if (host::EventLoop* loop = Services().loop) loop->DoEvents();
    }
    if (presentation.SlideShowSettings().ShowType() == host::show_type::kKiosk) {
      window.View().SetPointerType(host::pointer_type::kAlwaysHidden);
    }
    Module().show_saved_state = presentation.Saved();
    runtime_ = std::make_unique<clsRuntime>();
    runtime_->ShowProgressMeter = ReadSetting(kSettingHideProgressMeterOpen) != "1";
    runtime_->KeepLastGoodValues = ReadSetting(kSettingKeepLastGoodValues) == "1";
    runtime_->WatchFiles = ReadSetting(kSettingWatchFiles) == "1";
    runtime_->SetActivePresentation(presentation);
    runtime_->StartTimers();
  } catch (...) {
    LogFailure(CurrentFailure());
  }
}

void Application::SlideShowNextSlide(host::SlideShowWindow& window) {
  try {
    Trace(DebugLevel::kEvent, "gppApp_SlideShowNextSlide");
    if (runtime_) runtime_->SlideShowNextSlide(window);
  } catch (...) {
    LogFailure(CurrentFailure());
  }
}

void Application::SlideShowEnd(host::Presentation& presentation) {
  SkipFailure([&] { Trace(DebugLevel::kEvent, "gppApp_SlideShowEnd"); });
  Module().in_slide_show = false;
  bool vintrel = false;
  SkipFailure([&] { vintrel = IsVintrelPresentation(presentation); });
  if (vintrel) {
    SkipFailure(
        [&] { Trace(DebugLevel::kEvent, "DisplayTypeModified:" + presentation.FullName()); });
    // Slides the show hid for lack of data are shown again.
    SkipFailure([&] {
      host::Slides& slides = presentation.Slides();
      for (int i = 1; i <= slides.Count(); ++i) {
        SkipFailure([&] { slides.Item(i).SlideShowTransition().SetHidden(false); });
      }
    });
    SkipFailure([&] {
      if (runtime_) runtime_->UnSetLinkedObjects();
    });
    SkipFailure([&] { presentation.SetSaved(Module().show_saved_state); });
  }
  runtime_.reset();
  SkipFailure([&] {
    if (!Module().errors_during_show) return;
    if (ReadSetting(kSettingHideMsgBoxErrorsDuringPresentation) == "1") return;
    const int answer = ShowMessage(
        "There were errors encountered during the presentation. Do you want to open the log "
        "file?",
        host::msg_box::kYesNo | host::msg_box::kExclamation);
    if (answer == host::msg_box::kYes) OpenErrorLog();
  });
}

void Application::WindowActivate(host::Presentation&, host::DocumentWindow&) {}

void Application::WindowSelectionChange(host::Selection&) {
  SkipFailure([&] { Trace(DebugLevel::kEvent, "gppApp_WindowSelectionChange"); });
}

}  // namespace vintrel::shell
