// UTF-8 output for the character references and UTF-16 text that workbook files hold.
#ifndef VINTREL_HOST_WORKBOOK_UTF8_H_
#define VINTREL_HOST_WORKBOOK_UTF8_H_

#include <string>
#include <string_view>

#include "host/text_encoding.h"

namespace vintrel::host::workbook {

using host::AppendUtf8;

// `text` with its letters in lower case, for names that compare without regard to case as the
// program compares them: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic letters fold;
// everything else stays as it is.
std::string FoldCase(std::string_view text);

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_UTF8_H_
