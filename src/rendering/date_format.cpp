#include "rendering/date_format.h"

#include <langinfo.h>

#include <cctype>
#include <clocale>
#include <cstring>

#include "host/common/ascii.h"

namespace vintrel::rendering {
namespace {

std::string Strftime(const std::tm& local, const std::string& format) {
  if (format.empty()) return "";
  char buffer[256];
  const size_t length = std::strftime(buffer, sizeof buffer, format.c_str(), &local);
  return std::string(buffer, length);
}

std::string TwoDigits(int value) {
  std::string text = std::to_string(value);
  return text.size() < 2 ? "0" + text : text;
}

// Whether the pattern shows a 12-hour clock: it holds an AM/PM marker.
bool UsesTwelveHours(const std::string& pattern) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '"') {
      const size_t close = pattern.find('"', i + 1);
      if (close == std::string::npos) break;
      i = close;
      continue;
    }
    if (pattern[i] == '\\') {
      ++i;
      continue;
    }
    if (StartsWithNoCase(pattern, i, "AM/PM") || StartsWithNoCase(pattern, i, "A/P") ||
        StartsWithNoCase(pattern, i, "AMPM")) {
      return true;
    }
  }
  return false;
}

int WeekOfYear(const std::tm& local) {
  const int january_first_weekday = ((local.tm_wday - local.tm_yday % 7) % 7 + 7) % 7;
  return (local.tm_yday + january_first_weekday) / 7 + 1;
}

std::string UsShortDate(const std::tm& local) {
  return std::to_string(local.tm_mon + 1) + "/" + std::to_string(local.tm_mday) + "/" +
         std::to_string(local.tm_year + 1900);
}

std::string UsLongTime(const std::tm& local) {
  const int hour12 = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
  return std::to_string(hour12) + ":" + TwoDigits(local.tm_min) + ":" + TwoDigits(local.tm_sec) +
         (local.tm_hour < 12 ? " AM" : " PM");
}

std::string ShortDate(const std::tm& local, const RegionalForms& forms) {
  return forms.us ? UsShortDate(local) : Strftime(local, forms.short_date);
}

std::string LongDate(const std::tm& local, const RegionalForms& forms) {
  return Strftime(local, forms.long_date);
}

std::string LongTime(const std::tm& local, const RegionalForms& forms) {
  return forms.us ? UsLongTime(local) : Strftime(local, forms.long_time);
}

std::string GeneralDate(const std::tm& local, const RegionalForms& forms, bool has_date) {
  const bool midnight = local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0;
  if (!has_date) return LongTime(local, forms);
  if (midnight) return ShortDate(local, forms);
  return ShortDate(local, forms) + " " + LongTime(local, forms);
}

