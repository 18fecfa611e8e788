#include "url_authority.h"

#include <cctype>
#include <string_view>

namespace vintrel::app {
namespace {

bool HostNameCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
}

std::optional<int> ParsePort(const std::string& port) {
  if (port.empty() || port.size() > 5 ||
      port.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  const int number = std::stoi(port);
  if (number < 1 || number > 65535) return std::nullopt;
  return number;
}

}  // namespace

std::optional<SchemeAndRest> SplitUrl(const std::string& url, const char* plain,
                                      const char* secure) {
  SchemeAndRest split;
  std::string_view remainder;
  const std::string plain_prefix = std::string(plain) + "://";
  const std::string secure_prefix = std::string(secure) + "://";
  if (url.rfind(plain_prefix, 0) == 0) {
    remainder = std::string_view(url).substr(plain_prefix.size());
  } else if (url.rfind(secure_prefix, 0) == 0) {
    split.secure = true;
    remainder = std::string_view(url).substr(secure_prefix.size());
  } else {
    return std::nullopt;
  }
  const size_t slash = remainder.find('/');
  split.authority = std::string(remainder.substr(0, slash));
  if (slash != std::string_view::npos) split.rest = std::string(remainder.substr(slash));
  return split;
}

std::optional<HostAndPort> ParseAuthority(const std::string& authority, int default_port) {
  HostAndPort parsed{"", default_port};
  std::optional<std::string> port;
  if (!authority.empty() && authority[0] == '[') {
    const size_t close = authority.find(']');
    if (close == std::string::npos) return std::nullopt;
    parsed.host = authority.substr(1, close - 1);
    if (parsed.host.find_first_not_of("0123456789abcdefABCDEF:.") != std::string::npos) {
      return std::nullopt;
    }
    if (close + 1 < authority.size()) {
      if (authority[close + 1] != ':') return std::nullopt;
      port = authority.substr(close + 2);
    }
  } else {
    const size_t colon = authority.find(':');
    parsed.host = authority.substr(0, colon);
    if (colon != std::string::npos) port = authority.substr(colon + 1);
    for (char c : parsed.host) {
      if (!HostNameCharacter(c)) return std::nullopt;
    }
  }
  if (parsed.host.empty()) return std::nullopt;
  if (port) {
    const auto number = ParsePort(*port);
    if (!number) return std::nullopt;
    parsed.port = *number;
  }
  return parsed;
}

}  // namespace vintrel::app
