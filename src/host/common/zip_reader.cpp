#include "host/common/zip_reader.h"

#include <libdeflate.h>
#include <zip.h>

#include <algorithm>

#include "host/common/ascii.h"
#include "host/common/huge_pages.h"
#include "host/error.h"

namespace vintrel::host {
namespace {

// What makes an entry name climb out of the package, or empty text when nothing does: parent
// steps, absolute or drive paths, backslashes (which some unpackers treat as separators).
std::string UnsafeNameProblem(std::string_view name) {
  if (name.empty()) return "an entry without a name";
  if (name.front() == '/') return "an entry with an absolute name";
  if (name.find('\\') != std::string_view::npos) return "an entry name with a backslash";
  if (name.size() >= 2 && name[1] == ':') return "an entry name with a drive letter";
  if (name.find('\0') != std::string_view::npos) return "an entry name with a NUL character";
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return "an entry name with \"..\"";
    start = end + 1;
  }
  return {};
}

std::string Size(uint64_t bytes) {
  return bytes >= (1u << 20) ? std::to_string(bytes >> 20) + " MiB"
                             : std::to_string(bytes >> 10) + " KiB";
}

}  // namespace

std::unique_ptr<ZipReader> ZipReader::Take(zip* archive, std::string what, std::string source,
                                           const ZipLimits& limits) {
  std::unique_ptr<ZipReader> reader(
      new ZipReader(archive, std::move(what), std::move(source), limits));
  reader->Index();
  return reader;
}

std::unique_ptr<ZipReader> ZipReader::FromBytes(std::string bytes, std::string what,
                                                std::string source, const ZipLimits& limits) {
  std::unique_ptr<ZipReader> reader(
      new ZipReader(nullptr, std::move(what), std::move(source), limits));
  reader->bytes_ = std::move(bytes);
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer =
      zip_source_buffer_create(reader->bytes_.data(), reader->bytes_.size(), 0, &error);
  if (buffer != nullptr) {
    reader->archive_ = zip_open_from_source(buffer, ZIP_RDONLY, &error);
    if (reader->archive_ == nullptr) zip_source_free(buffer);
  }
  std::string reason = zip_error_strerror(&error);
  zip_error_fini(&error);
  if (reader->archive_ == nullptr) {
    // A package that another program is still writing has no central directory yet.
    throw Error(kErrUnspecified, reader->source_,
                reader->what_ + " is damaged or incomplete (" + reason +
                    "); it may still be being written by another program");
  }
  reader->Index();
  return reader;
}

struct ZipReader::Inflater {
  Inflater() : decompressor(libdeflate_alloc_decompressor()) {
    if (decompressor == nullptr) throw std::bad_alloc();
  }
  ~Inflater() { libdeflate_free_decompressor(decompressor); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  libdeflate_decompressor* decompressor;
  std::string compressed;
};

ZipReader::ZipReader(zip* archive, std::string what, std::string source, const ZipLimits& limits)
    : archive_(archive), what_(std::move(what)), source_(std::move(source)), limits_(limits) {}

ZipReader::~ZipReader() {
  if (archive_ != nullptr) zip_discard(archive_);
}

void ZipReader::Fail(const std::string& problem) const {
  throw Error(kErrUnspecified, source_, what_ + ": " + problem);
}

void ZipReader::Index() {
  zip_int64_t count = zip_get_num_entries(archive_, 0);
  if (count < 0 || static_cast<uint64_t>(count) > limits_.max_entries) {
    Fail("has too many entries (" + std::to_string(count) + ")");
  }
  entries_.reserve(static_cast<size_t>(count));
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    if (zip_stat_index(archive_, static_cast<zip_uint64_t>(i), 0, &st) != 0 ||
        (st.valid & ZIP_STAT_NAME) == 0) {
      Fail("has an unreadable entry " + std::to_string(i));
    }
    Entry entry;
    entry.name = st.name;
    if (std::string problem = UnsafeNameProblem(entry.name); !problem.empty()) {
      Fail("is refused as unsafe: it has " + problem + " (\"" + entry.name + "\")");
    }
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) {
      Fail("has an encrypted entry \"" + entry.name + "\"");
    }
    std::string key = LowerAscii(entry.name);
    if (!by_key_.emplace(key, entries_.size()).second) {
      Fail("has two entries named \"" + entry.name + "\" (names differ only in case)");
    }
    entry.index = static_cast<uint64_t>(i);
    entry.declared_size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
    entry.mtime = (st.valid & ZIP_STAT_MTIME) ? st.mtime : 0;
    if (st.valid & ZIP_STAT_COMP_METHOD) entry.method = st.comp_method;
    if (st.valid & ZIP_STAT_COMP_SIZE) entry.compressed_size = st.comp_size;
    if (st.valid & ZIP_STAT_CRC) {
      entry.crc = st.crc;
      entry.crc_known = true;
    }
    entry.xml = key.ends_with(".xml") || key.ends_with(".rels") || key.ends_with(".vml");
    entries_.push_back(std::move(entry));
  }
}

const ZipReader::Entry* ZipReader::Find(std::string_view name) const {
  auto found = by_key_.find(name);
  return found == by_key_.end() ? nullptr : &entries_[found->second];
}

