// A text file connection: the file is opened when the connection opens (tried for a while when
// another program holds it), read whole into the recordset, and read again on a refresh only
// when its modification time changed.
#ifndef VINTREL_CONNECTIONS_TEXT_FILE_SOURCE_H_
#define VINTREL_CONNECTIONS_TEXT_FILE_SOURCE_H_

#include <chrono>
#include <memory>

#include "connections/connection_source.h"
#include "connections/text_file_reader.h"

namespace vintrel::connections {

class TextFileSource : public ConnectionSource {
 public:
  void Open(clsConnection& connection) override;
  // Reads the open file and closes it; never fails. An empty file keeps the rows read before.
  void OpenRecordset(clsConnection& connection) override;
  void Requery(clsConnection& connection, bool forced) override;
  void Close(clsConnection& connection) noexcept override;
  // The columns of the last read named by their number instead of the first line's name.
  std::vector<std::string> Notes() const override { return notes_; }

 private:
  std::unique_ptr<TextFile> file_;
  std::chrono::system_clock::time_point file_time_{};
  bool read_failed_ = false;
  std::vector<std::string> notes_;
};

}  // namespace vintrel::connections

#endif  // VINTREL_CONNECTIONS_TEXT_FILE_SOURCE_H_
