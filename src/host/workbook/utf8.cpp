#include "host/workbook/utf8.h"

namespace vintrel::host::workbook {

namespace {

unsigned LowerCodePoint(unsigned c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;  // Latin-1
  if (c == 0x178) return 0xFF;  // Y with diaeresis has its small letter in Latin-1
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
      c != 0x17F) {
    // Latin Extended-A pairs upper and lower letters, upper first, except in 0x139-0x148 and
    // 0x179-0x17E where the pairs start on odd code points.
    bool odd_first = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    bool upper = odd_first ? (c % 2 == 1) : (c % 2 == 0);
    return upper ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;  // Greek
  if (c >= 0x410 && c <= 0x42F) return c + 32;                // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

}  // namespace

std::string FoldCase(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (i + length > text.size() || (lead >= 0x80 && lead < 0xC0)) {
      folded.push_back(text[i++]);  // not UTF-8: keep the byte
      continue;
    }
    unsigned code = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (size_t k = 1; k < length; ++k) {
      code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    AppendUtf8(folded, LowerCodePoint(code));
    i += length;
  }
  return folded;
}

}  // namespace vintrel::host::workbook
