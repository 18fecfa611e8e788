#include "testing/hostile_zip.h"

#include <zlib.h>

namespace vintrel::testing {

namespace {

std::string Le(uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return out;
}

uint32_t Size(const std::string& text) {
  return static_cast<uint32_t>(text.size());
}

}  // namespace

RawEntry Stored(const std::string& name, const std::string& data) {
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
  return {name, data, 0, Size(data), static_cast<uint32_t>(crc)};
}

std::string RawZip(const std::vector<RawEntry>& entries) {
  std::string out, directory;
  for (const RawEntry& entry : entries) {
    // Version needed, flags, method, time and date, checksum, sizes, name and extra lengths.
    std::string common = Le(20, 2) + Le(0, 2) + Le(entry.method, 2) + Le(0, 4) + Le(entry.crc, 4) +
                         Le(Size(entry.data), 4) + Le(entry.size, 4) + Le(Size(entry.name), 2) +
                         Le(0, 2);
    // Made by, the common fields, comment length, disk, attributes, local header offset.
    directory += Le(0x02014b50, 4) + Le(20, 2) + common + Le(0, 2) + Le(0, 2) + Le(0, 2) +
                 Le(0, 4) + Le(Size(out), 4) + entry.name;
    out += Le(0x04034b50, 4) + common + entry.name + entry.data;
  }
  const uint32_t count = static_cast<uint32_t>(entries.size());
  return out + directory + Le(0x06054b50, 4) + Le(0, 2) + Le(0, 2) + Le(count, 2) + Le(count, 2) +
         Le(Size(directory), 4) + Le(Size(out), 4) + Le(0, 2);
}

std::string DeflateBomb(int gib) {
  // One MiB compressed and fully flushed, so that each copy stands alone; then the copies and an
  // empty final block.
  z_stream stream{};
  deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
  std::string mebibyte(1 << 20, ' ');
  std::string segment(1 << 16, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(mebibyte.data());
  stream.avail_in = Size(mebibyte);
  stream.next_out = reinterpret_cast<Bytef*>(segment.data());
  stream.avail_out = Size(segment);
  deflate(&stream, Z_FULL_FLUSH);
  segment.resize(segment.size() - stream.avail_out);
  deflateEnd(&stream);
  std::string bomb;
  bomb.reserve(segment.size() * 1024 * static_cast<size_t>(gib) + 2);
  for (int i = 0; i < 1024 * gib; ++i) bomb += segment;
  return bomb + std::string("\x03\x00", 2);
}

std::string NestedXml(int depth, const std::string& name) {
  std::string xml;
  xml.reserve(static_cast<size_t>(depth) * (2 * name.size() + 5));
  for (int i = 0; i < depth; ++i) xml += "<" + name + ">";
  for (int i = 0; i < depth; ++i) xml += "</" + name + ">";
  return xml;
}

}  // namespace vintrel::testing
