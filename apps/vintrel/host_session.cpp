#include "host_session.h"

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "connections/connection_source.h"
#include "connections/real_sources.h"
#include "platform_parts.h"
#include "support/module_state.h"

namespace vintrel::app {
namespace {

// The add-in instance object the host hands over at connection.
class ProgramAddIn : public host::AddInInstance {
 public:
  std::string ProgId() const override { return "VT2002.Connect"; }
};

constexpr int kConnectModeStartup = 1;
constexpr int kDisconnectModeHostShutdown = 0;

}  // namespace

std::string AddinFolder() {
  if (const char* home = std::getenv("VINTREL_HOME"); home && *home) {
    std::error_code ignored;
    std::filesystem::path folder = std::filesystem::absolute(home, ignored);
    return folder.empty() ? std::string(home) : folder.lexically_normal().string();
  }
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path().string();
  return program.parent_path().string();
}

HostSession::HostSession(const SessionOptions& options)
    : settings_(options.settings_path.empty() ? host::posix::DefaultSettingsPath()
                                              : options.settings_path),
      front_end_(std::cin, std::cerr, options.interactive && isatty(STDIN_FILENO)) {
  // Dates, times and numbers in messages follow the user's regional settings.
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_NUMERIC, "C");
  front_end_.SetQuiet(options.quiet);

  ResetModuleState();
  Platform& platform = Services();
  platform.settings = &settings_;
  platform.front_end = &front_end_;
  platform.shell = &shell_;
  platform.files = &files_;
  platform.clipboard = &clipboard_;
  platform.clock = &clock_;
  platform.loop = &loop_;
  platform.addin_folder = options.addin_folder.empty() ? AddinFolder() : options.addin_folder;
  platform.module_base_name = "vintrel";

  data_access_ = MakeDataAccess(loop_);
  platform.data_access = data_access_.get();
  spreadsheet_ = MakeSpreadsheetFactory();
  platform.spreadsheet = spreadsheet_.get();
  host_ = MakeDocumentHost(clipboard_);
  SetDefaultConnectionSourceFactory(connections::RealSources());

  connect_.OnConnection(*host_, kConnectModeStartup, ProgramAddIn());
  connect_.OnStartupComplete();
}

void HostSession::SetShowServices(host::FileWatcher* watcher, host::DataStatusDisplay* status) {
  Services().file_watcher = watcher;
  Services().show_status = status;
}

clsPresentation* HostSession::EntryOf(host::Presentation& presentation) const {
  const shell::Application* application = connect_.application();
  return application != nullptr ? application->FindEntry(presentation) : nullptr;
}

HostSession::~HostSession() {
  connect_.OnBeginShutdown();
  connect_.OnDisconnection(kDisconnectModeHostShutdown);
  // The services die with the session; nothing may reach them afterwards.
  ResetModuleState();
}

}  // namespace vintrel::app
