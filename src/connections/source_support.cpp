#include "connections/source_support.h"

#include <condition_variable>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <thread>

#include "host/clock.h"
#include "host/error.h"
#include "host/event_loop.h"
#include "host/platform.h"
#include "support/context.h"
#include "support/logs.h"

namespace vintrel::connections {

bool FailureIsMissingFile() {
  try {
    throw;
  } catch (const Error& failure) {
    return failure.number() == kErrFileNotFound || failure.number() == kErrPathNotFound;
  } catch (...) {
    return false;
  }
}

void Wait(const Context& ctx, std::chrono::milliseconds duration) {
  host::Clock* clock = ctx.services.clock;
  std::mutex mutex;
  std::condition_variable never_notified;
  std::unique_lock<std::mutex> lock(mutex);
  const auto deadline = clock->Steady() + duration;
  while (clock->Steady() < deadline) clock->WaitUntil(deadline, never_notified, lock);
}

std::chrono::system_clock::time_point FileTime(const Context& ctx, const std::string& native_path) {
  return ctx.services.files->FileDateTime(native_path);
}

double SecondsSinceMidnight(const Context& ctx) {
  const auto now = ctx.services.clock->Now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto fraction = now - std::chrono::system_clock::from_time_t(seconds);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
         std::chrono::duration<double>(fraction).count();
}

void PumpEvents(const Context& ctx) {
  ctx.services.loop->DoEvents();
}

void LogRequery(Context& ctx, bool forced) {
  WriteDebugLog(ctx, DebugLevel::kInformation, "clsConnection", "Requery");
  WriteDebugLog(ctx, DebugLevel::kInformation, "clsConnection",
                std::string("Forced:") + (forced ? "True" : "False"));
}

}  // namespace vintrel::connections
