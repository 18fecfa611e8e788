// What the fuzz targets share: a scratch file for readers that only open paths, and running a
// step whose only allowed failure is vintrel::Error. Any other exception escapes to libFuzzer,
// which reports it as a crash: a reader must refuse bad input with a clear error, never with
// std::out_of_range or a bad_alloc.
#ifndef VINTREL_FUZZ_FUZZ_SUPPORT_H_
#define VINTREL_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/error.h"

namespace vintrel::fuzz {

// Writes the input to `name` in a folder private to this process (on /dev/shm when it exists, so
// nothing touches the disk) and returns its path. The folder is removed when the process ends.
std::string WriteInput(std::string_view bytes, const std::string& name);

// The input as a ZIP archive, for the package readers. Bytes that begin as an archive ("PK") are
// taken as they are; anything else is a list of parts (see make_seeds.py) packed into an archive
// here, so that mutations reach the XML instead of breaking checksums.
std::string AsArchive(const uint8_t* data, size_t size);

// Runs `step`; a vintrel::Error is the expected answer to bad input and is swallowed.
template <typename Step>
void Try(Step&& step) {
  try {
    step();
  } catch (const vintrel::Error&) {
  }
}

}  // namespace vintrel::fuzz

#endif  // VINTREL_FUZZ_FUZZ_SUPPORT_H_
