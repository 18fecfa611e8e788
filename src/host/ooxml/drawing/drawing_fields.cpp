#include "host/ooxml/drawing/drawing_fields.h"

#include <array>

namespace vintrel::ooxml::drawing {

namespace {

constexpr std::array<const char*, 12> kMonths{"January",   "February", "March",    "April",
                                              "May",       "June",     "July",     "August",
                                              "September", "October",  "November", "December"};
constexpr std::array<const char*, 7> kDays{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                           "Thursday", "Friday", "Saturday"};

std::string TwoDigits(int value) {
  return (value < 10 ? "0" : "") + std::to_string(value);
}

// The field kinds written in digits are defined as MM/DD/YYYY and hh:mm: two digits each.
std::string Date(const std::tm& when) {
  return TwoDigits(when.tm_mon + 1) + "/" + TwoDigits(when.tm_mday) + "/" +
         std::to_string(when.tm_year + 1900);
}

// "04:05 PM" or with seconds "04:05:23 PM"; `twelve` false gives "16:05".
std::string Time(const std::tm& when, bool seconds, bool twelve) {
  int hour = twelve ? (when.tm_hour + 11) % 12 + 1 : when.tm_hour;
  std::string text = TwoDigits(hour) + ":" + TwoDigits(when.tm_min);
  if (seconds) text += ":" + TwoDigits(when.tm_sec);
  if (twelve) text += when.tm_hour < 12 ? " AM" : " PM";
  return text;
}

}  // namespace

std::string DateFieldText(std::string_view type, const std::tm& when) {
  if (type.rfind("datetime", 0) != 0) return {};
  std::string_view kind = type.substr(8);
  const std::string month = kMonths[when.tm_mon % 12];
  const std::string year = std::to_string(when.tm_year + 1900);
  // With the month written out, the day is written as a plain number: "October 5, 2026".
  const std::string day = std::to_string(when.tm_mday);
  if (kind.empty() || kind == "1") return Date(when);
  if (kind == "2")
    return std::string(kDays[when.tm_wday % 7]) + ", " + month + " " + day + ", " + year;
  if (kind == "3") return day + " " + month + " " + year;
  if (kind == "4") return month + " " + day + ", " + year;
  if (kind == "5") return TwoDigits(when.tm_mday) + "-" + month.substr(0, 3) + "-" + year.substr(2);
  if (kind == "6") return month + " " + year.substr(2);
  if (kind == "7") return month.substr(0, 3) + "-" + year.substr(2);
  if (kind == "8") return Date(when) + " " + Time(when, false, true);
  if (kind == "9") return Date(when) + " " + Time(when, true, true);
  if (kind == "10") return Time(when, false, false);
  if (kind == "11") return Time(when, true, false);
  if (kind == "12") return Time(when, false, true);
  if (kind == "13") return Time(when, true, true);
  return Date(when);
}

std::string FieldText(pugi::xml_node field, int slide_number, const std::tm& now) {
  std::string_view type = field.attribute("type").value();
  if (type == "slidenum" && slide_number > 0) return std::to_string(slide_number);
  if (std::string date = DateFieldText(type, now); !date.empty()) return date;
  return field.child("a:t").text().get();
}

}  // namespace vintrel::ooxml::drawing
