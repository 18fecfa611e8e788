// A soundness check of a presentation package: the faults that make PowerPoint offer to repair
// a file (see the notes on the format). The package host's own output must always pass it; the
// command-line program can run it on any file.
#ifndef VINTREL_HOST_OOXML_PACKAGE_CHECK_H_
#define VINTREL_HOST_OOXML_PACKAGE_CHECK_H_

#include <string>
#include <vector>

namespace vintrel::ooxml {

// One line per fault: parts without a content type, overrides for missing parts, relationships
// to missing parts or with duplicate ids, r:id references without a relationship, duplicate or
// out-of-range slide ids, duplicate shape ids on a slide, malformed XML. Empty when sound. A file
// that cannot be opened at all gives its one error.
std::vector<std::string> PackageProblems(const std::string& package_path);

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_PACKAGE_CHECK_H_
