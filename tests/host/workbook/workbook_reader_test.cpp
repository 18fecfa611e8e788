// The application as the workbook source uses it: opening files good and bad, finding sheets,
// reading ranges within the limits, the scratch workbook and shutting down.
#include "host/workbook/workbook_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "biff_builder.h"
#include "host/error.h"
#include "host/memory/memory_file_system.h"
#include "testing/error_of.h"
#include "testing/temp_dir.h"
#include "xlsx_builder.h"

// libfreexl keeps a buffer of its own when it gives up on an .xls it does not understand; that is
// the library's leak, not the reader's, so leak checking in sanitizer builds leaves it out.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfreexl.so";
}

namespace vintrel::host::workbook {
namespace {

using ::testing::AllOf;
using testing::BookContents;
using ::testing::HasSubstr;
using testing::SheetXml;
using testing::WorkbookParts;
using vintrel::testing::ErrorOf;
using vintrel::testing::FixturePath;

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

TEST_F(WorkbookReaderTest, FilesThatCannotBeOpenedSayWhy) {
  std::string missing = dir_.File("missing.xlsx");
  Error error = ErrorOf([&] { app_.Open(missing, {}); });
  EXPECT_EQ(error.number(), kErrFileNotFound);
  EXPECT_THAT(error.description(), HasSubstr(missing));

  EXPECT_THAT(ErrorOf([&] { app_.Open(dir_.path(), {}); }).description(), HasSubstr("folder"));
  ASSERT_EQ(mkfifo(dir_.File("pipe.xlsx").c_str(), 0600), 0);
  EXPECT_THAT(ErrorOf([&] { app_.Open(dir_.File("pipe.xlsx"), {}); }).description(),
              HasSubstr("not a regular file"));
  EXPECT_THAT(ErrorOf([&] { app_.Open(dir_.Write("e.xlsx", ""), {}); }).description(),
              HasSubstr("empty"));

  testing::Parts document;
  document["word/document.xml"] = "<document/>";
  testing::WriteZip(dir_.File("d.xlsx"), document);
  EXPECT_THAT(ErrorOf([&] { app_.Open(dir_.File("d.xlsx"), {}); }).description(),
              HasSubstr("not a workbook"));

  testing::Parts binary;
  binary["xl/workbook.bin"] = "binary";
  testing::WriteZip(dir_.File("b.xlsb"), binary);
  EXPECT_THAT(ErrorOf([&] { app_.Open(dir_.File("b.xlsb"), {}); }).description(),
              HasSubstr(".xlsb"));
}

TEST_F(WorkbookReaderTest, PasswordProtectedAndDamagedCompoundFilesAreRefused) {
  const std::string magic = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
  std::string encrypted = testing::CompoundDocument(u"EncryptedPackage", std::string(600, '\x5A'));
  EXPECT_THAT(ErrorOf([&] { app_.Open(dir_.Write("secret.xlsx", encrypted), {}); }).description(),
              HasSubstr("password-protected"));
  // The name of that stream inside a workbook's cells is no encryption.
  std::string text;
  for (char c : std::string("EncryptedPackage")) text += std::string(1, c) + '\0';
  std::string book = testing::BiffBof(5, 0x0005) + testing::BiffEof() + text;
  EXPECT_NO_THROW(app_.Open(dir_.Write("plain.xls", testing::CompoundDocument(u"Book", book)), {}));

  // An .xls whose workbook stream announces encryption (its CODEPAGE record turned into FILEPASS).
  std::string xls = vintrel::testing::ReadFile(FixturePath("xls/formats.xls"));
  size_t codepage = xls.find(std::string("\x42\x00\x02\x00", 4));
  ASSERT_NE(codepage, std::string::npos);
  xls[codepage] = '\x2F';
  EXPECT_THAT(ErrorOf([&] { app_.Open(dir_.Write("secret.xls", xls), {}); }).description(),
              HasSubstr("password-protected"));

  // Excel 95 and Excel 2 files announce it the same way.
  for (const std::string& early :
       {testing::CompoundDocument(u"Book",
                                  testing::BiffBof(5, 5) + testing::BiffRecord(0x002F, "")),
        testing::BiffBof(2, 0x10) + testing::BiffRecord(0x002F, "")}) {
    EXPECT_THAT(ErrorOf([&] { app_.Open(dir_.Write("old.xls", early), {}); }).description(),
                HasSubstr("password-protected"));
  }

  // What the reader cannot read is refused by its name.
  std::string excel4 = testing::BiffBof(4, 0x0100) + testing::BiffEof();
  EXPECT_THAT(ErrorOf([&] { app_.Open(dir_.Write("bundle.xlw", excel4), {}); }).description(),
              HasSubstr("is an Excel 4 workbook"));

  std::string garbage = magic + std::string(3000, '\x11');
  EXPECT_THAT(ErrorOf([&] { app_.Open(dir_.Write("bad.xls", garbage), {}); }).description(),
              AllOf(HasSubstr("bad.xls"), HasSubstr(".xls workbook")));
}

// Protected workbooks are encrypted with the default password and open without one; only a
// password of their own makes them password-protected.
TEST_F(WorkbookReaderTest, ProtectionWithTheDefaultPasswordIsNoEncryption) {
  std::vector<std::string> expected;
  for (const Cell& cell :
       app_.Open(FixturePath("xlsx/formats.xlsx"), {})->Sheets(1).Range("A1:C4")) {
    expected.push_back(cell.text);
  }
  for (const char* name : {"xlsx/protected-default.xlsx", "xlsx/protected-default-2007.xlsx",
                           "xls/protected-default.xls", "xls/protected-cryptoapi.xls"}) {
    std::vector<std::string> texts;
    for (const Cell& cell : app_.Open(FixturePath(name), {})->Sheets(1).Range("A1:C4")) {
      texts.push_back(cell.text);
    }
    EXPECT_EQ(texts, expected) << name;
  }
  for (const char* name : {"xlsx/protected-secret.xlsx", "xls/protected-secret.xls"}) {
    EXPECT_THAT(ErrorOf([&] { app_.Open(FixturePath(name), {}); }).description(),
                HasSubstr("password-protected"))
        << name;
  }
}

TEST_F(WorkbookReaderTest, AWorkbookStillBeingWrittenFailsUntilItIsComplete) {
  std::string path = WriteBook("book.xlsx", Rows(50, 5));
  std::string whole = vintrel::testing::ReadFile(path);
  dir_.Write("book.xlsx", whole.substr(0, whole.size() / 2));
  Error error = ErrorOf([&] { app_.Open(path, {}); });
  EXPECT_THAT(error.description(), HasSubstr("incomplete"));
  dir_.Write("book.xlsx", whole);
  EXPECT_EQ(app_.Open(path, {})->Sheets(1).Range("E50")[0].text, "5005");
}

// A part written with a password is refused when it is read; the other hostile packages are in
// hostile_workbook_test.cpp.
TEST_F(WorkbookReaderTest, EncryptedPartsAreRefused) {
  BookContents contents;
  contents.sheets["Data"] = SheetXml(Rows(5, 2));
  const std::string path = dir_.File("hostile.xlsx");
  testing::WriteZip(path, WorkbookParts(contents), true, "xl/worksheets/sheet1.xml");
  Error error = ErrorOf([&] { app_.Open(path, {})->Sheets(1).Range("A1"); });
  EXPECT_THAT(error.description(), AllOf(HasSubstr("hostile.xlsx"), HasSubstr("encrypted entry")));
}

TEST_F(WorkbookReaderTest, PartsThatExpandTooFarAreRefused) {
  std::string path = WriteBook("bomb.xlsx", Rows(5000, 20));
  ReaderLimits limits;
  ReaderLimits tiny;
  tiny.max_file_bytes = 1000;
  WorkbookReaderApplication small_files(tiny);
  EXPECT_THAT(ErrorOf([&] { small_files.Open(path, {}); }).description(), HasSubstr("larger than"));

  // Two sheets of about 1.3 MB each: one fits the total, reading it again too, both do not.
  BookContents contents;
  contents.sheets["1 One"] = SheetXml(Rows(5000, 20));
  contents.sheets["2 Two"] = SheetXml(Rows(5000, 20));
  testing::WriteZip(dir_.File("two.xlsx"), WorkbookParts(contents));
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
  std::ifstream disk(WriteBook("book.xlsx", Rows(2, 2)), std::ios::binary);
  files.WriteFile("/books/book.xlsx", std::string(std::istreambuf_iterator<char>(disk), {}));
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
  for (const char* text : {"ZZZ1:A", "garbage", "", "A1:B2:C3", "A0", "XFE1", "A1048577",
                           "Other!A1:B2", "A1,B2", "1A", "A1:"}) {
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
  EXPECT_EQ(cells[1].column, 3);
  EXPECT_EQ(cells[1].row, 2);
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

  EXPECT_FALSE(app_.Visible());
  app_.SetIgnoreRemoteRequests(true);
  EXPECT_TRUE(app_.ignore_remote_requests());
  app_.Quit();
  EXPECT_THAT(ErrorOf([&] { app_.Add(); }).description(), HasSubstr("shut down"));
  EXPECT_THAT(ErrorOf([&] { app_.Open(dir_.File("book.xlsx"), {}); }).description(),
              HasSubstr("shut down"));
}

TEST_F(WorkbookReaderTest, FilesAreOnlyRead) {
  std::string path = WriteBook("book.xlsx", Rows(2, 2));
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  auto before = std::filesystem::last_write_time(path);
  std::string bytes = vintrel::testing::ReadFile(path);
  auto book = app_.Open(path, {});
  book->Sheets(1).Range("A1:B2");
  book->SetSaved(true);
  book->Close();
  EXPECT_EQ(std::filesystem::last_write_time(path), before);
  EXPECT_EQ(vintrel::testing::ReadFile(path), bytes);
}

TEST(WorkbookReaderFactoryTest, CreatesIndependentApplications) {
  WorkbookReaderFactory factory;
  auto first = factory.CreateApplication();
  auto second = factory.CreateApplication();
  first->Quit();
  EXPECT_EQ(second->Add()->SheetCount(), 1);
}

// Workbooks written by the spreadsheet programs themselves.
TEST(RealWorkbookTest, Date1904WorkbookShowsDatesCurrencyAndPercent) {
  WorkbookReaderApplication app;
  auto book = app.Open(FixturePath("xlsx/poi-48962-date1904-currency.xlsx"), {});
  std::vector<Cell> cells = book->Sheets("Sheet1").Range("A1:G13");
  auto at = [&](int row, int column) { return cells[(row - 1) * 7 + column - 1]; };
  EXPECT_EQ(at(3, 5).text, "3/15/2008");
  EXPECT_EQ(at(3, 5).value.kind, CellValue::Kind::kDate);
  EXPECT_EQ(at(3, 5).value.ToText(), "3/15/2008");
  EXPECT_EQ(at(8, 5).text, "30-Jun");
  EXPECT_EQ(at(2, 5).text, "TBD");  // text in a date format stays text
  EXPECT_EQ(at(4, 7).text, "TRUE");
  EXPECT_EQ(at(13, 1).text, "$472.00");
  EXPECT_EQ(at(13, 2).text, "($123.00)");
  EXPECT_EQ(at(13, 3).text, "25.00%");
  EXPECT_EQ(at(13, 6).text, "355,232.32 €");
}

TEST(RealWorkbookTest, MixedFormatsAndRepeatedDateFormats) {
  WorkbookReaderApplication app;
  auto mixed = app.Open(FixturePath("xlsx/poi-49273-mixed-formats.xlsx"), {});
  EXPECT_EQ(mixed->SheetCount(), 3);
  std::vector<Cell> row = mixed->Sheets(1).Range("A1:H1");
  EXPECT_EQ(row[1].text, "1.000 ");
  EXPECT_EQ(row[4].text, "Sunday, March 21, 2010");
  EXPECT_EQ(row[5].text, "13时20分01秒");
  EXPECT_EQ(row[7].text, " 1/2");

  auto dates = app.Open(FixturePath("xlsx/poi-Formatting-dates-currency.xlsx"), {});
  std::vector<Cell> column = dates->Sheets(1).Range("B2:B7");
  std::vector<std::string> texts;
  for (const Cell& cell : column) texts.push_back(cell.text);
  EXPECT_THAT(texts, ::testing::ElementsAre("11/24/2006", "2006/11/24", "2006-11-24", "06/11/24",
                                            "24/11/06", "24-11-06"));
}

TEST(RealWorkbookTest, LegacyXlsGivesValuesDatesAndNumberFormats) {
  WorkbookReaderApplication app;
  auto book = app.Open(FixturePath("xls/poi-27933-date-currency-percent.xls"), {});
  ASSERT_GE(book->SheetCount(), 1);
  Worksheet& sheet = book->Sheets("Excel Test");
  EXPECT_EQ(sheet.Type(), sheet_type::kWorksheet);
  std::vector<Cell> cells = sheet.Range("A26:C31");
  auto at = [&](int row, int column) { return cells[(row - 26) * 3 + column - 1]; };
  EXPECT_EQ(at(26, 1).text, "Label");
  EXPECT_EQ(at(26, 3).value.kind, CellValue::Kind::kNumber);
  EXPECT_EQ(at(26, 3).value.number, 1);
  EXPECT_EQ(at(27, 3).number_format, "0.00");
  EXPECT_EQ(at(27, 3).text, "1.00");
  EXPECT_EQ(at(28, 3).text, "$1.00");
  EXPECT_EQ(at(29, 3).value.kind, CellValue::Kind::kDate);
  EXPECT_EQ(at(29, 3).number_format, "mm/dd/yy");
  EXPECT_EQ(at(29, 3).text, "01/01/00");
  EXPECT_EQ(at(30, 3).text, "January 1, 1900");
  EXPECT_EQ(at(31, 3).number_format, "0.00%");
  EXPECT_EQ(at(31, 3).text, "100.00%");
}

TEST(RealWorkbookTest, XlsTheLibraryRefusesIsReadFromItsOwnRecords) {
  WorkbookReaderApplication app;
  auto book = app.Open(FixturePath("xls/poi-44861-euro-percent-date.xls"), {});
  ASSERT_EQ(book->SheetCount(), 3);
  EXPECT_EQ(book->Sheets(1).Name(), "reporting");
  EXPECT_EQ(book->Sheets(3).Name(), "Feuil3");
  std::vector<Cell> cells = book->Sheets("data").Range("A5:B6");
  EXPECT_EQ(cells[0].text, "France");
  EXPECT_EQ(cells[1].number_format, "0.00%");
  EXPECT_EQ(cells[1].text, "41.09%");
  EXPECT_EQ(cells[2].text, "Allemagne République Fédérale");

  // Written by LibreOffice with a chart on a sheet of its own, which the library refuses too.
  auto charts = app.Open(FixturePath("xls/chart-and-two-sheets.xls"), {});
  ASSERT_EQ(charts->SheetCount(), 3);
  std::vector<Cell> first = charts->Sheets("First").Range("A1:B1");
  EXPECT_EQ(first[0].text, "1.50");
  EXPECT_EQ(first[1].text, "12.5%");
  Cell stamp = charts->Sheets("Second").Range("B2")[0];
  EXPECT_EQ(stamp.value.kind, CellValue::Kind::kDate);
  EXPECT_EQ(stamp.text, "31-Dec-26 12:00");
}

}  // namespace
}  // namespace vintrel::host::workbook
