#include "host/workbook/sheet_scanner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/error.h"
#include "testing/error_of.h"

namespace vintrel::host::workbook {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;

// "row,column,style,type,has_value,value" for every cell.
std::vector<std::string> Scan(const std::string& xml) {
  std::vector<std::string> seen;
  ScanSheetCells(xml, "'t.xlsx'", [&](const ScannedCell& cell) {
    seen.push_back(std::to_string(cell.row) + "," + std::to_string(cell.column) + "," +
                   std::to_string(cell.style) + "," + cell.type + "," +
                   (cell.has_value ? "v" : "-") + "," + cell.value);
  });
  return seen;
}

TEST(SheetScannerTest, ReadsCellsWithTheirAttributesAndValues) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"<?xml version='1.0'?><!-- made by hand --><worksheet><dimension ref='A1:C2'/>"
       "<sheetData><row r='1' spans='1:3'><c r='A1' s='3' t='s'><v>7</v></c>"
       "<c r=\"C1\"><f>SUM(A1:B1)</f><v>1.5</v></c></row>"
       "<row r='4'><c r='B4' s='2'/><c t='inlineStr'><is><r><t>a &amp; </t></r><r><t>b</t></r>"
       "<rPh sb='0' eb='1'><t>ignored</t></rPh></is></c></row></sheetData>"
       "<mergeCells><mergeCell ref='A1:B1'/></mergeCells></worksheet>",
       {"1,1,3,s,v,7", "1,3,0,,v,1.5", "4,2,2,,-,", "4,3,0,inlineStr,v,a & b"}},
      // Text decoded the way XML parsers do.
      {"<worksheet><sheetData><row><c t='str'><v>&lt;&gt;&quot;&apos;&#65;&#x42;"
       "&#x20AC;&#x1F600;</v></c><c t='str'><v><![CDATA[<raw & kept>]]></v></c>"
       "<c t='str'><v>one\r\ntwo\rthree</v></c><c t='str'><v>&unknown;</v></c>"
       "</row></sheetData></worksheet>",
       {"1,1,0,str,v,<>\"'AB€😀", "1,2,0,str,v,<raw & kept>", "1,3,0,str,v,one\ntwo\nthree",
        "1,4,0,str,v,&unknown;"}},
      // Prefixes understood; what is not a cell skipped.
      {"<x:worksheet xmlns:x='s'><x:sheetPr><x:tabColor rgb='FF0000'/></x:sheetPr>"
       "<x:sheetData><x:row x:r='2'><x:c r='D2'><x:v>5</x:v><x:extLst><x:ext>"
       "<x:v>99</x:v></x:ext></x:extLst></x:c></x:row></x:sheetData></x:worksheet>",
       {"2,4,0,,v,5"}},
      {"<worksheet><sheetData/></worksheet>", {}},
      {"<chartsheet><drawing/></chartsheet>", {}},
  };
  for (const auto& [xml, cells] : cases) EXPECT_EQ(Scan(xml), cells) << xml;
}

TEST(SheetScannerTest, BrokenXmlFailsClearly) {
  for (const char* xml :
       {"<worksheet><sheetData><row><c r='A1'><v>1</v>", "<worksheet><sheetData><row><c r='A1",
        "<worksheet><sheetData><row><c r=A1><v>1</v></c></row></sheetData>",
        "<worksheet><sheetData><row><c><v>&#xZZ;</v></c></row></sheetData>",
        "<worksheet><sheetData><!-- never closed", "<worksheet><sheetData><row><c><is><t>x"}) {
    EXPECT_THAT(vintrel::testing::ErrorOf([&] { Scan(xml); }).description(),
                AllOf(HasSubstr("'t.xlsx'"), HasSubstr("broken")))
        << xml;
  }
}

}  // namespace
}  // namespace vintrel::host::workbook
