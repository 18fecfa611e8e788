#include "shell/connect.h"

#include "connections/real_sources.h"
#include "shell/settings.h"
#include "shell/version.h"
#include "support/context.h"
#include "support/failure_handling.h"
#include "support/logs.h"

namespace vintrel::shell {
namespace {

constexpr const char* kSource = "Connect";

}  // namespace

Connect::Connect(const Platform& services) : ctx_(services) {
  if (!ctx_.services.sources) ctx_.services.sources = connections::RealSources();
}

Connect::~Connect() {
  // The application object goes while the context it reaches is still there.
  application_.reset();
}

shell::Application& Connect::ApplicationObject() {
  if (!application_) application_ = std::make_unique<shell::Application>(ctx_);
  return *application_;
}

void Connect::OnConnection(host::Application& application, int /*connect_mode*/,
                           const host::AddInInstance& addin_instance) {
  ModuleState& state = ctx_.module;
  SkipFailure([&] {
    const std::optional<bool> debug = ToTruthValue(ReadSetting(ctx_, kSettingDebug));
    if (!debug) throw Error(kErrTypeMismatch, kSource, "Type mismatch");
    state.debug_enabled = *debug;
  });
  SkipFailure([&] {
    WriteDebugLog(ctx_, DebugLevel::kEvent, kSource, "OnConnection");
    WriteDebugLog(ctx_, DebugLevel::kInformation, kSource, kProductName);
    WriteDebugLog(ctx_, DebugLevel::kInformation, kSource, ctx_.services.module_base_name);
    WriteDebugLog(ctx_, DebugLevel::kInformation, kSource, ctx_.services.addin_folder);
    WriteDebugLog(ctx_, DebugLevel::kInformation, kSource, VersionText());
  });
  std::string prog_id;
  SkipFailure([&] { prog_id = addin_instance.ProgId(); });
  SkipFailure([&] { ApplicationObject().InitHandler(application, prog_id); });
  if (state.cannot_run) application_.reset();
  state.first_yield_pending = true;
}

void Connect::OnDisconnection(int /*remove_mode*/) {
  SkipFailure([&] { WriteDebugLog(ctx_, DebugLevel::kEvent, kSource, "OnDisconnection"); });
  SkipFailure([&] { ApplicationObject().UnInitHandler(); });
  application_.reset();
  SkipFailure(
      [&] { WriteDebugLog(ctx_, DebugLevel::kInformation, kSource, "Program shut down."); });
}

void Connect::OnAddInsUpdate() {
  SkipFailure([&] { WriteDebugLog(ctx_, DebugLevel::kEvent, kSource, "OnAddInsUpdate"); });
}

void Connect::OnStartupComplete() {
  SkipFailure([&] { WriteDebugLog(ctx_, DebugLevel::kEvent, kSource, "OnStartupComplete"); });
}

void Connect::OnBeginShutdown() {
  SkipFailure([&] { WriteDebugLog(ctx_, DebugLevel::kEvent, kSource, "OnBeginShutdown"); });
}

}  // namespace vintrel::shell
