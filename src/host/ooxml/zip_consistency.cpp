#include "host/ooxml/zip_consistency.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

namespace vintrel::ooxml {
namespace {

constexpr uint32_t kLocalHeader = 0x04034b50;
constexpr uint32_t kCentralHeader = 0x02014b50;
constexpr uint32_t kEndRecord = 0x06054b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kMaxComment = 0xFFFF;

uint32_t Le(const std::string& bytes, size_t at, int width) {
  uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
  }
  return value;
}

std::string ReadRange(const std::string& path, uint64_t from, uint64_t length) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(from));
  std::string out(length, '\0');
  in.read(out.data(), static_cast<std::streamsize>(length));
  out.resize(static_cast<size_t>(in.gcount()));
  return out;
}

uint64_t FileSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return in ? static_cast<uint64_t>(in.tellg()) : 0;
}

struct EndRecord {
  uint64_t at = 0;   // file offset of the record
  uint64_t end = 0;  // after its comment
  uint32_t directory_size = 0;
  uint32_t directory_offset = 0;
};

// The last end record whose comment fits inside the file.
std::optional<EndRecord> FindEndRecord(const std::string& path, uint64_t size) {
  uint64_t window = std::min<uint64_t>(size, kEndRecordSize + kMaxComment + 4096);
  std::string tail = ReadRange(path, size - window, window);
  for (size_t i = tail.size() >= kEndRecordSize ? tail.size() - kEndRecordSize + 1 : 0; i-- > 0;) {
    if (Le(tail, i, 4) != kEndRecord) continue;
    uint64_t at = size - window + i;
    uint64_t end = at + kEndRecordSize + Le(tail, i + 20, 2);
    if (end > size) continue;
    return EndRecord{at, end, Le(tail, i + 12, 4), Le(tail, i + 16, 4)};
  }
  return std::nullopt;
}

}  // namespace

std::optional<uint64_t> ArchiveLengthBeforeTrailingBytes(const std::string& path) {
  uint64_t size = FileSize(path);
  std::optional<EndRecord> record = FindEndRecord(path, size);
  if (!record || record->end >= size) return std::nullopt;
  return record->end;
}

std::string DescribeInconsistency(const std::string& path, uint64_t length) {
  std::optional<EndRecord> record = FindEndRecord(path, length);
  if (!record) return {};
  if (uint64_t{record->directory_offset} + record->directory_size > record->at) {
    return "its central directory reaches past its end record";
  }
  std::string directory = ReadRange(path, record->directory_offset, record->directory_size);
  struct Span {
    uint64_t from, to;
    std::string name;
  };
  std::vector<Span> spans;
  for (size_t at = 0; at + 46 <= directory.size() && Le(directory, at, 4) == kCentralHeader;) {
    uint32_t flags = Le(directory, at + 8, 2);
    uint32_t compressed = Le(directory, at + 20, 4);
    uint32_t size = Le(directory, at + 24, 4);
    size_t name_length = Le(directory, at + 28, 2);
    size_t next = at + 46 + name_length + Le(directory, at + 30, 2) + Le(directory, at + 32, 2);
    uint64_t offset = Le(directory, at + 42, 4);
    std::string name = directory.substr(at + 46, name_length);
    at = next;
    if (compressed == 0xFFFFFFFF || size == 0xFFFFFFFF || offset == 0xFFFFFFFF) continue;  // ZIP64
    std::string local = ReadRange(path, offset, 30);
    if (local.size() < 30 || Le(local, 0, 4) != kLocalHeader) {
      return "entry \"" + name + "\" has no local header where the directory says";
    }
    // Sizes in the local header are zero when a data descriptor follows the data.
    bool descriptor = (flags & 8) != 0 && Le(local, 18, 4) == 0;
    if (!descriptor && (Le(local, 18, 4) != compressed || Le(local, 22, 4) != size)) {
      return "entry \"" + name + "\" has other sizes in its local header than in the directory";
    }
    uint64_t data = offset + 30 + Le(local, 26, 2) + Le(local, 28, 2);
    if (data + compressed > record->directory_offset) {
      return "entry \"" + name + "\" reaches past the start of the directory";
    }
    spans.push_back({offset, data + compressed, name});
  }
  std::stable_sort(spans.begin(), spans.end(),
                   [](const Span& a, const Span& b) { return a.from < b.from; });
  for (size_t i = 1; i < spans.size(); ++i) {
    if (spans[i].from < spans[i - 1].to) {
      return "entries \"" + spans[i - 1].name + "\" and \"" + spans[i].name + "\" overlap";
    }
  }
  return {};
}

}  // namespace vintrel::ooxml
