// The reader's own BIFF8 records against libfreexl's view of the same files, and the compound
// document container on its own.
#include "host/workbook/biff_workbook.h"

#include <gtest/gtest.h>

#include <freexl.h>

#include "host/error.h"
#include "host/workbook/workbook_reader.h"
#include "testing/error_of.h"
#include "testing/temp_dir.h"

namespace vintrel::host::workbook {
namespace {

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

// Where libfreexl reads a file, the reader's own records must give the same values, except where
// the library is known to fall short: formula results (it leaves them empty) and dates and times
// (it turns them into calendar text).
class SameValuesTest : public ::testing::TestWithParam<const char*> {};

TEST_P(SameValuesTest, OwnRecordsAgreeWithTheLibrary) {
  std::string path = FixturePath(GetParam());
  std::optional<BiffWorkbook> own = ReadBiffWorkbook(ReadFile(path));
  ASSERT_TRUE(own.has_value());
  const void* handle = nullptr;
  ASSERT_EQ(freexl_open(path.c_str(), &handle), FREEXL_OK);
  ASSERT_NE(handle, nullptr);
  int compared = 0;
  for (size_t s = 0; s < own->sheets.size(); ++s) {
    ASSERT_EQ(freexl_select_active_worksheet(handle, static_cast<unsigned short>(s)), FREEXL_OK);
    for (const BiffWorkbook::Cell& mine : own->sheets[s].cells) {
      FreeXL_CellValue theirs;
      ASSERT_EQ(freexl_get_cell_value(handle, mine.row - 1, mine.column - 1, &theirs), FREEXL_OK);
      std::string where = "sheet " + std::to_string(s) + " row " + std::to_string(mine.row) +
                          " column " + std::to_string(mine.column);
      switch (theirs.type) {
        case FREEXL_CELL_INT:
          EXPECT_EQ(mine.value.number, theirs.value.int_value) << where;
          break;
        case FREEXL_CELL_DOUBLE:
          EXPECT_EQ(mine.value.number, theirs.value.double_value) << where;
          break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
          EXPECT_EQ(mine.value.text, theirs.value.text_value) << where;
          break;
        default:
          continue;
      }
      ++compared;
    }
  }
  freexl_close(handle);
  EXPECT_GT(compared, 10);
}

INSTANTIATE_TEST_SUITE_P(Files, SameValuesTest,
                         ::testing::Values("xls/formats.xls",
                                           "xls/poi-27933-date-currency-percent.xls",
                                           "xls/long-strings.xls"));

TEST(BiffWorkbookTest, FormulaResultsAndTimeFormattedDatesKeepTheirValues) {
  WorkbookReaderApplication app;
  auto book = app.Open(FixturePath("xls/poi-27933-date-currency-percent.xls"), {});
  std::vector<Cell> formulas = book->Sheets(1).Range("C34:C36");
  EXPECT_EQ(formulas[0].text, "2");
  EXPECT_EQ(formulas[2].text, "5");
  auto formats = app.Open(FixturePath("xls/formats.xls"), {});
  Cell time = formats->Sheets(1).Range("C47")[0];
  EXPECT_EQ(time.number_format, "h:mm\\ AM/PM");
  EXPECT_EQ(time.text, "6:00 PM");
  EXPECT_EQ(time.value.number, 46387.75);
}

TEST(BiffWorkbookTest, FormulaResultsOfEveryKind) {
  WorkbookReaderApplication app;
  auto book = app.Open(FixturePath("xls/formulas.xls"), {});
  std::vector<Cell> cells = book->Sheets("Formulas").Range("A1:F2");
  std::vector<std::string> texts;
  for (const Cell& cell : cells) texts.push_back(cell.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"x", "xy", "2", "TRUE", "#DIV/0!", "", "", "x2", "",
                                             "", "", ""}));
  EXPECT_EQ(cells[3].value.kind, CellValue::Kind::kBoolean);
  EXPECT_EQ(cells[4].value.kind, CellValue::Kind::kError);
  EXPECT_EQ(cells[5].value.kind, CellValue::Kind::kText);  // a formula giving empty text
}

TEST(BiffWorkbookTest, DefinedNamesStandForTheirRanges) {
  WorkbookReaderApplication app;
  auto book = app.Open(FixturePath("xls/defined-names.xls"), {});
  std::vector<Cell> sales = book->Sheets("Data").Range("Sales");
  ASSERT_EQ(sales.size(), 4u);
  EXPECT_EQ(sales[0].text, "Name");
  EXPECT_EQ(sales[3].text, "12.5");
  EXPECT_EQ(book->Sheets("Bob's").Range("corner")[0].text, "9");
  EXPECT_NE(vintrel::testing::ErrorOf([&] { book->Sheets("Data").Range("Corner"); })
                .description()
                .find("sheet 'Bob's'"),
            std::string::npos)
      << "a name of another sheet's cells";
}

TEST(BiffWorkbookTest, OlderFilesGoToTheLibrary) {
  std::string path = FixturePath("xls/biff5.xls");  // written by make_biff5.py
  EXPECT_FALSE(ReadBiffWorkbook(ReadFile(path)).has_value());
  WorkbookReaderApplication app;
  auto book = app.Open(path, {});
  ASSERT_EQ(book->SheetCount(), 1);
  std::vector<Cell> cells = book->Sheets("Old").Range("A1:B3");
  EXPECT_EQ(cells[0].text, "Name");
  EXPECT_EQ(cells[2].text, "Ann");
  EXPECT_EQ(cells[3].value.kind, CellValue::Kind::kDate);
  EXPECT_EQ(cells[3].value.number, 46387);
  EXPECT_EQ(cells[3].number_format, "m/d/yyyy");
  EXPECT_EQ(cells[3].text, "12/31/2026");
  EXPECT_EQ(cells[4].text, "42.5");
}

TEST(CompoundFileTest, FindsStreamsAndRefusesWhatIsNoContainer) {
  std::string file = ReadFile(FixturePath("xls/formats.xls"));
  std::optional<std::string> stream = ReadCompoundStream(file, u"Workbook");
  ASSERT_TRUE(stream.has_value());
  EXPECT_EQ(stream->substr(0, 2), std::string("\x09\x08", 2));  // BOF record
  EXPECT_FALSE(ReadCompoundStream(file, u"NoSuchStream").has_value());
  EXPECT_FALSE(ReadCompoundStream(file.substr(0, 600), u"Workbook").has_value());
  EXPECT_FALSE(ReadCompoundStream("PK\x03\x04 not a container", u"Workbook").has_value());
  EXPECT_FALSE(ReadBiffWorkbook(std::string(4096, '\0')).has_value());
}

}  // namespace
}  // namespace vintrel::host::workbook
