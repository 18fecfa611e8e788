#include "biff_builder.h"

#include <cstring>
#include <vector>

namespace vintrel::host::workbook::testing {

std::string Le16(unsigned value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

std::string Le32(uint32_t value) {
  return Le16(value & 0xFFFF) + Le16(value >> 16);
}

std::string LeDouble(double value) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return Le32(static_cast<uint32_t>(bits)) + Le32(static_cast<uint32_t>(bits >> 32));
}

std::string BiffRecord(unsigned type, const std::string& payload) {
  return Le16(type) + Le16(static_cast<unsigned>(payload.size())) + payload;
}

std::string BiffBof(int version, unsigned kind) {
  switch (version) {
    case 2:
      return BiffRecord(0x0009, Le16(0x0002) + Le16(kind));
    case 3:
      return BiffRecord(0x0209, Le16(0x0300) + Le16(kind) + Le16(0));
    case 4:
      return BiffRecord(0x0409, Le16(0x0400) + Le16(kind) + Le16(0));
    default:
      return BiffRecord(0x0809, Le16(version == 5 ? 0x0500 : 0x0600) + Le16(kind) + Le16(0x0DBB) +
                                    Le16(0x07CC) + (version == 8 ? std::string(8, '\0') : ""));
  }
}

std::string BiffEof() {
  return BiffRecord(0x000A, "");
}

std::string ByteText(const std::string& bytes, bool short_length) {
  unsigned size = static_cast<unsigned>(bytes.size());
  return (short_length ? std::string(1, static_cast<char>(size)) : Le16(size)) + bytes;
}

std::string Utf16Le(const std::string& ascii) {
  std::string text;
  for (char c : ascii) text += Le16(static_cast<unsigned char>(c));
  return text;
}

std::string CompoundDocument(const std::u16string& name, std::string stream) {
  constexpr uint32_t kFree = 0xFFFFFFFF, kEnd = 0xFFFFFFFE, kTable = 0xFFFFFFFD;
  const size_t size = std::max<size_t>(stream.size(), 4096);  // kept out of the mini stream
  stream.resize((size + 511) / 512 * 512, '\0');
  const uint32_t sectors = static_cast<uint32_t>(stream.size() / 512);
  std::vector<uint32_t> table = {kTable};
  for (uint32_t i = 1; i < sectors; ++i) table.push_back(i + 1);
  table.push_back(kEnd);  // the stream's last sector
  table.push_back(kEnd);  // the directory
  table.resize(128, kFree);
  std::string header = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(16, '\0');
  header += Le16(0x3E) + Le16(3) + Le16(0xFFFE) + Le16(9) + Le16(6) + std::string(6, '\0');
  for (uint32_t field : {0u, 1u, sectors + 1, 0u, 4096u, kEnd, 0u, kEnd, 0u}) header += Le32(field);
  header += Le32(0);
  for (int i = 1; i < 109; ++i) header += Le32(kFree);
  auto entry = [](const std::u16string& entry_name, int kind, uint32_t child, uint32_t start,
                  uint32_t length) {
    std::string text;
    for (char16_t c : entry_name + u'\0') text += Le16(c);
    const unsigned name_bytes = static_cast<unsigned>(text.size());
    text.resize(64, '\0');
    text += Le16(name_bytes) + std::string(1, static_cast<char>(kind)) + std::string(1, '\1');
    text += Le32(kFree) + Le32(kFree) + Le32(child) + std::string(36, '\0');
    return text + Le32(start) + Le32(length) + Le32(0);
  };
  std::string directory =
      entry(u"Root Entry", 5, 1, kEnd, 0) + entry(name, 2, kFree, 1, static_cast<uint32_t>(size));
  directory.resize(512, '\0');
  std::string table_sector;
  for (uint32_t value : table) table_sector += Le32(value);
  return header + table_sector + stream + directory;
}

}  // namespace vintrel::host::workbook::testing
