#include "connections/text_file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "host/error.h"

namespace vintrel::connections {
namespace {

constexpr char kSource[] = "TextFile";

// Windows-1252 code points of the bytes 0x80 to 0x9F; the five unassigned bytes keep their C1
// control code, as the system's own conversion does.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendCp1252(std::string& out, const char* p, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    unsigned char b = static_cast<unsigned char>(p[i]);
    uint32_t code = b < 0x80 ? b : (b < 0xA0 ? kCp1252High[b - 0x80] : b);
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
}

// Length of a valid UTF-8 sequence at p (at most n bytes), 0 when it is not valid.
size_t Utf8SequenceLength(const unsigned char* p, size_t n) {
  unsigned char b = p[0];
  if (b < 0x80) return 1;
  size_t len;
  uint32_t code;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
    code = b & 0x1Fu;
  } else if ((b & 0xF0) == 0xE0) {
    len = 3;
    code = b & 0x0Fu;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    code = b & 0x07u;
  } else {
    return 0;
  }
  if (n < len) return 0;
  for (size_t i = 1; i < len; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    code = (code << 6) | (p[i] & 0x3Fu);
  }
  if ((len == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
      (len == 4 && (code < 0x10000 || code > 0x10FFFF))) {
    return 0;
  }
  return len;
}

bool IsValidUtf8(const char* text, size_t n) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0;
  while (i < n) {
    // Plain ASCII runs are the rule; check them eight bytes at a time.
    if (i + 8 <= n) {
      uint64_t word;
      std::memcpy(&word, p + i, sizeof word);
      if ((word & 0x8080808080808080ull) == 0) {
        i += 8;
        continue;
      }
    }
    size_t len = Utf8SequenceLength(p + i, n - i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

// Thrown inside the reader when a file turns out not to be UTF-8; reading starts over.
struct NotUtf8 {};

// Builds the recordset line by line.
class TableBuilder {
 public:
  TableBuilder(bool first_row_names, TextEncoding encoding)
      : first_row_names_(first_row_names), encoding_(encoding) {}

  void Line(const char* p, size_t n) {
    if (encoding_ == TextEncoding::kUtf8 && !IsValidUtf8(p, n)) throw NotUtf8();
    ++lines_;
    if (lines_ == 1 && first_row_names_) {
      TakeNames(p, n);
      return;
    }
    ends_.clear();
    size_t fields = 0;
    bool needs_care = encoding_ != TextEncoding::kUtf8;
    if (n > 0) {
      size_t start = 0;
      const char* end = p + n;
      const char* s = p;
      while (true) {
        const char* tab = static_cast<const char*>(std::memchr(s, '\t', end - s));
        size_t stop = tab ? static_cast<size_t>(tab - p) : n;
        ++fields;
        if (ends_.size() < limit_) {
          if (stop - start > host::kMaxFieldSize) needs_care = true;
          ends_.push_back(static_cast<uint32_t>(stop));
        } else if (first_row_names_) {
          break;  // the rest of the line has no columns to go to
        }
        if (!tab) break;
        s = tab + 1;
        start = stop + 1;
      }
    }
    max_fields_ = std::max(max_fields_, fields);
    if (ends_.empty()) {
      rows_.AddSeparatedRow({}, nullptr, 0);
    } else if (!needs_care) {
      rows_.AddSeparatedRow(std::string_view(p, ends_.back()), ends_.data(), ends_.size());
    } else {
      size_t start = 0;
      for (uint32_t stop : ends_) {
        AddValue(p + start, stop - start);
        start = stop + 1;
      }
      rows_.EndRow();
    }
  }

  bool empty() const { return lines_ == 0; }

  std::unique_ptr<host::ClientRecordset> Finish() {
    if (!first_row_names_) {
      names_.clear();
      for (size_t i = 1; i <= max_fields_; ++i) names_.push_back(std::to_string(i));
    }
    auto recordset = std::make_unique<host::ClientRecordset>();
    recordset->SetCursorLocation(host::cursor_location::kClient);
    recordset->SetCursorType(host::cursor_type::kForwardOnly);
    recordset->Load(std::move(names_), std::move(rows_));
    return recordset;
  }

 private:
  void AddValue(const char* p, size_t n) {
    if (encoding_ == TextEncoding::kUtf8) {
      rows_.AddCell(std::string_view(p, n));  // cut there
      return;
    }
    scratch_.clear();
    AppendCp1252(scratch_, p, std::min(n, static_cast<size_t>(host::kMaxFieldSize)));
    rows_.AddCell(scratch_);
  }

  std::string Decode(const char* p, size_t n) {
    if (encoding_ == TextEncoding::kUtf8) return std::string(p, n);
    std::string out;
    AppendCp1252(out, p, n);
    return out;
  }

  void TakeNames(const char* p, size_t n) {
    std::vector<std::string> folded;
    size_t start = 0;
    while (n > 0 && start <= n) {
      const char* tab = static_cast<const char*>(std::memchr(p + start, '\t', n - start));
      size_t stop = tab ? static_cast<size_t>(tab - p) : n;
      std::string name = Decode(p + start, stop - start);
      std::string key = host::FoldFieldName(name);
      // The recordset refuses empty and repeated names; such a column is not created.
      if (!name.empty() && std::find(folded.begin(), folded.end(), key) == folded.end()) {
        folded.push_back(std::move(key));
        names_.push_back(std::move(name));
      }
      start = stop + 1;
      if (!tab) break;
    }
    size_t fields = n == 0 ? 0 : static_cast<size_t>(std::count(p, p + n, '\t')) + 1;
    max_fields_ = std::max(max_fields_, fields);
    limit_ = names_.size();
  }

  bool first_row_names_;
  TextEncoding encoding_;
  size_t lines_ = 0;
  size_t max_fields_ = 0;
  size_t limit_ = static_cast<size_t>(-1);
  std::vector<std::string> names_;
  std::vector<uint32_t> ends_;
  std::string scratch_;
  host::RowTable rows_;
};

[[noreturn]] void FailSystem(const std::string& what, const std::string& path, int error) {
  throw Error(kErrUnspecified, kSource, what + " '" + path + "': " + std::strerror(error) + ".");
}

// Length of the character after a CR at p; it is dropped with the line end.
size_t DroppedLength(const char* p, size_t available, TextEncoding encoding) {
  if (encoding != TextEncoding::kUtf8) return 1;
  unsigned char b = static_cast<unsigned char>(*p);
  if (b < 0x80) return 1;
  size_t want = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
  if (want == 0) throw NotUtf8();
  if (available < want) return want;  // the caller waits for the rest
  if (Utf8SequenceLength(reinterpret_cast<const unsigned char*>(p), available) != want) {
    throw NotUtf8();
  }
  return want;
}

}  // namespace

TextFile::TextFile(const std::string& path) : path_(path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0 && errno == ENOENT && path.find('\\') != std::string::npos) {
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    fd_ = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
  }
  if (fd_ < 0) {
    int error = errno;
    if (error == ENOENT || error == ENOTDIR) {
      std::error_code ignored;
      std::filesystem::path parent = std::filesystem::path(path).parent_path();
      bool folder_exists = parent.empty() || std::filesystem::is_directory(parent, ignored);
      if (folder_exists) throw Error(kErrFileNotFound, kSource, "File not found: '" + path + "'.");
      throw Error(kErrPathNotFound, kSource, "Path not found: '" + path + "'.");
    }
    if (error == EACCES || error == EPERM) {
      throw Error(kErrPermissionDenied, kSource, "Permission denied: '" + path + "'.");
    }
    FailSystem("Cannot open", path, error);
  }
  struct stat info;
  if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    throw Error(kErrPermissionDenied, kSource, "'" + path + "' is a folder, not a text file.");
  }
}

