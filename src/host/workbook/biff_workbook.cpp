#include "host/workbook/biff_workbook.h"

#include <map>

#include "host/workbook/biff_cells.h"
#include "host/workbook/biff_records.h"
#include "host/workbook/builtin_formats.h"
#include "host/workbook/cell_reference.h"
#include "host/workbook/compound_file.h"
#include "host/workbook/default_password.h"

namespace vintrel::host::workbook {

namespace {

constexpr uint16_t kFilePass = 0x002F;

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
  uint32_t unique = reader.ReadU32();
  std::vector<std::string> strings;
  for (uint32_t i = 0; i < unique && !reader.AtEnd(); ++i) strings.push_back(reader.String());
  return strings;
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

// Number formats and XF records, of the globals or of an early worksheet's own records.
struct Formats {
  std::map<int, std::string> codes;  // format index -> code
  int next_index = 0;                // before BIFF5, formats are numbered in order
  std::vector<int> xf_formats;       // XF index -> format index
};

void ReadFormat(const Record& record, int version, int code_page, Formats& formats) {
  std::string_view r = record.data;
  switch (record.type) {
    case 0x001E:  // FORMAT of BIFF2 and BIFF3
      formats.codes[formats.next_index++] = ByteString(r, 0, true, code_page);
      break;
    case 0x041E:  // FORMAT of BIFF4 (in order) and later (with its index)
      if (version == 4) {
        formats.codes[formats.next_index++] = ByteString(r, 2, true, code_page);
      } else {
        formats.codes[U16(r, 0)] =
            version == 8 ? RecordString(r, 2, false) : ByteString(r, 2, true, code_page);
      }
      break;
    case 0x0243:  // XF of BIFF3
    case 0x0443:  // XF of BIFF4
      formats.xf_formats.push_back(U8(r, 1));
      break;
    case 0x00E0:  // XF of BIFF5 and BIFF8
      formats.xf_formats.push_back(U16(r, 2));
      break;
    default:
      break;
  }
}

// Appends the codes cells refer to: XF indexes, or in BIFF2 (whose cells name their format
// directly) format indexes.
void AppendCodes(const Formats& formats, int version, std::vector<std::string>& out) {
  auto code = [&](int id) {
    auto found = formats.codes.find(id);
    std::string text = found != formats.codes.end() ? found->second : BuiltInFormatCode(id);
    return text.empty() ? std::string("General") : text;
  };
  if (version == 2) {
    for (int id = 0; id < 64; ++id) out.push_back(code(id));
    return;
  }
  for (int id : formats.xf_formats) out.push_back(code(id));
}

// A BIFF5 or BIFF8 stream, or an early file itself, with its version.
struct Located {
  LegacyKind kind = LegacyKind::kDamaged;
  std::string stream;      // the workbook stream of a compound document
  std::string_view early;  // or the early file itself
  int version = 0;
  // The records.
  std::string_view data() const { return early.empty() ? std::string_view(stream) : early; }
};

// The version an early file's first record (its BOF) gives; 0 for anything else.
int EarlyVersion(std::string_view data) {
  uint16_t length = U16(data, 2);
  if (data.size() < 8 || length < 4 || length > 20) return 0;
  switch (U16(data, 0)) {
    case 0x0009:
      return 2;
    case 0x0209:
      return 3;
    case 0x0409:
      return 4;
    default:
      return 0;
  }
}

Located Locate(std::string_view file) {
  Located found;
  if (int early = EarlyVersion(file)) {
    found.early = file;
    found.version = early;
  } else {
    CompoundFile compound(file);
    if (!compound.Load()) return found;
    std::optional<std::string> stream = compound.Stream(u"Workbook");
    bool book = !stream;
    if (book) stream = compound.Stream(u"Book");
    if (!stream) {
      bool any = compound.HasStream(u"Workbook") || compound.HasStream(u"Book");
      found.kind = any ? LegacyKind::kDamaged : LegacyKind::kNoWorkbook;
      return found;
    }
    found.stream = std::move(*stream);
    if (U16(found.stream, 0) != 0x0809) return found;
    uint16_t version = U16(found.stream, 4);
    found.version = version == 0x0500 || (book && version < 0x0600) ? 5 : 8;
  }
  found.kind = found.version == 8   ? LegacyKind::kBiff8
               : found.version == 5 ? LegacyKind::kBiff5
               // The globals of an Excel 4 workbook: its sheets follow, bundled in one stream in
               // a way no program at hand writes to test against.
               : U16(found.data(), 6) == 0x0100 ? LegacyKind::kExcel4Workbook
                                                : LegacyKind::kEarly;
  for (const Record& record : Records(found.data(), 0)) {
    if (record.type != kFilePass) continue;
    // A workbook encrypted with the default password opens without one.
    if (found.version != 8 || !DecryptWorkbookStream(found.stream)) {
      found.kind = LegacyKind::kEncrypted;
    }
    break;
  }
  return found;
}

}  // namespace

LegacyKind IdentifyLegacyWorkbook(std::string_view file) {
  return Locate(file).kind;
}

namespace {

// An Excel 2, 3 or 4 worksheet: one sheet, with its own formats.
BiffWorkbook ReadEarly(const Located& found, const std::string& single_sheet) {
  BiffWorkbook result;
  std::vector<Record> records = Records(found.data(), 0);
  BiffWorkbook::Sheet sheet;
  sheet.name = single_sheet;
  uint16_t kind = records.empty() ? 0x0010 : U16(records[0].data, 2);
  sheet.type = kind == 0x0020 ? sheet_type::kChart : kind == 0x0040 ? 3 : sheet_type::kWorksheet;
  int code_page = 1252;
  Formats formats;
  for (const Record& record : records) {
    if (record.type == 0x0042) code_page = U16(record.data, 0);
    if (record.type == 0x0022) result.date1904 = U16(record.data, 0) == 1;
    ReadFormat(record, found.version, code_page, formats);
  }
  AppendCodes(formats, found.version, result.xf_codes);
  ReadSheetCells(records, {found.version, code_page, nullptr}, 0, sheet);
  result.sheets.push_back(std::move(sheet));
  return result;
}

}  // namespace

std::optional<BiffWorkbook> ReadBiffWorkbook(std::string_view file,
                                             const std::string& single_sheet) {
  Located found = Locate(file);
  if (found.kind == LegacyKind::kEarly) return ReadEarly(found, single_sheet);
  if (found.kind != LegacyKind::kBiff8 && found.kind != LegacyKind::kBiff5) return std::nullopt;
  std::string_view data = found.data();
  const int version = found.version;
  std::vector<Record> globals = Records(data, 0);
  Formats formats;
  std::vector<uint32_t> offsets;
  std::vector<std::string> strings;
  std::vector<uint16_t> extern_sheets;
  std::vector<NameRecord> names;
  int code_page = 1252;
  BiffWorkbook result;
  for (size_t i = 0; i < globals.size(); ++i) {
    std::string_view record = globals[i].data;
    ReadFormat(globals[i], version, code_page, formats);
    switch (globals[i].type) {
      case 0x0042:  // CODEPAGE: of the byte strings before BIFF8
        code_page = U16(record, 0);
        break;
      case 0x0022:  // DATEMODE
        result.date1904 = U16(record, 0) == 1;
        break;
      case 0x00FC:  // SST
        strings = SharedStrings(globals, i);
        break;
      case 0x0017:  // EXTERNSHEET: the sheets 3-D references point at
        for (size_t at = 2; version == 8 && at + 6 <= record.size(); at += 6) {
          extern_sheets.push_back(U16(record, at + 2));
        }
        break;
      case 0x0018:  // NAME
        if (version != 8) break;
        if (std::optional<NameRecord> name = ReadName(record)) names.push_back(std::move(*name));
        break;
      case 0x0085: {  // BOUNDSHEET
        BiffWorkbook::Sheet sheet;
        sheet.type = SheetType(U8(record, 5));
        sheet.name =
            version == 8 ? RecordString(record, 6, true) : ByteString(record, 6, true, code_page);
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
  AppendCodes(formats, version, result.xf_codes);
  for (size_t s = 0; s < offsets.size(); ++s) {
    if (offsets[s] >= data.size() || U16(data, offsets[s]) != 0x0809) continue;
    ReadSheetCells(Records(data, offsets[s]), {version, code_page, &strings}, 0, result.sheets[s]);
  }
  return result;
}

}  // namespace vintrel::host::workbook
