#include "host/workbook/compound_file.h"

#include <algorithm>

#include "host/workbook/biff_records.h"

namespace vintrel::host::workbook {

namespace {

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr size_t kHeaderDifatEntries = 109;

// Directory names compare as the container's writers do: letters in either case are the same.
char16_t Upper(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - u'a' + u'A');
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  return c;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return Upper(x) == Upper(y); });
}

}  // namespace

bool CompoundFile::Load() {
  if (file_.size() < 512 || file_.substr(0, 8) != "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") {
    return false;
  }
  uint16_t shift = U16(file_, 0x1E);
  if (shift != 9 && shift != 12) return false;
  sector_size_ = size_t{1} << shift;
  if (size_t rest = file_.size() % sector_size_; rest != 0) {
    short_tail_ = std::string(file_.substr(file_.size() - rest));
    short_tail_.resize(sector_size_, '\0');
  }
  mini_cutoff_ = U32(file_, 0x38);
  // The sector table's own sectors: 109 listed in the header, the rest in a chain of lists.
  // The table needs one entry per sector of the file, so no more of its sectors than that are
  // read: lists naming more (one sector over and over, say) made a 1 MiB file take a minute
  // and 400 MiB, growing with the square of the file's size.
  const size_t needed = SectorCount() / (sector_size_ / 4) + 1;
  std::vector<uint32_t> table_sectors;
  for (size_t i = 0; i < kHeaderDifatEntries && table_sectors.size() < needed; ++i) {
    uint32_t sector = U32(file_, 0x4C + 4 * i);
    if (sector != kFreeSector && sector != kEndOfChain) table_sectors.push_back(sector);
  }
  uint32_t list = U32(file_, 0x44);
  for (size_t guard = 0;
       list != kEndOfChain && list != kFreeSector && table_sectors.size() < needed; ++guard) {
    if (guard > SectorCount()) return false;
    std::string_view sector = Sector(list);
    if (sector.empty()) return false;
    size_t per = sector_size_ / 4 - 1;
    for (size_t i = 0; i < per; ++i) {
      uint32_t entry = U32(sector, 4 * i);
      if (entry != kFreeSector && entry != kEndOfChain) table_sectors.push_back(entry);
    }
    list = U32(sector, 4 * per);
  }
  table_sectors.resize(std::min(table_sectors.size(), needed));
  for (uint32_t sector_id : table_sectors) {
    std::string_view sector = Sector(sector_id);
    if (sector.empty()) return false;
    for (size_t i = 0; i < sector_size_ / 4; ++i) table_.push_back(U32(sector, 4 * i));
  }
  std::optional<std::string> directory = Chain(U32(file_, 0x30), 0, false);
  if (!directory) return false;
  directory_ = std::move(*directory);
  mini_table_ = {};
  if (std::optional<std::string> mini = Chain(U32(file_, 0x3C), 0, false)) {
    for (size_t i = 0; i + 4 <= mini->size(); i += 4) mini_table_.push_back(U32(*mini, i));
  }
  if (directory_.size() >= 128) {
    std::optional<std::string> root = Chain(U32(directory_, 0x74), U32(directory_, 0x78), true);
    if (root) mini_stream_ = std::move(*root);
  }
  return true;
}

size_t CompoundFile::FindEntry(std::u16string_view wanted) const {
  for (size_t at = 0; at + 128 <= directory_.size(); at += 128) {
    if (directory_[at + 0x42] != 2) continue;  // not a stream
    size_t length = U16(directory_, at + 0x40);
    if (length < 2 || length > 64) continue;
    std::u16string name;
    for (size_t i = 0; i + 2 < length; i += 2) {
      name.push_back(static_cast<char16_t>(U16(directory_, at + i)));
    }
    if (SameName(name, wanted)) return at;
  }
  return std::string::npos;
}

bool CompoundFile::HasStream(std::u16string_view wanted) const {
  return FindEntry(wanted) != std::string::npos;
}

std::optional<std::string> CompoundFile::Stream(std::u16string_view wanted) const {
  size_t at = FindEntry(wanted);
  if (at == std::string::npos) return std::nullopt;
  uint32_t start = U32(directory_, at + 0x74);
  uint32_t size = U32(directory_, at + 0x78);
  if (size < mini_cutoff_) return MiniChain(start, size);
  return Chain(start, size, true);
}

std::string_view CompoundFile::Sector(uint32_t id) const {
  size_t offset = (static_cast<size_t>(id) + 1) * sector_size_;
  if (id >= kEndOfChain - 8 || offset >= file_.size()) return {};
  if (offset + sector_size_ > file_.size()) return short_tail_;
  return file_.substr(offset, sector_size_);
}

// The sectors of a chain joined; with `exact`, cut to `size` and refused when too short.
std::optional<std::string> CompoundFile::Chain(uint32_t start, size_t size, bool exact) const {
  std::string data;
  uint32_t id = start;
  for (size_t guard = 0; id != kEndOfChain; ++guard) {
    if (guard > SectorCount() || id >= table_.size()) return std::nullopt;
    std::string_view sector = Sector(id);
    if (sector.empty()) return std::nullopt;
    data.append(sector);
    if (exact && data.size() >= size) break;
    id = table_[id];
  }
  if (exact) {
    if (data.size() < size) return std::nullopt;
    data.resize(size);
  }
  return data;
}

std::optional<std::string> CompoundFile::MiniChain(uint32_t start, size_t size) const {
  std::string data;
  uint32_t id = start;
  for (size_t guard = 0; data.size() < size; ++guard) {
    // A chain longer than the mini stream runs in a circle.
    if (guard > mini_table_.size() || id >= mini_table_.size() ||
        data.size() >= mini_stream_.size()) {
      return std::nullopt;
    }
    size_t offset = static_cast<size_t>(id) * 64;
    if (offset + 64 > mini_stream_.size()) return std::nullopt;
    data.append(mini_stream_, offset, 64);
    id = mini_table_[id];
  }
  data.resize(size);
  return data;
}

std::optional<std::string> ReadCompoundStream(std::string_view file, std::u16string_view name) {
  CompoundFile compound(file);
  if (!compound.Load()) return std::nullopt;
  return compound.Stream(name);
}

}  // namespace vintrel::host::workbook
