#include "host/workbook/biff_cells.h"

namespace vintrel::host::workbook {

namespace {

class SheetReader {
 public:
  SheetReader(const std::vector<Record>& records, const BiffText& text, int xf_base,
              BiffWorkbook::Sheet& sheet)
      : records_(records), text_(text), xf_base_(xf_base), sheet_(sheet) {}

  void Run() {
    for (index_ = 0; index_ < records_.size(); ++index_) {
      const Record& record = records_[index_];
      if (text_.version == 2) {
        Biff2Cell(record);
      } else {
        Cell(record);
      }
    }
  }

 private:
  void Add(int row, int column, int xf, CellValue value) {
    // Blank cells keep their format: an empty cell in a styled range still has one.
    sheet_.cells.push_back({row + 1, column + 1, xf_base_ + xf, std::move(value)});
  }

  std::string Text(std::string_view record, size_t at) const {
    if (text_.version == 8) return RecordString(record, at, false);
    return ByteString(record, at, text_.version == 2, text_.code_page);
  }

  static CellValue Number(double number) {
    CellValue value;
    value.kind = CellValue::Kind::kNumber;
    value.number = number;
    return value;
  }

  CellValue TextValue(std::string text) const {
    CellValue value;
    value.kind = CellValue::Kind::kText;
    value.text = std::move(text);
    return value;
  }

  static CellValue BoolOrError(uint8_t value, bool error) {
    CellValue cell;
    if (error) {
      cell.kind = CellValue::Kind::kError;
      cell.text = ErrorText(value);
    } else {
      cell.kind = CellValue::Kind::kBoolean;
      cell.number = value != 0 ? 1 : 0;
    }
    return cell;
  }

  // A formula's stored result: eight bytes at `at`, a number unless its last two are FFFF.
  CellValue FormulaResult(std::string_view r, size_t at) const {
    if (U16(r, at + 6) != 0xFFFF) return Number(Double(r, at));
    switch (U8(r, at)) {
      case 0:
        return TextValue(FollowingString());
      case 1:
        return BoolOrError(U8(r, at + 2), false);
      case 2:
        return BoolOrError(U8(r, at + 2), true);
      default:
        return TextValue("");  // empty text
    }
  }

  // The text result of a formula, in the STRING record that follows it, after the shared,
  // array or table formula it may belong to.
  std::string FollowingString() const {
    size_t next = index_ + 1;
    while (next < records_.size()) {
      uint16_t type = records_[next].type;
      if (type != 0x04BC && (type & 0xFF) != 0x21 && (type & 0xFF) != 0x36) break;
      ++next;
    }
    if (next >= records_.size() || (records_[next].type & 0xFF) != 0x07) return "";
    return Text(records_[next].data, 0);
  }

  void Biff2Cell(const Record& record) {
    std::string_view r = record.data;
    if (r.size() < 7) return;
    int row = U16(r, 0), column = U16(r, 2), format = U8(r, 5) & 0x3F;
    switch (record.type) {
      case 0x0001:  // BLANK
        Add(row, column, format, {});
        break;
      case 0x0002:  // INTEGER
        Add(row, column, format, Number(U16(r, 7)));
        break;
      case 0x0003:  // NUMBER
        Add(row, column, format, Number(Double(r, 7)));
        break;
      case 0x0004:  // LABEL
        Add(row, column, format, TextValue(Text(r, 7)));
        break;
      case 0x0005:  // BOOLERR
        Add(row, column, format, BoolOrError(U8(r, 7), U8(r, 8) != 0));
        break;
      case 0x0006:  // FORMULA
        if (r.size() < 15) break;
        Add(row, column, format, FormulaResult(r, 7));
        break;
      default:
        break;
    }
  }

  void Cell(const Record& record) {
    std::string_view r = record.data;
    if (r.size() < 6) return;
    int row = U16(r, 0), column = U16(r, 2), xf = U16(r, 4);
    switch (record.type) {
      case 0x0203:  // NUMBER
        Add(row, column, xf, Number(Double(r, 6)));
        break;
      case 0x027E:  // RK
        Add(row, column, xf, Number(RkNumber(U32(r, 6))));
        break;
      case 0x00BD:  // MULRK: xf and value per column
        for (size_t at = 4; at + 8 <= r.size(); at += 6) {
          Add(row, column++, U16(r, at), Number(RkNumber(U32(r, at + 2))));
        }
        break;
      case 0x00BE:  // MULBLANK: xf per column
        for (size_t at = 4; at + 4 <= r.size(); at += 2) Add(row, column++, U16(r, at), {});
        break;
      case 0x0201:  // BLANK
        Add(row, column, xf, {});
        break;
      case 0x00FD: {  // LABELSST
        uint32_t index = U32(r, 6);
        const std::vector<std::string>* strings = text_.strings;
        Add(row, column, xf,
            TextValue(strings && index < strings->size() ? (*strings)[index] : ""));
        break;
      }
      case 0x0204:  // LABEL
      case 0x00D6:  // RSTRING: a label with formatting runs after its text
        Add(row, column, xf, TextValue(Text(r, 6)));
        break;
      case 0x0205:  // BOOLERR
        Add(row, column, xf, BoolOrError(U8(r, 6), U8(r, 7) != 0));
        break;
      case 0x0006:  // FORMULA (BIFF5 and later)
      case 0x0206:  // FORMULA (BIFF3), still written by some programs
      case 0x0406:  // FORMULA (BIFF4), likewise
        if (r.size() < 14) break;
        Add(row, column, xf, FormulaResult(r, 6));
        break;
      default:
        break;
    }
  }

  const std::vector<Record>& records_;
  const BiffText& text_;
  int xf_base_;
  BiffWorkbook::Sheet& sheet_;
  size_t index_ = 0;
};

}  // namespace

void ReadSheetCells(const std::vector<Record>& records, const BiffText& text, int xf_base,
                    BiffWorkbook::Sheet& sheet) {
  SheetReader(records, text, xf_base, sheet).Run();
}

}  // namespace vintrel::host::workbook
