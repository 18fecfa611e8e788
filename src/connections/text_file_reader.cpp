#include "connections/text_file_reader.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VINTREL_SCAN_AVX2 1
#else
#define VINTREL_SCAN_AVX2 0
#endif

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <vector>

#include "host/common/disk_file.h"
#include "host/common/text_encoding.h"
#include "host/error.h"

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
  // Lines of UTF-8 text are kept where they are, inside `text`, which the rows keep alive.
  TableBuilder(bool first_row_names, TextEncoding encoding, std::shared_ptr<const void> text)
      : first_row_names_(first_row_names), encoding_(encoding) {
    if (encoding_ == TextEncoding::kUtf8 && text) rows_.KeepAlive(std::move(text));
  }

  // A line of `n` bytes at p holding `tabs` TABs (the caller has counted them).
  // (Inlined: the scan calls it once a line, and most lines take the first way out.)
  [[gnu::always_inline]] void Line(const char* p, size_t n, size_t tabs) {
    ++lines_;
    size_t fields = n == 0 ? 0 : tabs + 1;  // an empty line has no fields
    if (encoding_ == TextEncoding::kUtf8 && fields <= limit_ && lines_ > 1 &&
        n <= static_cast<size_t>(host::kMaxFieldSize)) {
      max_fields_ = std::max(max_fields_, fields);
      rows_.AddTabLineInPlace(std::string_view(p, n), fields);
      return;
    }
    OtherLine(p, n, fields);
  }

  // A line of `n` bytes at p with `fields` fields: the first line, one with values to cut or
  // to convert, or with fields beyond the named columns.
  void OtherLine(const char* p, size_t n, size_t fields) {
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
      rows_.AddTabLineInPlace(std::string_view(p, n), count);
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
  std::vector<RenamedColumn>& renamed() { return renamed_; }

  void ReserveRows(size_t rows) { rows_.ReserveRows(rows); }

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
    // The folded names go one after another into one text and are compared as views into it:
    // a first line of a million fields costs no text of its own per name.
    std::vector<std::pair<size_t, size_t>> fields;  // start and stop in the line
    std::vector<size_t> folded_ends;
    std::string folded;
    folded.reserve(n);
    for (size_t start = 0; n > 0 && start <= n;) {
      const char* tab = static_cast<const char*>(std::memchr(p + start, '\t', n - start));
      size_t stop = tab ? static_cast<size_t>(tab - p) : n;
      fields.emplace_back(start, stop);
      AppendFolded(folded, p + start, stop - start);
      folded_ends.push_back(folded.size());
      start = stop + 1;
    }
    ColumnNames named = NameColumns(
        fields.size(),
        [&](size_t i) {
          size_t begin = i == 0 ? 0 : folded_ends[i - 1];
          return std::string_view(folded.data() + begin, folded_ends[i] - begin);
        },
        [&](size_t i) { return Decode(p + fields[i].first, fields[i].second - fields[i].first); });
    names_ = std::move(named.names);
    renamed_ = std::move(named.renamed);
    max_fields_ = std::max(max_fields_, fields.size());
    limit_ = names_.size();
  }

  // Appends the name at p, decoded and with its letter case folded, to `out`.
  void AppendFolded(std::string& out, const char* p, size_t n) {
    bool ascii = true;
    for (size_t i = 0; i < n && ascii; ++i) ascii = static_cast<unsigned char>(p[i]) < 0x80;
    if (!ascii) {
      out += host::FoldCase(Decode(p, n));
      return;
    }
    for (size_t i = 0; i < n; ++i) {
      char c = p[i];
      out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
  }

  bool first_row_names_;
  TextEncoding encoding_;
  size_t lines_ = 0;
  size_t max_fields_ = 0;
  size_t limit_ = static_cast<size_t>(-1);
  std::vector<std::string> names_;
  std::vector<RenamedColumn> renamed_;
  std::string scratch_;
  host::RowTable rows_;
};

// Length of the character after a CR at p; it is dropped with the line end.
size_t DroppedCharacterLength(const char* p, size_t available);

inline size_t DroppedLength(const char* p, size_t available, TextEncoding encoding) {
  if (encoding != TextEncoding::kUtf8 || static_cast<unsigned char>(*p) < 0x80) return 1;
  return DroppedCharacterLength(p, available);
}

