#include "host/workbook/biff_workbook.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "host/workbook/builtin_formats.h"
#include "host/workbook/cell_reference.h"
#include "host/workbook/utf8.h"

namespace vintrel::host::workbook {

namespace {

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr size_t kHeaderDifatEntries = 109;

uint16_t U16(std::string_view data, size_t at) {
  if (at + 2 > data.size()) return 0;
  return static_cast<uint16_t>(static_cast<unsigned char>(data[at]) |
                               static_cast<unsigned char>(data[at + 1]) << 8);
}

uint32_t U32(std::string_view data, size_t at) {
  if (at + 4 > data.size()) return 0;
  return static_cast<uint32_t>(U16(data, at)) | static_cast<uint32_t>(U16(data, at + 2)) << 16;
}

// A compound document: a small file system of fixed-size sectors chained by a table.
class CompoundFile {
 public:
  explicit CompoundFile(std::string_view file) : file_(file) {}

  bool Load() {
    if (file_.size() < 512 || file_.substr(0, 8) != "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") {
      return false;
    }
    uint16_t shift = U16(file_, 0x1E);
    if (shift != 9 && shift != 12) return false;
    sector_size_ = size_t{1} << shift;
    mini_cutoff_ = U32(file_, 0x38);
    // The sector table's own sectors: 109 listed in the header, the rest in a chain of lists.
    // The table needs one entry per sector of the file, so no more of its sectors than that are
    // read: lists naming more (one sector over and over, say) made a 1 MiB file take a minute
    // and 400 MiB, growing with the square of the file's size.
    const size_t needed = SectorCount() / (sector_size_ / 4) + 1;
    std::vector<uint32_t> table_sectors;
    for (size_t i = 0; i < kHeaderDifatEntries && table_sectors.size() < needed; ++i) {
      uint32_t sector = U32(file_, 0x4C + 4 * i);
      if (sector != kFreeSector && sector != kEndOfChain) table_sectors.push_back(sector);
    }
    uint32_t list = U32(file_, 0x44);
    for (size_t guard = 0;
         list != kEndOfChain && list != kFreeSector && table_sectors.size() < needed; ++guard) {
      if (guard > SectorCount()) return false;
      std::string_view sector = Sector(list);
      if (sector.empty()) return false;
      size_t per = sector_size_ / 4 - 1;
      for (size_t i = 0; i < per; ++i) {
        uint32_t entry = U32(sector, 4 * i);
        if (entry != kFreeSector && entry != kEndOfChain) table_sectors.push_back(entry);
      }
      list = U32(sector, 4 * per);
    }
    table_sectors.resize(std::min(table_sectors.size(), needed));
    for (uint32_t sector_id : table_sectors) {
      std::string_view sector = Sector(sector_id);
      if (sector.empty()) return false;
      for (size_t i = 0; i < sector_size_ / 4; ++i) table_.push_back(U32(sector, 4 * i));
    }
    std::optional<std::string> directory = Chain(U32(file_, 0x30), table_, 0, false);
    if (!directory) return false;
    directory_ = std::move(*directory);
    mini_table_ = {};
    if (std::optional<std::string> mini = Chain(U32(file_, 0x3C), table_, 0, false)) {
      for (size_t i = 0; i + 4 <= mini->size(); i += 4) mini_table_.push_back(U32(*mini, i));
    }
    if (directory_.size() >= 128) {
      std::optional<std::string> root =
          Chain(U32(directory_, 0x74), table_, U32(directory_, 0x78), true);
      if (root) mini_stream_ = std::move(*root);
    }
    return true;
  }

  std::optional<std::string> Stream(std::u16string_view wanted) const {
    for (size_t at = 0; at + 128 <= directory_.size(); at += 128) {
      if (directory_[at + 0x42] != 2) continue;  // not a stream
      size_t length = U16(directory_, at + 0x40);
      if (length < 2 || length > 64) continue;
      std::u16string name;
      for (size_t i = 0; i + 2 < length; i += 2) {
        name.push_back(static_cast<char16_t>(U16(directory_, at + i)));
      }
      if (name != wanted) continue;
      uint32_t start = U32(directory_, at + 0x74);
      uint32_t size = U32(directory_, at + 0x78);
      if (size < mini_cutoff_) return MiniChain(start, size);
      return Chain(start, table_, size, true);
    }
    return std::nullopt;
  }

