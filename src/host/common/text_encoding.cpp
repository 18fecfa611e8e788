#include "host/common/text_encoding.h"

#include <locale.h>
#include <wctype.h>

namespace vintrel::host {
namespace {

// Code points of the bytes 0x80 to 0x9F.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t Windows1252Code(unsigned char b) {
  return b < 0x80 ? b : (b < 0xA0 ? kCp1252High[b - 0x80] : b);
}

bool XmlAllows(uint32_t code, bool keep_vertical_tab) {
  if (code < 0x20) {
    return code == '\t' || code == '\n' || code == '\r' || (keep_vertical_tab && code == '\v');
  }
  return code != 0xFFFE && code != 0xFFFF;
}

}  // namespace

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void AppendWindows1252(std::string& out, const char* p, size_t n) {
  for (size_t i = 0; i < n; ++i) AppendUtf8(out, Windows1252Code(static_cast<unsigned char>(p[i])));
}

namespace {

// UTF-16 code units, read one at a time through `unit(i)`, as UTF-8.
template <class Unit>
std::string Utf16UnitsToUtf8(size_t count, Unit unit) {
  std::string out;
  out.reserve(count);
  for (size_t k = 0; k < count; ++k) {
    uint32_t code = unit(k);
    if (code >= 0xD800 && code <= 0xDBFF && k + 1 < count) {
      uint32_t low = unit(k + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
        ++k;
        continue;
      }
    }
    AppendUtf8(out, code >= 0xD800 && code <= 0xDFFF ? 0xFFFD : code);
  }
  return out;
}

}  // namespace

std::string Utf16ToUtf8(const char16_t* units, size_t count) {
  return Utf16UnitsToUtf8(count, [units](size_t k) -> uint32_t { return units[k]; });
}

std::string Utf16BytesToUtf8(std::string_view bytes, bool big_endian) {
  return Utf16UnitsToUtf8(bytes.size() / 2, [&](size_t k) -> uint32_t {
    auto b0 = static_cast<unsigned char>(bytes[2 * k]);
    auto b1 = static_cast<unsigned char>(bytes[2 * k + 1]);
    return big_endian ? (b0 << 8 | b1) : (b1 << 8 | b0);
  });
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    Utf8Char c = DecodeUtf8(text, i);
    if (c.length == 0) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    i += c.length;
    if (c.code >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c.code - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + (c.code & 0x3FF));
    } else {
      out += static_cast<char16_t>(c.code);
    }
  }
  return out;
}

std::string FoldCase(std::string_view text) {
  // The C library's Unicode tables, through the one locale that is always there and does not
  // depend on the user's settings.
  static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  std::string folded;
  folded.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      folded += b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : static_cast<char>(b);
      ++i;
      continue;
    }
    Utf8Char c = DecodeUtf8(text, i);
    if (c.length == 0 || unicode == locale_t{}) {
      folded += static_cast<char>(b);  // not UTF-8: the byte stays
      ++i;
      continue;
    }
    AppendUtf8(folded, static_cast<uint32_t>(towlower_l(towupper_l(c.code, unicode), unicode)));
    i += c.length;
  }
  return folded;
}

std::string XmlText(std::string_view text, bool keep_vertical_tab) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
  size_t n = text.size();
  std::string out;
  out.reserve(n);
  for (size_t i = 0; i < n;) {
    if (p[i] >= 0x20 && p[i] < 0x80) {
      out += static_cast<char>(p[i++]);
      continue;
    }
    if (Utf8Char c = DecodeUtf8(p + i, n - i); c.length > 0) {
      if (XmlAllows(c.code, keep_vertical_tab)) out.append(text.substr(i, c.length));
      i += c.length;
      continue;
    }
    // An encoded surrogate is well-formed in shape but names no character: it goes whole.
    if (p[i] == 0xED && i + 2 < n && p[i + 1] >= 0xA0 && p[i + 1] <= 0xBF &&
        (p[i + 2] & 0xC0) == 0x80) {
      i += 3;
      continue;
    }
    uint32_t code = Windows1252Code(p[i++]);
    if (XmlAllows(code, keep_vertical_tab)) AppendUtf8(out, code);
  }
  return out;
}

}  // namespace vintrel::host