size_t DroppedCharacterLength(const char* p, size_t available) {
  unsigned char b = static_cast<unsigned char>(*p);
  size_t want = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
  if (want == 0) throw NotUtf8();
  if (available < want) return want;  // the caller waits for the rest
  if (Utf8SequenceLength(reinterpret_cast<const unsigned char*>(p), available) != want) {
    throw NotUtf8();
  }
  return want;
}

// Bits set in a 64-bit mask. Plain arithmetic unless the build targets processors that have
// the instruction: it is not part of the baseline instruction set, and the library fallback
// costs a call per block.
inline size_t CountBits(uint64_t x) {
#if defined(__POPCNT__)
  return static_cast<size_t>(__builtin_popcountll(x));
#else
  x = x - ((x >> 1) & 0x5555555555555555ull);
  x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<size_t>((x * 0x0101010101010101ull) >> 56);
#endif
}

// The TABs, line ends and bytes above 0x7F among the 64 bytes at p, one bit each.
struct BlockMasks {
  uint64_t tab = 0;
  uint64_t end = 0;
  uint64_t high = 0;
};

// The masks of a whole block, with the instructions every x86-64 processor has.
struct BaselineBlock {
  static BlockMasks Of(const char* p, char end_char) {
    BlockMasks masks;
#if defined(__SSE2__)
    const __m128i tabs = _mm_set1_epi8('\t');
    const __m128i ends = _mm_set1_epi8(end_char);
    for (int k = 0; k < 4; ++k) {
      __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
      const int shift = 16 * k;
      masks.tab |= static_cast<uint64_t>(
                       static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, tabs))))
                   << shift;
      masks.end |= static_cast<uint64_t>(
                       static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, ends))))
                   << shift;
      masks.high |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(bytes))) << shift;
    }
#else
    for (int k = 0; k < 64; ++k) {
      unsigned char c = static_cast<unsigned char>(p[k]);
      if (c == '\t') masks.tab |= uint64_t{1} << k;
      if (c == static_cast<unsigned char>(end_char)) masks.end |= uint64_t{1} << k;
      if (c >= 0x80) masks.high |= uint64_t{1} << k;
    }
#endif
    return masks;
  }
  static size_t Count(uint64_t x) {
    return CountBits(x);
  }
};

#if VINTREL_SCAN_AVX2
// The same with 32-byte compares and the bit-counting instruction, on processors that have them
// (nearly all since 2013); chosen when the program starts. Not inlined by force: the compiler
// inlines them once the scan around them is compiled for the same processors.
#define VINTREL_AVX2_TARGET gnu::target("avx2,popcnt,bmi")
struct Avx2Block {
  [[VINTREL_AVX2_TARGET]] static BlockMasks Of(const char* p, char end_char) {
    const __m256i tabs = _mm256_set1_epi8('\t');
    const __m256i ends = _mm256_set1_epi8(end_char);
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    auto join = [](int lo, int hi) {
      return static_cast<uint64_t>(static_cast<uint32_t>(lo)) |
             static_cast<uint64_t>(static_cast<uint32_t>(hi)) << 32;
    };
    BlockMasks masks;
    masks.tab = join(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, tabs)),
                     _mm256_movemask_epi8(_mm256_cmpeq_epi8(high, tabs)));
    masks.end = join(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, ends)),
                     _mm256_movemask_epi8(_mm256_cmpeq_epi8(high, ends)));
    masks.high = join(_mm256_movemask_epi8(low), _mm256_movemask_epi8(high));
    return masks;
  }
  [[VINTREL_AVX2_TARGET]] static size_t Count(uint64_t x) {
    return static_cast<size_t>(__builtin_popcountll(x));
  }
};
#endif

