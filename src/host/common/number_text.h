// Numbers written as text where another program or machine reads them back: tags and the cells
// of a chart's workbook.
#ifndef VINTREL_HOST_COMMON_NUMBER_TEXT_H_
#define VINTREL_HOST_COMMON_NUMBER_TEXT_H_

#include <string>

namespace vintrel {

// The shortest text that reads back as the same double, with a decimal point whatever the
// locale: "2", "-1", "0.25", "1e+300".
std::string FormatNumber(double value);

}  // namespace vintrel

#endif  // VINTREL_HOST_COMMON_NUMBER_TEXT_H_
