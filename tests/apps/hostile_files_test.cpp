// Files as people have them: packages as PowerPoint writes them, charts whose link goes, and data
// of every encoding written into a package. Hostile files are refused by `vintrel inspect` with one
// clear line naming the file and what is wrong (exit code 2), quickly, by a limit the reader
// enforces rather than by running out of memory, and the file is left exactly as it was; they are
// built here, none is kept in the repository.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <pugixml.hpp>

#include "faults/fault_support.h"
#include "host/common/text_encoding.h"
#include "host/ooxml/zip_archive.h"
#include "testing/hostile_zip.h"

namespace vintrel::testing {
namespace {

class RealWorldFilesTest : public ::testing::Test {
 protected:
  ProgramHome home_;
  std::string deck_ =
      home_.Write("shows/deck.pptx", ReadFile(FixturePath("pptx/poi-pie-chart.pptx")));
};

TEST_F(RealWorldFilesTest, AChartWhoseLinkIsClearedIsShownAndLosesTheConnectionsData) {
  home_.Write("shows/sales.txt", "Region\tSales\r\nNorthwest\t10\r\nSoutheast\t20\r\n");
  home_.Ok({"connections", "add", deck_, "--text", "sales.txt", "--first-row-names"});
  home_.Ok({"link", deck_, "--slide", "1", "--shape", "Chart 1", "--chart", "01"});
  home_.Ok({"save", deck_});  // opening fills the chart
  ASSERT_THAT(PackagePart(deck_, "ppt/charts/chart1.xml"), HasSubstr("Northwest"));
  ASSERT_THAT(PackagePart(deck_, "ppt/slides/slide1.xml"), HasSubstr("hidden=\"1\""))
      << "a save hides a linked chart";

  home_.Ok({"link", deck_, "--slide", "1", "--shape", "Chart 1", "--clear"});
  EXPECT_THAT(PackagePart(deck_, "ppt/slides/slide1.xml"), Not(HasSubstr("hidden=\"1\"")));
  EXPECT_THAT(PackagePart(deck_, "ppt/charts/chart1.xml"), Not(HasSubstr("Northwest")));
  home_.Ok({"save", deck_});
  EXPECT_THAT(PackagePart(deck_, "ppt/slides/slide1.xml"), Not(HasSubstr("hidden=\"1\"")))
      << "an unlinked chart stays shown";
}

// Every XML part of a package (and of the workbooks inside it) parses and is UTF-8 that XML
// allows; returns the text of all of them.
std::string CheckedXml(const std::string& package, const TempDir& scratch) {
  std::string all;
  for (const std::string& name : PackagePartNames(package)) {
    const std::string bytes = PackagePart(package, name);
    if (name.ends_with(".xlsx")) {
      all += CheckedXml(scratch.Write("inner.xlsx", bytes), scratch);
      continue;
    }
    if (!name.ends_with(".xml") && !name.ends_with(".rels")) continue;
    EXPECT_TRUE(host::IsValidUtf8(bytes.data(), bytes.size())) << name;
    for (char c : bytes) {
      const auto u = static_cast<unsigned char>(c);
      EXPECT_FALSE(u < 0x20 && c != '\t' && c != '\n' && c != '\r') << name << ": " << int{u};
    }
    EXPECT_THAT(bytes, Not(HasSubstr("\xED\xA0"))) << name << ": an encoded surrogate";
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_buffer(bytes.data(), bytes.size())) << name;
    all += bytes;
  }
  return all;
}

TEST_F(RealWorldFilesTest, EveryTextWrittenIntoThePackageIsValidXml) {
  // Windows-1252 bytes, a control character and a lone surrogate, through each way in: a
  // database value and a TAB file value (into a chart and a text shape), and a connection name.
  const std::string database = home_.File("shows/old.db");
  ASSERT_EQ(RunProgram(ToolPath("sqlite3"),
                       {database,
                        "CREATE TABLE t(Region TEXT, Sales REAL); INSERT INTO t VALUES("
                        "CAST(X'436166E9' AS TEXT) || CAST(X'EDA08001' AS TEXT), 10);"})
                .exit_code,
            0);
  home_.Write("shows/old.txt", "Region\tSales\r\nCaf\xE9\x01\t10\r\n");
  const std::vector<std::vector<std::string>> sources = {
      {"--database", "Provider=SQLite;Data Source=old.db", "--sql", "SELECT * FROM t"},
      {"--text", "old.txt", "--first-row-names"}};
  for (const auto& source : sources) {
    SCOPED_TRACE(source[1]);
    const std::string deck = home_.Write("shows/valid.pptx", ReadFile(deck_));
    std::vector<std::string> add = {"connections", "add", deck, "--name", "Caf\xE9\x02 board"};
    add.insert(add.end(), source.begin(), source.end());
    home_.Ok(add);
    home_.Ok({"link", deck, "--slide", "1", "--shape", "Chart 1", "--chart", "01"});
    home_.Ok({"link", deck, "--slide", "1", "--shape", "Title 3", "--text", "01", "Region", "1"});
    EXPECT_THAT(home_.Ok({"inspect", deck}), HasSubstr("Caf\xC3\xA9")) << "the shape's text";

    const std::string xml = CheckedXml(deck, home_);
    EXPECT_THAT(xml, HasSubstr("Caf\xC3\xA9 board")) << "the connection's name";
    EXPECT_THAT(xml, HasSubstr("<c:v>Caf\xC3\xA9</c:v>")) << "the chart's category";
    EXPECT_THAT(xml, HasSubstr("<t>Caf\xC3\xA9</t>")) << "the chart's workbook";
  }
}

using Parts = std::vector<std::pair<std::string, std::string>>;

double ChildrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr double kCpuBudgetSeconds = 5;  // the sanitizers make everything several times slower
#else
constexpr double kCpuBudgetSeconds = 1;
#endif

struct Case {
  std::string name;
  std::string bytes;
  std::string message;  // what the one line of the error says
};

std::vector<Case> HostileCases(const Parts& deck) {
  const std::string valid = ooxml::BuildZip(deck);
  auto with = [&](const std::string& name, const std::string& data) {
    Parts parts = deck;
    parts.emplace_back(name, data);
    return ooxml::BuildZip(parts);
  };
  // The deck with the part of that name edited (a part it lacks leaves the deck valid, and the
  // case fails).
  auto changed = [&](const std::string& name, auto edit) {
    Parts parts = deck;
    for (auto& [part, data] : parts) {
      if (part == name) edit(data);
    }
    return ooxml::BuildZip(parts);
  };
  // The deck's entries written by hand, with `extra` in place of the entry of its name, or after
  // them (`twice`: after them anyway).
  auto raw_with = [&](const RawEntry& extra, bool twice = false) {
    std::vector<RawEntry> entries;
    bool replaced = false;
    for (const auto& [name, data] : deck) {
      replaced |= name == extra.name && !twice;
      entries.push_back(name == extra.name && !twice ? extra : Stored(name, data));
    }
    if (!replaced) entries.push_back(extra);
    return RawZip(entries);
  };
  const std::string bomb = DeflateBomb(4);
  const std::string slide = "ppt/slides/slide1.xml";

  return {
      {"not-a-zip", "<p:presentation>this is no archive</p:presentation>", "not a ZIP archive"},
      {"truncated", valid.substr(0, valid.size() / 2), "damaged"},
      {"truncated-directory", valid.substr(0, valid.size() - 30), "damaged"},
      {"climbs-out", with("../../escaped.xml", "<x/>"), "\"..\""},
      {"climbs-out-inside", with("ppt/slides/../../../escaped.xml", "<x/>"), "\"..\""},
      {"absolute-name", with("/etc/escaped.xml", "<x/>"), "absolute name"},
      // Declares its gigabytes: refused before anything is inflated.
      {"bomb-declared", raw_with({"ppt/bomb.xml", bomb, 8, 0xF0000000u, 0}), "absurd size"},
      // Declares a kilobyte and inflates to 4 GiB: inflating stops at the declared size.
      {"bomb-lying", raw_with({slide, bomb, 8, 1024, 0}), "expands beyond"},
      {"nested-a-million-deep",
       changed(slide,
               [](std::string& xml) { xml.insert(xml.rfind("</p:sld>"), NestedXml(1'000'000)); }),
       "nested deeper than 256 levels"},
      {"duplicate-entry", raw_with(Stored(slide, "<p:sld/>"), true), "two entries"},
      {"duplicate-entry-other-case", raw_with(Stored("PPT/Slides/Slide1.xml", "<p:sld/>"), true),
       "two entries"},
      {"missing-relationship",
       changed("ppt/presentation.xml",
               [](std::string& xml) {
                 const size_t list = xml.find("</p:sldIdLst>");
                 xml.insert(list, "<p:sldId id=\"400\" r:id=\"rId99\"/>");
               }),
       "names relationship \"rId99\", which does not exist"},
      {"missing-slide",
       changed("ppt/_rels/presentation.xml.rels",
               [](std::string& xml) {
                 const size_t at = xml.find("slides/slide1.xml");
                 xml.replace(at, 17, "slides/slide7.xml");
               }),
       "slide7.xml\" is missing"},
  };
}

TEST(HostileFilesTest, InspectRefusesEachWithOneClearLineAndLeavesTheFileAlone) {
  ProgramHome home;
  const auto archive =
      ooxml::ZipArchive::Open(FixturePath("pptx/openxmlsdk-linkedpicture-url.pptx"));
  Parts deck;
  for (const std::string& name : archive->Names()) deck.emplace_back(name, archive->Read(name));
  const std::string valid = ooxml::BuildZip(deck);
  ASSERT_EQ(home.Run({"inspect", home.Write("valid.pptx", valid)}).exit_code, 0);
  for (const Case& c : HostileCases(deck)) {
    SCOPED_TRACE(c.name);
    const std::string file = home.Write(c.name + ".pptx", c.bytes);
    const double cpu_before = ChildrenCpuSeconds();
    const ProgramResult result = home.Run({"inspect", file});
    const double cpu = ChildrenCpuSeconds() - cpu_before;
    EXPECT_EQ(result.exit_code, 2) << result.err;
    EXPECT_THAT(result.err, HasSubstr(c.name + ".pptx"));
    EXPECT_THAT(result.err, HasSubstr(c.message));
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_TRUE(result.out.empty()) << result.out;
    EXPECT_LT(cpu, kCpuBudgetSeconds);
    EXPECT_EQ(ReadFile(file), c.bytes) << "the file must be left as it was";
  }
  // Nothing of ours is left beside the files either.
  for (const auto& entry : std::filesystem::directory_iterator(home.path())) {
    EXPECT_THAT(entry.path().filename().string(), Not(HasSubstr(".vintrel-"))) << entry.path();
  }
}

}  // namespace
}  // namespace vintrel::testing
