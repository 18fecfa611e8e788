// Writes small legacy workbooks record by record (Excel 2 to 95), and the compound document that
// holds them, so that tests control every byte the reader sees.
#ifndef VINTREL_TESTS_HOST_WORKBOOK_BIFF_BUILDER_H_
#define VINTREL_TESTS_HOST_WORKBOOK_BIFF_BUILDER_H_

#include <cstdint>
#include <string>

namespace vintrel::host::workbook::testing {

// Little-endian fields.
std::string Le16(unsigned value);
std::string Le32(uint32_t value);
std::string LeDouble(double value);

std::string BiffRecord(unsigned type, const std::string& payload);
// The BOF record of a version (2, 3, 4, 5 or 8) and a substream kind (0x0005 globals, 0x0010
// worksheet, 0x0100 an Excel 4 workbook's globals).
std::string BiffBof(int version, unsigned kind);
std::string BiffEof();
// A byte string with its length in one byte or two.
std::string ByteText(const std::string& bytes, bool short_length);

// ASCII text as UTF-16LE bytes, as stream names are stored.
std::string Utf16Le(const std::string& ascii);

// A compound document holding one stream.
std::string CompoundDocument(const std::u16string& name, std::string stream);

}  // namespace vintrel::host::workbook::testing

#endif  // VINTREL_TESTS_HOST_WORKBOOK_BIFF_BUILDER_H_
