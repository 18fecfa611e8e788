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
#include "support/logs.h"
#include "support/module_state.h"

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

void Wait(std::chrono::milliseconds duration) {
  host::Clock* clock = Services().clock;
  if (clock == nullptr) {
    std::this_thread::sleep_for(duration);
    return;
  }
  std::mutex mutex;
  std::condition_variable never_notified;
  std::unique_lock<std::mutex> lock(mutex);
  const auto deadline = clock->Steady() + duration;
  while (clock->Steady() < deadline) clock->WaitUntil(deadline, never_notified, lock);
}

std::chrono::system_clock::time_point FileTime(const std::string& native_path) {
  if (host::FileSystem* files = Services().files) return files->FileDateTime(native_path);
  std::error_code error;
  const auto time = std::filesystem::last_write_time(native_path, error);
  if (error) {
    throw Error(kErrFileNotFound, "FileSystem", native_path + ": " + error.message());
  }
  return std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      std::chrono::file_clock::to_sys(time));
}

double SecondsSinceMidnight() {
  host::Clock* clock = Services().clock;
  const auto now = clock != nullptr ? clock->Now() : std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto fraction = now - std::chrono::system_clock::from_time_t(seconds);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
         std::chrono::duration<double>(fraction).count();
}

void PumpEvents() {
  if (host::EventLoop* loop = Services().loop) loop->DoEvents();
}

void LogRequery(bool forced) {
  WriteDebugLog(DebugLevel::kInformation, "clsConnection", "Requery");
  WriteDebugLog(DebugLevel::kInformation, "clsConnection",
                std::string("Forced:") + (forced ? "True" : "False"));
}

}  // namespace vintrel::connections
