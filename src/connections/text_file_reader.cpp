#include "connections/text_file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <thread>
#include <unordered_set>
#include <vector>

#include "host/error.h"
#include "host/text_encoding.h"

namespace vintrel::connections {
namespace {

constexpr char kSource[] = "TextFile";

using host::AppendWindows1252;
using host::IsValidUtf8;
using host::Utf8SequenceLength;

// Thrown inside the reader when a file turns out not to be UTF-8; reading starts over.
struct NotUtf8 {};

// What ends a line: CR (the character after it is dropped), or, in a file that holds no CR at
// all, LF.
enum class LineEnd { kCr, kLf };

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
    AppendWindows1252(scratch_, p, std::min(n, static_cast<size_t>(host::kMaxFieldSize)));
    rows_.AddCell(scratch_);
  }

  std::string Decode(const char* p, size_t n) {
    if (encoding_ == TextEncoding::kUtf8) return std::string(p, n);
    std::string out;
    AppendWindows1252(out, p, n);
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
    std::unordered_set<std::string> folded;
    folded.reserve(static_cast<size_t>(std::count(p, p + n, '\t')) + 1);
    size_t fields = 0;
    for (size_t start = 0; n > 0 && start <= n; ++fields) {
      const char* tab = static_cast<const char*>(std::memchr(p + start, '\t', n - start));
      size_t stop = tab ? static_cast<size_t>(tab - p) : n;
      std::string name = Decode(p + start, stop - start);
      std::string key = host::FoldCase(name);
      // The recordset refuses empty and repeated names; such a column is not created.
      if (!name.empty() && folded.insert(std::move(key)).second) names_.push_back(std::move(name));
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
// line ends end the lines, TABs are counted, and a line holding bytes above 0x7F is checked for
// UTF-8. Returns where the first incomplete line starts (`have` when everything was used).
size_t ScanLines(const char* base, size_t pos, size_t have, bool eof, TextEncoding encoding,
                 LineEnd line_end, TableBuilder& builder) {
  bool utf8 = encoding == TextEncoding::kUtf8;
  bool lf = line_end == LineEnd::kLf;
  const char end_char = lf ? '\n' : '\r';
  size_t line = pos;
  size_t tabs = 0;               // in the current line so far
  size_t first_high = SIZE_MAX;  // where the current line's first byte above 0x7F is
  for (size_t i = pos; i < have;) {
    uint32_t tab = 0;
    uint32_t end = 0;
    uint32_t high = 0;
    size_t width = std::min<size_t>(16, have - i);
#if defined(__SSE2__)
    if (width == 16) {
      __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i));
      tab = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t'))));
      end =
          static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(end_char))));
      high = static_cast<uint32_t>(_mm_movemask_epi8(bytes));
    } else
