#include "connections/tag_values.h"

#include <locale.h>
#include <time.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "host/common/ascii.h"
#include "host/common/locale_forms.h"
#include "host/common/text.h"

namespace vintrel {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The invariant form: optional sign, digits with an optional decimal point, optional exponent.
// std::from_chars also takes "inf" and "nan", which no tag holds, so a digit is required.
std::optional<double> ParseInvariant(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || std::none_of(text.begin(), text.end(), IsDigit)) return std::nullopt;
  for (char c : text) {
    if (!IsDigit(c) && c != '.' && c != '-' && c != 'e' && c != 'E' && c != '+') {
      return std::nullopt;
    }
  }
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// A regional form: sign, integer digits either ungrouped or in groups of three after the first
// (1 to 3 digits), then the decimal point and digits. Rewritten to the invariant form to convert.
std::optional<double> ParseRegional(std::string_view text, std::string_view decimal_point,
                                    std::string_view thousands_separator) {
  std::string invariant;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    if (text.front() == '-') invariant.push_back('-');
    text.remove_prefix(1);
  }
  std::string_view integer = text;
  std::string_view fraction;
  bool has_point = false;
  if (!decimal_point.empty()) {
    const size_t point = text.find(decimal_point);
    if (point != std::string_view::npos) {
      integer = text.substr(0, point);
      fraction = text.substr(point + decimal_point.size());
      has_point = true;
    }
  }
  if (!std::all_of(fraction.begin(), fraction.end(), IsDigit)) return std::nullopt;
  std::vector<std::string_view> groups;
  if (thousands_separator.empty() || thousands_separator == decimal_point) {
    groups.push_back(integer);
  } else {
    size_t from = 0;
    while (true) {
      const size_t at = integer.find(thousands_separator, from);
      groups.push_back(integer.substr(from, at == std::string_view::npos ? at : at - from));
      if (at == std::string_view::npos) break;
      from = at + thousands_separator.size();
    }
  }
  for (size_t i = 0; i < groups.size(); ++i) {
    const std::string_view group = groups[i];
    if (!std::all_of(group.begin(), group.end(), IsDigit)) return std::nullopt;
    if (groups.size() > 1 && (i == 0 ? group.empty() || group.size() > 3 : group.size() != 3)) {
      return std::nullopt;
    }
    invariant.append(group);
  }
  if (invariant.empty() || invariant == "-") {
    if (fraction.empty()) return std::nullopt;
    invariant.push_back('0');
  }
  if (has_point) invariant.append(".").append(fraction);
  return ParseInvariant(invariant);
}

// The locale whose names (AM, PM, months) a form is read with: the C locale for the ISO and US
// forms, whatever the process's own locale is; the user's locale for the regional form.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name)
      : locale_(newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0))) {
    if (locale_ == static_cast<locale_t>(0)) {
      locale_ = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    }
  }
  ~ScopedLocale() {
    if (locale_ != static_cast<locale_t>(0)) freelocale(locale_);
  }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;
  locale_t get() const { return locale_; }

 private:
  locale_t locale_;
};

// strptime over the whole text: only trailing blanks may remain.
std::optional<tm> ParseWith(const std::string& text, const std::string& format, locale_t locale) {
  tm fields{};
  fields.tm_mday = 1;
  const char* end = strptime_l(text.c_str(), format.c_str(), &fields, locale);
  if (end == nullptr) return std::nullopt;
  while (*end == ' ') ++end;
  if (*end != '\0') return std::nullopt;
  return fields;
}

std::optional<LocalDateTime> ToDateTime(const tm& fields, bool time_only) {
  using namespace std::chrono;
  const year_month_day day =
      time_only ? year_month_day{year{1899}, month{12}, std::chrono::day{30}}
                : year_month_day{year{fields.tm_year + 1900}, month(fields.tm_mon + 1),
                                 std::chrono::day(fields.tm_mday)};
  if (!day.ok()) return std::nullopt;
  return local_days{day} + hours{fields.tm_hour} + minutes{fields.tm_min} + seconds{fields.tm_sec};
}

// The date forms of one regional format, most specific first.
std::vector<std::string> DateForms(const RegionalFormat& format) {
  std::vector<std::string> forms = {
      format.date_format + " " + format.time_format, format.date_format + " %H:%M:%S",
      format.date_format + " %I:%M %p", format.date_format + " %H:%M", format.date_format};
  return forms;
}

std::vector<std::string> TimeForms(const RegionalFormat& format) {
  return {format.time_format, "%I:%M:%S %p", "%H:%M:%S"};
}

}  // namespace

std::vector<std::string> SplitFields(std::string_view text) {
  if (text.empty()) return {};
  return Split(text, {&kFieldSeparator, 1});
}

std::string JoinFields(const std::vector<std::string>& fields, bool trailing_tab) {
  std::string text;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) text.push_back(kFieldSeparator);
    text.append(fields[i]);
  }
  if (trailing_tab && !fields.empty()) text.push_back(kFieldSeparator);
  return text;
}

std::string FormatBoolean(bool value) {
  return value ? "True" : "False";
}

