// Reading values, formats and displayed texts out of .xlsx packages written byte by byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/error.h"
#include "host/workbook/workbook_reader.h"
#include "testing/error_of.h"
#include "testing/temp_dir.h"
#include "xlsx_builder.h"

namespace vintrel::host::workbook {
namespace {

using testing::BookContents;
using ::testing::HasSubstr;
using testing::SheetXml;
using testing::WorkbookParts;
using vintrel::testing::ErrorOf;
using Kind = CellValue::Kind;

constexpr char kStyles[] =
    R"(<numFmts count="3"><numFmt numFmtId="164" formatCode="&quot;$&quot;#,##0.00"/>)"
    R"(<numFmt numFmtId="165" formatCode="dd/mm/yyyy hh:mm"/>)"
    R"(<numFmt numFmtId="166" formatCode="0.0;[Red]\(0.0\);&quot;nil&quot;"/></numFmts>)"
    R"(<cellXfs count="7"><xf numFmtId="0"/><xf numFmtId="164"/><xf numFmtId="165"/>)"
    R"(<xf numFmtId="14"/><xf numFmtId="10"/><xf numFmtId="166"/><xf numFmtId="49"/></cellXfs>)";

class XlsxReadingTest : public ::testing::Test {
 protected:
  std::unique_ptr<Workbook> Open(const testing::Parts& parts, const std::string& name) {
    testing::WriteZip(dir_.File(name), parts);
    return app_.Open(dir_.File(name), {});
  }
  std::unique_ptr<Workbook> Open(const BookContents& contents) {
    return Open(WorkbookParts(contents), "book" + std::to_string(++count_) + ".xlsx");
  }
  std::vector<Cell> Read(const BookContents& contents, const std::string& range) {
    return Open(contents)->Sheets(1).Range(range);
  }