// Finds the complete lines in base[pos, have) in one pass over the bytes, 64 at a time: line
// ends end the lines, TABs are counted, and in UTF-8 every character above 0x7F is checked
// (plain ASCII needs no check, so this costs nothing on a line without such characters).
// Returns where the first incomplete line starts (`have` when everything was used).
template <typename Block>
[[gnu::always_inline]] inline size_t ScanLinesWith(const char* base, size_t pos, size_t have,
                                                   bool eof, TextEncoding encoding,
                                                   LineEnd line_end, TableBuilder& builder) {
  bool utf8 = encoding == TextEncoding::kUtf8;
  bool lf = line_end == LineEnd::kLf;
  const char end_char = lf ? '\n' : '\r';
  size_t line = pos;
  size_t tabs = 0;       // in the current line so far
  size_t checked = pos;  // the bytes before this are valid UTF-8
  // The bits of a block's mask from `from` (an offset in the block) on.
  auto from = [](size_t offset) {
    return offset >= 64 ? uint64_t{0} : ~((uint64_t{1} << offset) - 1);
  };
  for (size_t i = pos; i < have;) {
    size_t width = std::min<size_t>(64, have - i);
    BlockMasks masks;
    if (width == 64) {
      masks = Block::Of(base + i, end_char);
    } else {
      for (size_t k = 0; k < width; ++k) {
        unsigned char c = static_cast<unsigned char>(base[i + k]);
        if (c == '\t') masks.tab |= uint64_t{1} << k;
        if (c == static_cast<unsigned char>(end_char)) masks.end |= uint64_t{1} << k;
        if (c >= 0x80) masks.high |= uint64_t{1} << k;
      }
    }
    // Each character above 0x7F that starts in this block before `stop` must be one well-formed
    // sequence (one may run on into the next block; none holds a line end, which is ASCII).
    auto check_until = [&](size_t stop) {
      if (!utf8 || checked >= stop) return;
      uint64_t high = masks.high & from(checked > i ? checked - i : 0) & ~from(stop - i);
      while (high) {
        size_t at = i + static_cast<size_t>(__builtin_ctzll(high));
        size_t length =
            Utf8SequenceLength(reinterpret_cast<const unsigned char*>(base + at), have - at);
        if (length == 0) throw NotUtf8();
        checked = at + length;
        high &= from(checked - i);
      }
    };
    uint64_t tab = masks.tab;
    uint64_t end = masks.end;
    while (end) {
      unsigned bit = static_cast<unsigned>(__builtin_ctzll(end));
      uint64_t before = (uint64_t{1} << bit) - 1;
      size_t at = i + bit;
      size_t after = at + 1;
      size_t dropped = 0;
      if (!lf) {
        dropped = after < have ? DroppedLength(base + after, have - after, encoding) : 0;
        if (!eof && (after == have || after + dropped > have)) return line;  // wait for more
      }
      check_until(at);
      builder.Line(base + line, at - line, tabs + Block::Count(tab & before));
      line = std::min(after + dropped, have);
      // The character dropped after a CR has been checked, or is cut short by the file's end
      // and dropped whatever it holds.
      checked = std::max(checked, line);
      tabs = 0;
      if (line >= i + width) break;
      // The dropped character may itself be a TAB or CR: only what follows it counts.
      uint64_t rest = from(line - i);
      tab &= rest;
      end &= rest;
    }
    if (line < i + width) tabs += Block::Count(tab);
    check_until(i + width);
    i = std::max(i + width, line);
  }
  return line;
}

size_t ScanLinesBaseline(const char* base, size_t pos, size_t have, bool eof, TextEncoding encoding,
                         LineEnd line_end, TableBuilder& builder) {
  return ScanLinesWith<BaselineBlock>(base, pos, have, eof, encoding, line_end, builder);
}

#if VINTREL_SCAN_AVX2
[[VINTREL_AVX2_TARGET]] size_t ScanLinesAvx2(const char* base, size_t pos, size_t have, bool eof,
                                             TextEncoding encoding, LineEnd line_end,
                                             TableBuilder& builder) {
  return ScanLinesWith<Avx2Block>(base, pos, have, eof, encoding, line_end, builder);
}
#endif

size_t ScanLines(const char* base, size_t pos, size_t have, bool eof, TextEncoding encoding,
                 LineEnd line_end, TextScan scan, TableBuilder& builder) {
#if VINTREL_SCAN_AVX2
  static const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") &&
                           __builtin_cpu_supports("bmi");
  if (avx2 && scan == TextScan::kFastest)
    return ScanLinesAvx2(base, pos, have, eof, encoding, line_end, builder);
#else
  (void)scan;
#endif
  return ScanLinesBaseline(base, pos, have, eof, encoding, line_end, builder);
}

// About how many lines `bytes` holds, from the lines of its first 64 KiB, with a quarter more
// for good measure; the row index is made that large at once instead of being grown (and
// copied) while the rows are read.
size_t GuessLines(std::string_view bytes, LineEnd line_end) {
  const size_t sample = std::min<size_t>(bytes.size(), size_t{64} << 10);
  const char end_char = line_end == LineEnd::kLf ? '\n' : '\r';
  const size_t ends =
      static_cast<size_t>(std::count(bytes.data(), bytes.data() + sample, end_char));
  if (ends == 0 || sample == bytes.size()) return ends + 1;
  return bytes.size() / sample * ends * 5 / 4 + 16;
}

