// Presentations as the add-in writes them on Windows, built here from the bundled example by
// rewriting its tags the way a Windows machine fills them. Each one opens, fills and shows on
// Linux when its data travels with it (the same values as the example), or fails with a message
// that says what to change. Tag names in other letter cases are read as upper case by the package
// host (tests/host/ooxml/tags_test.cpp), and formulas' cached values by the workbook reader
// (tests/host/workbook).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "connections/connection_paths.h"
#include "faults/fault_support.h"
#include "host/ooxml/zip_archive.h"
#include "testing/test_context.h"

namespace vintrel::testing {
namespace {

namespace fs = std::filesystem;

// One change to a part of the package: every `from` becomes `to` (XML text, so "&#09;" is a TAB).
struct Edit {
  std::string part;
  std::string from;
  std::string to;
};

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  size_t at = 0;
  while ((at = text.find(from, at)) != std::string::npos) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

// The example's connection tags as this system wrote them (tag1.xml holds the presentation's).
constexpr const char* kPresentationTags = "ppt/tags/tag1.xml";
constexpr const char* kPictureTags = "ppt/tags/tag10.xml";

// What the example shows on slide 1 and 3 when it is read on Linux as it was written.
struct Shown {
  std::map<std::string, std::string> texts;  // shape name -> last text
  std::string picture;                       // file name of the region picture
  std::string out;
};

const std::vector<std::string> kShapes = {"North sales",  "South sales", "East total",
                                          "North orders", "Q1 target",   "Q1 share"};

// The deck opened as an author opens it, then shown for two seconds.
Shown Show(const ExampleCopy& example, const std::string& deck,
           const std::map<std::string, std::string>& environment = {}) {
  Shown shown;
  const ProgramResult inspect = example.Vintrel({"inspect", deck, "--json"}, environment);
  EXPECT_EQ(inspect.exit_code, 0) << inspect.err;
  shown.out = inspect.err;
  auto shapes = ShapesByName(inspect.out);
  for (const std::string& name : kShapes) {
    if (shapes[name]["text"].is_string()) shown.texts[name] = shapes[name]["text"];
  }
  auto& picture = shapes["Region picture"];
  if (picture["link"].is_string() && picture.value("visible", false)) {
    shown.picture = fs::path(picture["link"].get<std::string>()).filename().string();
  }
  const ProgramResult show =
      example.Vintrel({"show", deck, "--for", "2s", "--json", "--advance", "manual"}, environment);
  EXPECT_EQ(show.exit_code, 0) << show.err;
  const auto events = ParseEvents(show.out);
  EXPECT_FALSE(EventsOf(events, "show-end").empty()) << show.out;
  EXPECT_TRUE(EventsOf(events, "connection-failed").empty()) << show.out;
  shown.out += show.out + show.err;
  return shown;
}

class WindowsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    original_ = Show(example_, example_.Example("sales-board.pptx"));
    ASSERT_EQ(original_.texts.size(), kShapes.size()) << original_.out;
    ASSERT_EQ(original_.picture, "north.png") << original_.out;
  }
  // The example with `edits` made, as `name`; each edit must change something.
  std::string Deck(const std::string& name, const std::vector<Edit>& edits) {
    auto package = ooxml::ZipArchive::Open(example_.Example("sales-board.pptx"));
    for (const Edit& edit : edits) {
      const std::string text = package->Read(edit.part);
      package->Write(edit.part, ReplaceAll(text, edit.from, edit.to));
      EXPECT_NE(package->Read(edit.part), text) << edit.part << ": no \"" << edit.from << "\"";
    }
    package->SaveAs(example_.Example(name));
    return example_.Example(name);
  }
  void ExpectSameAsTheExample(const std::string& deck,
                              const std::map<std::string, std::string>& environment = {}) {
    const std::string before = ReadFile(deck);
    const Shown shown = Show(example_, deck, environment);
    EXPECT_EQ(shown.texts, original_.texts) << shown.out;
    EXPECT_EQ(shown.picture, original_.picture) << shown.out;
    EXPECT_EQ(ReadFile(deck), before) << "the show wrote the file";
  }
  // Opening the deck as an author does fails with a message holding every one of `advice`.
  void ExpectClearFailure(const std::string& deck, const std::vector<std::string>& advice,
                          const std::map<std::string, std::string>& environment = {}) {
    const ProgramResult result = example_.Vintrel({"inspect", deck}, environment);
    const std::string said = result.out + result.err + example_.ErrorLog();
    for (const std::string& text : advice) EXPECT_THAT(said, HasSubstr(text));
  }
  std::string DatabaseDeck(const std::string& name, const std::string& connection) {
    return Deck(name,
                {{kPresentationTags, "Provider=SQLite;Data Source=data/board.db", connection}});
  }
  void MoveData(const std::string& to) {
    fs::create_directories(fs::path(to).parent_path());
    fs::rename(example_.Example("data"), to);
  }

