// The steps between a number format code and the text it shows: reading the code into
// sections, and showing a number through a number section or a date section. Only
// number_format.cpp uses them; they live apart so that each file holds one of the steps.
#ifndef VINTREL_HOST_WORKBOOK_NUMBER_FORMAT_STEPS_H_
#define VINTREL_HOST_WORKBOOK_NUMBER_FORMAT_STEPS_H_

#include <string>
#include <string_view>
#include <vector>

#include "host/workbook/number_format.h"

namespace vintrel::host::workbook::format_steps {

using Token = NumberFormat::Token;
using Kind = NumberFormat::Token::Kind;
using Section = NumberFormat::Section;

// The code's sections, split at semicolons outside quotes, escapes and brackets.
std::vector<std::string> SplitSections(std::string_view code);

// One section's code read and its placeholders resolved: as a date section when it has date
// parts and no General, else as a number section.
Section CompileSection(std::string_view code);

// `value` through a number section; `minus` shows a sign before it.
std::string RenderNumberSection(const Section& section, double value, bool minus);

// The serial date or time `serial` through a date section.
std::string RenderDateSection(const Section& section, double serial, DateSystem system);

}  // namespace vintrel::host::workbook::format_steps

#endif  // VINTREL_HOST_WORKBOOK_NUMBER_FORMAT_STEPS_H_
