// A small writer of JSON text for the commands' --json output.
#ifndef VINTREL_APPS_VINTREL_JSON_WRITER_H_
#define VINTREL_APPS_VINTREL_JSON_WRITER_H_

#include <optional>
#include <string>
#include <string_view>

namespace vintrel::app {

// A JSON string literal of UTF-8 text (quotes included); bytes that are not UTF-8 become U+FFFD.
std::string JsonString(std::string_view text);
// A number as JSON writes it (no trailing zeros; integers without a point).
std::string JsonNumber(double value);
inline std::string JsonBool(bool value) {
  return value ? "true" : "false";
}
inline std::string JsonOptional(const std::optional<std::string>& text) {
  return text ? JsonString(*text) : "null";
}

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_JSON_WRITER_H_
