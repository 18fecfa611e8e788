// The bundled example, run as a user runs it: a copy of examples/ is opened, saved and opened
// again with the program, and each kind of link is checked against the data files beside it.
// Expected values are read from those files (the text file directly, the database with the
// sqlite3 program, the workbook's sheet with unzip), so editing the data keeps the test true.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "faults/fault_support.h"

namespace vintrel::testing {
namespace {

namespace fs = std::filesystem;

const char kDeck[] = "sales-board.pptx";

// ---- the data, read independently of the program

// The sheet of that name of an .xlsx as a table, its first row naming the columns; the example
// workbook holds inline strings and numbers, no shared strings, and no gap between its cells.
Table SheetTable(const std::string& workbook, const std::string& sheet_name) {
  pugi::xml_document book, relationships, sheet;
  book.load_string(PackagePart(workbook, "xl/workbook.xml").c_str());
  relationships.load_string(PackagePart(workbook, "xl/_rels/workbook.xml.rels").c_str());
  const std::string id =
      book.select_node(("//*[@name='" + sheet_name + "']/@r:id").c_str()).attribute().value();
  const std::string target =
      relationships.select_node(("//*[@Id='" + id + "']/@Target").c_str()).attribute().value();
  EXPECT_NE(target, "") << "no part for sheet " << sheet_name;
  // The target may be absolute within the package.
  const std::string part = target.starts_with("/") ? target.substr(1) : "xl/" + target;
  sheet.load_string(PackagePart(workbook, part).c_str());
  std::string tsv;
  for (const auto& row : sheet.select_nodes("//*[local-name()='row']")) {
    for (const pugi::xml_node cell : row.node().children()) {
      const auto value = cell.select_node(".//*[local-name()='v' or local-name()='t']");
      tsv += value ? value.node().text().get() : "";
      tsv += cell.next_sibling() ? "\t" : "\n";
    }
  }
  return ParseTsv(tsv);
}

// ---- the program's view

// The shape of that name in `inspect --json` output (names are unique in the example).
nlohmann::json FindShape(const std::string& json, const std::string& name) {
  auto shapes = ShapesByName(json);
  EXPECT_TRUE(shapes.count(name)) << "no shape \"" << name << "\" in " << json.substr(0, 200);
  return shapes[name];
}

std::string TextOf(const std::string& json, const std::string& name) {
  const nlohmann::json text = FindShape(json, name)["text"];
  return text.is_string() ? text.get<std::string>() : "";
}

// A displayed number back as a number: thousands separators dropped, a percent divided by 100.
std::optional<double> DisplayedNumber(std::string text) {
  std::erase(text, ',');
  const bool percent = !text.empty() && text.back() == '%';
  if (percent) text.pop_back();
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0') return std::nullopt;
  return percent ? value / 100 : value;
}

// Whether "H:MM" (or "H:MM AM/PM") is the local time at one of the given moments.
bool IsLocalTimeOf(const std::string& shown, const std::vector<std::time_t>& moments) {
  std::smatch parts;
  // Hours and minutes, seconds when the clock shows them, and AM or PM in a 12-hour form.
  if (!std::regex_match(shown, parts,
                        std::regex("([0-9]{1,2}):([0-9]{2})(?::[0-9]{2})?(?: ?([AP]M))?"))) {
    return false;
  }
  int hour = std::stoi(parts[1]);
  if (parts[3].matched) hour = hour % 12 + (parts[3] == "PM" ? 12 : 0);
  for (std::time_t moment : moments) {
    std::tm local{};
    localtime_r(&moment, &local);
    if (local.tm_hour == hour && local.tm_min == std::stoi(parts[2])) return true;
  }
  return false;
}

// Every kind of link shows what the example's data files hold now.
void ExpectFilled(const ExampleCopy& example, const std::string& json,
                  const std::vector<std::time_t>& moments) {
  const Table sales = ReadTsv(example.Example("data/sales.tsv"));
  const ProgramResult query = RunProgram(
      ToolPath("sqlite3"), {"-header", "-separator", "\t", example.Example("data/board.db"),
                            "SELECT total FROM totals"});
  EXPECT_EQ(query.exit_code, 0) << query.err;
  const Table totals = ParseTsv(query.out);
  const Table targets = SheetTable(example.Example("data/targets.xlsx"), "Targets");
  EXPECT_EQ(TextOf(json, "North sales"), sales.at(0).at("Sales"));
  EXPECT_EQ(TextOf(json, "Region name"), sales.at(0).at("Region"));

  // The workbook's own formats decide the digits shown: two decimals, one decimal of a percent.
  const struct {
    const char* shape;
    const std::string& stored;
    double tolerance;
  } numbers[] = {{"East total", totals.at(0).at("total"), 1e-9},
                 {"Q1 target", targets.at(0).at("Target"), 0.005},
                 {"Q1 share", targets.at(0).at("Share"), 0.0005}};
  for (const auto& n : numbers) {
    const std::string shown = TextOf(json, n.shape);
    const std::optional<double> value = DisplayedNumber(shown);
    ASSERT_TRUE(value.has_value()) << n.shape << " shows \"" << shown << "\"";
    EXPECT_NEAR(*value, std::stod(n.stored), n.tolerance)
        << n.shape << " shows \"" << shown << "\"";
  }

  const std::string clock = TextOf(json, "Clock");
  EXPECT_TRUE(IsLocalTimeOf(clock, moments)) << "clock shows \"" << clock << "\"";
  // The example's README names the clock's format as the deck stores it.
  const std::string format = FindShape(json, "Clock")["vintrel"].value("dateFormat", "");
  ASSERT_NE(format, "");
  EXPECT_THAT(ReadFile(VINTREL_SOURCE_DIR "/examples/README.md"),
              HasSubstr("| Clock (1) | clock, " + format))
      << "examples/README.md does not call the clock " << format;

  const nlohmann::json picture = FindShape(json, "Region picture");
  EXPECT_EQ(picture.value("visible", false), true);
  EXPECT_TRUE(fs::equivalent(picture.value("link", ""),
                             example.Example("data/pictures/" + sales.at(0).at("Picture"))))
      << picture;
  EXPECT_EQ(FindShape(json, "Totals chart").value("visible", false), true);
}

std::string Inspect(const ExampleCopy& example, std::vector<std::time_t>& moments) {
  moments = {std::time(nullptr)};
  const ProgramResult result = example.Vintrel({"inspect", "--json", example.Example(kDeck)});
  moments.push_back(std::time(nullptr));
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.err, "");
  return result.out;
}

// ---- the saved package

// The texts of the shape of that name in a slide part, joined.
std::string SavedText(const std::string& slide, const std::string& name) {
  pugi::xml_document xml;
  // A blanked text is one space, kept as the run's only content.
  xml.load_string(slide.c_str(), pugi::parse_default | pugi::parse_ws_pcdata_single);
  const auto shape = xml.select_node(("//p:sp[p:nvSpPr/p:cNvPr/@name='" + name + "']").c_str());
  EXPECT_TRUE(shape) << "no shape \"" << name << "\" in the saved slide";
  std::string text;
  for (const auto& run : shape.node().select_nodes(".//a:t")) text += run.node().text().get();
  return text;
}

bool SavedHidden(const std::string& slide, const std::string& name) {
  pugi::xml_document xml;
  xml.load_string(slide.c_str());
  return xml.select_node(("//p:cNvPr[@name='" + name + "' and @hidden='1']").c_str());
}

// The package stores no linked value: linked texts are one blank, the picture and the chart are
// hidden, and what is not linked is untouched.
void ExpectNothingLinkedStored(const std::string& package) {
  const std::string board = PackagePart(package, "ppt/slides/slide1.xml");
  for (const char* name : {"Clock", "North sales", "South sales", "East total", "North orders",
                           "Q1 target", "Q1 share"}) {
    EXPECT_EQ(SavedText(board, name), " ") << name << " in " << package;
  }
  EXPECT_EQ(SavedText(board, "North sales label"), "North: sales");

  const std::string picture = PackagePart(package, "ppt/slides/slide3.xml");
  EXPECT_TRUE(SavedHidden(picture, "Region picture")) << package;
  EXPECT_TRUE(SavedHidden(PackagePart(package, "ppt/slides/slide2.xml"), "Totals chart"))
      << package;
}

// As a user runs it: open (every kind of link filled, the file left alone), save (no linked value
// stored), change the data and open the saved file again.
TEST(ExampleTest, OpenSaveAndReopenAfterTheDataChanged) {
  // The program runs in UTC; the clock it shows is read back in the same zone.
  const ScopedEnv utc("TZ", "UTC");
  tzset();
  ExampleCopy example;
  const std::string before = ReadFile(example.Example(kDeck));
  std::vector<std::time_t> moments;
  const std::string json = Inspect(example, moments);
  ExpectFilled(example, json, moments);
  EXPECT_EQ(ReadFile(example.Example(kDeck)), before) << "inspect must not save";

  // The committed file was saved by the program, too.
  ExpectNothingLinkedStored(example.Example(kDeck));
  const ProgramResult saved = example.Vintrel({"save", example.Example(kDeck)});
  ASSERT_EQ(saved.exit_code, 0) << saved.err;
  ExpectNothingLinkedStored(example.Example(kDeck));

  // Row 1 moves to the west picture and gets new sales.
  std::string data = ReadFile(example.Example("data/sales.tsv"));
  const Table original = ReadTsv(example.Example("data/sales.tsv"));
  const std::string old_line = original.at(0).at("Region") + "\t" + original.at(0).at("Sales");
  ASSERT_THAT(data, HasSubstr(old_line));
  data.replace(data.find(old_line), old_line.size(), original.at(0).at("Region") + "\t4321.5");
  data.replace(data.find(original.at(0).at("Picture")), original.at(0).at("Picture").size(),
               "west.png");
  std::ofstream(example.Example("data/sales.tsv"), std::ios::binary | std::ios::trunc) << data;
  ExpectFilled(example, Inspect(example, moments), moments);
}

// The committed deck and pictures are what examples/build-example.sh makes now, part for part,
// so a change to the generator or the links cannot go out without a rebuilt example. The linked
// picture's target is stored relative to the deck, so the folder it was built in plays no part.
TEST(ExampleTest, CommittedExampleIsWhatTheBuildScriptMakes) {
  const fs::path build = fs::path(VINTREL_PROGRAM).parent_path().parent_path().parent_path();
  if (!fs::exists(build / "tools/make_example_deck/make_example_deck")) {
    GTEST_SKIP() << "make_example_deck is not built in " << build;
  }
  ExampleCopy example;
  const std::string committed = example.Example("committed.pptx");
  fs::copy_file(example.Example(kDeck), committed);
  const std::string pictures = example.Example("data/pictures");
  const auto read_pictures = [&] {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(pictures)) {
      files[entry.path().filename()] = ReadFile(entry.path());
    }
    return files;
  };
  const std::map<std::string, std::string> committed_pictures = read_pictures();
  fs::remove_all(pictures);
  fs::remove(example.Example(kDeck));

