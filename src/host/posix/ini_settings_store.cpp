#include "host/posix/ini_settings_store.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "host/common/ascii.h"
#include "host/common/text.h"

namespace vintrel::host::posix {
std::optional<IniSections> ParseIni(const std::string& text) {
  IniSections sections;
  std::string section;
  std::istringstream lines(text);
  std::string raw;
  bool first_line = true;
  while (std::getline(lines, raw)) {
    if (first_line && raw.rfind("\xEF\xBB\xBF", 0) == 0) raw.erase(0, 3);  // byte order mark
    first_line = false;
    const std::string line(Trim(raw));
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') return std::nullopt;
      section = UpperAscii(Trim(line.substr(1, line.size() - 2)));
      if (section.empty()) return std::nullopt;
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos || section.empty()) return std::nullopt;
    const std::string key = UpperAscii(Trim(line.substr(0, equals)));
    if (key.empty()) return std::nullopt;
    std::string value(Trim(line.substr(equals + 1)));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    sections[section][key] = value;
  }
  return sections;
}

std::string DefaultSettingsPath() {
  if (const char* explicit_path = std::getenv("VINTREL_SETTINGS");
      explicit_path && *explicit_path) {
    return explicit_path;
  }
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    return std::string(config) + "/vintrel/settings.ini";
  }
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.config/vintrel/settings.ini";
}

std::optional<IniSections> IniSettingsStore::Read() const {
  std::ifstream in(path_, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return ParseIni(text.str());
}

std::string IniSettingsStore::GetSetting(const std::string& /*app_name*/,
                                         const std::string& section, const std::string& key) const {
  const std::optional<IniSections> sections = Read();
  if (!sections) return "";
  const auto found_section = sections->find(UpperAscii(section));
  if (found_section == sections->end()) return "";
  const auto found_key = found_section->second.find(UpperAscii(key));
  if (found_key == found_section->second.end()) return "";
  return found_key->second;
}

std::vector<std::pair<std::string, std::string>> IniSettingsStore::GetAllSettings(
    const std::string& /*app_name*/, const std::string& section) const {
  const std::optional<IniSections> sections = Read();
  if (!sections) return {};
  const auto found_section = sections->find(UpperAscii(section));
  if (found_section == sections->end()) return {};
  return {found_section->second.begin(), found_section->second.end()};
}

}  // namespace vintrel::host::posix
