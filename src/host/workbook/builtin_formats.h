// The number formats that workbooks name by id alone.
#ifndef VINTREL_HOST_WORKBOOK_BUILTIN_FORMATS_H_
#define VINTREL_HOST_WORKBOOK_BUILTIN_FORMATS_H_

#include <string>

namespace vintrel::host::workbook {

// The format code of a built-in number format id as the program shows it for en-US; empty text
// for ids that have no fixed code.
std::string BuiltInFormatCode(int id);

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_BUILTIN_FORMATS_H_