// A path written the Windows way that is not found is tried again with slashes.
std::unique_ptr<host::ReadableFile> OpenNative(
    const std::string& path,
    const std::function<std::unique_ptr<host::ReadableFile>(const std::string&)>& open) {
  try {
    return open(path);
  } catch (const Error& error) {
    const bool missing = error.number() == kErrFileNotFound || error.number() == kErrPathNotFound;
    if (!missing || path.find('\\') == std::string::npos) throw;
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    try {
      return open(native);
    } catch (const Error&) {
      throw error;
    }
  }
}

}  // namespace

TextFile::TextFile(const host::FileSystem& files, const std::string& path)
    : path_(path),
      file_(OpenNative(path, [&](const std::string& p) { return files.OpenForReading(p); })) {}

TextFile::TextFile(const std::string& path)
    : path_(path),
      file_(OpenNative(path, [](const std::string& p) { return host::OpenDiskFile(p); })) {}

TextFile::~TextFile() = default;
TextFile::TextFile(TextFile&& other) noexcept = default;

void TextFile::Close() {
  file_.reset();
}

std::unique_ptr<host::ClientRecordset> TextFile::ReadRecordset(bool first_row_field_names,
                                                               size_t block_size, TextScan scan) {
  if (file_ == nullptr) throw Error(kErrUnspecified, kSource, "The text file is not open.");
  try {
    // One version of the file, read whole before any of it is decoded, so a file rewritten
    // while it is read gives its old or its new rows, never a mix or a torn last row.
    std::shared_ptr<const host::FileView> file = file_->ReadAll(std::max<size_t>(block_size, 1));
    // The text the rows are read from, and what keeps it.
    std::shared_ptr<const void> owner = file;
    std::string_view bytes = file->bytes();
    const bool little = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                        static_cast<unsigned char>(bytes[1]) == 0xFE;
    const bool big = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
                     static_cast<unsigned char>(bytes[1]) == 0xFF;
    TextEncoding encoding = TextEncoding::kUtf8;
    size_t first = 0;
    if (little || big) {
      // A spreadsheet's "Unicode Text": decoded whole, then read as UTF-8.
      auto decoded =
          std::make_shared<const std::string>(host::Utf16BytesToUtf8(bytes.substr(2), big));
      file.reset();
      bytes = *decoded;
      owner = std::move(decoded);
    } else if (bytes.size() >= 3 && std::memcmp(bytes.data(), "\xEF\xBB\xBF", 3) == 0) {
      first = 3;
    }
    // CR line ends when the file holds a CR anywhere, else LF ones.
    const bool holds_cr = std::memchr(bytes.data(), '\r', bytes.size()) != nullptr;
    const LineEnd line_end = holds_cr ? LineEnd::kCr : LineEnd::kLf;
    // Reading starts as UTF-8; a file that turns out not to be UTF-8 is read again as
    // Windows-1252 (decoded UTF-16 always is UTF-8).
    while (true) {
      try {
        TableBuilder builder(first_row_field_names, encoding, owner);
        const char* base = bytes.data();
        const size_t have = bytes.size();
        builder.ReserveRows(GuessLines(bytes, line_end));
        const size_t pos = ScanLines(base, first, have, true, encoding, line_end, scan, builder);
        // The last line needs no line end, but an empty one or a lone LF is no line.
        const size_t rest = have - pos;
        if (rest > 0 && !(rest == 1 && base[pos] == '\n')) builder.Line(base + pos, rest);
        encoding_ = little || big ? TextEncoding::kUtf16 : encoding;
        if (builder.empty()) return nullptr;
        renamed_columns_ = std::move(builder.renamed());
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

std::unique_ptr<host::ClientRecordset> ReadTextFile(const host::FileSystem& files,
                                                    const std::string& path,
                                                    bool first_row_field_names) {
  TextFile file(files, path);
  return file.ReadRecordset(first_row_field_names);
}

std::unique_ptr<host::ClientRecordset> ReadTextFile(const std::string& path,
                                                    bool first_row_field_names) {
  TextFile file(path);
  return file.ReadRecordset(first_row_field_names);
}

}  // namespace vintrel::connections
