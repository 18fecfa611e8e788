// The program plays the host: it starts the platform services, loads the add-in through its
// entry (so settings, the debug log and the data-access check behave as inside the host), and
// unloads it when the command is done.
#ifndef VINTREL_APPS_VINTREL_HOST_SESSION_H_
#define VINTREL_APPS_VINTREL_HOST_SESSION_H_

#include <memory>
#include <string>

#include "form_front_end.h"
#include "host/application.h"
#include "host/clock.h"
#include "host/data_access.h"
#include "host/event_loop.h"
#include "host/ooxml/package_application.h"
#include "host/posix/console_front_end.h"
#include "host/posix/desktop_shell.h"
#include "host/posix/ini_settings_store.h"
#include "host/posix/posix_file_system.h"
#include "host/posix/process_clipboard.h"
#include "host/show_display.h"
#include "host/spreadsheet.h"
#include "shell/application_object.h"
#include "shell/connect.h"

namespace vintrel::app {

struct SessionOptions {
  // Ask questions on the terminal (only when standard input is one).
  bool interactive = false;
  // Forms are filled in at the terminal with line prompts, and message boxes ask there too,
  // whether standard input is a terminal or a pipe.
  bool terminal_forms = false;
  // Show no message boxes (the command reports failures itself).
  bool quiet = false;
  // The settings file and the add-in's folder; empty for the usual ones (see README).
  std::string settings_path;
  std::string addin_folder;
  // The folder a sent copy goes to, in place of the settings' "[Info] DistributionFolder".
  std::string distribution_folder;
  // Where the add-in's forms, message boxes and pickers go in place of the terminal (not owned;
  // it must outlive the session).
  host::FrontEnd* front_end = nullptr;
};

// The settings file, with what the command gives in place of the file's own.
class SessionSettings : public host::SettingsStore {
 public:
  SessionSettings(std::string path, std::string distribution_folder)
      : file_(std::move(path)), distribution_folder_(std::move(distribution_folder)) {}
  std::string GetSetting(const std::string& app_name, const std::string& section,
                         const std::string& key) const override;
  std::vector<std::pair<std::string, std::string>> GetAllSettings(
      const std::string& app_name, const std::string& section) const override {
    return file_.GetAllSettings(app_name, section);
  }
  std::string Location() const override { return file_.Location(); }

 private:
  host::posix::IniSettingsStore file_;
  std::string distribution_folder_;
};

// The folder of the add-in: $VINTREL_HOME, else the folder of the running program.
std::string AddinFolder();

// The folder of the tool bar's button faces: share/vintrel/buttons beside the running program's
// bin folder when installed, else the build tree's; empty when neither exists.
std::string ButtonFacesFolder();

// The help the Help command opens (the man page as HTML): share/vintrel/help/vintrel.html beside
// the running program's bin folder when installed, else the build tree's; empty when neither
// exists.
std::string HelpFile();

class HostSession {
 public:
  explicit HostSession(const SessionOptions& options = {});
  ~HostSession();
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;

  ooxml::PackageApplication& host() { return *host_; }
  host::EventLoop& loop() { return loop_; }
  host::Clipboard& clipboard() { return clipboard_; }
  CommandFrontEnd& front_end() { return front_end_; }
  shell::Connect& connection() { return *connect_; }
  // The loaded add-in's context.
  Context& context() { return connect_->context(); }
  // The add-in's application object; null when the add-in is not active.
  shell::Application* addin() const { return connect_->application(); }
  // Whether the add-in connected and can run.
  bool addin_active() const { return addin() != nullptr; }
  // What a live show needs beyond the session's services: a file watcher (WatchFiles) and the
  // screen that hears of connections failing and answering again. Null removes them.
  void SetShowServices(host::FileWatcher* watcher, host::DataStatusDisplay* status);

  // The add-in's controls as a person finds them; fails (bad input) when the add-in shows none.
  const shell::CommandControls& controls() const;
  // What a person's click does; a control that is missing or disabled cannot be clicked: bad
  // input that names the control and says why (`why_disabled`).
  void Click(host::CommandBarControl* control, const std::string& why_disabled);
  // Selects shapes as a person's click in the presentation's window would: "SLIDE:SHAPE[,SHAPE...]"
  // with shapes by name (or by position when no shape has that name), or "SLIDE" for the slide
  // alone (the view moves there, nothing selected). Bad input for a slide or shape not there.
  void Select(host::Presentation& presentation, const std::string& selection);
  // Chooses what linked shapes show (1 to 6 from the main menu's display submenu, 7 "Nothing").
  void ChooseDisplayType(int display_type);

 private:
  host::SystemClock clock_;
  host::EventLoop loop_{clock_};
  SessionSettings settings_;
  host::posix::ConsoleFrontEnd console_;
  CommandFrontEnd front_end_{console_};
  host::posix::DesktopShell shell_;
  host::posix::PosixFileSystem files_;
  host::posix::ProcessClipboard clipboard_;
  std::unique_ptr<host::DataAccess> data_access_;
  std::unique_ptr<host::SpreadsheetFactory> spreadsheet_;
  std::unique_ptr<ooxml::PackageApplication> host_;
  std::unique_ptr<shell::Connect> connect_;
};

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_HOST_SESSION_H_
