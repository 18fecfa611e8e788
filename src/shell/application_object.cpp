#include "shell/application_object.h"

#include "connections/excel_status.h"
#include "document/shape.h"
#include "document/tag_schema.h"
#include "host/event_loop.h"
#include "shell/check_data_access.h"
#include "shell/selection_kind.h"
#include "shell/settings.h"
#include "support/context.h"
#include "support/failure_handling.h"
#include "support/logs.h"
#include "support/shell_helpers.h"

namespace vintrel::shell {
namespace {

constexpr const char* kSource = "Application";

}  // namespace

Application::~Application() {
  if (gpp_app_ != nullptr) {
    SkipFailure([&] { gpp_app_->SetEventSink(nullptr); });
  }
  gpp_app_ = nullptr;
  ModuleState& state = ctx_.module;
  state.host = nullptr;
  menus_ = CommandControls(ctx_);
  presentations_.clear();
}

void Application::InitHandler(host::Application& host, const std::string& prog_id) {
  SkipFailure([&] { Trace(DebugLevel::kInformation, "InitHandler"); });
  SkipFailure([&] {
    host.SetEventSink(this);
    gpp_app_ = &host;
  });
  ctx_.module.host = &host;
  prog_id_ = prog_id;
  presentations_.clear();

  bool can_run = false;
  SkipFailure([&] { can_run = CheckDataAccess(ctx_, host); });
  if (!can_run) return;  // the host events stay subscribed until the connection drops us

  SkipFailure([&] { Trace(DebugLevel::kInformation, "Opening menu"); });
  SkipFailure([&] {
    ctx_.module.hide_user_interface_value = ReadSetting(ctx_, kSettingHideUserInterface);
    if (!UserInterfaceHidden(ctx_)) BuildUserInterface();
  });
  ctx_.module.current_display_type = 1;
  SkipFailure([&] {
    if (host::EventLoop* loop = ctx_.services.loop) loop->DoEvents();
  });
}

void Application::BuildUserInterface() {
  host::CommandBars* bars = nullptr;
  if (!SkipFailure([&] { bars = &gpp_app_->CommandBars(); })) return;
  menus_.Build(*bars);
  SubscribeControls();
}

void Application::UnInitHandler() {
  SkipFailure([&] { Trace(DebugLevel::kInformation, "UnInitHandler"); });
  menus_.Remove();
  SkipFailure([&] {
    if (gpp_app_ != nullptr) gpp_app_->SetEventSink(nullptr);
    gpp_app_ = nullptr;
    ctx_.module.host = nullptr;
    presentations_.clear();
  });
  SkipFailure([&] {
    if (connections::ExcelStatus(ctx_, false, false) == connections::excel_status::kStarted) {
      connections::ExcelStatus(ctx_, false, true);
    }
  });
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
  if (presentations_.empty()) {
    menus_.DisableConnectionMenu();
    menus_.DisableDataMenu();
    menus_.DisableSlideMenu();
    menus_.DisableTextFieldMenu();
  } else {
    menus_.EnableConnectionMenu();
    clsPresentation* active = ActiveEntry();
    bool found = false;
    for (const auto& entry : presentations_) {
      menus_.EnableSlideMenu(gpp_app_);
      if (entry.get() == active) {
        found = true;
        break;
      }
    }
    if (!found) {
      menus_.DisableDataMenu();
    } else if (active->Connections().empty()) {
      menus_.DisableDataMenu();
    } else {
      menus_.EnableDataMenu();
    }
  }
  SkipFailure([&] {
    if (gpp_app_ == nullptr || gpp_app_->Windows().Count() < 1) return;
    SetControlsTextField(gpp_app_->ActiveWindow().Selection());
  });
  if (UserInterfaceHidden(ctx_)) return;
  bool offline = false;
  SkipFailure([&] {
    offline = !presentations_.empty() && gpp_app_ != nullptr &&
              IsVintrelPresentation(gpp_app_->ActivePresentation());
  });
  menus_.SetOfflineEnabled(offline);
}

void Application::SetControlsTextField(host::Selection& selection) {
  SkipFailure([&] { Trace(DebugLevel::kEvent, "SetControlsTextField"); });
  bool shapes = false;
  SkipFailure([&] { shapes = selection.Type() == host::selection_type::kShapes; });
  if (!shapes) return;
  // A presentation without connections (or not taken up) offers no shape command but the clock.
  clsPresentation* entry = ActiveEntry();
  bool same = false;
  int common = 0;
  if (entry != nullptr && !entry->Connections().empty()) {
    SkipFailure([&] {
      host::ShapeRange& range = selection.ShapeRange();
      const int count = range.Count();
      same = true;
      for (int index = 1; index <= count && same; ++index) {
        clsshape reader;
        reader.SetShapeItem(range.Item(index));
        if (index == 1) {
          common = reader.SourceType();
        } else if (reader.SourceType() != common) {
          same = false;
        }
      }
    });
  }
  if (!same) {
    menus_.DisableTextFieldMenu();
    menus_.DisableDataObjectMenu();
    menus_.DisableGraphMenu();
    menus_.EnableClockMenu();
    return;
  }
  switch (common) {
    case -1:
      menus_.EnableClockMenu();
      menus_.EnableTextFieldMenu();
      menus_.EnableDataObjectMenu();
      break;
    case source_type::kClock:
    case source_type::kTextField:
      menus_.EnableClockMenu();
      menus_.EnableTextFieldMenu();
      break;
    case source_type::kLinkedObject:
      menus_.EnableDataObjectMenu();
      break;
    case source_type::kGraph:
      menus_.EnableGraphMenu();
      break;
    default:
      break;
  }
}

void Application::DisplayTypeModified() {
  SkipFailure([&] { Trace(DebugLevel::kEvent, "DisplayTypeModified"); });
  SkipFailure([&] {
    clsPresentation* entry = ActiveEntry();
    if (entry == nullptr) return;
    Trace(DebugLevel::kEvent, "DisplayTypeModified:" + entry->ActivePresentation()->FullName());
    if (menus_.cmbDisplayType == nullptr) return;
    entry->SetDisplayType(menus_.cmbDisplayType->ListIndex());
  });
}

void Application::Trace(DebugLevel level, const std::string& message) const {
  WriteDebugLog(ctx_, level, kSource, message);
}

}  // namespace vintrel::shell
