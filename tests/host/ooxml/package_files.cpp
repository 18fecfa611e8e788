#include "host/ooxml/package_files.h"

#include <zip.h>

#include "host/ooxml/zip_archive.h"

namespace vintrel::ooxml::testing {

std::string ReadEntry(const std::string& package_path, const std::string& entry) {
  auto archive = ZipArchive::Open(package_path);
  return archive->Has(entry) ? archive->Read(entry) : std::string();
}

std::vector<std::string> EntryNames(const std::string& package_path) {
  return ZipArchive::Open(package_path)->Names();
}

std::string RawEntry(const std::string& package_path, const std::string& entry) {
  int error = 0;
  zip_t* archive = zip_open(package_path.c_str(), ZIP_RDONLY, &error);
  if (archive == nullptr) return {};
  std::string out;
  zip_stat_t st;
  if (zip_stat(archive, entry.c_str(), 0, &st) == 0) {
    zip_file_t* file = zip_fopen_index(archive, st.index, ZIP_FL_COMPRESSED);
    out.resize(st.comp_size);
    if (file == nullptr ||
        zip_fread(file, out.data(), st.comp_size) != static_cast<zip_int64_t>(st.comp_size)) {
      out.clear();
    }
    if (file) zip_fclose(file);
    out += "/method=" + std::to_string(st.comp_method);
  }
  zip_discard(archive);
  return out;
}

}  // namespace vintrel::ooxml::testing
