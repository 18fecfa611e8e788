// Reading the entries of a zip package (a presentation, a workbook) that may come from anyone:
// entry names must stay inside the package, encrypted entries are refused, and how far entries
// inflate is bounded. Sizes are checked against what the archive declares and again while an
// entry inflates, because a zip bomb may declare small sizes.
#ifndef VINTREL_HOST_COMMON_ZIP_READER_H_
#define VINTREL_HOST_COMMON_ZIP_READER_H_

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/common/no_case_map.h"

struct zip;

namespace vintrel::host {

struct ZipLimits {
  uint64_t max_xml_part = 256ull << 20;        // one XML or relationship part, inflated
  uint64_t max_other_part = 1ull << 30;        // one binary part (media), inflated
  uint64_t max_total_inflated = 512ull << 20;  // all distinct parts inflated from one file
  uint64_t max_entries = 200000;
};

class ZipReader {
 public:
  struct Entry {
    std::string name;  // as stored (no leading slash)
    uint64_t index = 0;
    uint64_t declared_size = 0;
    time_t mtime = 0;
    int32_t method = 8;  // 0 stored, 8 deflated
    uint64_t compressed_size = 0;
    uint32_t crc = 0;
    bool crc_known = false;
    bool xml = false;  // .xml, .rels or .vml: a part that is inflated whole and parsed
  };

  // Takes over `archive` (opened read-only) and checks its entries. Failures raise vintrel::Error
  // from `source` with the description "<what>: <problem>": too many entries, an entry name that
  // climbs out of the package (parent steps, absolute or drive paths, backslashes), an encrypted
  // entry, two names that differ only in case.
  static std::unique_ptr<ZipReader> Take(zip* archive, std::string what, std::string source,
                                         const ZipLimits& limits);
  // The same for a package held in memory; a damaged or incomplete one is refused.
  static std::unique_ptr<ZipReader> FromBytes(std::string bytes, std::string what,
                                              std::string source, const ZipLimits& limits);
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  const std::vector<Entry>& entries() const { return entries_; }
  // Names compare without regard to ASCII case, as package part names do.
  const Entry* Find(std::string_view name) const;
  bool Has(std::string_view name) const { return Find(name) != nullptr; }
  // The inflated entry. Refused when it declares or inflates to more than its kind's limit or
  // than it declared, or when it would take the distinct entries inflated so far beyond the
  // total (an entry read again counts once).
  std::string Inflate(const Entry& entry) const;
  // The inflated entry `name`; nothing when there is none.
  std::optional<std::string> Read(std::string_view name) const;

  zip* archive() const { return archive_; }
  [[noreturn]] void Fail(const std::string& problem) const;

 private:
  ZipReader(zip* archive, std::string what, std::string source, const ZipLimits& limits);
  void Index();
  // A small deflated part, inflated here by libdeflate with one reused decompressor: through
  // libzip and zlib, setting up a stream for each of a deck's thousands of small tag parts cost
  // more than inflating them. Null when the entry is not one.
  std::optional<std::string> InflateSmall(const Entry& entry, uint64_t room) const;
  struct Inflater;
  mutable std::unique_ptr<Inflater> inflater_;

  std::string bytes_;  // a package held in memory, which the archive reads in place
  zip* archive_;
  std::string what_;
  std::string source_;
  ZipLimits limits_;
  std::vector<Entry> entries_;
  NoCaseMap<size_t> by_key_;                                 // lower-case name -> entries_ index
  mutable std::unordered_map<uint64_t, uint64_t> inflated_;  // entry index -> inflated size
  mutable uint64_t inflated_total_ = 0;
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_COMMON_ZIP_READER_H_
