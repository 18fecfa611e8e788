#include "host/workbook/number_format.h"

#include <algorithm>
#include <cmath>

#include "host/common/ascii.h"
#include "host/workbook/decimal_digits.h"
#include "host/workbook/number_format_steps.h"

namespace vintrel::host::workbook {
namespace {

using format_steps::Kind;
using format_steps::Section;
using format_steps::Token;

bool ConditionHolds(const Section& section, double value) {
  const std::string& op = section.condition_operator;
  double bound = section.condition_bound;
  if (op == "<") return value < bound;
  if (op == "<=") return value <= bound;
  if (op == ">") return value > bound;
  if (op == ">=") return value >= bound;
  if (op == "<>") return value != bound;
  return value == bound;
}

}  // namespace

NumberFormat::NumberFormat(std::string_view code) : code_(code) {
  // An empty code is General, as the program reads it.
  for (std::string part : format_steps::SplitSections(code.empty() ? "General" : code)) {
    // The system's long date and time formats stand in for whatever follows them; here those
    // are the en-US ones.
    if (part.find("[$-F800]") != std::string::npos) part = "dddd, mmmm d, yyyy";
    if (part.find("[$-F400]") != std::string::npos) part = "hh:mm:ss AM/PM";
    sections_.push_back(format_steps::CompileSection(part));
  }
  if (sections_.size() > 4) sections_.resize(4);
  is_date_ = sections_.front().is_date;
}

const NumberFormat::Section* NumberFormat::PickSection(double value, bool* show_minus) const {
  // The fourth section is for text only.
  size_t count = std::min<size_t>(sections_.size(), 3);
  *show_minus = false;
  const Section& first = sections_[0];
  bool conditional = first.has_condition || (count > 1 && sections_[1].has_condition);
  if (!conditional) {
    if (count == 1 || value > 0 || (value == 0 && count == 2)) {
      *show_minus = value < 0;
      return &first;
    }
    if (value < 0) return &sections_[1];
    return &sections_[2];
  }
  // With conditions the value keeps its sign unless a section written for negative numbers
  // ([<0]) shows it.
  auto pick = [&](const Section& section) {
    bool negative_section =
        section.has_condition &&
        (section.condition_operator == "<" || section.condition_operator == "<=") &&
        section.condition_bound <= 0;
    *show_minus = value < 0 && !negative_section;
    return &section;
  };
  if (first.has_condition ? ConditionHolds(first, value) : value >= 0) return pick(first);
  if (count == 1) return pick(first);
  const Section& second = sections_[1];
  // A second section without a condition of its own takes the rest, without the sign.
  if (count == 2) return second.has_condition ? pick(second) : &second;
  if (second.has_condition ? ConditionHolds(second, value) : value < 0) {
    if (!second.has_condition) return &second;
    return pick(second);
  }
  const Section& third = sections_[2];
  return third.has_condition ? pick(third) : &third;
}

std::string NumberFormat::Format(double value, DateSystem system) const {
  if (std::isnan(value) || std::isinf(value)) return "#NUM!";
  bool minus = false;
  const Section* section = PickSection(value, &minus);
  if (section->tokens.empty()) return "";
  if (section->is_date) {
    bool calendar = false;
    bool elapsed = false;
    for (const Token& token : section->tokens) {
      calendar |=
          token.kind == Kind::kYear || token.kind == Kind::kMonth || token.kind == Kind::kDay;
      elapsed |= token.kind == Kind::kElapsedHours || token.kind == Kind::kElapsedMinutes ||
                 token.kind == Kind::kElapsedSeconds;
    }
    if (elapsed && !calendar) {
      // A negative duration shows with its sign: -1 in [h]:mm is -24:00.
      if (std::fabs(value) >= kLastDateSerial + 1) return FormatGeneral(value);
      std::string text = format_steps::RenderDateSection(*section, std::fabs(value), system);
      return value < 0 ? "-" + text : text;
    }
    if (!calendar) {
      // A clock time shows the time of day of any number: -0.25 is 18:00.
      return format_steps::RenderDateSection(*section, value - std::floor(value), system);
    }
    // Dates before the first day or after 9999 do not exist; the program would fill the cell
    // with #, which is no text to pass on.
    if (value < 0 || value >= kLastDateSerial + 1) return FormatGeneral(value);
    return format_steps::RenderDateSection(*section, value, system);
  }
  if (section->has_text && !section->has_digits && !section->has_general) {
    // A text section has no say over numbers: they show in General.
    return FormatGeneral(value);
  }
  return format_steps::RenderNumberSection(*section, value, minus);
}

std::string NumberFormat::FormatText(std::string_view text) const {
  if (text.empty()) return "";  // an empty text shows nothing, whatever surrounds it
  const Section* section = nullptr;
  if (sections_.size() >= 4) {
    section = &sections_[3];
  } else if (sections_.front().has_text) {
    section = &sections_.front();
  }
  if (section == nullptr) return std::string(text);
  std::string result;
  for (const Token& token : section->tokens) {
    if (token.kind == Kind::kText) {
      result += text;
    } else if (token.kind == Kind::kLiteral) {
      result += token.text;
    }
  }
  return result;
}

}  // namespace vintrel::host::workbook
