// Per-user settings read from an INI file: "[Info]" then "Key=Value" lines. The file is read at
// every lookup, so a user may change it between two slide shows.
#ifndef VINTREL_HOST_POSIX_INI_SETTINGS_STORE_H_
#define VINTREL_HOST_POSIX_INI_SETTINGS_STORE_H_

#include <map>
#include <optional>
#include <string>

#include "host/platform.h"

namespace vintrel::host::posix {

// Section → key → value; names upper-cased, since the add-in's keys are not case-sensitive.
using IniSections = std::map<std::string, std::map<std::string, std::string>>;

// Parses INI text. Blank lines and lines starting with ';' or '#' are comments; blanks around
// names and around '=' are dropped; a value in double quotes keeps its blanks ("Key=\" 1\"").
// A line that is none of these makes the whole text malformed: std::nullopt.
std::optional<IniSections> ParseIni(const std::string& text);

// $VINTREL_SETTINGS, else $XDG_CONFIG_HOME/vintrel/settings.ini, else
// ~/.config/vintrel/settings.ini.
std::string DefaultSettingsPath();

class IniSettingsStore : public SettingsStore {
 public:
  explicit IniSettingsStore(std::string path) : path_(std::move(path)) {}
  // The application name is implied by the file; an unreadable or malformed file reads as
  // absent keys.
  std::string GetSetting(const std::string& app_name, const std::string& section,
                         const std::string& key) const override;
  // Keys upper-cased, in name order.
  std::vector<std::pair<std::string, std::string>> GetAllSettings(
      const std::string& app_name, const std::string& section) const override;
  std::string Location() const override { return path_; }
  const std::string& path() const { return path_; }

 private:
  std::optional<IniSections> Read() const;

  std::string path_;
};

}  // namespace vintrel::host::posix

#endif  // VINTREL_HOST_POSIX_INI_SETTINGS_STORE_H_
