// The application as the workbook source uses it: opening files good and bad, finding sheets,
// reading ranges within the limits, the scratch workbook and shutting down.
#include "host/workbook/workbook_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "biff_builder.h"
#include "host/error.h"
#include "host/memory/memory_file_system.h"
#include "testing/error_of.h"
#include "testing/temp_dir.h"
#include "xlsx_builder.h"

namespace vintrel::host::workbook {
namespace {

using ::testing::AllOf;
using testing::BookContents;
using ::testing::HasSubstr;
using testing::SheetXml;
using testing::WorkbookParts;
using vintrel::testing::ErrorOf;
using vintrel::testing::FixturePath;
using vintrel::testing::ReadFile;

std::string Rows(int rows, int columns) {
  std::string xml;
  for (int r = 1; r <= rows; ++r) {
    xml += "<row r=\"" + std::to_string(r) + "\">";
    for (int c = 1; c <= columns; ++c) xml += "<c><v>" + std::to_string(r * 100 + c) + "</v></c>";
    xml += "</row>";
  }
  return xml;
}

class WorkbookReaderTest : public ::testing::Test {
 protected:
  std::string WriteBook(const std::string& name, const std::string& sheet_rows) {
    BookContents contents;
    contents.sheets["Data"] = SheetXml(sheet_rows);
    std::string path = dir_.File(name);
    testing::WriteZip(path, WorkbookParts(contents));
    return path;
  }

