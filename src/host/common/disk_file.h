// Files on the disk, opened for reading: what the posix file system hands out, and what a reader
// still handed a bare path opens until it is handed a file system.
#ifndef VINTREL_HOST_COMMON_DISK_FILE_H_
#define VINTREL_HOST_COMMON_DISK_FILE_H_

#include <memory>
#include <string>

#include "host/platform.h"

namespace vintrel::host {

// Opens `path` as FileSystem::OpenForReading says. Its bytes are read into memory of their own
// (never mapped from the file, which a writer could truncate under the reader), asking for huge
// pages when large.
std::unique_ptr<ReadableFile> OpenDiskFile(const std::string& path);

}  // namespace vintrel::host

#endif  // VINTREL_HOST_COMMON_DISK_FILE_H_
