// Read-only access to the parts of a zip package held in memory, with a ceiling on how much any
// part may expand to, so that a small hostile file cannot exhaust memory.
#ifndef VINTREL_HOST_WORKBOOK_ZIP_ARCHIVE_H_
#define VINTREL_HOST_WORKBOOK_ZIP_ARCHIVE_H_

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>

struct zip;

namespace vintrel::host::workbook {

class ZipArchive {
 public:
  // Opens the package in `bytes`; `what` names it in error descriptions. Fails with an Error when
  // the bytes are not a complete zip package.
  ZipArchive(std::string bytes, std::string what, size_t max_part_bytes, size_t max_total_bytes);
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // Whether a part exists; names compare without regard to letter case, as packages do.
  bool Has(const std::string& name) const;
  // The expanded part; nothing when it does not exist. Fails when it is damaged or expands
  // beyond the limits.
  std::optional<std::string> Read(const std::string& name);

 private:
  std::string bytes_;
  std::string what_;
  size_t max_part_bytes_;
  size_t max_total_bytes_;
  size_t total_read_ = 0;                  // expanded bytes of distinct parts read so far
  std::map<std::string, size_t> counted_;  // part -> its size, counted once however often read
  zip* archive_ = nullptr;
  std::map<std::string, long long> index_;  // lower-case name -> entry index
};

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_ZIP_ARCHIVE_H_
