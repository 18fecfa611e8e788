// Damaged workbooks: whatever the bytes, reading either works or fails with an Error.
#include <gtest/gtest.h>

#include <random>

#include "host/error.h"
#include "host/workbook/workbook_reader.h"
#include "testing/temp_dir.h"
#include "xlsx_builder.h"

namespace vintrel::host::workbook {
namespace {

// Opens `path` and reads every sheet; returns "ok" or "error", and fails the test on anything
// other than an Error.
std::string Try(WorkbookReaderApplication& app, const std::string& path) {
  try {
    auto book = app.Open(path, {});
    for (int i = 1; i <= book->SheetCount(); ++i) {
      Worksheet& sheet = book->Sheets(i);
      if (sheet.Type() == sheet_type::kWorksheet) sheet.Range("A1:H20");
    }
    return "ok";
  } catch (const Error& error) {
    EXPECT_FALSE(error.description().empty());
    return "error";
  } catch (const std::exception& other) {
    ADD_FAILURE() << path << ": " << other.what();
    return "crash";
  }
}

TEST(DamagedFileTest, FlippedBytesInAStoredPackageNeverEscapeAsAnythingButAnError) {
  testing::BookContents contents;
  contents.styles = R"(<numFmts><numFmt numFmtId="164" formatCode="0.00%"/></numFmts>)"
                    R"(<cellXfs><xf numFmtId="0"/><xf numFmtId="164"/></cellXfs>)";
  contents.shared_strings = "<si><t>alpha</t></si><si><r><t>be</t></r><r><t>ta</t></r></si>";
  contents.sheets["Data"] = testing::SheetXml(
      R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" s="1"><v>0.25</v></c></row>)"
      R"(<row r="2"><c r="A2" t="s"><v>1</v></c><c r="B2" t="inlineStr"><is><t>x</t></is></c></row>)");
  vintrel::testing::TempDir dir;
  std::string path = dir.File("good.xlsx");
  // Stored without compression so that flipped bytes land in the XML itself.
  testing::WriteZip(path, testing::WorkbookParts(contents), false);
  std::string good = vintrel::testing::ReadFile(path);
  WorkbookReaderApplication app;
  ASSERT_EQ(Try(app, path), "ok");

  std::mt19937 random(7);
  int errors = 0;
  for (int round = 0; round < 300; ++round) {
    std::string bad = good;
    int flips = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < flips; ++i) {
      bad[random() % bad.size()] = static_cast<char>(random() % 256);
    }
    if (round % 10 == 0) bad.resize(random() % bad.size());
    std::string result = Try(app, dir.Write("bad.xlsx", bad));
    errors += result == "error";
  }
  EXPECT_GT(errors, 0);
}

TEST(DamagedFileTest, MangledXmlInSoundPackagesNeverEscapesAsAnythingButAnError) {
  testing::BookContents contents;
  contents.styles =
      R"x(<numFmts><numFmt numFmtId="164" formatCode="#,##0.00;[Red]\(0\)"/></numFmts>)x"
      R"(<cellXfs><xf numFmtId="0"/><xf numFmtId="164"/><xf numFmtId="14"/></cellXfs>)";
  contents.shared_strings = "<si><t>alpha &amp; omega</t></si><si><r><t>be</t></r></si>";
  contents.sheets["Data"] = testing::SheetXml(
      R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" s="1"><v>-0.25</v></c>)"
      R"(<c r="C1" s="2"><v>45000.5</v></c></row><row r="2"><c r="A2" t="s"><v>1</v></c>)"
      R"(<c r="B2" t="inlineStr"><is><t>x&#x41;</t></is></c><c t="e"><v>#N/A</v></c></row>)");
  const testing::Parts good = testing::WorkbookParts(contents);
  vintrel::testing::TempDir dir;
  WorkbookReaderApplication app;
  std::mt19937 random(11);
  const char alphabet[] = "<>/=\"'&;#x0123456789:rstcv ";
  int outcomes[2] = {0, 0};
  for (int round = 0; round < 300; ++round) {
    testing::Parts parts = good;
    for (const char* name :
         {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml", "xl/styles.xml", "xl/workbook.xml"}) {
      std::string& xml = parts[name];
      int edits = static_cast<int>(random() % 4);
      for (int i = 0; i < edits; ++i) {
        size_t at = random() % xml.size();
        switch (random() % 3) {
          case 0:
            xml[at] = alphabet[random() % (sizeof alphabet - 1)];
            break;
          case 1:
            xml.erase(at, 1 + random() % 12);
            break;
          default:
            xml.insert(at, 1, alphabet[random() % (sizeof alphabet - 1)]);
        }
        if (xml.empty()) xml = "<";
      }
    }
    testing::WriteZip(dir.File("m.xlsx"), parts);
    outcomes[Try(app, dir.File("m.xlsx")) == "ok"]++;
  }
  EXPECT_GT(outcomes[0], 0);
  EXPECT_GT(outcomes[1], 0);
}

class DamagedLegacyFileTest : public ::testing::TestWithParam<const char*> {};

TEST_P(DamagedLegacyFileTest, FlippedBytesNeverEscapeAsAnythingButAnError) {
  std::string good = vintrel::testing::ReadFile(vintrel::testing::FixturePath(GetParam()));
  ASSERT_FALSE(good.empty());
  vintrel::testing::TempDir dir;
  WorkbookReaderApplication app;
  std::mt19937 random(5);
  // Flips land past the container's header, where both readers must cope with them.
  for (int round = 0; round < 150; ++round) {
    std::string bad = good;
    int flips = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < flips; ++i) {
      bad[512 + random() % (bad.size() - 512)] = static_cast<char>(random() % 256);
    }
    Try(app, dir.Write("bad.xls", bad));
  }
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedLegacyFileTest,
                         ::testing::Values("xls/formats.xls", "xls/defined-names.xls",
                                           "xls/long-strings.xls", "xls/biff5.xls"));

TEST(DamagedFileTest, BrokenXmlInsideAGoodPackageFailsWithItsName) {
  testing::BookContents contents;
  contents.sheets["Data"] = testing::SheetXml("<row><c><v>1</v></c></row>");
  testing::Parts parts = testing::WorkbookParts(contents);
  parts["xl/workbook.xml"] = "<workbook><sheets><sheet name='x'";
  vintrel::testing::TempDir dir;
  testing::WriteZip(dir.File("a.xlsx"), parts);
  WorkbookReaderApplication app;
  try {
    app.Open(dir.File("a.xlsx"), {});
    FAIL() << "expected an Error";
  } catch (const Error& error) {
    EXPECT_NE(error.description().find("xl/workbook.xml"), std::string::npos)
        << error.description();
  }
}

}  // namespace
}  // namespace vintrel::host::workbook
