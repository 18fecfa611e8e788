#include "host/workbook/zip_archive.h"

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <string_view>

#include "host/error.h"

namespace vintrel::host::workbook {

namespace {

constexpr char kSource[] = "WorkbookReader";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Names no producer writes: a climb out of the package, absolute or drive paths, backslashes.
// Nothing is ever unpacked to disk, but such a file is made to attack some reader.
bool UnsafeName(std::string_view name) {
  if (name.empty() || name.front() == '/' || name.find('\\') != std::string_view::npos ||
      (name.size() >= 2 && name[1] == ':')) {
    return true;
  }
  for (size_t start = 0; start <= name.size();) {
    size_t end = std::min(name.find('/', start), name.size());
    if (name.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

std::string MiB(size_t bytes) {
  return std::to_string(bytes / (1024 * 1024)) + " MiB";
}

}  // namespace

ZipArchive::ZipArchive(std::string bytes, std::string what, size_t max_part_bytes,
                       size_t max_total_bytes)
    : bytes_(std::move(bytes)),
      what_(std::move(what)),
      max_part_bytes_(max_part_bytes),
      max_total_bytes_(max_total_bytes) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes_.data(), bytes_.size(), 0, &error);
  if (source != nullptr) {
    archive_ = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (archive_ == nullptr) zip_source_free(source);
  }
  if (archive_ == nullptr) {
    // libzip refuses an archive that lists one name twice.
    if (zip_error_code_zip(&error) == ZIP_ER_EXISTS) {
      zip_error_fini(&error);
      throw Error(kErrUnspecified, kSource, what_ + " is damaged: two entries have the same name");
    }
    std::string reason = zip_error_strerror(&error);
    zip_error_fini(&error);
    // A package that another program is still writing has no central directory yet.
    throw Error(kErrUnspecified, kSource,
                what_ + " is damaged or incomplete (" + reason +
                    "); it may still be being written by another program");
  }
  zip_error_fini(&error);
  zip_int64_t count = zip_get_num_entries(archive_, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(archive_, static_cast<zip_uint64_t>(i), 0);
    if (name == nullptr) continue;
    std::string problem;
    if (UnsafeName(name)) {
      problem = " is refused as unsafe: it has an entry named \"" + std::string(name) + "\"";
    } else if (!index_.emplace(Lower(name), i).second) {
      problem = " is damaged: it has two entries named \"" + std::string(name) + "\"";
    }
    if (!problem.empty()) {
      zip_discard(archive_);  // no destructor runs for a constructor that throws
      archive_ = nullptr;
      throw Error(kErrUnspecified, kSource, what_ + problem);
    }
  }
}

ZipArchive::~ZipArchive() {
  if (archive_ != nullptr) zip_discard(archive_);
}

bool ZipArchive::Has(const std::string& name) const {
  return index_.count(Lower(name)) > 0;
}

std::optional<std::string> ZipArchive::Read(const std::string& name) {
  auto found = index_.find(Lower(name));
  if (found == index_.end()) return std::nullopt;
  zip_uint64_t entry = static_cast<zip_uint64_t>(found->second);
  // A part read again (each Range reads its sheet) does not count twice towards the total.
  auto counted = counted_.find(found->first);
  const size_t earlier = counted == counted_.end() ? 0 : counted->second;
  const size_t others = total_read_ - earlier;
  zip_stat_t stat;
  zip_stat_init(&stat);
  size_t expected = 0;
  size_t declared = max_part_bytes_;
  if (zip_stat_index(archive_, entry, 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE)) {
    expected = static_cast<size_t>(std::min<zip_uint64_t>(stat.size, max_part_bytes_));
    declared = expected;
  }
  auto too_big = [&] {
    return Error(
        kErrUnspecified, kSource,
        what_ + ": the part " + name + " expands to more than " +
            MiB(std::min(max_part_bytes_, max_total_bytes_ - std::min(max_total_bytes_, others))) +
            "; the file is refused as unsafe");
  };
  if ((stat.valid & ZIP_STAT_SIZE) &&
      (stat.size > max_part_bytes_ || stat.size + others > max_total_bytes_)) {
    throw too_big();
  }
  zip_file_t* file = zip_fopen_index(archive_, entry, 0);
  if (file == nullptr) {
    throw Error(kErrUnspecified, kSource,
                what_ + ": cannot read the part " + name + " (" + zip_strerror(archive_) + ")");
  }
  // Inflate straight into the result, in blocks. The size in the directory may lie; the count of
  // bytes actually inflated is what is capped.
  constexpr size_t kBlock = 256 * 1024;
  std::string data;
  data.reserve(expected + 1);
  size_t used = 0;
  while (true) {
    if (data.size() < used + kBlock) data.resize(std::max(used + kBlock, data.capacity()));
    zip_int64_t got = zip_fread(file, data.data() + used, data.size() - used);
    if (got < 0) {
      std::string reason = zip_file_strerror(file);
      zip_fclose(file);
      throw Error(kErrUnspecified, kSource,
                  what_ + ": the part " + name + " is damaged (" + reason + ")");
    }
    if (got == 0) break;
    used += static_cast<size_t>(got);
    if (used > max_part_bytes_ || used + others > max_total_bytes_) {
      zip_fclose(file);
      throw too_big();
    }
    // More than the directory declares: a lie no sound file tells, and the way a small file
    // expands to gigabytes.
    if (used > declared) {
      zip_fclose(file);
      throw Error(
          kErrUnspecified, kSource,
          what_ + ": the part " + name + " is damaged (it expands beyond its declared size)");
    }
  }
  data.resize(used);
  zip_fclose(file);
  total_read_ = others + data.size();
  counted_[found->first] = data.size();
  return data;
}

}  // namespace vintrel::host::workbook