std::optional<bool> ParseBoolean(std::string_view text) {
  const std::string upper = UpperAscii(Trim(text, kBlanks));
  if (upper == "TRUE") return true;
  if (upper == "FALSE") return false;
  const std::optional<double> number = ParseNumber(text);
  if (!number) return std::nullopt;
  return *number != 0;
}

RegionalFormat UsRegionalFormat() {
  return RegionalFormat{};
}

RegionalFormat CurrentRegionalFormat() {
  const LocaleForms forms = ReadLocaleForms("");
  return {forms.decimal_point, forms.thousands_separator, forms.date_format, forms.time_format};
}

std::string FormatWholeNumber(long value) {
  return std::to_string(value);
}

std::optional<double> ParseNumber(std::string_view text, const RegionalFormat& local) {
  text = Trim(text, kBlanks);
  if (text.empty()) return std::nullopt;
  if (auto value = ParseInvariant(text)) return value;
  if (auto value = ParseRegional(text, local.decimal_point, local.thousands_separator)) {
    return value;
  }
  const RegionalFormat us = UsRegionalFormat();
  if (auto value = ParseRegional(text, us.decimal_point, us.thousands_separator)) return value;
  // Last, the decimal comma of most of Europe ("2500,5", "1.234,5", "1 234,5"), as presentations
  // written there carry it. Only a text that no form above reads gets here, so "2,500" stays
  // the US 2500.
  for (std::string_view thousands : {".", " ", "\xC2\xA0", "\xE2\x80\xAF"}) {
    if (auto value = ParseRegional(text, ",", thousands)) return value;
  }
  return std::nullopt;
}

std::optional<double> ParseNumber(std::string_view text) {
  // Tags written by this system hold the invariant form: the regional settings are looked up
  // only for a text in another form.
  if (auto value = ParseInvariant(Trim(text, kBlanks))) return value;
  return ParseNumber(text, CurrentRegionalFormat());
}

namespace {

std::optional<long> RoundedWhole(const std::optional<double>& number) {
  if (!number) return std::nullopt;
  const double rounded = std::nearbyint(*number);  // the default rounding is half to even
  if (rounded < std::numeric_limits<int32_t>::min() ||
      rounded > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<long>(rounded);
}

}  // namespace

std::optional<long> ParseWholeNumber(std::string_view text, const RegionalFormat& local) {
  return RoundedWhole(ParseNumber(text, local));
}

std::optional<long> ParseWholeNumber(std::string_view text) {
  return RoundedWhole(ParseNumber(text));
}

std::string FormatDateTime(LocalDateTime value) {
  using namespace std::chrono;
  const local_days day = floor<days>(value);
  const year_month_day date{day};
  const hh_mm_ss<seconds> time{value - day};
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02d",
                static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()));
  return buffer;
}

std::optional<LocalDateTime> ParseDateTime(std::string_view text, const RegionalFormat& local) {
  const std::string trimmed(Trim(text, kBlanks));
  if (trimmed.empty()) return std::nullopt;
  const ScopedLocale c_locale("C");
  const ScopedLocale user_locale("");
  const RegionalFormat us = UsRegionalFormat();
  struct Form {
    std::string format;
    locale_t locale;
  };
  std::vector<Form> forms;
  for (const char* iso :
       {"%Y-%m-%dT%H:%M:%S", "%Y-%m-%d %H:%M:%S", "%Y-%m-%dT%H:%M", "%Y-%m-%d %H:%M", "%Y-%m-%d"}) {
    forms.push_back({iso, c_locale.get()});
  }
  for (std::string& form : DateForms(local)) forms.push_back({std::move(form), user_locale.get()});
  for (std::string& form : DateForms(us)) forms.push_back({std::move(form), c_locale.get()});
  for (const Form& form : forms) {
    if (auto fields = ParseWith(trimmed, form.format, form.locale)) {
      if (auto value = ToDateTime(*fields, false)) return value;
    }
  }
  for (const std::string& form : TimeForms(local)) {
    if (auto fields = ParseWith(trimmed, form, user_locale.get())) {
      return ToDateTime(*fields, true);
    }
  }
  for (const std::string& form : TimeForms(us)) {
    if (auto fields = ParseWith(trimmed, form, c_locale.get())) return ToDateTime(*fields, true);
  }
  // Last, the day-first dates of most of the world ("31.12.2026 16:00:00", "31/12/2026 16:00"),
  // as presentations written there carry them. Only a text that no form above reads gets here:
  // "05/12/2026" stays the US 12 May unless the user's own regional form is day-first.
  for (const char* date : {"%d.%m.%Y", "%d/%m/%Y", "%d-%m-%Y"}) {
    for (const char* time : {" %H:%M:%S", " %H:%M", ""}) {
      if (auto fields = ParseWith(trimmed, std::string(date) + time, c_locale.get())) {
        if (auto value = ToDateTime(*fields, false)) return value;
      }
    }
  }
  return std::nullopt;
}

std::optional<LocalDateTime> ParseDateTime(std::string_view text) {
  return ParseDateTime(text, CurrentRegionalFormat());
}

}  // namespace vintrel
