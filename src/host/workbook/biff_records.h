// The record stream of a legacy workbook (BIFF2 to BIFF8): little-endian fields, records of a
// type and a payload, and the strings of each version.
#ifndef VINTREL_HOST_WORKBOOK_BIFF_RECORDS_H_
#define VINTREL_HOST_WORKBOOK_BIFF_RECORDS_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vintrel::host::workbook {

inline uint16_t U16(std::string_view data, size_t at) {
  if (at + 2 > data.size()) return 0;
  return static_cast<uint16_t>(static_cast<unsigned char>(data[at]) |
                               static_cast<unsigned char>(data[at + 1]) << 8);
}

inline uint32_t U32(std::string_view data, size_t at) {
  if (at + 4 > data.size()) return 0;
  return static_cast<uint32_t>(U16(data, at)) | static_cast<uint32_t>(U16(data, at + 2)) << 16;
}

inline uint8_t U8(std::string_view data, size_t at) {
  return at < data.size() ? static_cast<uint8_t>(data[at]) : 0;
}

double Double(std::string_view record, size_t at);
double RkNumber(uint32_t rk);
std::string ErrorText(uint8_t code);

struct Record {
  uint16_t type;
  std::string_view data;
};

// The records from `at` up to and including the next EOF record.
std::vector<Record> Records(std::string_view stream, size_t at);

// Record payloads joined across CONTINUE records, remembering where each one began: a string
// that runs over a record boundary starts again with an option byte there.
class RecordReader {
 public:
  RecordReader(std::string data, std::vector<size_t> starts)
      : data_(std::move(data)), starts_(std::move(starts)) {}

  bool AtEnd() const { return pos_ >= data_.size(); }
  void Skip(size_t count) { pos_ = std::min(data_.size(), pos_ + count); }
  uint16_t ReadU16() {
    uint16_t value = U16(data_, pos_);
    Skip(2);
    return value;
  }
  uint32_t ReadU32() {
    uint32_t value = U32(data_, pos_);
    Skip(4);
    return value;
  }
  uint8_t ReadU8() {
    uint8_t value = U8(data_, pos_);
    Skip(1);
    return value;
  }
  // An XLUnicodeRichExtendedString (BIFF8): length, options, optional run and phonetic sizes,
  // the characters, then the runs and phonetic data, which are skipped.
  std::string String();

 private:
  bool AtBoundary() const {
    return std::find(starts_.begin(), starts_.end(), pos_) != starts_.end();
  }

  std::string data_;
  std::vector<size_t> starts_;  // where the CONTINUE payloads begin
  size_t pos_ = 0;
};

// A BIFF8 string inside one record, its length in one byte or two.
std::string RecordString(std::string_view record, size_t at, bool short_length);

// Text of the versions before BIFF8: bytes in the workbook's code page (a CODEPAGE record's
// number; 1252 when the file names none), as UTF-8.
std::string CodePageText(std::string_view bytes, int code_page);

// A byte string of the versions before BIFF8 at `at`: its length in one byte or two, then the
// bytes.
std::string ByteString(std::string_view record, size_t at, bool short_length, int code_page);

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_BIFF_RECORDS_H_
