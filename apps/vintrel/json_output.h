// The commands' --json output: values built with nlohmann-json, members kept in the order they
// were added (readers of the event stream look for "time" and "event" first).
#ifndef VINTREL_APPS_VINTREL_JSON_OUTPUT_H_
#define VINTREL_APPS_VINTREL_JSON_OUTPUT_H_

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace vintrel::app {

using Json = nlohmann::ordered_json;

// One line of compact JSON; text that is not UTF-8 shows U+FFFD where its bad bytes were.
inline std::string JsonText(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// A number as people write it: whole numbers without a point ("12", not "12.0"); a value that
// is not finite is null.
inline Json JsonNumber(double value) {
  if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 9.0e15) {
    return static_cast<std::int64_t>(value);
  }
  return value;
}

// Text, or null where there is none.
inline Json JsonOptional(const std::optional<std::string>& text) {
  return text ? Json(*text) : Json();
}

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_JSON_OUTPUT_H_
