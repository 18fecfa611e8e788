#include "rendering/date_format.h"

#include <cctype>
#include <clocale>
#include <cstring>

#include "host/common/ascii.h"
#include "host/common/locale_forms.h"

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

// Writes the text a date pattern shows for one moment, element by element.
class PatternWriter {
 public:
  PatternWriter(const std::tm& local, const std::string& pattern, const RegionalForms& forms,
                bool has_date)
      : local_(local),
        pattern_(pattern),
        forms_(forms),
        has_date_(has_date),
        twelve_hours_(UsesTwelveHours(pattern)) {}

  std::string Write() {
    while (i_ < pattern_.size()) {
      if (!WriteLiteralOrMarker()) WriteLetter();
    }
    return out_;
  }

 private:
  // Quoted text, an escaped character, AM/PM markers and ttttt; false for anything else.
  bool WriteLiteralOrMarker() {
    const char raw = pattern_[i_];
    const bool upper = std::isupper(static_cast<unsigned char>(raw));
    const bool morning = local_.tm_hour < 12;
    if (raw == '"') {
      const size_t close = pattern_.find('"', i_ + 1);
      const size_t end = close == std::string::npos ? pattern_.size() : close;
      out_ += pattern_.substr(i_ + 1, end - i_ - 1);
      i_ = close == std::string::npos ? pattern_.size() : close + 1;
    } else if (raw == '\\') {
      if (i_ + 1 < pattern_.size()) out_ += pattern_[i_ + 1];
      i_ += 2;
    } else if (StartsWithNoCase(pattern_, i_, "AM/PM")) {
      out_ += morning ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
      i_ += 5;
    } else if (StartsWithNoCase(pattern_, i_, "AMPM")) {
      out_ += morning ? "AM" : "PM";
      i_ += 4;
    } else if (StartsWithNoCase(pattern_, i_, "A/P")) {
      out_ += morning ? (upper ? "A" : "a") : (upper ? "P" : "p");
      i_ += 3;
    } else if (StartsWithNoCase(pattern_, i_, "ttttt")) {
      out_ += LongTime(local_, forms_);
      i_ += 5;
      after_hour_ = false;
    } else {
      return false;
    }
    return true;
  }

  // A run of one date or time letter, or a character that stands for itself.
  void WriteLetter() {
    const char raw = pattern_[i_];
    const char c = LowerAscii(raw);
    const size_t count = c == 'c' || c == 'q' ? 1 : RunOf(c);
    bool hour = false;
    switch (c) {
      case 'c':
        out_ += GeneralDate(local_, forms_, has_date_);
        break;
      case 'd':
        WriteDays(count);
        break;
      case 'w':
        out_ += std::to_string(count == 1 ? local_.tm_wday + 1 : WeekOfYear(local_));
        break;
      case 'q':
        out_ += std::to_string(local_.tm_mon / 3 + 1);
        break;
      case 'y':
        WriteYears(count);
        break;
      case 'm':
        WriteMonthsOrMinutes(count);
        break;
      case 'h': {
        int shown = local_.tm_hour;
        if (twelve_hours_) shown = shown % 12 == 0 ? 12 : shown % 12;
        out_ += count == 1 ? std::to_string(shown) : TwoDigits(shown);
        hour = true;
        break;
      }
      case 'n':
        out_ += count == 1 ? std::to_string(local_.tm_min) : TwoDigits(local_.tm_min);
        break;
      case 's':
        out_ += count == 1 ? std::to_string(local_.tm_sec) : TwoDigits(local_.tm_sec);
        break;
      default:
        // Separators and any other character stand for themselves and keep an hour's
        // claim on a following "m" ("hh:mm").
        out_ += raw;
        ++i_;
        if (std::isalpha(static_cast<unsigned char>(raw))) after_hour_ = false;
        return;
    }
    i_ += count;
    after_hour_ = hour;
  }

  void WriteDays(size_t count) {
    if (count == 1)
      out_ += std::to_string(local_.tm_mday);
    else if (count == 2)
      out_ += TwoDigits(local_.tm_mday);
    else if (count == 3)
      out_ += Strftime(local_, "%a");
    else if (count == 4)
      out_ += Strftime(local_, "%A");
    else if (count == 5)
      out_ += ShortDate(local_, forms_);
    else
      out_ += LongDate(local_, forms_);
  }

  void WriteYears(size_t count) {
    if (count == 1) {
      out_ += std::to_string(local_.tm_yday + 1);
    } else if (count <= 3) {
      out_ += TwoDigits((local_.tm_year + 1900) % 100);
      if (count == 3) out_ += std::to_string(local_.tm_yday + 1);
    } else {
      out_ += std::to_string(local_.tm_year + 1900);
    }
  }

  // "m" and "mm" are minutes right after an hour or before seconds, else months.
  void WriteMonthsOrMinutes(size_t count) {
    if (count <= 2 && (after_hour_ || NextIsSeconds(i_ + count))) {
      out_ += count == 1 ? std::to_string(local_.tm_min) : TwoDigits(local_.tm_min);
    } else if (count == 1) {
      out_ += std::to_string(local_.tm_mon + 1);
    } else if (count == 2) {
      out_ += TwoDigits(local_.tm_mon + 1);
    } else if (count == 3) {
      out_ += Strftime(local_, "%b");
    } else {
      out_ += Strftime(local_, "%B");
    }
  }

  size_t RunOf(char letter) const {
    size_t count = 0;
    while (i_ + count < pattern_.size() && LowerAscii(pattern_[i_ + count]) == letter) ++count;
    return count;
  }

  bool NextIsSeconds(size_t from) const {
    for (size_t j = from; j < pattern_.size(); ++j) {
      const char c = LowerAscii(pattern_[j]);
      if (c == 's') return true;
      if (std::isalpha(static_cast<unsigned char>(c))) return false;
    }
    return false;
  }

  const std::tm& local_;
  const std::string& pattern_;
  const RegionalForms& forms_;
  const bool has_date_;
  const bool twelve_hours_;
  size_t i_ = 0;
  bool after_hour_ = false;  // an "m" right after an hour is minutes
  std::string out_;
};

std::string FormatPattern(const std::tm& local, const std::string& pattern,
                          const RegionalForms& forms, bool has_date) {
  return PatternWriter(local, pattern, forms, has_date).Write();
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
  const LocaleForms locale = ReadLocaleForms();
  forms.short_date = WithFourDigitYear(locale.date_format);
  forms.long_time = locale.time_format;
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