  const ProgramResult built =
      RunProgram(ToolPath("bash"), {example.Example("build-example.sh"), build.string()},
                 {{"VINTREL_SETTINGS", example.Example("absent.ini")}});
  ASSERT_EQ(built.exit_code, 0) << built.err;

  EXPECT_EQ(read_pictures(), committed_pictures);

  const std::vector<std::string> parts = PackagePartNames(committed);
  ASSERT_EQ(PackagePartNames(example.Example(kDeck)), parts);
  for (const std::string& part : parts) {
    // The chart's workbook is a package of its own, stamped with the time it was written.
    if (part.ends_with(".xlsx")) continue;
    EXPECT_EQ(PackagePart(example.Example(kDeck), part), PackagePart(committed, part)) << part;
  }
}

// The tool bar follows the selection `vintrel menus --select` makes (which kinds of shapes enable
// which commands is in tests/shell): a linked picture enables its own command alone.
TEST(ExampleTest, MenusFollowTheSelection) {
  const ExampleCopy copy;
  const ProgramResult result = copy.Vintrel({"menus", copy.Example(kDeck), "--select", "3:3"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  // The tool bar comes first, one control a line, until the menu bar.
  const std::string tool_bar = result.out.substr(0, result.out.find("Menu bar"));
  EXPECT_THAT(tool_bar, HasSubstr("    Linked object properties\n"));
  for (const std::string command :
       {"Clock shape properties", "Text shape properties", "Linked graph properties"}) {
    EXPECT_THAT(tool_bar, HasSubstr(command + "  (disabled)"));
  }
}

TEST(OfflineCommandTest, TheExampleBecomesAPlainPresentationWithItsValuesBurntIn) {
  const ExampleCopy example;
  const std::string deck = example.Example(kDeck);
  const std::string out = example.File("off-line.pptx");
  const std::string before = ReadFile(deck);
  const ProgramResult run = example.Vintrel({"offline", deck, "-o", out});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(ReadFile(deck), before) << "the source must keep every byte";

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
  const auto first = ReadTsv(example.Example("data/sales.tsv")).at(0);
  EXPECT_THAT(text, HasSubstr(first.at("Region")));
  EXPECT_THAT(text, HasSubstr(first.at("Sales")));
}

}  // namespace
}  // namespace vintrel::testing