#endif
    {
      for (size_t k = 0; k < width; ++k) {
        unsigned char c = static_cast<unsigned char>(base[i + k]);
        if (c == '\t') tab |= 1u << k;
        if (c == static_cast<unsigned char>(end_char)) end |= 1u << k;
        if (c >= 0x80) high |= 1u << k;
      }
    }
    while (end) {
      unsigned bit = static_cast<unsigned>(__builtin_ctz(end));
      uint32_t before = (1u << bit) - 1;
      size_t at = i + bit;
      if ((high & before) && first_high == SIZE_MAX) {
        first_high = i + static_cast<size_t>(__builtin_ctz(high & before));
      }
      size_t after = at + 1;
      size_t dropped = 0;
      if (!lf) {
        dropped = after < have ? DroppedLength(base + after, have - after, encoding) : 0;
        if (!eof && (after == have || after + dropped > have)) return line;  // wait for more
      }
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
      end &= rest;
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

// How long a file must have been left alone before its contents are taken. A program that
// rewrites a file in place (truncates it, then writes it in several pieces) leaves it half
// written in between; a reader that took it then would show a torn last row.
constexpr auto kSettleTime = std::chrono::milliseconds(50);
// How long a file that keeps changing is tried before the reader gives up (and the caller keeps
// the rows it had).
constexpr auto kStableReadLimit = std::chrono::seconds(2);

// What tells one version of a file from another.
bool SameVersion(const struct stat& a, const struct stat& b) {
  return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
         a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

void Stat(int fd, struct stat& info, const std::string& path) {
  if (::fstat(fd, &info) != 0) FailSystem("Cannot read", path, errno);
}

// Since when the file has not changed; zero when its time lies in the future (another machine's
// clock), which no waiting would settle.
std::chrono::nanoseconds Age(const struct stat& info) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const auto age = std::chrono::seconds(now.tv_sec - info.st_mtim.tv_sec) +
                   std::chrono::nanoseconds(now.tv_nsec - info.st_mtim.tv_nsec);
  return age < std::chrono::nanoseconds(0) ? kSettleTime : age;
}

// The whole file from its start, in reads of `block_size` bytes.
std::string ReadAll(int fd, off_t expected, size_t block_size, const std::string& path) {
  std::string out;
  out.reserve(static_cast<size_t>(std::max<off_t>(expected, 0)) + 1);
  std::vector<char> block(std::min<size_t>(block_size, TextFile::kBlockSize));
  off_t offset = 0;
  while (true) {
    ssize_t got = ::pread(fd, block.data(), block.size(), offset);
    if (got < 0) {
      if (errno == EINTR) continue;
      FailSystem("Cannot read", path, errno);
    }
    if (got == 0) return out;
    out.append(block.data(), static_cast<size_t>(got));
    offset += got;
  }
}

// One version of the file, whole: read, and taken only when nothing changed it while it was
// read (same size, times and identity before and after, as many bytes as its size) and it had
// been left alone for kSettleTime; otherwise read again. A file that goes on changing for
// kStableReadLimit is an error.
std::string ReadOneVersion(int fd, size_t block_size, const std::string& path) {
  const auto give_up = std::chrono::steady_clock::now() + kStableReadLimit;
  while (true) {
    struct stat before {};
    struct stat after {};
    Stat(fd, before, path);
    std::string bytes = ReadAll(fd, before.st_size, block_size, path);
    Stat(fd, after, path);
    if (SameVersion(before, after) && static_cast<off_t>(bytes.size()) == after.st_size) {
      const auto age = Age(after);
      if (age >= kSettleTime) return bytes;
      std::this_thread::sleep_for(kSettleTime - age);
      struct stat settled {};
      Stat(fd, settled, path);
      if (SameVersion(after, settled)) return bytes;
    }
    if (std::chrono::steady_clock::now() >= give_up) {
      throw Error(kErrUnspecified, kSource,
                  "'" + path + "' kept changing while it was read; it is read again later.");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
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
  try {
    // One version of the file, read whole before any of it is decoded, so a file rewritten
    // while it is read gives its old or its new rows, never a mix or a torn last row.
    std::string bytes = ReadOneVersion(fd_, block_size, path_);
    const bool little = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                        static_cast<unsigned char>(bytes[1]) == 0xFE;
    const bool big = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
                     static_cast<unsigned char>(bytes[1]) == 0xFF;
    TextEncoding encoding = TextEncoding::kUtf8;
    size_t first = 0;
    if (little || big) {
      // A spreadsheet's "Unicode Text": decoded whole, then read as UTF-8.
      bytes = host::Utf16BytesToUtf8(bytes.substr(2), big);
    } else if (bytes.size() >= 3 && std::memcmp(bytes.data(), "\xEF\xBB\xBF", 3) == 0) {
      first = 3;
    }
    // CR line ends when the file holds a CR anywhere, else LF ones.
    const LineEnd line_end = bytes.find('\r') == std::string::npos ? LineEnd::kLf : LineEnd::kCr;
    // Reading starts as UTF-8; a file that turns out not to be UTF-8 is read again as
    // Windows-1252 (decoded UTF-16 always is UTF-8).
    while (true) {
      try {
        TableBuilder builder(first_row_field_names, encoding);
        const char* base = bytes.data();
        const size_t have = bytes.size();
        const size_t pos = ScanLines(base, first, have, true, encoding, line_end, builder);
        // The last line needs no line end, but an empty one or a lone LF is no line.
        const size_t rest = have - pos;
        if (rest > 0 && !(rest == 1 && base[pos] == '\n')) builder.Line(base + pos, rest);
        encoding_ = little || big ? TextEncoding::kUtf16 : encoding;
        if (builder.empty()) return nullptr;
        return builder.Finish();
      } catch (const NotUtf8&) {
        if (encoding != TextEncoding::kUtf8 || little || big) throw;
        encoding = TextEncoding::kWindows1252;
      }
    }
  } catch (const std::bad_alloc&) {
    throw Error(kErrUnspecified, kSource, "Not enough memory to read '" + path_ + "'.");
  }
}

std::unique_ptr<host::ClientRecordset> ReadTextFile(const std::string& path,
                                                    bool first_row_field_names) {
  TextFile file(path);
  return file.ReadRecordset(first_row_field_names);
}

}  // namespace vintrel::connections
