// What the package tests need beside the decks they build: a clipboard of their own and the
// entries of a package file as they lie in it.
#ifndef VINTREL_TESTS_HOST_OOXML_PACKAGE_FILES_H_
#define VINTREL_TESTS_HOST_OOXML_PACKAGE_FILES_H_

#include <string>
#include <vector>

#include "decks/deck_builder.h"
#include "host/memory/memory_clipboard.h"
#include "host/ooxml/package_check.h"

namespace vintrel::ooxml::testing {

// A clipboard private to the test.
using TestClipboard = host::memory::MemoryClipboard;

// Inflated contents of one entry of a package file ("" when absent).
std::string ReadEntry(const std::string& package_path, const std::string& entry);
// Names of the entries of a package file in archive order.
std::vector<std::string> EntryNames(const std::string& package_path);
// The stored (compressed) bytes of an entry, for checking that a part was copied untouched.
std::string RawEntry(const std::string& package_path, const std::string& entry);

using ooxml::PackageProblems;

}  // namespace vintrel::ooxml::testing

#endif  // VINTREL_TESTS_HOST_OOXML_PACKAGE_FILES_H_