 private:
  size_t SectorCount() const { return file_.size() / sector_size_; }

  std::string_view Sector(uint32_t id) const {
    size_t offset = (static_cast<size_t>(id) + 1) * sector_size_;
    if (id >= kEndOfChain - 8 || offset + sector_size_ > file_.size()) return {};
    return file_.substr(offset, sector_size_);
  }

  // The sectors of a chain joined; with `exact`, cut to `size` and refused when too short.
  std::optional<std::string> Chain(uint32_t start, const std::vector<uint32_t>& table, size_t size,
                                   bool exact) const {
    std::string data;
    uint32_t id = start;
    for (size_t guard = 0; id != kEndOfChain; ++guard) {
      if (guard > SectorCount() || id >= table.size()) return std::nullopt;
      std::string_view sector = Sector(id);
      if (sector.empty()) return std::nullopt;
      data.append(sector);
      if (exact && data.size() >= size) break;
      id = table[id];
    }
    if (exact) {
      if (data.size() < size) return std::nullopt;
      data.resize(size);
    }
    return data;
  }

  std::optional<std::string> MiniChain(uint32_t start, size_t size) const {
    std::string data;
    uint32_t id = start;
    for (size_t guard = 0; data.size() < size; ++guard) {
      // A chain longer than the mini stream runs in a circle.
      if (guard > mini_table_.size() || id >= mini_table_.size() ||
          data.size() >= mini_stream_.size()) {
        return std::nullopt;
      }
      size_t offset = static_cast<size_t>(id) * 64;
      if (offset + 64 > mini_stream_.size()) return std::nullopt;
      data.append(mini_stream_, offset, 64);
      id = mini_table_[id];
    }
    data.resize(size);
    return data;
  }

  std::string_view file_;
  size_t sector_size_ = 512;
  size_t mini_cutoff_ = 4096;
  std::vector<uint32_t> table_;
  std::vector<uint32_t> mini_table_;
  std::string directory_;
  std::string mini_stream_;
};

// Record payloads joined across CONTINUE records, remembering where each one began: a string
// that runs over a record boundary starts again with an option byte there.
class RecordReader {
 public:
  RecordReader(std::string data, std::vector<size_t> starts)
      : data_(std::move(data)), starts_(std::move(starts)) {}

  bool AtEnd() const { return pos_ >= data_.size(); }
  size_t position() const { return pos_; }
  void Skip(size_t count) { pos_ = std::min(data_.size(), pos_ + count); }
  uint16_t U16() {
    uint16_t value = workbook::U16(data_, pos_);
    Skip(2);
    return value;
  }
  uint32_t U32() {
    uint32_t value = workbook::U32(data_, pos_);
    Skip(4);
    return value;
  }
  uint8_t U8() {
    uint8_t value = pos_ < data_.size() ? static_cast<uint8_t>(data_[pos_]) : 0;
    Skip(1);
    return value;
  }

  // An XLUnicodeRichExtendedString: length, options, optional run and phonetic sizes, the
  // characters, then the runs and phonetic data, which are skipped.
  std::string String() {
    size_t count = U16();
    uint8_t options = U8();
    size_t runs = options & 0x08 ? U16() : 0;
    size_t phonetic = options & 0x04 ? U32() : 0;
    bool wide = options & 0x01;
    std::string text;
    for (size_t i = 0; i < count && !AtEnd(); ++i) {
      if (AtBoundary()) wide = U8() & 0x01;
      if (wide) {
        unsigned code = U16();
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < count && !AtBoundary()) {
          // A pair of UTF-16 surrogates makes one character beyond the basic plane.
          unsigned low = workbook::U16(data_, pos_);
          if (low >= 0xDC00 && low < 0xE000) {
            Skip(2);
            ++i;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          }
        }
        AppendUtf8(text, code);
      } else {
        AppendUtf8(text, U8());
      }
    }
    Skip(runs * 4 + phonetic);
    return text;
  }

 private:
  bool AtBoundary() const {
    for (size_t start : starts_) {
      if (start == pos_) return true;
    }
    return false;
  }

