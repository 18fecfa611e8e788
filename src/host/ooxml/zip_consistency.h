// What the ZIP library's consistency check leaves unsaid: whether an archive only carries stray
// bytes after its end record (as some real presentations do, and every common ZIP reader
// accepts), and, for an archive that really is inconsistent, what is wrong with it.
#ifndef VINTREL_HOST_OOXML_ZIP_CONSISTENCY_H_
#define VINTREL_HOST_OOXML_ZIP_CONSISTENCY_H_

#include <cstdint>
#include <optional>
#include <string>

namespace vintrel::ooxml {

// The length of the archive in the file at `path` up to the end of its end record (comment
// included) when bytes follow it; nothing when none do or no end record is found.
std::optional<uint64_t> ArchiveLengthBeforeTrailingBytes(const std::string& path);

// What makes the archive's entries disagree with its central directory, in words ("entries
// \"a.xml\" and \"b.xml\" overlap"); empty when nothing specific is found, or when the file has
// no end record at all.
std::string DescribeInconsistency(const std::string& path, uint64_t length);

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_ZIP_CONSISTENCY_H_
