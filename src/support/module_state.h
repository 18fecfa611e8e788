// Everything the add-in keeps module-wide, in one place: the flags the shell, the presentation
// objects, the runtime and the logs share, and the services it was handed when it was loaded.
// The loaded add-in (shell::Connect) owns its state through a ModuleScope; Module() reaches the
// state of the add-in loaded now. Code below the shell that runs without a loaded add-in (unit
// tests of one layer) gets a state of its own, which ResetModuleState() renews.
#ifndef VINTREL_SUPPORT_MODULE_STATE_H_
#define VINTREL_SUPPORT_MODULE_STATE_H_

#include <functional>
#include <memory>
#include <string>

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
struct PresentationDialogs;

// What a connection's data comes from, by connection type (0 text file, 1 database, 2 workbook);
// null when the type has none.
using ConnectionSourceFactory = std::function<std::unique_ptr<ConnectionSource>(int type)>;

// The services an add-in instance uses, handed to it once when it is loaded. Not owned: the
// program (or a test) that loads the add-in keeps them alive while it is loaded.
struct Platform {
  host::SettingsStore* settings = nullptr;
  host::FrontEnd* front_end = nullptr;
  host::Shell* shell = nullptr;
  host::FileSystem* files = nullptr;
  host::Clipboard* clipboard = nullptr;
  host::Clock* clock = nullptr;
  host::EventLoop* loop = nullptr;
  host::DataAccess* data_access = nullptr;
  host::SpreadsheetFactory* spreadsheet = nullptr;
  // Makes the source of each connection; empty until the program hands in its sources.
  ConnectionSourceFactory sources;
  // The dialogs the commands open (property pages, the off-line copy, distribution); a command
  // whose dialog is missing does nothing.
  PresentationDialogs* dialogs = nullptr;
  // Optional: what watches files for a show that asks for it, and the screen that hears of
  // connections failing and answering again during a show.
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

struct ModuleState {
  Platform platform;

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
};

ModuleState& Module();
Platform& Services();
// Renews the state used while no add-in is loaded, keeping nothing (services included).
void ResetModuleState();

// Makes a fresh state, holding `services`, the one Module() reaches while the scope lives (scopes
// nest: the previous state comes back at the end).
class ModuleScope {
 public:
  explicit ModuleScope(const Platform& services);
  ~ModuleScope();
  ModuleScope(const ModuleScope&) = delete;
  ModuleScope& operator=(const ModuleScope&) = delete;
  ModuleState& state() { return *state_; }

 private:
  std::unique_ptr<ModuleState> state_;
  ModuleState* previous_;
};

}  // namespace vintrel

#endif  // VINTREL_SUPPORT_MODULE_STATE_H_