  vintrel::testing::TempDir dir_;
  WorkbookReaderApplication app_;
  int count_ = 0;
};

TEST_F(XlsxReadingTest, ValueKindsComeBackWithTheirTexts) {
  BookContents contents;
  contents.shared_strings =
      "<si><t>plain</t></si>"
      "<si><r><rPr><b/></rPr><t>rich </t></r><r><t xml:space=\"preserve\">text</t></r>"
      "<rPh><t>PHONETIC</t></rPh></si>"
      "<si><t>line_x000D_break &amp; more</t></si>";
  contents.sheets["Data"] = SheetXml(
      R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c>)"
      R"(<c r="C1" t="s"><v>2</v></c><c r="D1" t="inlineStr"><is><t>inline</t></is></c></row>)"
      R"(<row r="2"><c r="A2" t="b"><v>1</v></c><c r="B2" t="b"><v>0</v></c>)"
      R"(<c r="C2" t="e"><f>1/0</f><v>#DIV/0!</v></c><c r="D2"><f>1+1</f><v>2</v></c></row>)"
      R"(<row r="3"><c r="A3" t="str"><f>"a"&amp;"b"</f><v>ab</v></c><c r="B3"><v>-1.5e3</v></c>)"
      R"(<c r="C3" t="d"><v>2026-12-31T12:00:00</v></c><c r="D3" t="n"><v>+0.1</v></c></row>)");
  std::vector<Cell> cells = Read(contents, "A1:D3");
  ASSERT_EQ(cells.size(), 12u);
  std::vector<std::string> texts;
  for (const Cell& cell : cells) texts.push_back(cell.text);
  EXPECT_THAT(texts,
              ::testing::ElementsAre("plain", "rich text", "line\rbreak & more", "inline", "TRUE",
                                     "FALSE", "#DIV/0!", "2", "ab", "-1500", "46387.5", "0.1"));
  EXPECT_EQ(cells[4].value.kind, Kind::kBoolean);
  EXPECT_EQ(cells[6].value.kind, Kind::kError);
  EXPECT_EQ(cells[7].value.kind, Kind::kNumber);
  EXPECT_EQ(cells[7].value.number, 2);
  EXPECT_EQ(cells[8].value.kind, Kind::kText);
}

TEST_F(XlsxReadingTest, StylesGiveNumberFormatsAndTexts) {
  BookContents contents;
  contents.styles = kStyles;
  contents.shared_strings = "<si><t>txt</t></si>";
  contents.sheets["Data"] = SheetXml(
      R"(<row r="1"><c r="A1" s="1"><v>1234.5</v></c><c r="B1" s="2"><v>46387.75</v></c>)"
      R"(<c r="C1" s="3"><v>39045</v></c><c r="D1" s="4"><v>0.125</v></c>)"
      R"(<c r="E1" s="5"><v>-2</v></c><c r="F1" s="5"><v>0</v></c><c r="G1" s="6"><v>7</v></c>)"
      R"(<c r="H1" s="6" t="s"><v>0</v></c><c r="I1" s="99"><v>1</v></c><c r="J1" s="1"/></row>)");
  std::vector<Cell> cells = Read(contents, "A1:J1");
  ASSERT_EQ(cells.size(), 10u);
  std::vector<std::string> texts, formats;
  for (const Cell& cell : cells) {
    texts.push_back(cell.text);
    formats.push_back(cell.number_format);
  }
  EXPECT_THAT(texts, ::testing::ElementsAre("$1,234.50", "31/12/2026 18:00", "11/24/2006", "12.50%",
                                            "(2.0)", "nil", "7", "txt", "1", ""));
  // I1's style index is one the file does not define; J1 is styled but empty.
  EXPECT_THAT(formats,
              ::testing::ElementsAre("\"$\"#,##0.00", "dd/mm/yyyy hh:mm", "m/d/yyyy", "0.00%",
                                     "0.0;[Red]\\(0.0\\);\"nil\"", "0.0;[Red]\\(0.0\\);\"nil\"",
                                     "@", "@", "General", "\"$\"#,##0.00"));
  EXPECT_EQ(cells[1].value.kind, Kind::kDate);
}

TEST_F(XlsxReadingTest, SheetsKeepOrderNamesAndTypes) {
  BookContents contents;
  contents.sheets["1 Data"] = SheetXml("");
  contents.sheets["2 Chart (chart)"] = "<chartsheet/>";
  contents.sheets["3 Ärger"] = SheetXml("");
  auto book = Open(contents);
  ASSERT_EQ(book->SheetCount(), 3);
  EXPECT_EQ(book->Sheets(1).Name(), "1 Data");
  EXPECT_EQ(book->Sheets(1).Type(), sheet_type::kWorksheet);
  EXPECT_EQ(book->Sheets(2).Name(), "2 Chart");
  EXPECT_EQ(book->Sheets(2).Type(), sheet_type::kChart);
  EXPECT_EQ(&book->Sheets("3 ÄRGER"), &book->Sheets(3));
  EXPECT_THAT(ErrorOf([&] { book->Sheets(2).Range("A1"); }).description(),
              HasSubstr("chart sheet"));
}

TEST_F(XlsxReadingTest, MissingSharedStringsFailTheReadClearly) {
  BookContents contents;
  contents.has_shared_strings = false;
  contents.sheets["Data"] =
      SheetXml(R"(<row r="1"><c r="A1"><v>5</v></c><c r="B1" t="s"><v>3</v></c></row>)");
  auto book = Open(contents);
  // Cells that need no string still read.
  EXPECT_EQ(book->Sheets(1).Range("A1")[0].text, "5");
  EXPECT_THAT(ErrorOf([&] { book->Sheets(1).Range("A1:B1"); }).description(),
              ::testing::AllOf(HasSubstr("B1"), HasSubstr("no shared strings part")));
}

TEST_F(XlsxReadingTest, NamesOfTheWorkbookStandForTheirRanges) {
  BookContents contents;
  contents.sheets["Data"] = SheetXml(R"(<row r="1"><c r="A1"><v>1</v></c><c r="B1"><v>2</v></c>)"
                                     R"(</row><row r="2"><c r="A2"><v>3</v></c></row>)");
  contents.sheets["Bob's"] = SheetXml(R"(<row r="5"><c r="C5"><v>9</v></c></row>)");
  contents.defined_names = R"(<definedName name="Sales">Data!$A$1:$B$2</definedName>)"
                           R"(<definedName name="Corner">'Bob''s'!$C$5</definedName>)"
                           // Sheets sort by name: Data is the second.
                           R"(<definedName name="Corner" localSheetId="1">Data!$B$1</definedName>)"
                           R"(<definedName name="Moving">OFFSET(Data!$A$1,0,0,2,2)</definedName>)";
  auto book = Open(contents);
  Worksheet& data = book->Sheets("Data");
  std::vector<Cell> sales = data.Range("sales");
  ASSERT_EQ(sales.size(), 4u);
  EXPECT_EQ(sales[2].text, "3");
  // The sheet's own name comes before the workbook's.
  EXPECT_EQ(data.Range("Corner")[0].text, "2");
  EXPECT_EQ(book->Sheets("Bob's").Range("Corner")[0].text, "9");
  EXPECT_THAT(ErrorOf([&] { book->Sheets("Bob's").Range("Sales"); }).description(),
              HasSubstr("cells of sheet 'Data'"));
  EXPECT_THAT(ErrorOf([&] { data.Range("Moving"); }).description(),
              HasSubstr("not one range of cells"));
  EXPECT_THAT(ErrorOf([&] { data.Range("Unknown"); }).description(), HasSubstr("not a cell range"));
}

TEST_F(XlsxReadingTest, OddPartsAreUnderstoodAndABrokenOneIsNamed) {
  testing::Parts parts;
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
  parts["_rels/.rels"] = "<Relationships><Relationship Id=\"a\" Type=\"" + rel +
                         "officeDocument\" Target=\"/book/main.xml\"/></Relationships>";
  parts["book/main.xml"] =
      "<x:workbook xmlns:x=\"s\" xmlns:r=\"r\"><x:sheets><x:sheet name=\"S\" sheetId=\"1\" "
      "r:id=\"b\"/></x:sheets></x:workbook>";
  parts["book/_rels/main.xml.rels"] =
      "<Relationships><Relationship Id=\"b\" Type=\"" + rel +
      "worksheet\" Target=\"../sheets/./one.xml\"/></Relationships>";
  parts["sheets/one.xml"] =
      "<x:worksheet xmlns:x=\"s\"><x:sheetData><x:row r=\"1\"><x:c r=\"A1\" t=\"inlineStr\">"
      "<x:is><x:t>prefixed</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>";
  EXPECT_EQ(Open(parts, "odd.xlsx")->Sheets("S").Range("A1")[0].text, "prefixed");
  // A broken part in a sound package is named (random damage is the fuzz targets' job).
  parts["book/main.xml"] = "<x:workbook><x:sheets><x:sheet name='x'";
  EXPECT_THAT(ErrorOf([&] { Open(parts, "broken.xlsx"); }).description(),
              HasSubstr("book/main.xml"));
}

}  // namespace
}  // namespace vintrel::host::workbook