  ExampleCopy example_;
  Shown original_;
};

std::vector<Edit> PathEdits(const std::string& data_folder) {
  return {
      {kPresentationTags, "&#09;data/sales.tsv&#09;", "&#09;" + data_folder + "\\sales.tsv&#09;"},
      {kPresentationTags, "Data Source=data/board.db", "Data Source=" + data_folder + "\\board.db"},
      {kPresentationTags, "&#09;data/targets.xlsx&#09;",
       "&#09;" + data_folder + "\\targets.xlsx&#09;"},
      {kPictureTags, "val=\"data/pictures\"", "val=\"" + data_folder + "\\pictures\""},
  };
}

TEST_F(WindowsFiles, FolderPlaceholderInAnyCase) {
  const std::string deck = Deck("placeholder.pptx", PathEdits("[VintrelFolder]\\data"));
  MoveData(example_.File("addin/data"));
  ExpectSameAsTheExample(deck);
}

// How the map finds UNC roots and roots of another letter case is in the PathMap table below;
// here, that a show reads through it at all.
TEST_F(WindowsFiles, DriveLetterPathsMappedByThePathMap) {
  const std::string deck = Deck("drive.pptx", PathEdits("C:\\Shows\\Board\\data"));
  // The tags differ in letter case from the map, as Windows allows.
  MoveData(example_.File("srv/shows/board/data"));
  example_.Settings("[PathMap]\nc:\\shows\\BOARD=" + example_.File("srv/shows/board") +
                    "\nC:\\=" + example_.File("nowhere") + "\n");
  ExpectSameAsTheExample(deck);
}

TEST_F(WindowsFiles, DrivesSharesAndWindowsProvidersSayWhatToChange) {
  ExpectClearFailure(Deck("drive.pptx", PathEdits("C:\\Shows\\data")),
                     {"Path not found: 'C:/Shows/data/sales.tsv'", "[PathMap]",
                      "\"C:\\=/srv/shows\"", example_.File("settings.ini")});
  ExpectClearFailure(
      Deck("unc.pptx", PathEdits("\\\\fileserver\\Boards\\data")),
      {"//fileserver/Boards/data/sales.tsv", "[PathMap]", "\"\\\\fileserver\\Boards=/srv/shows\""});
  ExpectClearFailure(
      DatabaseDeck("sqlserver.pptx",
                   "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
                   "Initial Catalog=Sales;Data Source=SRV01\\SQLEXPRESS"),
      {"SQLOLEDB.1", "ODBC Driver 18 for SQL Server", "DSN="});
  // What other providers are told (Jet without MDB Tools) is in tests/host/data.
  ExpectClearFailure(DatabaseDeck("nodsn.pptx", "DSN=Board"), {"DSN=Board", "/etc/odbc.ini"},
                     {{"ODBCINI", example_.File("none.ini")}});
}

