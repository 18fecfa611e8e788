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
}

void Application::InitHandler(host::Application& host, const std::string& prog_id) {
  SkipFailure([&] { Trace(DebugLevel::kInformation, "InitHandler"); });
  SkipFailure([&] {
    host.SetEventSink(this);
    gpp_app_ = &host;
  });
  Module().host = &host;
  prog_id_ = prog_id;

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
  });
  SkipFailure([&] {
    if (connections::ExcelStatus(false, false) == connections::excel_status::kStarted) {
      connections::ExcelStatus(false, true);
    }
  });
  tool_bar_ = nullptr;
  controls_.clear();
}

void Application::NewPresentation(host::Presentation&) {
  Trace(DebugLevel::kEvent, "gppApp_NewPresentation");
}

void Application::PresentationOpen(host::Presentation& presentation) {
  Trace(DebugLevel::kEvent, "gppApp_PresentationOpen:" + presentation.FullName());
}

void Application::PresentationClose(host::Presentation&) {
  SkipFailure([&] { Trace(DebugLevel::kEvent, "gppApp_PresentationClose"); });
}

void Application::PresentationSave(host::Presentation&) {
  Trace(DebugLevel::kEvent, "gppApp_PresentationSave");
}

void Application::PresentationPrint(host::Presentation&) {
  // Printing shows every alert again, whatever a show or a command had switched off.
  SkipFailure([&] {
    if (gpp_app_ != nullptr && GetHostMajorVersion(*gpp_app_) >= 10) {
      gpp_app_->SetDisplayAlerts(host::alert_level::kAll);
    }
  });
}

void Application::SlideShowBegin(host::SlideShowWindow&) {
  Module().errors_during_show = false;
  Trace(DebugLevel::kEvent, "gppApp_SlideShowBegin");
  Module().in_slide_show = true;
}

void Application::SlideShowNextSlide(host::SlideShowWindow&) {
  Trace(DebugLevel::kEvent, "gppApp_SlideShowNextSlide");
}

void Application::SlideShowEnd(host::Presentation&) {
  SkipFailure([&] { Trace(DebugLevel::kEvent, "gppApp_SlideShowEnd"); });
  Module().in_slide_show = false;
}

void Application::WindowActivate(host::Presentation&, host::DocumentWindow&) {}

void Application::WindowSelectionChange(host::Selection&) {
  SkipFailure([&] { Trace(DebugLevel::kEvent, "gppApp_WindowSelectionChange"); });
}

}  // namespace vintrel::shell