std::string FormatPattern(const std::tm& local, const std::string& pattern,
                          const RegionalForms& forms, bool has_date) {
  const bool twelve_hours = UsesTwelveHours(pattern);
  std::string out;
  bool after_hour = false;  // an "m" right after an hour is minutes
  size_t i = 0;
  auto run_of = [&](char letter) {
    size_t count = 0;
    while (i + count < pattern.size() && LowerAscii(pattern[i + count]) == letter) {
      ++count;
    }
    return count;
  };
  auto next_is_seconds = [&](size_t from) {
    for (size_t j = from; j < pattern.size(); ++j) {
      const char c = LowerAscii(pattern[j]);
      if (c == 's') return true;
      if (std::isalpha(static_cast<unsigned char>(c))) return false;
    }
    return false;
  };
  while (i < pattern.size()) {
    const char raw = pattern[i];
    const char c = LowerAscii(raw);
    if (raw == '"') {
      const size_t close = pattern.find('"', i + 1);
      out += pattern.substr(i + 1, (close == std::string::npos ? pattern.size() : close) - i - 1);
      i = close == std::string::npos ? pattern.size() : close + 1;
      continue;
    }
    if (raw == '\\') {
      if (i + 1 < pattern.size()) out += pattern[i + 1];
      i += 2;
      continue;
    }
    if (StartsWithNoCase(pattern, i, "AM/PM")) {
      const bool upper = std::isupper(static_cast<unsigned char>(raw));
      out += local.tm_hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
      i += 5;
      continue;
    }
    if (StartsWithNoCase(pattern, i, "AMPM")) {
      out += local.tm_hour < 12 ? "AM" : "PM";
      i += 4;
      continue;
    }
    if (StartsWithNoCase(pattern, i, "A/P")) {
      const bool upper = std::isupper(static_cast<unsigned char>(raw));
      out += local.tm_hour < 12 ? (upper ? "A" : "a") : (upper ? "P" : "p");
      i += 3;
      continue;
    }
    if (StartsWithNoCase(pattern, i, "ttttt")) {
      out += LongTime(local, forms);
      i += 5;
      after_hour = false;
      continue;
    }
    size_t count = 0;
    switch (c) {
      case 'c':
        out += GeneralDate(local, forms, has_date);
        ++i;
        after_hour = false;
        continue;
      case 'd':
        count = run_of('d');
        if (count == 1)
          out += std::to_string(local.tm_mday);
        else if (count == 2)
          out += TwoDigits(local.tm_mday);
        else if (count == 3)
          out += Strftime(local, "%a");
        else if (count == 4)
          out += Strftime(local, "%A");
        else if (count == 5)
          out += ShortDate(local, forms);
        else
          out += LongDate(local, forms);
        i += count;
        after_hour = false;
        continue;
      case 'w':
        count = run_of('w');
        out += std::to_string(count == 1 ? local.tm_wday + 1 : WeekOfYear(local));
        i += count;
        after_hour = false;
        continue;
      case 'q':
        out += std::to_string(local.tm_mon / 3 + 1);
        ++i;
        after_hour = false;
        continue;
      case 'y':
        count = run_of('y');
        if (count == 1) {
          out += std::to_string(local.tm_yday + 1);
        } else if (count <= 3) {
          out += TwoDigits((local.tm_year + 1900) % 100);
          if (count == 3) out += std::to_string(local.tm_yday + 1);
        } else {
          out += std::to_string(local.tm_year + 1900);
        }
        i += count;
        after_hour = false;
        continue;
      case 'm':
        count = run_of('m');
        if (count <= 2 && (after_hour || next_is_seconds(i + count))) {
          out += count == 1 ? std::to_string(local.tm_min) : TwoDigits(local.tm_min);
        } else if (count == 1) {
          out += std::to_string(local.tm_mon + 1);
        } else if (count == 2) {
          out += TwoDigits(local.tm_mon + 1);
        } else if (count == 3) {
          out += Strftime(local, "%b");
        } else {
          out += Strftime(local, "%B");
        }
        i += count;
        after_hour = false;
        continue;
      case 'h': {
        count = run_of('h');
        int hour = local.tm_hour;
        if (twelve_hours) hour = hour % 12 == 0 ? 12 : hour % 12;
        out += count == 1 ? std::to_string(hour) : TwoDigits(hour);
        i += count;
        after_hour = true;
        continue;
      }
      case 'n':
        count = run_of('n');
        out += count == 1 ? std::to_string(local.tm_min) : TwoDigits(local.tm_min);
        i += count;
        after_hour = false;
        continue;
      case 's':
        count = run_of('s');
        out += count == 1 ? std::to_string(local.tm_sec) : TwoDigits(local.tm_sec);
        i += count;
        after_hour = false;
        continue;
      default:
        // Separators and any other character stand for themselves and keep an hour's
        // claim on a following "m" ("hh:mm").
        out += raw;
        ++i;
        if (std::isalpha(static_cast<unsigned char>(raw))) after_hour = false;
        continue;
    }
  }
  return out;
}

bool IsUsLocale(const char* name) {
  if (name == nullptr) return true;
  const std::string locale(name);
  return locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0 ||
         locale.rfind("en_US", 0) == 0;
}

}  // namespace

RegionalForms CurrentRegionalForms() {
  RegionalForms forms;
  forms.us = IsUsLocale(std::setlocale(LC_TIME, nullptr));
  if (forms.us) {
    forms.short_date = "%m/%d/%Y";
    forms.long_date = "%A, %B %-d, %Y";
    forms.long_time = "%-I:%M:%S %p";
    return forms;
  }
  forms.short_date = nl_langinfo(D_FMT);
  // A two-digit year is ambiguous on a board that runs for years.
  for (size_t at = forms.short_date.find("%y"); at != std::string::npos;
       at = forms.short_date.find("%y", at + 2)) {
    forms.short_date[at + 1] = 'Y';
  }
  forms.long_time = nl_langinfo(T_FMT);
  forms.long_date = "%A %-d %B %Y";
  return forms;
}

std::string FormatDate(const std::tm& local, const std::string& format, const RegionalForms& forms,
                       bool has_date) {
  // The named forms are recognised in any letter case.
  auto is = [&format](const char* name) { return EqualsNoCase(format, name); };
  if (format.empty() || is("General Date")) return GeneralDate(local, forms, has_date);
  if (is("Long Date")) return LongDate(local, forms);
  if (is("Short Date")) return ShortDate(local, forms);
  if (is("Long Time")) return LongTime(local, forms);
  if (is("Short Time")) return TwoDigits(local.tm_hour) + ":" + TwoDigits(local.tm_min);
  return FormatPattern(local, format, forms, has_date);
}

std::string FormatDate(std::chrono::system_clock::time_point time, const std::string& format) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  localtime_r(&seconds, &local);
  return FormatDate(local, format, CurrentRegionalForms());
}

}  // namespace vintrel::rendering
