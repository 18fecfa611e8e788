// The context of a loaded add-in: the services it was handed and the module-wide state it keeps.
#ifndef VINTREL_SUPPORT_CONTEXT_H_
#define VINTREL_SUPPORT_CONTEXT_H_

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

namespace vintrel::host {
class Application;
class Clipboard;
class Clock;
class DataAccess;
class DataStatusDisplay;
class EventLoop;
class FileSystem;
class FileWatcher;
class FrontEnd;
class SettingsStore;
class Shell;
class SpreadsheetApplication;
class SpreadsheetFactory;
}  // namespace vintrel::host

namespace vintrel {

class ConnectionSource;

// What a connection's data comes from, by connection type (0 text file, 1 database, 2 workbook);
// null when the type has none.
using ConnectionSourceFactory = std::function<std::unique_ptr<ConnectionSource>(int type)>;

// The services an add-in instance uses, handed to it once when it is loaded. Not owned: the
// program (or a test) that loads the add-in keeps them alive while it is loaded. The slots up to
// the data access are required: the add-in never falls back on the real machine when one is
// missing, so a test cannot touch it by forgetting a fake (testing::TestContext fills them all).
struct Platform {
  host::SettingsStore* settings = nullptr;
  host::FrontEnd* front_end = nullptr;
  host::Shell* shell = nullptr;
  host::FileSystem* files = nullptr;
  host::Clipboard* clipboard = nullptr;
  host::Clock* clock = nullptr;
  host::EventLoop* loop = nullptr;
  host::DataAccess* data_access = nullptr;
  // Makes the source of each connection; empty until the program hands in its sources.
  ConnectionSourceFactory sources;
  host::SpreadsheetFactory* spreadsheet = nullptr;
  // Optional: the workbook service (none: workbooks are unavailable), what watches files for a
  // show that asks for it, and the screen that hears of connections failing and answering again
  // during a show.
  host::FileWatcher* file_watcher = nullptr;
  host::DataStatusDisplay* show_status = nullptr;
  // The folder that holds the add-in (its logs, the folder placeholder in paths) and the
  // module's base file name, which names the debug log.
  std::string addin_folder;
  std::string module_base_name = "vintrel";
  // The folder of the tool bar's button faces (NAME.png for each picture and mask); empty when
  // the program found none, and the buttons get their images by name only.
  std::string button_faces_folder;
  // Address of the maker's web page and the help file.
  std::string web_address = "http://vintrel.example.org/";
  std::string help_file;
};

// The module-wide state the add-in really has: the flags the shell, the presentation objects, the
// runtime and the logs share. One lives in each loaded add-in's context.
struct ModuleState {
  // Settings and lifecycle.
  bool debug_enabled = false;
  host::Application* host = nullptr;  // the host reference, set by InitHandler
  bool cannot_run = false;
  bool first_yield_pending = false;
  std::string hide_user_interface_value;
  int current_display_type = 1;
  // "No preview" as the shape pages were last closed with OK; the next page starts with it.
  bool no_preview = false;

  // Slide show and off-line copy.
  bool in_slide_show = false;
  bool errors_during_show = false;
  bool show_saved_state = false;
  bool resetting_saved_state = false;
  bool offline_generation_running = false;
  // Full name of the presentation being generated off-line; connections resolve their paths
  // against it while offline_generation_running is set.
  std::string offline_presentation_name;
  // Copies received from a distribution folder, by full name (lexically normal), and the folder
  // each was sent from: their relative data files are found there when not beside the copy.
  std::map<std::string, std::string> sent_copies;

  // Logs: each file is emptied at its first line of a load.
  bool debug_log_started = false;
  bool error_log_started = false;

  // The failure being handled.
  double last_error_number = 0;
  std::string last_error_source;
  std::string last_error_description;

  // The shared spreadsheet service: its status (0 unknown, 1 unavailable, 2 available but not
  // started, 3 started by the add-in) and the instance the add-in started.
  int excel_status = 0;
  std::unique_ptr<host::SpreadsheetApplication> excel_application;

  ModuleState();
  ~ModuleState();
  ModuleState(const ModuleState&) = delete;
  ModuleState& operator=(const ModuleState&) = delete;
};

// What one loaded add-in works with: the services it was handed and its module-wide state. The
// add-in instance (shell::Connect) owns it and hands it to everything it creates; nothing looks
// it up. A test builds one with the in-memory services and overrides what it is about.
struct Context {
  Context() = default;
  explicit Context(Platform platform) : services(std::move(platform)) {}
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  Platform services;
  ModuleState module;
};

}  // namespace vintrel

#endif  // VINTREL_SUPPORT_CONTEXT_H_
