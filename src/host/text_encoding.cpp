#include "host/text_encoding.h"

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

std::string Utf16BytesToUtf8(std::string_view bytes, bool big_endian) {
  auto unit = [&](size_t i) -> uint32_t {
    auto b0 = static_cast<unsigned char>(bytes[i]);
    auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    return big_endian ? (b0 << 8 | b1) : (b1 << 8 | b0);
  };
  std::string out;
  out.reserve(bytes.size() / 2);
  size_t units = bytes.size() / 2;
  for (size_t k = 0; k < units; ++k) {
    uint32_t code = unit(2 * k);
    if (code >= 0xD800 && code <= 0xDBFF && k + 1 < units) {
      uint32_t low = unit(2 * (k + 1));
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
    if (size_t len = Utf8SequenceLength(p + i, n - i); len > 0) {
      uint32_t code = p[i];
      if (len > 1) {
        code &= 0x3Fu >> (len - 1);
        for (size_t k = 1; k < len; ++k) code = (code << 6) | (p[i + k] & 0x3Fu);
      }
      if (XmlAllows(code, keep_vertical_tab)) out.append(text.substr(i, len));
      i += len;
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
