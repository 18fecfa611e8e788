// Writes a package: every entry deflated, dated 1980-01-01 as PowerPoint dates its entries, in
// the order given, so the same parts always give the same bytes.
#ifndef VINTREL_TOOLS_MAKE_EXAMPLE_DECK_ZIP_WRITER_H_
#define VINTREL_TOOLS_MAKE_EXAMPLE_DECK_ZIP_WRITER_H_

#include <string>
#include <vector>

namespace vintrel::example {

struct Part {
  std::string name;  // without a leading slash
  std::string data;
};

// Builds the archive in memory with the package host's BuildZip. Every .xml and .rels part is
// parsed first, so a malformed part stops the generator instead of reaching a presentation
// program; throws std::runtime_error.
std::string ZipBytes(const std::vector<Part>& parts);

// Writes `bytes` to `path` through a temporary file and a rename.
void WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace vintrel::example

#endif  // VINTREL_TOOLS_MAKE_EXAMPLE_DECK_ZIP_WRITER_H_
