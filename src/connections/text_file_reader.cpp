#include "connections/text_file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>
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
inline size_t Utf8SequenceLength(const unsigned char* p, size_t n) {
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
    if (p[i] < 0x80) {
      ++i;
      continue;
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

  // A line of `n` bytes at p holding `tabs` TABs (the caller has counted them).
  void Line(const char* p, size_t n, size_t tabs) {
    ++lines_;
    size_t fields = n == 0 ? 0 : tabs + 1;  // an empty line has no fields
    if (lines_ == 1 && first_row_names_) {
      TakeNames(p, n);
      return;
    }
    max_fields_ = std::max(max_fields_, fields);
    size_t count = std::min(fields, limit_);
    if (count < fields) n = FieldsEnd(p, n, count);  // the rest has no columns to go to
    // Only a line longer than the field size can hold a field that needs cutting; other code
    // pages need converting.
    if (encoding_ == TextEncoding::kUtf8 && n <= static_cast<size_t>(host::kMaxFieldSize)) {
      rows_.AddTabLine(std::string_view(p, n), count);
      return;
    }
    const char* end = p + n;
    for (size_t i = 0; i < count; ++i) {
      const char* tab =
          static_cast<const char*>(std::memchr(p, '\t', static_cast<size_t>(end - p)));
      const char* stop = tab ? tab : end;
      AddValue(p, static_cast<size_t>(stop - p));
      p = stop + 1;
    }
    rows_.EndRow();
  }

  // A line whose TABs are not counted yet (the last one, without a line end).
  void Line(const char* p, size_t n) {
    if (encoding_ == TextEncoding::kUtf8 && !IsValidUtf8(p, n)) throw NotUtf8();
    Line(p, n, static_cast<size_t>(std::count(p, p + n, '\t')));
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

  // Where the first `count` fields of a line end.
  static size_t FieldsEnd(const char* p, size_t n, size_t count) {
    if (count == 0) return 0;
    size_t seen = 0;
    for (size_t i = 0; i < n; ++i) {
      if (p[i] == '\t' && ++seen == count) return i;
    }
    return n;
  }

  void TakeNames(const char* p, size_t n) {
    std::vector<std::string> folded;
    size_t fields = 0;
    for (size_t start = 0; n > 0 && start <= n; ++fields) {
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
    }
    max_fields_ = std::max(max_fields_, fields);
    limit_ = names_.size();
  }

  bool first_row_names_;
  TextEncoding encoding_;
  size_t lines_ = 0;
  size_t max_fields_ = 0;
  size_t limit_ = static_cast<size_t>(-1);
  std::vector<std::string> names_;
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

// Bits set in a 16-bit mask. Plain arithmetic: the processor's own instruction is not part of
// the baseline instruction set, and the library fallback costs a call per block.
inline size_t CountBits16(uint32_t x) {
  x = x - ((x >> 1) & 0x5555u);
  x = (x & 0x3333u) + ((x >> 2) & 0x3333u);
  x = (x + (x >> 4)) & 0x0F0Fu;
  return (x + (x >> 8)) & 0x1Fu;
}

// Finds the complete lines in base[pos, have) in one pass over the bytes, sixteen at a time:
// CRs end the lines, TABs are counted, and a line holding bytes above 0x7F is checked for UTF-8.
// Returns where the first incomplete line starts (`have` when everything was used).
size_t ScanLines(const char* base, size_t pos, size_t have, bool eof, TextEncoding encoding,
                 TableBuilder& builder) {
  bool utf8 = encoding == TextEncoding::kUtf8;
  size_t line = pos;
  size_t tabs = 0;               // in the current line so far
  size_t first_high = SIZE_MAX;  // where the current line's first byte above 0x7F is
  for (size_t i = pos; i < have;) {
    uint32_t tab = 0;
    uint32_t cr = 0;
    uint32_t high = 0;
    size_t width = std::min<size_t>(16, have - i);
#if defined(__SSE2__)
    if (width == 16) {
      __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i));
      tab = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t'))));
      cr = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'))));
      high = static_cast<uint32_t>(_mm_movemask_epi8(bytes));
    } else
#endif
    {
      for (size_t k = 0; k < width; ++k) {
        unsigned char c = static_cast<unsigned char>(base[i + k]);
        if (c == '\t') tab |= 1u << k;
        if (c == '\r') cr |= 1u << k;
        if (c >= 0x80) high |= 1u << k;
      }
    }
    while (cr) {
      unsigned bit = static_cast<unsigned>(__builtin_ctz(cr));
      uint32_t before = (1u << bit) - 1;
      size_t at = i + bit;
      if ((high & before) && first_high == SIZE_MAX) {
        first_high = i + static_cast<size_t>(__builtin_ctz(high & before));
      }
      size_t after = at + 1;
      size_t dropped = after < have ? DroppedLength(base + after, have - after, encoding) : 0;
      if (!eof && (after == have || after + dropped > have)) return line;  // wait for more
      if (utf8 && first_high < at && !IsValidUtf8(base + first_high, at - first_high)) {
        throw NotUtf8();
      }
      builder.Line(base + line, at - line, tabs + CountBits16(tab & before));
      line = std::min(after + dropped, have);
      tabs = 0;
      first_high = SIZE_MAX;
      if (line >= i + width) break;
      // The dropped character may itself be a TAB or CR: only what follows it counts.
      uint32_t rest = ~((1u << (line - i)) - 1);
      tab &= rest;
      cr &= rest;
      high &= rest;
    }
    if (line < i + width) {
      tabs += CountBits16(tab);
      if (high && first_high == SIZE_MAX) first_high = i + static_cast<size_t>(__builtin_ctz(high));
    }
    i = std::max(i + width, line);
  }
  return line;
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
  if (::fstat(fd_, &info) == 0 && !S_ISREG(info.st_mode)) {
    // A folder cannot be read, and a device or pipe may never end.
    ::close(fd_);
    fd_ = -1;
    throw Error(kErrPermissionDenied, kSource,
                "'" + path + "' is " + (S_ISDIR(info.st_mode) ? "a folder" : "not a plain file") +
                    ", not a text file.");
  }
}

TextFile::~TextFile() {
  Close();
}

void TextFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
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
        pos = ScanLines(base, pos, have, eof, encoding, builder);
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
    } catch (const std::bad_alloc&) {
      throw Error(kErrUnspecified, kSource, "Not enough memory to read '" + path_ + "'.");
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
