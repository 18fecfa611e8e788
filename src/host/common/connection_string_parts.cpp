#include "host/common/connection_string_parts.h"

#include "host/common/ascii.h"
#include "host/common/text.h"

namespace vintrel::host {

std::vector<ConnectionStringPart> ParseConnectionString(std::string_view text) {
  std::vector<ConnectionStringPart> parts;
  size_t i = 0;
  while (i < text.size()) {
    size_t start = i;
    size_t equals = text.find_first_of("=;", i);
    if (equals == std::string_view::npos || text[equals] == ';') {
      // A part without "=": kept as a key without value (a bare path, for one).
      size_t end = equals == std::string_view::npos ? text.size() : equals;
      std::string key(Trim(text.substr(start, end - start)));
      if (!key.empty()) parts.push_back({key, "", std::string(text.substr(start, end - start))});
      i = end + 1;
      continue;
    }
    std::string key(Trim(text.substr(start, equals - start)));
    i = equals + 1;
    while (i < text.size() && text[i] == ' ') ++i;
    std::string value;
    if (i < text.size() && (text[i] == '"' || text[i] == '\'' || text[i] == '{')) {
      char open = text[i];
      char close = open == '{' ? '}' : open;
      ++i;
      while (i < text.size()) {
        if (text[i] == close) {
          if (i + 1 < text.size() && text[i + 1] == close) {
            value += close;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        value += text[i++];
      }
      size_t end = text.find(';', i);
      i = end == std::string_view::npos ? text.size() : end;
    } else {
      size_t end = text.find(';', i);
      if (end == std::string_view::npos) end = text.size();
      value = Trim(text.substr(i, end - i));
      i = end;
    }
    parts.push_back({key, value, std::string(Trim(text.substr(start, i - start)))});
    ++i;
  }
  return parts;
}

std::optional<std::string> FindConnectionValue(const std::vector<ConnectionStringPart>& parts,
                                               std::string_view key) {
  std::string wanted = LowerAscii(key);
  for (const auto& part : parts) {
    if (LowerAscii(part.key) == wanted) return part.value;
  }
  return std::nullopt;
}

std::string QuoteOdbcValue(std::string_view value) {
  if (value.find_first_of(";{}=") == std::string_view::npos && value == Trim(value)) {
    return std::string(value);
  }
  std::string out = "{";
  for (char c : value) {
    out += c;
    if (c == '}') out += '}';
  }
  return out + "}";
}

}  // namespace vintrel::host
