// Reading a TAB-separated text file into an in-memory recordset, the way a text file connection
// sees its data:
//
// - A line ends with a carriage return (CR); the one character after a CR is dropped whatever it
//   is (the LF of a CR LF pair). A line feed without a CR before it is part of the value. A file
//   that holds no CR at all (as Linux programs write) has LF line ends instead, the only reading
//   that gives such a file any rows.
// - Fields are separated by one TAB; there is no quoting, quotes are ordinary characters.
// - The last line needs no line end; it counts unless it is empty or a single LF.
// - An empty line is a row without values (every field null).
// - Column count = the most fields on any line. With first-row names the columns are named by
//   the fields of the first line; an empty or repeated name (letter case ignored) is replaced by
//   the column's number (column_names.h), and a position the first line has no field for has no
//   column: values beyond the first line's fields are dropped. Without first-row names the
//   columns are "1", "2", ...
// - Values are cut to 4000 characters; fields beyond a line's last one are null.
// - A file that starts with a UTF-16 byte-order mark (LE or BE, a spreadsheet's "Unicode Text")
//   is read as UTF-16. Other text that is valid UTF-8 is read as UTF-8 (a leading byte-order mark
//   is dropped); any other file is read as Windows-1252 and converted. The character dropped
//   after a CR is one whole character.
//
// The reader knows nothing of retries, modification times or the connection's numbered errors:
// the connection object wraps what is thrown here into its own messages.
#ifndef VINTREL_CONNECTIONS_TEXT_FILE_READER_H_
#define VINTREL_CONNECTIONS_TEXT_FILE_READER_H_

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "connections/column_names.h"
#include "host/common/client_recordset.h"
#include "host/platform.h"

namespace vintrel::connections {

enum class TextEncoding { kUtf8, kWindows1252, kUtf16 };

// How the bytes are scanned for TABs and line ends: with the widest instructions the processor
// has, or with those every x86-64 processor has (both give the same rows; tests compare them).
enum class TextScan { kFastest, kPortable };

// An open text file. Opening is separate from reading because the connection opens the file
// when it connects and reads it when it fills its recordset.
class TextFile {
 public:
  static constexpr size_t kBlockSize = host::ReadableFile::kBlockSize;

  // Opens `path` through `files` for reading, without locking it against other readers or
  // writers; when it is missing and holds backslashes, the same path with slashes is tried.
  // Throws vintrel::Error as FileSystem::OpenForReading does: kErrFileNotFound (53) when the
  // file is missing, kErrPathNotFound (76) when its folder is, kErrPermissionDenied (70) when
  // access is denied or the path is a folder or anything else but a plain file,
  // kErrUnspecified otherwise. The description names the path and the system's reason.
  TextFile(const host::FileSystem& files, const std::string& path);
  // Opens the file on the disk directly: for the tools and tests that read real files outside
  // an add-in (the sources always read through the add-in's file system).
  explicit TextFile(const std::string& path);
  ~TextFile();
  TextFile(TextFile&& other) noexcept;
  TextFile& operator=(TextFile&&) = delete;
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // Reads the whole file (from its start, in blocks of `block_size` bytes) into a new, open
  // recordset positioned on its first record. Returns null when the file holds no line: the
  // caller keeps whatever recordset it had. Throws vintrel::Error (kErrUnspecified) when reading
  // fails; nothing in the content itself is an error.
  //
  // A file rewritten while it is read gives its old rows or its new ones, never a mix (see
  // host::ReadableFile::ReadAll); one that keeps changing for 2 seconds is an error.
  std::unique_ptr<host::ClientRecordset> ReadRecordset(bool first_row_field_names,
                                                       size_t block_size = kBlockSize,
                                                       TextScan scan = TextScan::kFastest);

  // Closes the file; reading afterwards fails. Closing twice does nothing.
  void Close();

  // How the last ReadRecordset decoded the bytes.
  TextEncoding encoding() const { return encoding_; }
  const std::string& path() const { return path_; }
  // The columns the last ReadRecordset named otherwise than the first line did.
  const std::vector<RenamedColumn>& renamed_columns() const { return renamed_columns_; }

 private:
  std::string path_;
  std::unique_ptr<host::ReadableFile> file_;
  TextEncoding encoding_ = TextEncoding::kUtf8;
  std::vector<RenamedColumn> renamed_columns_;
};

// Opens and reads a file in one call (see TextFile for what it returns and throws).
std::unique_ptr<host::ClientRecordset> ReadTextFile(const host::FileSystem& files,
                                                    const std::string& path,
                                                    bool first_row_field_names);
// The same on the disk directly, for tools and tests (see TextFile above).
std::unique_ptr<host::ClientRecordset> ReadTextFile(const std::string& path,
                                                    bool first_row_field_names);

}  // namespace vintrel::connections

#endif  // VINTREL_CONNECTIONS_TEXT_FILE_READER_H_
