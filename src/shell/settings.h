// The per-user settings the add-in reads (never writes), under its application name and the
// section "Info".
#ifndef VINTREL_SHELL_SETTINGS_H_
#define VINTREL_SHELL_SETTINGS_H_

#include <optional>
#include <string>

#include "support/context.h"

namespace vintrel::shell {

inline constexpr const char* kSettingsAppName = "Quendra Vintrel 2002";
inline constexpr const char* kSettingsSection = "Info";

inline constexpr const char* kSettingDebug = "Debug";
inline constexpr const char* kSettingHideUserInterface = "HideUserInterface";
inline constexpr const char* kSettingHideProgressMeterOpen = "HideProgressMeterOpen";
inline constexpr const char* kSettingHideMsgBoxErrorsDuringPresentation =
    "HideMsgBoxErrorsDuringPresentation";
inline constexpr const char* kSettingHideMsgBoxOfflineGeneration = "HideMsgBoxOfflineGeneration";
// Beyond the original settings, off unless "1": a failing source keeps its shapes' last values
// during a show; files behind connections wake the show's data tick when written.
inline constexpr const char* kSettingKeepLastGoodValues = "KeepLastGoodValues";
inline constexpr const char* kSettingWatchFiles = "WatchFiles";
// The time zone the distribution lists' windows are meant in ("Europe/Oslo"); empty: the
// machine's own.
inline constexpr const char* kSettingTimeZone = "TimeZone";

// The setting's text, or empty text when absent or when there is no settings store.
std::string ReadSetting(const Context& ctx, const std::string& key);

// The "Hide..." settings count only when exactly "1".
bool SettingIsExactlyOne(const Context& ctx, const std::string& key);

// A setting's text as a truth value: "True" or "False" in any letter case, or a number (non-zero
// is true). Empty or other text does not convert.
std::optional<bool> ToTruthValue(const std::string& text);

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_SETTINGS_H_
