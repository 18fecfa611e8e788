// The compound document: the container of .xls workbooks (and of encrypted .xlsx packages), a
// small file system of fixed-size sectors chained by a table, with a directory of named streams.
#ifndef VINTREL_HOST_WORKBOOK_COMPOUND_FILE_H_
#define VINTREL_HOST_WORKBOOK_COMPOUND_FILE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vintrel::host::workbook {

class CompoundFile {
 public:
  explicit CompoundFile(std::string_view file) : file_(file) {}

  // Reads the header, the sector table and the directory; false when the bytes are no such
  // document, or are damaged.
  bool Load();
  // The named stream; names compare without letter case, as the container's own rules have it.
  std::optional<std::string> Stream(std::u16string_view wanted) const;
  bool HasStream(std::u16string_view wanted) const;

 private:
  size_t SectorCount() const { return (file_.size() + sector_size_ - 1) / sector_size_; }
  std::string_view Sector(uint32_t id) const;
  // The directory entry of a stream named `wanted`; npos when there is none.
  size_t FindEntry(std::u16string_view wanted) const;
  std::optional<std::string> Chain(uint32_t start, size_t size, bool exact) const;
  std::optional<std::string> MiniChain(uint32_t start, size_t size) const;

  std::string_view file_;
  // Writers may leave the last sector short of its full size; it is read as if filled with zeros.
  std::string short_tail_;
  size_t sector_size_ = 512;
  size_t mini_cutoff_ = 4096;
  std::vector<uint32_t> table_;
  std::vector<uint32_t> mini_table_;
  std::string directory_;
  std::string mini_stream_;
};

// The named stream of a compound document; nothing when the bytes are no such document, or are
// damaged.
std::optional<std::string> ReadCompoundStream(std::string_view file, std::u16string_view name);

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_COMPOUND_FILE_H_
