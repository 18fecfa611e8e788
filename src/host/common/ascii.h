// Letter case of ASCII text, for the names and keywords that file formats, connection strings and
// the add-in's own tags compare without regard to case: only A-Z and a-z change, every other
// byte (UTF-8 included) stays as it is, whatever the locale. Names a user types in any script
// compare with FoldCase (host/common/text_encoding.h) instead.
#ifndef VINTREL_HOST_COMMON_ASCII_H_
#define VINTREL_HOST_COMMON_ASCII_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace vintrel {

constexpr char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char UpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

inline std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperAscii(c);
  return out;
}

constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

constexpr bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// Whether `prefix` stands in `text` at `at`.
constexpr bool StartsWithNoCase(std::string_view text, size_t at, std::string_view prefix) {
  return at <= text.size() && StartsWithNoCase(text.substr(at), prefix);
}

constexpr bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace vintrel

#endif  // VINTREL_HOST_COMMON_ASCII_H_
