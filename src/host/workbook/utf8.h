// UTF-8 output for the character references and UTF-16 text that workbook files hold.
#ifndef VINTREL_HOST_WORKBOOK_UTF8_H_
#define VINTREL_HOST_WORKBOOK_UTF8_H_

#include <string>
#include <string_view>

namespace vintrel::host::workbook {

// Appends the code point `code` to `out` in UTF-8.
inline void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// `text` with its letters in lower case, for names that compare without regard to case as the
// program compares them: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic letters fold;
// everything else stays as it is.
std::string FoldCase(std::string_view text);

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_UTF8_H_