  vintrel::testing::TempDir dir_;
  WorkbookReaderApplication app_;
};

// The bytes of a zip of `parts`, the one named `encrypted` written with a password.
std::string Zip(const testing::Parts& parts, const std::string& encrypted = "") {
  vintrel::testing::TempDir dir;
  testing::WriteZip(dir.File("p.zip"), parts, true, encrypted);
  return ReadFile(dir.File("p.zip"));
}

// The texts of `cells`, "|" between them.
std::string Texts(const std::vector<Cell>& cells) {
  std::string texts;
  for (size_t i = 0; i < cells.size(); ++i) texts += (i ? "|" : "") + cells[i].text;
  return texts;
}

TEST_F(WorkbookReaderTest, FilesThatCannotBeOpenedSayWhy) {
  ASSERT_EQ(mkfifo(dir_.File("pipe.xlsx").c_str(), 0600), 0);
  // The name of the encryption stream inside a workbook's cells is no encryption.
  const std::string named = testing::Utf16Le("EncryptedPackage");
  EXPECT_NO_THROW(app_.Open(
      dir_.Write("plain.xls", testing::CompoundDocument(u"Book", testing::BiffBof(5, 0x0005) +
                                                                     testing::BiffEof() + named)),
      {}));
  BookContents book;
  book.sheets["Data"] = SheetXml(Rows(5, 2));
  const struct {
    const char* file;
    std::optional<std::string> bytes;  // none: the file is made above (or missing)
    const char* error;                 // part of the description
  } cases[] = {
      {"missing.xlsx", std::nullopt, "missing.xlsx' could not be found"},
      {"", std::nullopt, "folder"},
      {"pipe.xlsx", std::nullopt, "not a regular file"},
      {"e.xlsx", "", "empty"},
      {"d.xlsx", Zip({{"word/document.xml", "<document/>"}}), "not a workbook"},
      {"b.xlsb", Zip({{"xl/workbook.bin", "binary"}}), ".xlsb"},
      // A part written with a password is refused when it is read.
      {"part.xlsx", Zip(WorkbookParts(book), "xl/worksheets/sheet1.xml"),
       "part.xlsx': has an encrypted entry"},
      // Protected with a password of their own, by the spreadsheet programs.
      {"own.xlsx", ReadFile(FixturePath("xlsx/protected-secret.xlsx")), "password-protected"},
      {"own.xls", ReadFile(FixturePath("xls/protected-secret.xls")), "password-protected"},
      // Files before Excel 97 announce it the same way, and cannot be decrypted.
      {"old2.xls", testing::BiffBof(2, 0x10) + testing::BiffRecord(0x002F, ""),
       "password-protected"},
      // What the reader cannot read is refused by its name.
      {"bundle.xlw", testing::BiffBof(4, 0x0100) + testing::BiffEof(), "is an Excel 4 workbook"},
      {"bad.xls", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(3000, '\x11'),
       "bad.xls' cannot be read as an .xls workbook"},
  };
  for (const auto& c : cases) {
    const std::string path = c.bytes ? dir_.Write(c.file, *c.bytes) : dir_.File(c.file);
    EXPECT_THAT(ErrorOf([&] { app_.Open(path, {})->Sheets(1).Range("A1"); }).description(),
                HasSubstr(c.error))
        << c.file;
  }
}

// Protected workbooks are encrypted with the default password and open without one (a password
// of their own makes them password-protected: above).
TEST_F(WorkbookReaderTest, ProtectionWithTheDefaultPasswordIsNoEncryption) {
  auto texts = [&](const char* name) {
    return Texts(app_.Open(FixturePath(name), {})->Sheets(1).Range("A1:C4"));
  };
  for (const char* name : {"xlsx/protected-default.xlsx", "xlsx/protected-default-2007.xlsx",
                           "xls/protected-default.xls", "xls/protected-cryptoapi.xls"}) {
    EXPECT_EQ(texts(name), texts("xlsx/formats.xlsx")) << name;
  }
}

TEST_F(WorkbookReaderTest, AWorkbookStillBeingWrittenFailsUntilItIsComplete) {
  std::string path = WriteBook("book.xlsx", Rows(50, 5));
  std::string whole = ReadFile(path);
  dir_.Write("book.xlsx", whole.substr(0, whole.size() / 2));
  EXPECT_THAT(ErrorOf([&] { app_.Open(path, {}); }).description(), HasSubstr("incomplete"));
  dir_.Write("book.xlsx", whole);
  EXPECT_EQ(app_.Open(path, {})->Sheets(1).Range("E50")[0].text, "5005");
}

TEST_F(WorkbookReaderTest, PartsThatExpandTooFarAreRefused) {
  // Two sheets of about 1.3 MB each: one fits the total, reading it again too, both do not.
  BookContents contents;
  contents.sheets["1 One"] = SheetXml(Rows(5000, 20));
  contents.sheets["2 Two"] = SheetXml(Rows(5000, 20));
  testing::WriteZip(dir_.File("two.xlsx"), WorkbookParts(contents));
  ReaderLimits limits;
  limits.max_part_bytes = 4 << 20;
  limits.max_total_bytes = 2 << 20;
  WorkbookReaderApplication total(limits);
  auto two = total.Open(dir_.File("two.xlsx"), {});
  EXPECT_EQ(two->Sheets(1).Range("T5000")[0].text, "500020");
  EXPECT_EQ(two->Sheets(1).Range("A1")[0].text, "101");
  EXPECT_THAT(ErrorOf([&] { two->Sheets(2).Range("A1"); }).description(),
              HasSubstr("expands to more than"));
}

TEST_F(WorkbookReaderTest, ReadsThroughTheFileSystemItIsHanded) {
  memory::MemoryFileSystem files;
  files.WriteFile("/books/book.xlsx", ReadFile(WriteBook("book.xlsx", Rows(2, 2))));
  WorkbookReaderApplication app(files);
  EXPECT_EQ(app.Open("/books/book.xlsx", {})->Sheets(1).Range("B2")[0].text, "202");
  EXPECT_EQ(ErrorOf([&] { app.Open("/books/other.xlsx", {}); }).number(), kErrFileNotFound);
  files.SetLength("/books/book.xlsx", int64_t{2} << 30);
  EXPECT_THAT(ErrorOf([&] { app.Open("/books/book.xlsx", {}); }).description(),
              HasSubstr("larger than"))
      << "the length is asked before anything is read";
}

TEST_F(WorkbookReaderTest, SheetsAndRangesAreFoundOrRefusedByName) {
  auto book = app_.Open(WriteBook("book.xlsx", Rows(2, 2)), {});
  EXPECT_EQ(book->SheetCount(), 1);
  EXPECT_EQ(book->Sheets("DATA").Name(), "Data");
  Error by_name = ErrorOf([&] { book->Sheets("Summary"); });
  EXPECT_EQ(by_name.number(), kErrSubscriptOutOfRange);
  EXPECT_THAT(by_name.description(), HasSubstr("'Summary'"));
  EXPECT_EQ(ErrorOf([&] { book->Sheets(0); }).number(), kErrSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([&] { book->Sheets(2); }).number(), kErrSubscriptOutOfRange);

  Worksheet& sheet = book->Sheets(1);
  std::vector<Cell> cells = sheet.Range("data!$A$1:B2");  // a range may name its own sheet
  ASSERT_EQ(cells.size(), 4u);
  EXPECT_EQ(cells[3].text, "202");
  // The forms of a range are refused in ParseRangeTest; here, how the refusal reaches the user.
  for (const char* text : {"garbage", "", "A1048577", "Other!A1:B2"}) {
    Error error = ErrorOf([&] { sheet.Range(text); });
    EXPECT_EQ(error.number(), kErrInvalidArgument) << text;
    EXPECT_THAT(error.description(), HasSubstr("'" + std::string(text) + "'"));
  }
}

TEST_F(WorkbookReaderTest, HugeRangesAreCutToTheDataOrRefused) {
  ReaderLimits limits;
  limits.max_range_cells = 100;
  WorkbookReaderApplication app(limits);
  auto book = app.Open(WriteBook("small.xlsx", Rows(5, 3)), {});
  for (const char* text : {"A1:XFD1048576", "A:C", "1:5", "A1:Z10"}) {
    std::vector<Cell> cells = book->Sheets(1).Range(text);
    ASSERT_EQ(cells.size(), 15u) << text;
    EXPECT_EQ(cells.back().text, "503");
  }
  // Below the limit the range stays complete even where the sheet is empty.
  EXPECT_EQ(book->Sheets(1).Range("A1:J10").size(), 100u);
  EXPECT_TRUE(book->Sheets(1).Range("D7:XFD1048576").empty());

  auto big = app.Open(WriteBook("big.xlsx", Rows(20, 10)), {});
  Error error = ErrorOf([&] { big->Sheets(1).Range("A1:XFD1048576"); });
  EXPECT_THAT(error.description(),
              AllOf(HasSubstr("200 cells"), HasSubstr("A1:J20"), HasSubstr("at most 100")));
}

TEST_F(WorkbookReaderTest, ScratchWorkbookAcceptsValidRangesOnly) {
  auto book = app_.Add();
  ASSERT_EQ(book->SheetCount(), 1);
  std::vector<Cell> cells = book->Sheets(1).Range("b2:c3");
  ASSERT_EQ(cells.size(), 4u);
  EXPECT_EQ(std::pair(cells[1].row, cells[1].column), std::pair(2, 3));
  EXPECT_EQ(cells[1].value.kind, CellValue::Kind::kEmpty);
  EXPECT_EQ(ErrorOf([&] { book->Sheets(1).Range("not a range"); }).number(), kErrInvalidArgument);
  EXPECT_TRUE(book->Sheets(1).Range("A1:XFD1048576").empty());
}

TEST_F(WorkbookReaderTest, ClosedWorkbooksAndAQuitApplicationRefuseWork) {
  auto book = app_.Open(WriteBook("book.xlsx", Rows(1, 1)), {});
  Worksheet& sheet = book->Sheets(1);
  book->SetSaved(true);
  book->Close();
  EXPECT_EQ(sheet.Name(), "Data");
  EXPECT_THAT(ErrorOf([&] { sheet.Range("A1"); }).description(), HasSubstr("closed"));

  app_.Quit();
  EXPECT_THAT(ErrorOf([&] { app_.Open(dir_.File("book.xlsx"), {}); }).description(),
              HasSubstr("shut down"));
}

TEST_F(WorkbookReaderTest, FilesAreOnlyRead) {
  std::string path = WriteBook("book.xlsx", Rows(2, 2));
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  auto before = std::filesystem::last_write_time(path);
  std::string bytes = ReadFile(path);
  auto book = app_.Open(path, {});
  book->Sheets(1).Range("A1:B2");
  book->SetSaved(true);
  book->Close();
  EXPECT_EQ(std::filesystem::last_write_time(path), before);
  EXPECT_EQ(ReadFile(path), bytes);
}

// Cells' texts ("|" between the cells of a range), with the first cell's format, kind and value,
// in workbooks written by the spreadsheet programs themselves.
TEST(RealWorkbookTest, CellsShowWhatTheSpreadsheetShows) {
  using Kind = CellValue::Kind;
  const char* k1904 = "xlsx/poi-48962-date1904-currency.xlsx";
  const char* k27933 = "xls/poi-27933-date-currency-percent.xls";
  const struct {
    const char* file;
    const char* sheet;  // "": the first
    const char* range;
    const char* texts;
    const char* format = nullptr;  // null: not checked
    std::optional<Kind> kind = std::nullopt;
    std::optional<double> value = std::nullopt;
  } cases[] = {
      // A 1904 workbook's dates keep their own day numbers on screen and come in the 1900
      // system's as values; its plain numbers stay as stored.
      {k1904, "Sheet1", "E3", "3/15/2008", nullptr, Kind::kDate, 39522},
      {k1904, "Sheet1", "G2", "1", nullptr, Kind::kNumber, 1},
      {k27933, "Excel Test", "C26", "1", nullptr, Kind::kNumber, 1},
      {k27933, "Excel Test", "C27:C28", "1.00|$1.00", "0.00"},
      {k27933, "Excel Test", "C29", "01/01/00", "mm/dd/yy", Kind::kDate},
      {"xls/formulas.xls", "Formulas", "A1:F2", "x|xy|2|TRUE|#DIV/0!|||x2||||"},
      {"xls/formulas.xls", "Formulas", "D1", "TRUE", nullptr, Kind::kBoolean},
      {"xls/formulas.xls", "Formulas", "E1", "#DIV/0!", nullptr, Kind::kError},
      {"xls/formulas.xls", "Formulas", "F1", "", nullptr, Kind::kText},  // a formula giving ""
      {"xls/poi-44861-euro-percent-date.xls", "data", "A5:A6",
       "France|Allemagne République Fédérale"},
      // Names stand for their ranges (resolved as in .xlsx files: XlsxReadingTest).
      {"xls/defined-names.xls", "Bob's", "corner", "9"},
      {"xls/defined-names.xls", "Data", "Sales", "Name|Total|Ann|12.5"},
      // LibreOffice puts charts on worksheets: this one alone on its sheet, which reads as an
      // empty worksheet, not as a chart sheet.
      {"xls/chart-and-two-sheets.xls", "Chart", "A1", ""},
  };
  WorkbookReaderApplication app;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.sheet + "!" + c.range);
    auto book = app.Open(FixturePath(c.file), {});
    const std::vector<Cell> cells =
        (*c.sheet ? book->Sheets(c.sheet) : book->Sheets(1)).Range(c.range);
    ASSERT_FALSE(cells.empty());
    EXPECT_EQ(Texts(cells), c.texts);
    EXPECT_TRUE(!c.format || cells[0].number_format == c.format) << cells[0].number_format;
    EXPECT_TRUE(!c.kind || cells[0].value.kind == *c.kind);
    EXPECT_TRUE(!c.value || cells[0].value.number == *c.value) << cells[0].value.number;
  }
}

}  // namespace
}  // namespace vintrel::host::workbook