TEST_F(WindowsFiles, RegionalNumbersAndDayFirstDates) {
  // A German machine: the refresh rate with a decimal comma (read as tests/connections shows),
  // the distribution window day first with dots, a British one with slashes.
  std::vector<Edit> edits = {
      {kPresentationTags, "&#09;*&#09;0&#09;\"/><p:tag name=\"QUENDRA CONNECTION03",
       "&#09;*&#09;1500,5&#09;\"/><p:tag name=\"QUENDRA CONNECTION03"},
      {kPresentationTags, "<p:tag name=\"QUENDRA DISPLAYTYPE\" val=\"0\"/>",
       "<p:tag name=\"QUENDRA DISPLAYTYPE\" val=\"0\"/>"
       "<p:tag name=\"QUENDRA DISTRIBUTION START\" val=\"31.12.2026 16:00:00\"/>"
       "<p:tag name=\"QUENDRA DISTRIBUTION STOP\" val=\"31/12/2026 18:30\"/>"
       "<p:tag name=\"QUENDRA DISTRIBUTION COMPUTER\" val=\"LOBBY-PC&#09;\"/>"},
  };
  const std::string deck = Deck("regional.pptx", edits);
  ExpectSameAsTheExample(deck);
  const ProgramResult window = example_.Vintrel({"distribution", deck});
  EXPECT_EQ(window.exit_code, 0) << window.err;
  EXPECT_EQ(window.out,
            "start\t2026-12-31T16:00:00\nstop\t2026-12-31T18:30:00\ncomputer\tLOBBY-PC\n");
}

TEST_F(WindowsFiles, OdbcDsnOfThisComputer) {
  // The same DSN name defined here, for the SQLite ODBC driver (libsqliteodbc).
  if (RunProgram("/usr/bin/odbcinst", {"-q", "-d", "-n", "SQLite3"}).exit_code != 0) {
    GTEST_SKIP() << "the SQLite3 ODBC driver is not installed (libsqliteodbc)";
  }
  std::ofstream(example_.File("odbc.ini"))
      << "[SalesBoard]\nDriver=SQLite3\nDatabase=" << example_.Example("data/board.db") << "\n";
  const std::string deck = DatabaseDeck("dsn.pptx", "DSN=SalesBoard");
  // The SQLite ODBC driver leaks a little when it reads a DSN (its own allocations, in a module
  // unloaded before a sanitizer build's leak report): leak detection is off for these runs.
  ExpectSameAsTheExample(deck, {{"ODBCINI", example_.File("odbc.ini")},
                                {"ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1"}});
}

// The map itself, as a table: longest root wins, whole parts only, letter case ignored.
TEST(PathMap, LongestRootHoldingThePathWins) {
  const std::vector<std::pair<std::string, std::string>> roots = {
      {"C:\\", "/mnt/c"},
      {"C:\\Shows", "/srv/shows"},
      {"c:\\shows\\archive\\", "/srv/archive/"},
      {"\\\\server\\share", "/mnt/share"},
      {"D:", "/"},
      {"/home", "/ignored"},  // not a Windows root
  };
  struct Case {
    const char* path;
    const char* mapped;
  };
  for (const Case& c : std::vector<Case>{
           {"C:\\SHOWS\\data\\sales.txt", "/srv/shows/data/sales.txt"},
           {"C:/Shows", "/srv/shows"},
           {"C:/ShowsOld/x.txt", "/mnt/c/ShowsOld/x.txt"},
           {"C:/Shows/Archive/2025/x.txt", "/srv/archive/2025/x.txt"},
           {"//SERVER/Share/data/x.txt", "/mnt/share/data/x.txt"},
           {"\\\\server\\share2\\x.txt", "\\\\server\\share2\\x.txt"},
           {"D:/x.txt", "/x.txt"},
           {"E:/x.txt", "E:/x.txt"},
           {"/home/ann/x.txt", "/home/ann/x.txt"},
           {"data/x.txt", "data/x.txt"},
       }) {
    EXPECT_EQ(MapWindowsPath(c.path, roots), c.mapped) << c.path;
  }
}

TEST(PathMap, ConnectionStringsKeepEverythingButTheMappedFile) {
  // Without settings nothing is mapped; the data-access layer gets the string as written.
  TestContext twins;
  const Context& ctx = twins.ctx;
  EXPECT_EQ(MapConnectionStringPaths(ctx, "Provider=SQLite;Data Source=C:\\Shows\\board.db"),
            "Provider=SQLite;Data Source=C:\\Shows\\board.db");
  EXPECT_NE(WindowsPathAdvice(ctx, "Provider=SQLite;Data Source=C:\\Shows\\board.db"), "");
  EXPECT_EQ(WindowsPathAdvice(ctx, "Driver={PostgreSQL Unicode};Database=sales"), "");
  EXPECT_EQ(WindowsPathAdvice(ctx, "data/x.txt"), "");
}

}  // namespace
}  // namespace vintrel::testing
