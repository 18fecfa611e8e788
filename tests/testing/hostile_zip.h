// Building blocks of hostile archives for the tests of the package and workbook readers: entries
// written field by field (so two may share a name, or a size may lie), a deflate stream that
// inflates to gigabytes, and XML nested as deep as asked.
#ifndef VINTREL_TESTS_TESTING_HOSTILE_ZIP_H_
#define VINTREL_TESTS_TESTING_HOSTILE_ZIP_H_

#include <cstdint>
#include <string>
#include <vector>

namespace vintrel::testing {

struct RawEntry {
  std::string name;
  std::string data;     // as stored
  uint16_t method = 0;  // 0 stored, 8 deflated
  uint32_t size = 0;    // the inflated size the headers declare
  uint32_t crc = 0;
};

// An entry stored as it is, with its true size and checksum.
RawEntry Stored(const std::string& name, const std::string& data);
// The archive, local headers and central directory agreeing on every field.
std::string RawZip(const std::vector<RawEntry>& entries);

// Raw deflate data that inflates to `gib` GiB of spaces; about `gib` MiB long.
std::string DeflateBomb(int gib);

// `depth` elements <name>, each inside the one before.
std::string NestedXml(int depth, const std::string& name = "a");

}  // namespace vintrel::testing

#endif  // VINTREL_TESTS_TESTING_HOSTILE_ZIP_H_
