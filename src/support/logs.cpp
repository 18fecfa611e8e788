#include "support/logs.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "host/clock.h"
#include "host/common/locale_forms.h"
#include "host/error.h"
#include "host/platform.h"
#include "support/context.h"

namespace vintrel {
namespace {

std::string InFolder(const Context& ctx, const std::string& name) {
  const std::string& folder = ctx.services.addin_folder;
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

std::string DebugLogPath(const Context& ctx) {
  return InFolder(ctx, ctx.services.module_base_name + ".dbg");
}

std::string ErrorLogPath(const Context& ctx) {
  return InFolder(ctx, "errors.txt");
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

void AppendLogLine(const Context& ctx, const std::string& path, std::string_view text) {
  try {
    std::string line = FormatLogTimestamp(ctx.services.clock->Now());
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

void WriteDebugLog(Context& ctx, DebugLevel level, std::string_view /*source*/,
                   std::string_view message) {
  ModuleState& state = ctx.module;
  if (!state.debug_enabled) return;
  const std::string path = DebugLogPath(ctx);
  if (!state.debug_log_started) {
    std::remove(path.c_str());  // a missing file is no failure
    state.debug_log_started = true;
  }
  std::string text(DebugLevelWord(level));
  text += ' ';
  text.append(message);
  AppendLogLine(ctx, path, text);
}

void WriteErrorLog(Context& ctx, std::string_view text) {
  ModuleState& state = ctx.module;
  const std::string path = ErrorLogPath(ctx);
  if (!state.error_log_started) {
    std::remove(path.c_str());
    state.error_log_started = true;
  }
  AppendLogLine(ctx, path, text);
  state.errors_during_show = true;
}

void OpenErrorLog(const Context& ctx) {
  try {
    ctx.services.shell->Open(ErrorLogPath(ctx));
  } catch (...) {
    // Whatever the shell does with a missing file is all the user sees.
  }
}

bool ShowErrorMessages(const Context& ctx) {
  return !ctx.module.in_slide_show;
}

}  // namespace vintrel
