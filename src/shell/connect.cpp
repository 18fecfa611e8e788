#include "shell/connect.h"

#include "connections/real_sources.h"
#include "dialogs/clock_graph_pages.h"
#include "dialogs/data_field_pages.h"
#include "dialogs/slide_property_page.h"
#include "dialogs/slide_show_property_page.h"
#include "offline/distribution.h"
#include "offline/distribution_dialog.h"
#include "offline/progress_meter.h"
#include "shell/settings.h"
#include "shell/version.h"
#include "support/failure_handling.h"
#include "support/logs.h"
#include "support/module_state.h"

namespace vintrel::shell {
namespace {

constexpr const char* kSource = "Connect";

}  // namespace

PresentationDialogs AddinDialogs() {
  PresentationDialogs dialogs;
  dialogs.slide_properties = ::vintrel::dialogs::ShowSlideProperties;
  dialogs.data_field_properties = ::vintrel::dialogs::ShowDataFieldProperties;
  dialogs.data_object_properties = ::vintrel::dialogs::ShowDataObjectProperties;
  dialogs.clock_properties = ::vintrel::dialogs::ShowClockProperties;
  dialogs.graph_properties = ::vintrel::dialogs::ShowGraphProperties;
  dialogs.slide_show_properties = ShowSlideShowProperties;
  dialogs.offline_copy = CreateOfflineCopy;
  dialogs.distribution_list = ShowDistributionList;
  dialogs.send_presentation = [](clsPresentation& presentation) { SendPresentation(presentation); };
  return dialogs;
}

Connect::Connect(const Platform& services)
    : scope_(std::make_unique<ModuleScope>(services)), dialogs_(AddinDialogs()) {
  Complete(scope_->state().platform);
}

Connect::Connect() : dialogs_(AddinDialogs()) {}

void Connect::Complete(Platform& services) {
  if (services.dialogs == nullptr) services.dialogs = &dialogs_;
  if (!services.sources) services.sources = connections::RealSources();
}

Connect::~Connect() {
  // The application object goes while the state it reaches is still there.
  application_.reset();
}

shell::Application& Connect::ApplicationObject() {
  if (!application_) application_ = std::make_unique<shell::Application>();
  return *application_;
}

void Connect::OnConnection(host::Application& application, int /*connect_mode*/,
                           const host::AddInInstance& addin_instance) {
  if (!scope_) {
    scope_ = std::make_unique<ModuleScope>(Services());
    Complete(scope_->state().platform);
  }
  ModuleState& state = Module();
  SkipFailure([&] {
    const std::optional<bool> debug = ToTruthValue(ReadSetting(kSettingDebug));
    if (!debug) throw Error(kErrTypeMismatch, kSource, "Type mismatch");
    state.debug_enabled = *debug;
  });
  SkipFailure([&] {
    WriteDebugLog(DebugLevel::kEvent, kSource, "OnConnection");
    WriteDebugLog(DebugLevel::kInformation, kSource, kProductName);
    WriteDebugLog(DebugLevel::kInformation, kSource, Services().module_base_name);
    WriteDebugLog(DebugLevel::kInformation, kSource, Services().addin_folder);
    WriteDebugLog(DebugLevel::kInformation, kSource, VersionText());
  });
  std::string prog_id;
  SkipFailure([&] { prog_id = addin_instance.ProgId(); });
  SkipFailure([&] { ApplicationObject().InitHandler(application, prog_id); });
  if (state.cannot_run) application_.reset();
  state.first_yield_pending = true;
}

void Connect::OnDisconnection(int /*remove_mode*/) {
  SkipFailure([] { WriteDebugLog(DebugLevel::kEvent, kSource, "OnDisconnection"); });
  SkipFailure([&] { ApplicationObject().UnInitHandler(); });
  application_.reset();
  SkipFailure([] { WriteDebugLog(DebugLevel::kInformation, kSource, "Program shut down."); });
}

void Connect::OnAddInsUpdate() {
  SkipFailure([] { WriteDebugLog(DebugLevel::kEvent, kSource, "OnAddInsUpdate"); });
}

void Connect::OnStartupComplete() {
  SkipFailure([] { WriteDebugLog(DebugLevel::kEvent, kSource, "OnStartupComplete"); });
}

void Connect::OnBeginShutdown() {
  SkipFailure([] { WriteDebugLog(DebugLevel::kEvent, kSource, "OnBeginShutdown"); });
}

}  // namespace vintrel::shell
