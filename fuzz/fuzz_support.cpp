#include "fuzz_support.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <utility>
#include <vector>

namespace vintrel::fuzz {
namespace {

class ScratchFolder {
 public:
  ScratchFolder() {
    struct stat info {};
    std::string base = ::stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) ? "/dev/shm" : "";
    if (base.empty()) {
      const char* tmp = std::getenv("TMPDIR");
      base = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    }
    std::string pattern = base + "/vintrel-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("vintrel fuzz: cannot create a scratch folder");
      std::abort();
    }
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::vector<std::pair<std::string, std::string_view>> SplitParts(std::string_view text) {
  std::vector<std::pair<std::string, std::string_view>> parts;
  constexpr std::string_view kMark = "=== ";
  if (text.substr(0, kMark.size()) != kMark) return parts;
  size_t at = 0;
  while (at < text.size()) {
    size_t name_end = text.find('\n', at);
    if (name_end == std::string_view::npos) name_end = text.size();
    std::string name(text.substr(at + kMark.size(), name_end - at - kMark.size()));
    size_t start = std::min(name_end + 1, text.size());
    size_t next = text.find("\n=== ", start);
    size_t end = next == std::string_view::npos ? text.size() : next;
    parts.emplace_back(std::move(name), text.substr(start, end - start));
    at = next == std::string_view::npos ? text.size() : next + 1;
  }
  return parts;
}

// Stored, not deflated: packing is per input, and inflating is the raw archives' business.
std::string PackParts(const std::vector<std::pair<std::string, std::string_view>>& parts) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_t* archive = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
  zip_error_fini(&error);
  if (archive == nullptr) {
    if (buffer) zip_source_free(buffer);
    return {};
  }
  zip_source_keep(buffer);
  for (const auto& [name, data] : parts) {
    zip_source_t* source = zip_source_buffer(archive, data.data(), data.size(), 0);
    // A name given twice keeps its last part (an archive cannot hold both through libzip).
    zip_int64_t index =
        source ? zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE)
               : -1;
    if (index < 0) {
      if (source) zip_source_free(source);
      continue;
    }
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
  }
  std::string bytes;
  if (zip_close(archive) != 0) {
    zip_discard(archive);
  } else if (zip_source_open(buffer) == 0) {
    char block[1 << 16];
    zip_int64_t got;
    while ((got = zip_source_read(buffer, block, sizeof block)) > 0) {
      bytes.append(block, static_cast<size_t>(got));
    }
    zip_source_close(buffer);
  }
  zip_source_free(buffer);
  return bytes;
}

}  // namespace

std::string AsArchive(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (text.substr(0, 2) != "PK") {
    auto parts = SplitParts(text);
    if (!parts.empty()) {
      std::string packed = PackParts(parts);
      if (!packed.empty()) return packed;
    }
  }
  return std::string(text);
}

std::string WriteInput(std::string_view bytes, const std::string& name) {
  static ScratchFolder folder;
  std::string path = folder.path() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::perror("vintrel fuzz: cannot write the input");
    std::abort();
  }
  // Written a minute ago, as far as readers can tell: the text reader waits until a file has been
  // left alone for a moment before it takes it, and would otherwise wait on every input.
  std::error_code ignored;
  std::filesystem::last_write_time(
      path, std::filesystem::file_time_type::clock::now() - std::chrono::minutes(1), ignored);
  return path;
}

}  // namespace vintrel::fuzz