  std::string data_;
  std::vector<size_t> starts_;  // where the CONTINUE payloads begin
  size_t pos_ = 0;
};

// A short BIFF8 string inside one record.
std::string RecordString(std::string_view record, size_t at, bool short_length) {
  std::string data(record.substr(std::min(at, record.size())));
  if (short_length) data.insert(1, 1, '\0');
  return RecordReader(std::move(data), {}).String();
}

int SheetType(uint8_t kind) {
  switch (kind) {
    case 2:
      return sheet_type::kChart;
    case 1:
      return 3;  // macro sheet
    default:
      return sheet_type::kWorksheet;
  }
}

double RkNumber(uint32_t rk) {
  double number = 0;
  if (rk & 0x02) {
    number = static_cast<double>(static_cast<int32_t>(rk) >> 2);
  } else {
    uint64_t bits = static_cast<uint64_t>(rk & 0xFFFFFFFC) << 32;
    std::memcpy(&number, &bits, sizeof number);
  }
  return rk & 0x01 ? number / 100 : number;
}

double Double(std::string_view record, size_t at) {
  uint64_t bits =
      static_cast<uint64_t>(U32(record, at)) | static_cast<uint64_t>(U32(record, at + 4)) << 32;
  double number = 0;
  std::memcpy(&number, &bits, sizeof number);
  return number;
}

std::string ErrorText(uint8_t code) {
  switch (code) {
    case 0x00:
      return "#NULL!";
    case 0x07:
      return "#DIV/0!";
    case 0x0F:
      return "#VALUE!";
    case 0x17:
      return "#REF!";
    case 0x1D:
      return "#NAME?";
    case 0x24:
      return "#NUM!";
    default:
      return "#N/A";
  }
}

struct Record {
  uint16_t type;
  std::string_view data;
};

// The records from `at` up to and including the next EOF record.
std::vector<Record> Records(std::string_view stream, size_t at) {
  std::vector<Record> records;
  while (at + 4 <= stream.size()) {
    uint16_t type = U16(stream, at);
    uint16_t length = U16(stream, at + 2);
    if (at + 4 + length > stream.size()) break;
    records.push_back({type, stream.substr(at + 4, length)});
    at += 4 + length;
    if (type == 0x000A) break;
  }
  return records;
}

// The shared strings: the SST record with its CONTINUE records.
std::vector<std::string> SharedStrings(const std::vector<Record>& records, size_t index) {
  std::string data(records[index].data);
  std::vector<size_t> starts;
  for (size_t i = index + 1; i < records.size() && records[i].type == 0x003C; ++i) {
    starts.push_back(data.size());
    data.append(records[i].data);
  }
  RecordReader reader(std::move(data), std::move(starts));
  reader.Skip(4);
  uint32_t unique = reader.U32();
  std::vector<std::string> strings;
  for (uint32_t i = 0; i < unique && !reader.AtEnd(); ++i) strings.push_back(reader.String());
  return strings;
}

void ReadSheetCells(const std::vector<Record>& records, const std::vector<std::string>& strings,
                    BiffWorkbook::Sheet& sheet) {
  auto add = [&](uint16_t row, uint16_t column, uint16_t xf, CellValue value) {
    // Blank cells keep their format: an empty cell in a styled range still has one.
    sheet.cells.push_back({row + 1, column + 1, xf, std::move(value)});
  };
  for (size_t i = 0; i < records.size(); ++i) {
    std::string_view r = records[i].data;
    if (r.size() < 6 && records[i].type != 0x000A) continue;
    uint16_t row = U16(r, 0);
    uint16_t column = U16(r, 2);
    uint16_t xf = U16(r, 4);
    CellValue value;
    switch (records[i].type) {
      case 0x0203:  // NUMBER
        value.kind = CellValue::Kind::kNumber;
        value.number = Double(r, 6);
        add(row, column, xf, std::move(value));
        break;
      case 0x027E:  // RK
        value.kind = CellValue::Kind::kNumber;
        value.number = RkNumber(U32(r, 6));
        add(row, column, xf, std::move(value));
        break;
      case 0x00BD:  // MULRK: xf and value per column
        for (size_t at = 4; at + 8 <= r.size(); at += 6, ++column) {
          CellValue number;
          number.kind = CellValue::Kind::kNumber;
          number.number = RkNumber(U32(r, at + 2));
          add(row, column, U16(r, at), std::move(number));
        }
        break;
      case 0x00BE:  // MULBLANK: xf per column
        for (size_t at = 4; at + 4 <= r.size(); at += 2, ++column) add(row, column, U16(r, at), {});
        break;
      case 0x0201:  // BLANK
        add(row, column, xf, {});
        break;
      case 0x00FD: {  // LABELSST
        uint32_t index = U32(r, 6);
        value.kind = CellValue::Kind::kText;
        value.text = index < strings.size() ? strings[index] : "";
        add(row, column, xf, std::move(value));
        break;
      }
      case 0x0204:  // LABEL
      case 0x00D6:  // RSTRING: a label with formatting runs after its text
        value.kind = CellValue::Kind::kText;
        value.text = RecordString(r, 6, false);
        add(row, column, xf, std::move(value));
        break;
      case 0x0205:  // BOOLERR
        if (r.size() >= 8 && r[7] != 0) {
          value.kind = CellValue::Kind::kError;
          value.text = ErrorText(static_cast<uint8_t>(r[6]));
        } else {
          value.kind = CellValue::Kind::kBoolean;
          value.number = r.size() >= 7 && r[6] != 0 ? 1 : 0;
        }
        add(row, column, xf, std::move(value));
        break;
      case 0x0006:  // FORMULA: the cached result
        if (r.size() < 14) break;
        if (U16(r, 12) != 0xFFFF) {
          value.kind = CellValue::Kind::kNumber;
          value.number = Double(r, 6);
        } else if (r[6] == 0) {  // text, in the STRING record that follows
          value.kind = CellValue::Kind::kText;
          // The STRING record follows, after the shared or array formula it may belong to.
          size_t next = i + 1;
          while (next < records.size() &&
                 (records[next].type == 0x04BC || records[next].type == 0x0221 ||
                  records[next].type == 0x0236)) {
            ++next;
          }
          if (next < records.size() && records[next].type == 0x0207) {
            value.text = RecordString(records[next].data, 0, false);
          }
        } else if (r[6] == 1) {
          value.kind = CellValue::Kind::kBoolean;
          value.number = r[8] != 0 ? 1 : 0;
        } else if (r[6] == 2) {
          value.kind = CellValue::Kind::kError;
          value.text = ErrorText(static_cast<uint8_t>(r[8]));
        } else {
          value.kind = CellValue::Kind::kText;  // empty text
        }
        add(row, column, xf, std::move(value));
        break;
      default:
        break;
    }
  }
}

struct NameRecord {
  std::string name;
  int sheet = -1;
  std::string formula;  // the parsed tokens, empty when they are no single area
  std::string tokens;
};

// A NAME record: options, shortcut, name length, formula length, sheet (from 1, 0 for the
// workbook), then the name and the formula's tokens. Built-in names (print areas and the like)
// are left out.
std::optional<NameRecord> ReadName(std::string_view record) {
  if (record.size() < 15 || (U16(record, 0) & 0x0020)) return std::nullopt;
  size_t length = static_cast<uint8_t>(record[3]);
  size_t formula_length = U16(record, 4);
  NameRecord name;
  name.sheet = static_cast<int>(U16(record, 8)) - 1;
  bool wide = record[14] & 0x01;
  size_t end = 15 + length * (wide ? 2 : 1);
  if (end > record.size()) return std::nullopt;
  std::string text(record.substr(3, 1));  // the name as a short string: length, options, chars
  text.push_back('\0');
  text.append(record.substr(14, end - 14));
  name.name = RecordString(text, 0, false);
  name.tokens = std::string(record.substr(end, std::min(formula_length, record.size() - end)));
  return name;
}

// 'Sheet'!$A$1:$C$10 for a formula that is one 3-D reference or area, through the EXTERNSHEET
// table of sheet ranges; empty for anything else.
std::string AreaText(std::string_view tokens, const std::vector<uint16_t>& extern_sheets,
                     const std::vector<BiffWorkbook::Sheet>& sheets) {
  if (tokens.empty()) return "";
  uint8_t ptg = (static_cast<uint8_t>(tokens[0]) & 0x1F) | 0x20;  // any operand class
  bool area = ptg == 0x3B;
  if (!(area || ptg == 0x3A) || tokens.size() != (area ? 11u : 7u)) return "";
  uint16_t xti = U16(tokens, 1);
  if (xti >= extern_sheets.size() || extern_sheets[xti] >= sheets.size()) return "";
  std::string sheet;
  for (char c : sheets[extern_sheets[xti]].name) sheet += c == '\'' ? "''" : std::string(1, c);
  auto cell = [](uint16_t row, uint16_t column) {
    return "$" + ColumnLetters((column & 0x3FFF) + 1) + "$" + std::to_string(row + 1);
  };
  std::string text = "'" + sheet + "'!";
  if (area) {
    text += cell(U16(tokens, 3), U16(tokens, 7)) + ":" + cell(U16(tokens, 5), U16(tokens, 9));
  } else {
    text += cell(U16(tokens, 3), U16(tokens, 5));
  }
  return text;
}

}  // namespace

