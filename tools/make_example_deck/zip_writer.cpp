#include "zip_writer.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <stdexcept>

#include "host/ooxml/zip_archive.h"

namespace vintrel::example {
namespace {

void CheckWellFormed(const Part& part) {
  if (!part.name.ends_with(".xml") && !part.name.ends_with(".rels")) return;
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
  std::vector<std::pair<std::string, std::string>> entries;
  for (const Part& part : parts) {
    CheckWellFormed(part);
    entries.emplace_back(part.name, part.data);
  }
  return ooxml::BuildZip(entries, {9, DosEpoch()});
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
