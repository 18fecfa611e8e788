// Character encodings of the text that reaches the program from outside (files, databases) and
// of the text it writes into presentations. Everything inside the program is UTF-8.
#ifndef VINTREL_HOST_COMMON_TEXT_ENCODING_H_
#define VINTREL_HOST_COMMON_TEXT_ENCODING_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vintrel::host {

// One character read from UTF-8 text: its code point and the length of its sequence.
struct Utf8Char {
  uint32_t code = 0;
  size_t length = 0;  // 0: the bytes there are not a well-formed sequence
};

// The character of the well-formed UTF-8 sequence at p (at most n > 0 bytes available). Overlong
// forms, encoded surrogates and code points above U+10FFFF are not well-formed.
inline Utf8Char DecodeUtf8(const unsigned char* p, size_t n) {
  unsigned char b = p[0];
  if (b < 0x80) return {b, 1};
  size_t len;
  uint32_t code;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
    code = b & 0x1Fu;
  } else if ((b & 0xF0) == 0xE0) {
    len = 3;
    code = b & 0x0Fu;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    code = b & 0x07u;
  } else {
    return {};
  }
  if (n < len) return {};
  for (size_t i = 1; i < len; ++i) {
    if ((p[i] & 0xC0) != 0x80) return {};
    code = (code << 6) | (p[i] & 0x3Fu);
  }
  if ((len == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
      (len == 4 && (code < 0x10000 || code > 0x10FFFF))) {
    return {};
  }
  return {code, len};
}

inline Utf8Char DecodeUtf8(std::string_view text, size_t at) {
  return DecodeUtf8(reinterpret_cast<const unsigned char*>(text.data()) + at, text.size() - at);
}

// Length of the well-formed UTF-8 sequence at p, 0 when the bytes there are not one.
inline size_t Utf8SequenceLength(const unsigned char* p, size_t n) {
  return DecodeUtf8(p, n).length;
}

inline bool IsValidUtf8(const char* text, size_t n) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0;
  while (i < n) {
    // Plain ASCII runs are the rule; check them eight bytes at a time.
    if (i + 8 <= n) {
      uint64_t word;
      std::memcpy(&word, p + i, sizeof word);
      if ((word & 0x8080808080808080ull) == 0) {
        i += 8;
        continue;
      }
    }
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    size_t len = Utf8SequenceLength(p + i, n - i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

// Appends the code point `code` to `out` in UTF-8.
void AppendUtf8(std::string& out, uint32_t code);

// Appends `n` bytes of Windows-1252 text, converted to UTF-8. The five bytes the code page
// leaves unassigned keep their C1 control code, as the system's own conversion does.
void AppendWindows1252(std::string& out, const char* p, size_t n);

// UTF-16 as UTF-8: `count` code units, or bytes (no byte-order mark) of which an odd last one is
// dropped. An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const char16_t* units, size_t count);
std::string Utf16BytesToUtf8(std::string_view bytes, bool big_endian);

// UTF-8 as UTF-16; each byte that is not part of a well-formed sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// `text` with its letters folded to one case, for the names a user types in any script that match
// without regard to case (field names, sheet names): each character becomes the lower case of its
// upper case (Unicode's tables), so final sigma matches sigma and dotless ı matches i. No letter
// becomes two: "STRASSE" and "straße" stay apart, as two sheets may carry those names, while
// "STRAẞE" and "straße" match. Bytes that are not UTF-8 stay as they are.
std::string FoldCase(std::string_view text);

// The one form in which text enters an XML part: valid UTF-8 stays as it is; bytes that are not
// UTF-8 (text from an older Windows program) are read as Windows-1252; characters XML 1.0
// cannot hold (controls other than TAB, LF and CR, U+FFFE, U+FFFF) are dropped. A vertical tab
// is kept when asked, for text that turns it into a line break afterwards.
std::string XmlText(std::string_view text, bool keep_vertical_tab = false);

}  // namespace vintrel::host

#endif  // VINTREL_HOST_COMMON_TEXT_ENCODING_H_
