#include "support/time_span.h"

namespace vintrel {

std::string FormatTimeSpan(int32_t seconds) {
  const int32_t hours = seconds / 3600;
  const int32_t rest = seconds - hours * 3600;
  const int32_t minutes = rest / 60;
  const int32_t secs = rest - minutes * 60;
  std::string text;
  auto add = [&text](int32_t count, const char* one, const char* many) {
    if (count <= 0) return;
    text += std::to_string(count) + " " + (count == 1 ? one : many) + " ";
  };
  add(hours, "hour", "hours");
  add(minutes, "minute", "minutes");
  add(secs, "second", "seconds");
  return text;
}

}  // namespace vintrel