std::optional<std::string> ReadCompoundStream(std::string_view file, std::u16string_view name) {
  CompoundFile compound(file);
  if (!compound.Load()) return std::nullopt;
  return compound.Stream(name);
}

LegacyKind IdentifyLegacyWorkbook(std::string_view file) {
  CompoundFile compound(file);
  if (!compound.Load()) return LegacyKind::kDamaged;
  std::optional<std::string> stream = compound.Stream(u"Workbook");
  if (!stream) {
    return compound.Stream(u"Book") ? LegacyKind::kOlder : LegacyKind::kNoWorkbook;
  }
  if (U16(*stream, 0) != 0x0809) return LegacyKind::kDamaged;
  if (U16(*stream, 4) != 0x0600) return LegacyKind::kOlder;
  for (const Record& record : Records(*stream, 0)) {
    if (record.type == 0x002F) return LegacyKind::kEncrypted;  // FILEPASS
  }
  return LegacyKind::kBiff8;
}

std::optional<BiffWorkbook> ReadBiffWorkbook(std::string_view file) {
  std::optional<std::string> stream = ReadCompoundStream(file, u"Workbook");
  if (!stream) return std::nullopt;
  std::string_view data = *stream;
  // The workbook globals: BOF of version BIFF8, then formats, XFs, strings and the sheet list.
  if (U16(data, 0) != 0x0809 || U16(data, 4) != 0x0600) return std::nullopt;
  std::vector<Record> globals = Records(data, 0);
  std::map<int, std::string> codes;
  std::vector<int> xf_formats;
  std::vector<uint32_t> offsets;
  std::vector<std::string> strings;
  std::vector<uint16_t> extern_sheets;
  std::vector<NameRecord> names;
  BiffWorkbook result;
  for (size_t i = 0; i < globals.size(); ++i) {
    std::string_view record = globals[i].data;
    switch (globals[i].type) {
      case 0x002F:  // FILEPASS: encrypted
        return std::nullopt;
      case 0x0022:  // DATEMODE
        result.date1904 = U16(record, 0) == 1;
        break;
      case 0x041E:  // FORMAT
        codes[U16(record, 0)] = RecordString(record, 2, false);
        break;
      case 0x00E0:  // XF
        xf_formats.push_back(U16(record, 2));
        break;
      case 0x00FC:  // SST
        strings = SharedStrings(globals, i);
        break;
      case 0x0017:  // EXTERNSHEET: the sheets 3-D references point at
        for (size_t at = 2; at + 6 <= record.size(); at += 6) {
          extern_sheets.push_back(U16(record, at + 2));
        }
        break;
      case 0x0018:  // NAME
        if (std::optional<NameRecord> name = ReadName(record)) names.push_back(std::move(*name));
        break;
      case 0x0085: {  // BOUNDSHEET
        BiffWorkbook::Sheet sheet;
        sheet.type = SheetType(record.size() > 5 ? static_cast<uint8_t>(record[5]) : 0);
        sheet.name = RecordString(record, 6, true);
        result.sheets.push_back(std::move(sheet));
        offsets.push_back(U32(record, 0));
        break;
      }
      default:
        break;
    }
  }
  for (const NameRecord& name : names) {
    std::string area = AreaText(name.tokens, extern_sheets, result.sheets);
    result.names.push_back({name.name, name.sheet, area.empty() ? "a formula" : area});
  }
  for (int id : xf_formats) {
    auto found = codes.find(id);
    std::string code = found != codes.end() ? found->second : BuiltInFormatCode(id);
    result.xf_codes.push_back(code.empty() ? "General" : code);
  }
  for (size_t s = 0; s < offsets.size(); ++s) {
    if (offsets[s] >= data.size() || U16(data, offsets[s]) != 0x0809) continue;
    ReadSheetCells(Records(data, offsets[s]), strings, result.sheets[s]);
  }
  return result;
}

}  // namespace vintrel::host::workbook
