#include "host_session.h"

#include "terminal_form.h"

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "command.h"
#include "host/common/ascii.h"
#include "open_presentation.h"
#include "platform_parts.h"
#include "shell/argument_checks.h"
#include "shell/debug_note.h"

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

std::string ButtonFacesFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  // Installed, the program and its faces share a prefix (/usr/bin and /usr/share).
  if (!error) {
    const std::filesystem::path installed =
        (program.parent_path() / VINTREL_INSTALLED_BUTTON_FACES).lexically_normal();
    if (std::filesystem::is_directory(installed, error)) return installed.string();
  }
  // Run from the build tree, the faces are where the build drew them.
  if (std::filesystem::is_directory(VINTREL_BUILD_BUTTON_FACES, error)) {
    return VINTREL_BUILD_BUTTON_FACES;
  }
  return "";
}

std::string HelpFile() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    const std::filesystem::path installed =
        (program.parent_path() / VINTREL_INSTALLED_HELP).lexically_normal();
    if (std::filesystem::is_regular_file(installed, error)) return installed.string();
  }
  if (std::filesystem::is_regular_file(VINTREL_BUILD_HELP, error)) return VINTREL_BUILD_HELP;
  return "";
}

std::string SessionSettings::GetSetting(const std::string& app_name, const std::string& section,
                                        const std::string& key) const {
  if (!distribution_folder_.empty() && UpperAscii(section) == "INFO" &&
      UpperAscii(key) == "DISTRIBUTIONFOLDER") {
    return distribution_folder_;
  }
  return file_.GetSetting(app_name, section, key);
}

HostSession::HostSession(const SessionOptions& options)
    : settings_(options.settings_path.empty() ? host::posix::DefaultSettingsPath()
                                              : options.settings_path,
                options.distribution_folder),
      console_(std::cin, std::cerr,
               (options.interactive && isatty(STDIN_FILENO)) || options.terminal_forms) {
  if (options.terminal_forms) {
    front_end_.SetPerson([](host::Form& form) { FillFormOnTerminal(form, std::cin, std::cerr); });
  }
  // Dates, times and numbers in messages follow the user's regional settings.
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_NUMERIC, "C");
  console_.SetQuiet(options.quiet);

  data_access_ = MakeDataAccess(loop_);
  spreadsheet_ = MakeSpreadsheetFactory(files_);
  host_ = std::make_unique<ooxml::PackageApplication>(clipboard_);
  host_->SetNoteSink([this](const std::string& note) {
    if (connect_) shell::WriteDebugNote(connect_->context(), "PackageApplication", note);
  });

  Platform platform;
  platform.settings = &settings_;
  platform.front_end = options.front_end ? options.front_end : &front_end_;
  platform.shell = &shell_;
  platform.files = &files_;
  platform.clipboard = &clipboard_;
  platform.clock = &clock_;
  platform.loop = &loop_;
  platform.addin_folder = options.addin_folder.empty() ? AddinFolder() : options.addin_folder;
  platform.module_base_name = "vintrel";
  platform.button_faces_folder = ButtonFacesFolder();
  platform.help_file = HelpFile();
  platform.data_access = data_access_.get();
  platform.spreadsheet = spreadsheet_.get();

  connect_ = std::make_unique<shell::Connect>(platform);
  connect_->OnConnection(*host_, kConnectModeStartup, ProgramAddIn());
  connect_->OnStartupComplete();
}

void HostSession::SetShowServices(host::FileWatcher* watcher, host::DataStatusDisplay* status) {
  connect_->services().file_watcher = watcher;
  connect_->services().show_status = status;
}

const shell::CommandControls& HostSession::controls() const {
  const shell::Application* application = addin();
  if (application == nullptr) throw BadInput("the add-in is not active; it shows no commands");
  if (shell::UserInterfaceHidden(connect_->context())) {
    throw BadInput("the add-in shows no commands: HideUserInterface is 1 in the settings");
  }
  return application->command_controls();
}

void HostSession::Click(host::CommandBarControl* control, const std::string& why_disabled) {
  if (control == nullptr) throw BadInput("the add-in shows no such command");
  if (!control->Enabled()) {
    std::string caption = control->Caption();
    std::erase(caption, '&');
    throw BadInput("\"" + caption + "\" is disabled: " + why_disabled);
  }
  control->Execute();
}

void HostSession::Select(host::Presentation& presentation, const std::string& selection) {
  const size_t colon = selection.find(':');
  const std::string slide_text = selection.substr(0, colon);
  const std::string problem = shell::SlideProblem(presentation, slide_text);
  if (!problem.empty()) throw BadInput("--select " + selection + ": " + problem);
  const int slide_index = std::stoi(slide_text);
  std::vector<int> shapes;
  if (colon != std::string::npos) {
    host::Slide& slide = presentation.Slides().Item(slide_index);
    std::string rest = selection.substr(colon + 1);
    size_t start = 0;
    while (start <= rest.size()) {
      const size_t comma = rest.find(',', start);
      const host::Shape& shape = FindShape(slide, rest.substr(start, comma - start));
      for (int index = 1; index <= slide.Shapes().Count(); ++index) {
        if (&slide.Shapes().Item(index) == &shape) shapes.push_back(index);
      }
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  auto& window = dynamic_cast<ooxml::PackageWindow&>(host_->ActiveWindow());
  if (&window.Presentation() != &presentation) throw BadInput("the presentation is not active");
  window.GoToSlide(slide_index);
  window.Select(slide_index, shapes);
}

void HostSession::ChooseDisplayType(int display_type) {
  const shell::CommandControls& menus = controls();
  if (display_type == 7) {
    addin()->DisplayNothingClick();
    return;
  }
  if (menus.display_menu == nullptr || !menus.display_menu->Enabled()) {
    throw BadInput("\"Display\" is disabled: the presentation has no connections");
  }
  Click(menus.display_buttons.at(display_type - 1), "");
}

HostSession::~HostSession() {
  connect_->OnBeginShutdown();
  connect_->OnDisconnection(kDisconnectModeHostShutdown);
  // The add-in goes before the services it was handed.
  connect_.reset();
}

}  // namespace vintrel::app
