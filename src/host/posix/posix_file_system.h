#ifndef VINTREL_HOST_POSIX_POSIX_FILE_SYSTEM_H_
#define VINTREL_HOST_POSIX_POSIX_FILE_SYSTEM_H_

#include "host/platform.h"

namespace vintrel::host::posix {

class PosixFileSystem : public FileSystem {
 public:
  // Reads into memory of its own (host/common/disk_file.h).
  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) const override;
  bool Exists(const std::string& path) const override;
  int64_t FileLength(const std::string& path) const override;
  std::chrono::system_clock::time_point FileDateTime(const std::string& path) const override;
  // $TMPDIR, else /tmp.
  std::string TempFolder() const override;
  // mkstemp: "<folder>/<prefix>XXXXXX", created empty with mode 0600.
  std::string CreateUniqueFile(const std::string& folder, const std::string& prefix) override;
  bool Remove(const std::string& path) override;
};

}  // namespace vintrel::host::posix

#endif  // VINTREL_HOST_POSIX_POSIX_FILE_SYSTEM_H_
