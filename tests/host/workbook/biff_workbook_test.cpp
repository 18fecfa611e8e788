// The reader's own BIFF records, written by programs and built here for every version, and the
// compound document container on its own.
#include "host/workbook/biff_workbook.h"

#include <gtest/gtest.h>

#include "biff_builder.h"
#include "host/error.h"
#include "host/workbook/workbook_reader.h"
#include "testing/error_of.h"
#include "testing/temp_dir.h"

namespace vintrel::host::workbook {
namespace {

using testing::BiffBof;
using testing::BiffEof;
using testing::BiffRecord;
using testing::ByteText;
using testing::CompoundDocument;
using testing::Le16;
using testing::Le32;
using testing::LeDouble;
using vintrel::testing::FixturePath;
using vintrel::testing::ReadFile;

std::string ExpectedText(int row) {
  std::string text = "row " + std::to_string(row) + " ";
  for (int i = 0; i < row % 23 + 5; ++i) text += "abcdefghij";
  if (row % 3 == 0) text += " € ünïcödé";
  if (row % 7 == 0) text += " Ελληνικά";
  return text;
}

TEST(BiffWorkbookTest, SharedStringsSpanningContinueRecordsReadWhole) {
  std::optional<BiffWorkbook> book =
      ReadBiffWorkbook(ReadFile(FixturePath("xls/long-strings.xls")));
  ASSERT_TRUE(book.has_value());
  ASSERT_EQ(book->sheets.size(), 1u);
  int texts = 0;
  for (const BiffWorkbook::Cell& cell : book->sheets[0].cells) {
    if (cell.value.kind == CellValue::Kind::kEmpty) continue;
    if (cell.column == 1) {
      ASSERT_EQ(cell.value.kind, CellValue::Kind::kText);
      EXPECT_EQ(cell.value.text, ExpectedText(cell.row)) << "row " << cell.row;
      ++texts;
    } else if (cell.column == 2) {
      EXPECT_EQ(cell.value.number, cell.row * 1000.25);
      EXPECT_EQ(book->xf_codes.at(cell.xf), "#,##0.00");
    } else {
      EXPECT_EQ(cell.value.kind, CellValue::Kind::kBoolean);
      EXPECT_EQ(cell.value.number, cell.row % 2 == 0 ? 1 : 0);
    }
  }
  EXPECT_EQ(texts, 120);
}

// An Excel 5.0/95 workbook: sheet names and labels in code page 1251, a date, and formulas
// whose results are a number, text (in the STRING record after it) and a number under the old
// formula record id.
std::string Biff5Book(unsigned code_page_record = 0x0042) {
  auto xf = [](unsigned format) {
    return BiffRecord(0x00E0, Le16(0) + Le16(format) + Le16(1) + Le16(0x20) + std::string(8, '\0'));
  };
  std::string xfs;
  for (int i = 0; i < 16; ++i) xfs += xf(0);
  xfs += xf(14) + xf(164);  // XF 16 shows dates, XF 17 one decimal
  const std::string first = "\xCF\xF0\xEE\xE4\xE0\xE6\xE8", second = "\xC8\xF2\xEE\xE3";
  auto sheets = [&](uint32_t at_first, uint32_t at_second) {
    return BiffRecord(0x0085, Le32(at_first) + Le16(0) + ByteText(first, true)) +
           BiffRecord(0x0085, Le32(at_second) + Le16(0) + ByteText(second, true));
  };
  std::string globals = BiffBof(5, 0x0005) + BiffRecord(code_page_record, Le16(1251)) +
                        BiffRecord(0x041E, Le16(164) + ByteText("0.0", true)) + xfs;
  const size_t at_first = globals.size() + sheets(0, 0).size() + BiffEof().size();
  auto cell = [](unsigned type, int row, int column, int xf, const std::string& rest) {
    return BiffRecord(type, Le16(row) + Le16(column) + Le16(xf) + rest);
  };
  const std::string formula_tail = Le16(0) + Le32(0) + Le16(0);
  std::string sheet1 =
      BiffBof(5, 0x0010) + cell(0x0204, 0, 0, 15, ByteText("\xC8\xEC\xFF", false)) +
      cell(0x0204, 0, 1, 15, ByteText("When", false)) + cell(0x0203, 1, 1, 16, LeDouble(46387)) +
      cell(0x0006, 2, 0, 17, LeDouble(42.5) + formula_tail) +
      cell(0x0006, 2, 1, 15, std::string(6, '\0') + Le16(0xFFFF) + formula_tail) +
      BiffRecord(0x0207, ByteText("xy", false)) +
      cell(0x0406, 3, 0, 15, LeDouble(7) + formula_tail) + BiffEof();
  std::string sheet2 = BiffBof(5, 0x0010) + cell(0x027E, 0, 0, 15, Le32(2 << 2 | 2)) + BiffEof();
  const size_t at_second = at_first + sheet1.size();
  return globals + sheets(static_cast<uint32_t>(at_first), static_cast<uint32_t>(at_second)) +
         BiffEof() + sheet1 + sheet2;
}

// An Excel 2, 3 or 4 worksheet, which has no container: formats in order, a label in code page
// 1252, a number in 0.00, a date and a formula, each in the version's own records.
std::string EarlySheet(int version) {
  std::string stream = BiffBof(version, 0x0010);
  for (const char* code : {"General", "0.00", "m/d/yyyy"}) {
    stream += version == 4 ? BiffRecord(0x041E, Le16(0) + ByteText(code, true))
                           : BiffRecord(0x001E, ByteText(code, true));
  }
  for (int format = 0; format < 3 && version > 2; ++format) {
    stream += BiffRecord(
        version == 3 ? 0x0243 : 0x0443,
        std::string(1, '\0') + std::string(1, static_cast<char>(format)) + std::string(10, '\0'));
  }
  // BIFF2 cells carry three bytes of attributes with their format; later ones an XF index.
  auto cell = [&](unsigned type, int row, int format, const std::string& rest) {
    std::string where = Le16(row) + Le16(0);
    if (version == 2)
      return BiffRecord(type & 0xFF, where + '\0' + static_cast<char>(format) + '\0' + rest);
    return BiffRecord(type, where + Le16(format) + rest);
  };
  stream += cell(0x0204, 0, 0, ByteText("Gr\366\337e", version == 2));  // "Größe"
  stream += cell(0x0203, 1, 1, LeDouble(1.5)) + cell(0x0203, 2, 2, LeDouble(46387));
  stream += cell(version == 4 ? 0x0406 : 0x0206, 3, 0, LeDouble(9) + Le16(0) + Le16(0));
  return stream + BiffEof();
}

// Each file's sheet names and the texts of a range on one of its sheets, "|" between them.
TEST(BiffWorkbookTest, LegacyVersionsReadSheetsValuesAndFormats) {
  const char* early = "Größe|1.50|12/31/2026|9";
  const struct {
    const char* name;
    std::string file;
    const char* sheets;
    int sheet;
    const char* range;
    const char* texts;
  } cases[] = {
      {"biff5", CompoundDocument(u"Book", Biff5Book()), "Продажи|Итог", 1, "A1:B4",
       "Имя|When||12/31/2026|42.5|xy|7|"},
      // Without a CODEPAGE record, byte strings are read as Windows-1252; the stream's name in
      // capitals, and the second sheet's number in an RK record.
      {"biff5 without code page", CompoundDocument(u"BOOK", Biff5Book(0x0041)), "Ïðîäàæè|Èòîã", 2,
       "A1", "2"},
      {"excel2", EarlySheet(2), "excel2", 1, "A1:A4", early},
      {"excel3", EarlySheet(3), "excel3", 1, "A1:A4", early},
      {"excel4", EarlySheet(4), "excel4", 1, "A1:A4", early},
  };
  vintrel::testing::TempDir dir;
  WorkbookReaderApplication app;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto book = app.Open(dir.Write(std::string(c.name) + ".xls", c.file), {});
    std::string sheets, texts;
    for (int i = 1; i <= book->SheetCount(); ++i) sheets += "|" + book->Sheets(i).Name();
    for (const Cell& cell : book->Sheets(c.sheet).Range(c.range)) texts += "|" + cell.text;
    EXPECT_EQ(sheets.substr(1), c.sheets);
    EXPECT_EQ(texts.substr(1), c.texts);
  }
}

// Containers as other writers leave them: the last sector cut short (stream names in capitals are
// the BIFF5 row above); and what is no container, or has no such stream, refused.
TEST(CompoundFileTest, ReadsFilesCutShortAndRefusesWhatIsNoContainer) {
  const std::string file = ReadFile(FixturePath("xls/formats.xls"));
  const std::optional<std::string> expected = ReadCompoundStream(file, u"Workbook");
  ASSERT_TRUE(expected.has_value());
  EXPECT_EQ(expected->substr(0, 2), std::string("\x09\x08", 2));  // BOF record
  std::string cut = file;
  while (cut.size() % 512 != 100 && cut.back() == '\0') cut.pop_back();
  ASSERT_NE(cut.size() % 512, 0u);
  EXPECT_EQ(ReadCompoundStream(cut, u"Workbook"), expected);
  EXPECT_EQ(IdentifyLegacyWorkbook(cut), LegacyKind::kBiff8);
  EXPECT_FALSE(ReadCompoundStream(file, u"NoSuchStream").has_value());
  EXPECT_FALSE(ReadCompoundStream(file.substr(0, 600), u"Workbook").has_value());
  EXPECT_FALSE(ReadCompoundStream("PK\x03\x04 not a container", u"Workbook").has_value());
  EXPECT_FALSE(ReadBiffWorkbook(std::string(4096, '\0')).has_value());
}

}  // namespace
}  // namespace vintrel::host::workbook
