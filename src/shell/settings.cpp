#include "shell/settings.h"

#include <strings.h>

#include <cmath>
#include <cstdlib>

#include "host/platform.h"
#include "support/context.h"

namespace vintrel::shell {

std::string ReadSetting(const Context& ctx, const std::string& key) {
  return ctx.services.settings->GetSetting(kSettingsAppName, kSettingsSection, key);
}

bool SettingIsExactlyOne(const Context& ctx, const std::string& key) {
  return ReadSetting(ctx, key) == "1";
}

std::optional<bool> ToTruthValue(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  const size_t last = text.find_last_not_of(" \t");
  const std::string word = text.substr(first, last - first + 1);
  if (strcasecmp(word.c_str(), "true") == 0) return true;
  if (strcasecmp(word.c_str(), "false") == 0) return false;
  char* end = nullptr;
  const double number = std::strtod(word.c_str(), &end);
  if (end == word.c_str() || *end != '\0' || std::isnan(number)) return std::nullopt;
  return number != 0;
}

}  // namespace vintrel::shell
