#include "host/workbook/biff_records.h"

#include <iconv.h>

#include <cstring>

#include "host/common/text_encoding.h"

namespace vintrel::host::workbook {

double Double(std::string_view record, size_t at) {
  uint64_t bits =
      static_cast<uint64_t>(U32(record, at)) | static_cast<uint64_t>(U32(record, at + 4)) << 32;
  double number = 0;
  std::memcpy(&number, &bits, sizeof number);
  return number;
}

double RkNumber(uint32_t rk) {
  double number = 0;
  if (rk & 0x02) {
    number = static_cast<double>(static_cast<int32_t>(rk) >> 2);
  } else {
    uint64_t bits = static_cast<uint64_t>(rk & 0xFFFFFFFC) << 32;
    std::memcpy(&number, &bits, sizeof number);
  }
  return rk & 0x01 ? number / 100 : number;
}

std::string ErrorText(uint8_t code) {
  switch (code) {
    case 0x00:
      return "#NULL!";
    case 0x07:
      return "#DIV/0!";
    case 0x0F:
      return "#VALUE!";
    case 0x17:
      return "#REF!";
    case 0x1D:
      return "#NAME?";
    case 0x24:
      return "#NUM!";
    default:
      return "#N/A";
  }
}

std::vector<Record> Records(std::string_view stream, size_t at) {
  std::vector<Record> records;
  while (at + 4 <= stream.size()) {
    uint16_t type = U16(stream, at);
    uint16_t length = U16(stream, at + 2);
    if (at + 4 + length > stream.size()) break;
    records.push_back({type, stream.substr(at + 4, length)});
    at += 4 + length;
    if (type == 0x000A) break;
  }
  return records;
}

std::string RecordReader::String() {
  size_t count = ReadU16();
  uint8_t options = ReadU8();
  size_t runs = options & 0x08 ? ReadU16() : 0;
  size_t phonetic = options & 0x04 ? ReadU32() : 0;
  bool wide = options & 0x01;
  std::string text;
  for (size_t i = 0; i < count && !AtEnd(); ++i) {
    if (AtBoundary()) wide = ReadU8() & 0x01;
    if (wide) {
      unsigned code = ReadU16();
      if (code >= 0xD800 && code < 0xDC00 && i + 1 < count && !AtBoundary()) {
        // A pair of UTF-16 surrogates makes one character beyond the basic plane.
        unsigned low = U16(data_, pos_);
        if (low >= 0xDC00 && low < 0xE000) {
          Skip(2);
          ++i;
          code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
      }
      AppendUtf8(text, code);
    } else {
      AppendUtf8(text, ReadU8());
    }
  }
  Skip(runs * 4 + phonetic);
  return text;
}

std::string RecordString(std::string_view record, size_t at, bool short_length) {
  std::string data(record.substr(std::min(at, record.size())));
  if (short_length) data.insert(std::min<size_t>(1, data.size()), 1, '\0');
  return RecordReader(std::move(data), {}).String();
}

std::string CodePageText(std::string_view bytes, int code_page) {
  std::string text;
  bool ascii = std::all_of(bytes.begin(), bytes.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return std::string(bytes);
  if (code_page == 1200) return Utf16BytesToUtf8(bytes, false);
  // 1252 (and 0x8001, its number in early files) is the common case, and the fallback for code
  // pages the system cannot convert.
  std::string name = code_page == 0x8000 ? "MACINTOSH" : "CP" + std::to_string(code_page);
  if (code_page != 1252 && code_page != 0x8001 && code_page > 0) {
    iconv_t converter = iconv_open("UTF-8", name.c_str());
    if (converter != reinterpret_cast<iconv_t>(-1)) {
      std::string in(bytes);
      text.resize(bytes.size() * 4);
      char* from = in.data();
      size_t from_left = in.size();
      char* to = text.data();
      size_t to_left = text.size();
      size_t done = iconv(converter, &from, &from_left, &to, &to_left);
      iconv_close(converter);
      if (done != static_cast<size_t>(-1)) {
        text.resize(text.size() - to_left);
        return text;
      }
      text.clear();
    }
  }
  AppendWindows1252(text, bytes.data(), bytes.size());
  return text;
}

std::string ByteString(std::string_view record, size_t at, bool short_length, int code_page) {
  size_t length = short_length ? U8(record, at) : U16(record, at);
  size_t start = std::min(record.size(), at + (short_length ? 1 : 2));
  return CodePageText(record.substr(start, std::min(length, record.size() - start)), code_page);
}

}  // namespace vintrel::host::workbook
