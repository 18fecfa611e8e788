#include "zip_writer.h"

#include <zip.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <stdexcept>

namespace vintrel::example {
namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void CheckWellFormed(const Part& part) {
  if (!EndsWith(part.name, ".xml") && !EndsWith(part.name, ".rels")) return;
  pugi::xml_document document;
  const pugi::xml_parse_result result = document.load_buffer(part.data.data(), part.data.size());
  if (!result) {
    throw std::runtime_error(part.name + " is not well-formed at offset " +
                             std::to_string(result.offset) + ": " + result.description());
  }
}

// libzip stores the local time of a time_t in the DOS fields; asking for local midnight of the
// DOS epoch gives 1980-01-01 00:00 whatever the time zone.
time_t DosEpoch() {
  std::tm day{};
  day.tm_year = 80;
  day.tm_mday = 1;
  day.tm_isdst = -1;
  return std::mktime(&day);
}

}  // namespace

std::string ZipBytes(const std::vector<Part>& parts) {
  for (const Part& part : parts) CheckWellFormed(part);
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_t* archive = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
  if (archive == nullptr) {
    if (buffer) zip_source_free(buffer);
    zip_error_fini(&error);
    throw std::runtime_error("cannot create an archive in memory");
  }
  zip_source_keep(buffer);
  const time_t date = DosEpoch();
  for (const Part& part : parts) {
    zip_source_t* source = zip_source_buffer(archive, part.data.data(), part.data.size(), 0);
    const zip_int64_t index =
        source ? zip_file_add(archive, part.name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
      if (source) zip_source_free(source);
      zip_discard(archive);
      zip_source_free(buffer);
      throw std::runtime_error("cannot add " + part.name);
    }
    zip_set_file_compression(archive, index, ZIP_CM_DEFLATE, 9);
    zip_file_set_mtime(archive, index, date, 0);
  }
  if (zip_close(archive) != 0) {
    zip_discard(archive);
    zip_source_free(buffer);
    throw std::runtime_error("cannot finish the archive");
  }
  std::string bytes;
  zip_stat_t stat;
  if (zip_source_stat(buffer, &stat) == 0 && zip_source_open(buffer) == 0) {
    bytes.resize(stat.size);
    const zip_int64_t read = zip_source_read(buffer, bytes.data(), stat.size);
    zip_source_close(buffer);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size) bytes.clear();
  }
  zip_source_free(buffer);
  if (bytes.empty()) throw std::runtime_error("cannot read the finished archive");
  return bytes;
}

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
  const std::string temporary = path + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + temporary);
  }
  std::error_code failure;
  std::filesystem::rename(temporary, path, failure);
  if (failure) {
    std::remove(temporary.c_str());
    throw std::runtime_error("cannot write " + path + ": " + failure.message());
  }
}

}  // namespace vintrel::example