TextFile::~TextFile() {
  if (fd_ >= 0) ::close(fd_);
}

TextFile::TextFile(TextFile&& other) noexcept
    : path_(std::move(other.path_)), fd_(other.fd_), encoding_(other.encoding_) {
  other.fd_ = -1;
}

std::unique_ptr<host::ClientRecordset> TextFile::ReadRecordset(bool first_row_field_names,
                                                               size_t block_size) {
  if (fd_ < 0) throw Error(kErrUnspecified, kSource, "The text file is not open.");
  block_size = std::max<size_t>(block_size, 1);
  for (TextEncoding encoding : {TextEncoding::kUtf8, TextEncoding::kWindows1252}) {
    try {
      TableBuilder builder(first_row_field_names, encoding);
      std::vector<char> buffer(block_size);
      size_t have = 0;
      off_t offset = 0;
      bool eof = false;
      bool at_start = true;
      while (!eof) {
        if (have == buffer.size()) buffer.resize(buffer.size() * 2);  // a line longer than a block
        ssize_t got = ::pread(fd_, buffer.data() + have, buffer.size() - have, offset);
        if (got < 0) {
          if (errno == EINTR) continue;
          FailSystem("Cannot read", path_, errno);
        }
        eof = got == 0;
        have += static_cast<size_t>(got);
        offset += got;
        size_t pos = 0;
        if (at_start) {
          if (have < 3 && !eof) continue;
          at_start = false;
          if (have >= 3 && std::memcmp(buffer.data(), "\xEF\xBB\xBF", 3) == 0) pos = 3;
        }
        const char* base = buffer.data();
        while (pos < have) {
          const char* cr = static_cast<const char*>(std::memchr(base + pos, '\r', have - pos));
          if (cr == nullptr) break;
          size_t after = static_cast<size_t>(cr - base) + 1;
          size_t dropped = after < have ? DroppedLength(base + after, have - after, encoding) : 0;
          if (!eof && (after == have || after + dropped > have)) break;  // wait for more
          builder.Line(base + pos, static_cast<size_t>(cr - base) - pos);
          pos = std::min(after + dropped, have);
        }
        if (eof) {
          // The last line needs no line end, but an empty one or a lone LF is no line.
          size_t rest = have - pos;
          if (rest > 0 && !(rest == 1 && base[pos] == '\n')) builder.Line(base + pos, rest);
          break;
        }
        std::memmove(buffer.data(), buffer.data() + pos, have - pos);
        have -= pos;
      }
      encoding_ = encoding;
      if (builder.empty()) return nullptr;
      return builder.Finish();
    } catch (const NotUtf8&) {
      continue;  // read again as Windows-1252
    }
  }
  throw Error(kErrUnspecified, kSource, "Cannot decode '" + path_ + "'.");  // not reached
}

std::unique_ptr<host::ClientRecordset> ReadTextFile(const std::string& path,
                                                    bool first_row_field_names) {
  TextFile file(path);
  return file.ReadRecordset(first_row_field_names);
}

}  // namespace vintrel::connections