std::optional<std::string> ZipReader::Read(std::string_view name) const {
  const Entry* entry = Find(name);
  if (entry == nullptr) return std::nullopt;
  return Inflate(*entry);
}

std::string ZipReader::Inflate(const Entry& entry) const {
  const uint64_t cap = entry.xml ? limits_.max_xml_part : limits_.max_other_part;
  auto counted = inflated_.find(entry.index);
  const uint64_t others = inflated_total_ - (counted == inflated_.end() ? 0 : counted->second);
  const uint64_t room =
      std::min(cap, limits_.max_total_inflated - std::min(others, limits_.max_total_inflated));
  auto refuse = [&](const std::string& how) {
    Fail("the part \"" + entry.name + "\" " + how + "; the file is refused as unsafe");
  };
  if (entry.declared_size > room) refuse("expands to more than " + Size(room));
  if (std::optional<std::string> small = InflateSmall(entry, room)) {
    inflated_[entry.index] = small->size();
    inflated_total_ = others + small->size();
    return std::move(*small);
  }
  zip_file_t* file = zip_fopen_index(archive_, entry.index, 0);
  if (file == nullptr) {
    Fail("cannot read the part \"" + entry.name + "\" (" + zip_strerror(archive_) + ")");
  }
  // Inflate straight into the result, in blocks, counting what actually comes out.
  constexpr size_t kBlock = 256 * 1024;
  std::string data;
  data.reserve(static_cast<size_t>(std::min<uint64_t>(entry.declared_size, 64ull << 20)) + 1);
  AdviseHugePages(data.data(), data.capacity());
  size_t used = 0;
  while (true) {
    // Grown a block at a time, so the zeros resize writes are overwritten while still in the
    // cache, and within the room reserved for the declared size and one byte more: the end is
    // found without making the buffer larger.
    if (used == data.size()) {
      const size_t next = used + kBlock;
      data.resize(used < data.capacity() ? std::min(next, data.capacity()) : next);
    }
    zip_int64_t got = zip_fread(file, data.data() + used, data.size() - used);
    if (got < 0) {
      std::string reason = zip_file_strerror(file);
      zip_fclose(file);
      Fail("the part \"" + entry.name + "\" is damaged (" + reason + ")");
    }
    if (got == 0) break;
    used += static_cast<size_t>(got);
    if (used > entry.declared_size || used > room) {
      zip_fclose(file);
      refuse(used > room ? "expands to more than " + Size(room)
                         : "expands beyond the size it declares");
    }
  }
  zip_fclose(file);
  data.resize(used);
  inflated_[entry.index] = used;
  inflated_total_ = others + used;
  return data;
}

}  // namespace vintrel::host

namespace vintrel::host {

std::optional<std::string> ZipReader::InflateSmall(const Entry& entry, uint64_t room) const {
  constexpr uint64_t kSmall = 1 << 20;
  if (entry.method != ZIP_CM_DEFLATE || !entry.crc_known || entry.compressed_size > kSmall ||
      entry.declared_size > kSmall) {
    return std::nullopt;
  }
  if (!inflater_) inflater_ = std::make_unique<Inflater>();
  Inflater& inflater = *inflater_;
  auto damaged = [&](const std::string& reason) {
    Fail("the part \"" + entry.name + "\" is damaged (" + reason + ")");
  };
  // The stored bytes as they are: libzip still finds the entry's data and reads it.
  zip_file_t* file = zip_fopen_index(archive_, entry.index, ZIP_FL_COMPRESSED);
  if (file == nullptr) {
    Fail("cannot read the part \"" + entry.name + "\" (" + zip_strerror(archive_) + ")");
  }
  inflater.compressed.resize(static_cast<size_t>(entry.compressed_size));
  size_t have = 0;
  while (have < inflater.compressed.size()) {
    zip_int64_t got =
        zip_fread(file, inflater.compressed.data() + have, inflater.compressed.size() - have);
    if (got <= 0) {
      std::string reason = got < 0 ? zip_file_strerror(file) : "it ends early";
      zip_fclose(file);
      damaged(reason);
    }
    have += static_cast<size_t>(got);
  }
  zip_fclose(file);

  // One byte more than declared: a part that inflates further is caught, not cut short.
  const uint64_t limit = std::min(entry.declared_size, room) + 1;
  std::string data(static_cast<size_t>(limit), '\0');
  size_t used = 0;
  const libdeflate_result status =
      libdeflate_deflate_decompress(inflater.decompressor, inflater.compressed.data(),
                                    inflater.compressed.size(), data.data(), data.size(), &used);
  // The declared size is within the room (checked before), so more than the buffer holds is
  // more than declared.
  if (status == LIBDEFLATE_INSUFFICIENT_SPACE || used > entry.declared_size) {
    Fail("the part \"" + entry.name +
         "\" expands beyond the size it declares; the file is refused as unsafe");
  }
  if (status != LIBDEFLATE_SUCCESS) damaged("invalid compressed data");
  data.resize(used);
  if (libdeflate_crc32(0, data.data(), used) != entry.crc) damaged("CRC error");
  return data;
}

}  // namespace vintrel::host
