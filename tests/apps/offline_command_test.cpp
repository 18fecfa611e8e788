// vintrel offline, run as a user runs it on a copy of the bundled example: the copy it writes is
// a plain presentation that LibreOffice opens with the values of the data files burnt in, and the
// presentation it was made from keeps every byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "faults/fault_support.h"

namespace vintrel::testing {
namespace {

namespace fs = std::filesystem;

// A deck LibreOffice wrote, without any Vintrel data.
const char kLibreOfficeDeck[] = "pptx/libreoffice-7.4-export-chart-table-hidden-slide.pptx";

class OfflineCommandTest : public ::testing::Test, public ExampleCopy {
 protected:
  // Makes the off-line copy `out` of `deck`, which must keep every byte.
  void Offline(const std::string& deck, const std::string& out) {
    const std::string before = ReadFile(deck);
    const ProgramResult run = Vintrel({"offline", deck, "-o", out});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(ReadFile(deck), before) << "the source must keep every byte";
  }
};

TEST_F(OfflineCommandTest, TheExampleBecomesAPlainPresentationWithItsValuesBurntIn) {
  const std::string out = File("off-line.pptx");
  ASSERT_NO_FATAL_FAILURE(Offline(Example("sales-board.pptx"), out));

  bool embedded_picture = false;
  for (const std::string& part : PackagePartNames(out)) {
    embedded_picture = embedded_picture || part.rfind("ppt/media/", 0) == 0;
    if (part.ends_with(".xml") || part.ends_with(".rels")) {
      EXPECT_THAT(PackagePart(out, part), Not(HasSubstr("QUENDRA"))) << part;
    }
  }
  EXPECT_TRUE(embedded_picture);

  if (!HasLibreOffice()) {
    GTEST_SKIP() << "LibreOffice (soffice) and pdftotext are needed for the rest";
  }
  std::string text;
  for (const std::string& page : PresentationPages(out)) text += page;
  const auto first = ReadTsv(Example("data/sales.tsv")).at(0);
  for (const std::string& value : {first.at("Region"), first.at("Sales")}) {
    EXPECT_THAT(text, HasSubstr(value));
  }
}

// A deck LibreOffice wrote (its own package layout, a chart with its workbook, tables, a hidden
// slide): a ticker slide stepping one row at a time becomes one page per row, in row order.
TEST_F(OfflineCommandTest, ADeckWrittenByLibreOfficeGetsOnePagePerRow) {
  const std::vector<std::vector<std::string>> rows = {
      {"Alpha", "11"}, {"Bravo", "22"}, {"Charlie", "33"}};
  std::string data = "Name\tSales\n";
  for (const auto& row : rows) data += row[0] + "\t" + row[1] + "\n";
  fs::create_directories(File("lo"));
  std::ofstream(File("lo/data.tsv")) << data;
  const std::string deck = File("lo/deck.pptx");
  fs::copy_file(FixturePath(kLibreOfficeDeck), deck);
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"connections", "add", deck, "--text", "data.tsv", "--first-row-names"},
           {"link", deck, "--slide", "2", "--shape", "TextBox 1", "--text", "01", "Name", "1"},
           {"link", deck, "--slide", "2", "--shape", "Rectangle 2", "--text", "01", "Sales", "1"},
           {"slide", deck, "--slide", "2", "--scroll", "1", "--step", "1", "--time", "1000",
            "--enabled", "on"}}) {
    const ProgramResult run = Vintrel(arguments);
    ASSERT_EQ(run.exit_code, 0) << arguments[0] << ": " << run.err;
  }
  const std::string out = File("lo/off-line.pptx");
  ASSERT_NO_FATAL_FAILURE(Offline(deck, out));

  if (!HasLibreOffice()) {
    GTEST_SKIP() << "LibreOffice (soffice) and pdftotext are needed for the rest";
  }
  // Page 1 is the deck's first slide; the ticker's pages follow it (LibreOffice leaves the
  // hidden slide out of the PDF).
  const std::vector<std::string> pages = PresentationPages(out);
  ASSERT_GE(pages.size(), rows.size() + 1);
  for (size_t index = 0; index < rows.size(); ++index) {
    for (size_t other = 0; other < rows.size(); ++other) {
      for (const std::string& value : rows[other]) {
        EXPECT_EQ(pages[index + 1].find(value) != std::string::npos, other == index)
            << "page " << index + 2 << ", " << value << "\n"
            << pages[index + 1];
      }
    }
  }
}

}  // namespace
}  // namespace vintrel::testing
