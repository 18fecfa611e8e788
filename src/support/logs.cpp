#include "support/logs.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "host/clock.h"
#include "host/common/locale_forms.h"
#include "host/error.h"
#include "host/platform.h"
#include "support/module_state.h"

namespace vintrel {
namespace {

std::chrono::system_clock::time_point CurrentTime() {
  if (host::Clock* clock = Services().clock) return clock->Now();
  return std::chrono::system_clock::now();
}

std::string InFolder(const std::string& name) {
  const std::string& folder = Services().addin_folder;
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace

std::string_view DebugLevelWord(DebugLevel level) {
  switch (level) {
    case DebugLevel::kEvent:
      return "Event       ";
    case DebugLevel::kVariable:
      return "Variable    ";
    case DebugLevel::kInformation:
      return "Information ";
    case DebugLevel::kError:
      return "Error       ";
  }
  return "            ";
}

std::string DebugLogPath() {
  return InFolder(Services().module_base_name + ".dbg");
}

std::string ErrorLogPath() {
  return InFolder("errors.txt");
}

std::string FormatLogTimestamp(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  localtime_r(&seconds, &local);
  const LocaleForms forms = ReadLocaleForms();
  char buffer[128];
  const std::string format = WithFourDigitYear(forms.date_format) + " " + forms.time_format;
  size_t length = std::strftime(buffer, sizeof buffer, format.c_str(), &local);
  std::string text(buffer, length);
  // The milliseconds are the fraction of the current second, cut, never rounded.
  const auto since_epoch = time.time_since_epoch();
  const auto whole = std::chrono::duration_cast<std::chrono::seconds>(since_epoch);
  auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch - whole).count();
  if (millis < 0) millis += 1000;
  char fraction[8];
  std::snprintf(fraction, sizeof fraction, ".%03d", static_cast<int>(millis));
  return text + fraction;
}

void AppendLogLine(const std::string& path, std::string_view text) {
  try {
    std::string line = FormatLogTimestamp(CurrentTime());
    line += ' ';
    line.append(text);
    line += "\r\n";
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) return;
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
  } catch (...) {
    // A log line never fails its caller.
  }
}

void WriteDebugLog(DebugLevel level, std::string_view /*source*/, std::string_view message) {
  ModuleState& state = Module();
  if (!state.debug_enabled) return;
  const std::string path = DebugLogPath();
  if (!state.debug_log_started) {
    std::remove(path.c_str());  // a missing file is no failure
    state.debug_log_started = true;
  }
  std::string text(DebugLevelWord(level));
  text += ' ';
  text.append(message);
  AppendLogLine(path, text);
}

void WriteErrorLog(std::string_view text) {
  ModuleState& state = Module();
  const std::string path = ErrorLogPath();
  if (!state.error_log_started) {
    std::remove(path.c_str());
    state.error_log_started = true;
  }
  AppendLogLine(path, text);
  state.errors_during_show = true;
}

void OpenErrorLog() {
  try {
    if (host::Shell* shell = Services().shell) shell->Open(ErrorLogPath());
  } catch (...) {
    // Whatever the shell does with a missing file is all the user sees.
  }
}

bool ShowErrorMessages() {
  return !Module().in_slide_show;
}

}  // namespace vintrel
