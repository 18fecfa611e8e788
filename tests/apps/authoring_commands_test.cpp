// The authoring commands on real presentation files: what they write is read back from the saved
// package by a later run of the program. And vintrel form: a dialog as JSON, recorded actions
// replayed into it, and a person filling it in at a terminal (a pseudo-terminal here) or through
// a pipe.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "faults/fault_support.h"

namespace vintrel::testing {
namespace {

class AuthoringCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_.Write("data/sales.txt", "Name\tSales\r\nNorth\t10\r\nSouth\t20\r\n");
  }

  std::string Json() { return home_.Ok({"inspect", "--json", deck_}); }
  // A database beside the presentation with the table "orders"; the connection dialog opens it.
  std::string OrdersDatabase() {
    const std::string database = home_.File("shows/orders.db");
    EXPECT_EQ(RunProgram(ToolPath("sqlite3"), {database,
                                               "CREATE TABLE orders(Region TEXT, Sales REAL); "
                                               "INSERT INTO orders VALUES('North', 10);"})
                  .exit_code,
              0);
    return database;
  }

  ProgramHome home_;
  std::string deck_ =
      home_.Write("shows/deck.pptx", ReadFile(FixturePath("pptx/poi-pie-chart.pptx")));
};

TEST_F(AuthoringCommandsTest, ConnectionsLinksAndScrollingRoundTrip) {
  // A Windows path relative to the presentation, as a deck made on Windows holds it.
  EXPECT_EQ(home_.Ok({"connections", "add", deck_, "--text", "..\\data\\sales.txt",
                      "--first-row-names", "--name", "Sales"}),
            "01\n");
  OrdersDatabase();
  EXPECT_EQ(home_.Ok({"connections", "add", deck_, "--database",
                      "Provider=SQLite;Data Source=orders.db", "--sql", "orders"}),
            "02\n");
  // The column is checked against the data, found through the relative path, and stored as
  // the data spells it. (Values never reach the saved file: linked texts are blanked first.)
  const ProgramResult linked = home_.Run(
      {"link", deck_, "--slide", "1", "--shape", "Title 3", "--text", "01", "sales", "2"});
  EXPECT_EQ(linked.exit_code, 0);
  EXPECT_THAT(linked.err, Not(HasSubstr("not checked")));
  home_.Ok({"link", deck_, "--slide", "1", "--shape", "2", "--chart", "02"});
  home_.Ok({"slide", deck_, "--slide", "1", "--scroll", "1", "--time", "2000", "--enabled", "on"});

  EXPECT_EQ(home_.Ok({"connections", deck_}),
            "01\ttext\tSales\t..\\data\\sales.txt, first row names\n"
            "02\tdatabase\tNew data connection\tProvider=SQLite;Data Source=orders.db | orders | "
            "every 0 ms\n");
  const std::string json = Json();
  for (const char* expected :
       {R"({"name":"QUENDRA COLUMN COLUMNNAME","value":"Sales"})",
        R"({"name":"QUENDRA COLUMN TYPE","value":"4"},{"name":"QUENDRA COLUMN TAG","value":"02"})",
        R"({"name":"QUENDRA SCROLLSTEP1","value":"True\t2\t2000"})"}) {
    EXPECT_THAT(json, HasSubstr(expected));
  }

  // Deleting a connection unlinks its shapes; the other link stays.
  home_.Ok({"connections", "delete", deck_, "01"});
  const std::string after = Json();
  EXPECT_THAT(after, Not(HasSubstr("QUENDRA CONNECTION01")));
  EXPECT_THAT(after, Not(HasSubstr(R"({"name":"QUENDRA COLUMN COLUMNNAME")")));
  EXPECT_THAT(after, HasSubstr(R"({"name":"QUENDRA COLUMN TAG","value":"02"})"));
  EXPECT_EQ(home_.Ok({"connections", "add", deck_, "--text", "x.txt"}), "03\n");
}

TEST_F(AuthoringCommandsTest, LinkedPictureIsRelinkedRelativelyToTheFileItsDataNames) {
  const std::string deck = home_.Write(
      "shows/pictures.pptx", ReadFile(FixturePath("pptx/poi-56812-linked-pictures.pptx")));
  home_.Write("shows/pics/north.jpg", "not really a picture");
  home_.Write("shows/files.txt", "File\r\nnorth\r\n");
  home_.Ok({"connections", "add", deck, "--text", "files.txt", "--first-row-names"});
  home_.Ok({"link", deck, "--slide", "1", "--shape", "2", "--object", "01", "File", "1", "--folder",
            "pics\\", "--extension", ".jpg"});
  // Found on opening again: folder and extension were stored (the page they are typed into
  // drops the folder's trailing backslash, tests/dialogs). That a file beside the presentation is
  // linked relatively, so that the folder can move, is in host/ooxml's link tests.
  EXPECT_THAT(home_.Ok({"inspect", "--json", deck}),
              HasSubstr("\"link\":\"" + home_.File("shows/pics/north.jpg") + "\""));
}

TEST_F(AuthoringCommandsTest, UnreadableDataOnlyWarnsAndTheLinkIsWritten) {
  // A database that is gone once the connection is made; a missing text file would be retried
  // for seconds.
  const std::string database = OrdersDatabase();
  home_.Ok({"connections", "add", deck_, "--database", "Provider=SQLite;Data Source=orders.db",
            "--sql", "orders"});
  std::filesystem::remove(database);
  const ProgramResult result =
      home_.Run({"link", deck_, "--slide", "1", "--shape", "Title 3", "--text", "01", "Any", "1"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_THAT(result.err, HasSubstr("warning"));
  EXPECT_THAT(Json(), HasSubstr(R"({"name":"QUENDRA COLUMN COLUMNNAME","value":"Any"})"));
}

TEST_F(AuthoringCommandsTest, LinksFromAFileAreAllCheckedBeforeAnyIsWritten) {
  home_.Ok({"connections", "add", deck_, "--text", "..\\data\\sales.txt", "--first-row-names"});
  const std::string header = "slide\tshape\tkind\tconnection\tcolumn\trow\tformat\n";
  const std::string good = "1\tTitle 3\ttext\t01\tsales\t2\t\n";
  const struct {
    const char* name;
    std::string links;
    const char* error;  // part of stderr
  } bad[] = {
      {"unknown column", "slide\tshape\tkind\tcolour\n1\tTitle 3\tclear\tred\n",
       "unknown column \"colour\""},
      {"no kind column", "slide\tshape\n1\tTitle 3\n", "\"kind\""},
      {"unknown slide", header + good + "9\tTitle 3\tclear\n",
       "line 3: no slide 9 (the presentation has 1)"},
      {"unknown shape", header + good + "1\tNobody\tclear\n", "line 3: no shape \"Nobody\""},
      {"unknown data column", header + "1\tTitle 3\ttext\t01\tNope\t1\n",
       "line 2: connection 01 has no column \"Nope\""},
      {"unknown connection", header + "1\tTitle 3\ttext\t07\tSales\t1\n", "no connection 07"},
      {"unknown kind", header + "1\tTitle 3\tpicture\n", "kind \"picture\""},
      {"field the kind does not take", header + "1\tTitle 3\tclock\t01\t\t\tLong Time\n",
       "takes no connection"},
      {"row not a number", header + "1\tTitle 3\ttext\t01\tSales\tsecond\n", "the row must"},
      {"text on a chart", header + "1\tChart 1\ttext\t01\tSales\t1\n", "holds no text"},
  };
  const std::string before = ReadFile(deck_);
  for (const auto& c : bad) {
    const std::string links = home_.Write("links.tsv", c.links);
    const ProgramResult result = home_.Run({"link", deck_, "--from", links});
    EXPECT_EQ(result.exit_code, 2) << c.name;
    EXPECT_THAT(result.err, HasSubstr(c.error)) << c.name;
    EXPECT_EQ(ReadFile(deck_), before) << c.name;
  }

  const std::string links =
      home_.Write("links.tsv", header + good + "\r\n1\tTitle 3\tclock\t\t\t\tLong Time\n" + good);
  home_.Ok({"link", deck_, "--from", links});
  const std::string json = Json();
  EXPECT_THAT(json, HasSubstr(R"({"name":"QUENDRA COLUMN COLUMNNAME","value":"Sales"})"));
  EXPECT_THAT(json, HasSubstr(R"({"name":"QUENDRA COLUMN ROW","value":"2"})"));
  EXPECT_EQ(home_.Run({"link", deck_, "--from", links, "--clear"}).exit_code, 2);
}

using FormCommandTest = AuthoringCommandsTest;

// Forms listed and shown, and what the authoring commands and the forms refuse: exit code 2 and
// the reason; the file is left as it was either way.
TEST_F(AuthoringCommandsTest, BadInputLeavesTheFileAsItWas) {
  home_.Ok({"connections", "add", deck_, "--text", "..\\data\\sales.txt", "--first-row-names"});
  const std::string workbook = FixturePath("xls/chart-and-two-sheets.xls");
  const struct {
    std::vector<std::string> arguments;
    int exit_code;
    std::string says;  // part of stdout, or of stderr for a refusal
  } cases[] = {
      {{"connections", "delete", deck_, "07"}, 2, "no connection 07"},
      {{"connections", "edit", deck_, "01", "--sheet", "S"}, 2, "does not fit"},
      // What a connection dialog refuses (which definitions it refuses is in tests/dialogs).
      {{"connections", "add", deck_, "--excel", workbook, "--sheet", "Second", "--range", "A1"},
       2,
       "Invalid range"},
      // Unknown slides, shapes, columns and kinds of a link: in the --from table.
      {{"link", deck_, "--slide", "1", "--shape", "Title 3", "--text", "1", "Sales", "1"},
       2,
       "no connection 1"},
      {{"link", deck_, "--slide", "1", "--shape", "Title 3", "--text", "01", "Sales", "0"},
       2,
       "row"},
      {{"link", deck_, "--slide", "1", "--shape", "Title 3", "--clock", "Teatime"}, 2, "Teatime"},
      {{"link", deck_, "--slide", "9", "--shape", "Title 3", "--clear"},
       2,
       "no slide 9 (the presentation has 1)"},
      // No shape uses the connection.
      {{"slide", deck_, "--slide", "1", "--scroll", "01", "--time", "100"},
       2,
       "no shape of slide 1"},
      {{"slide", deck_, "--slide", "1", "--hide-when-no-data", "maybe"}, 2, "on or off"},
      {{"form"}, 0, "frmDistribution\t"},
      {{"form", "--help"}, 0, "frmAbout\t"},
      {{"form", "frmNope"}, 2, "There is no form named frmNope"},
      {{"form", "frmDistribution"}, 2, "presentation"},
      {{"form", "frmAbout"}, 0, "<Close>  (Enter)"},
      {{"form", "frmConnectionString"}, 0, "list: [SQLite database file]"},
      {{"form", "frmSlidePropertyPage", deck_, "--slide=-2", "--save"},
       2,
       "no slide -2 (the presentation has 1)"},
      {{"form", "frmTextFieldPropertyPage", deck_, "--select", "1:Nobody", "--save"},
       2,
       "no shape \"Nobody\" on slide 1"},
  };
  const std::string before = ReadFile(deck_);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    const ProgramResult result = home_.Run(c.arguments);
    EXPECT_EQ(result.exit_code, c.exit_code) << result.err;
    EXPECT_THAT(c.exit_code == 0 ? result.out : result.err, HasSubstr(c.says));
  }
  EXPECT_EQ(ReadFile(deck_), before);
}

// Each replay with --save: a picker takes the answer on the line after the action that opened
// it, and a replay that was refused or made the form show an error writes nothing.
TEST_F(FormCommandTest, ReplaysAnswerPickersAndSaveOnlyWhatTheyDid) {
  // One action a line.
  auto lines = [](std::initializer_list<std::string> actions) {
    std::string out;
    for (const std::string& action : actions) out += action + "\n";
    return out;
  };
  const std::string window = lines({R"({"control":"txtStartDate","set":"2027-01-05"})",
                                    R"({"control":"txtStartTime","set":"10:00"})",
                                    R"({"control":"txtStopDate","set":"2027-01-05"})",
                                    R"({"control":"txtStopTime","set":"12:30"})"});
  const std::string add = R"({"control":"cmdNew","click":true})";
  const std::string ok = R"({"control":"cmdClose","click":true})";
  const std::string board = std::string(VINTREL_SOURCE_DIR) + "/examples/data/board.db";
  const struct {
    const char* name;
    const char* form;
    std::string events;
    int exit_code;
    std::string shown;   // part of stdout (the form's JSON)
    const char* stored;  // the distribution list afterwards
  } cases[] = {
      {"a computer picked", "frmDistribution",
       window + lines({add, R"({"picker":"computer","answer":"lobby-1"})", ok}), 0, R"("lobby-1")",
       "start\t2027-01-05T10:00:00\nstop\t2027-01-05T12:30:00\ncomputer\tlobby-1\n"},
      {"a picker left unanswered", "frmDistribution", window + lines({add, ok}), 2,
       R"(the computer picker (\"Select a computer)", ""},
      {"an answer of another picker", "frmDistribution",
       window + lines({add, R"({"picker":"file","answer":"x"})", ok}), 2,
       "no picker is open to take this answer", ""},
      {"a refused action, and OK with a start that is no date", "frmDistribution",
       lines({R"({"control":"cmdDelete","click":true})",
              R"({"control":"txtStartDate","set":"soon"})", ok}),
       2, "No valid start date specified. Please specify date and time.", ""},
      {"a file picked", "frmTextFileConnection",
       lines({R"({"control":"cmdBrowseFileSystem","click":true})",
              R"({"picker":"file","answer":"data/sales.tsv"})"}),
       0, R"("text": "data/sales.tsv")", ""},
      {"a misspelt statement runs as a statement", "frmDatabaseConnection",
       lines({R"({"control":"txtConnectionString","set":"Provider=SQLite;Data Source=)" + board +
                  R"("})",
              R"({"control":"optSQLStatement","click":true})",
              R"({"control":"txtSQLStatement","set":"SELEKT * FROM totals"})",
              R"({"control":"cmdTest","click":true})"}),
       2,
       R"(SQL statement is invalid.\r\nCannot run 'SELEKT * FROM totals': near \"SELEKT\": syntax error)",
       ""},
      {"a connection string built in the picker that Edit... opens", "frmDatabaseConnection",
       lines(
           {R"({"control":"cmdEditConnectionString","click":true})",
            R"({"form":"frmConnectionString","control":"lstSource","set":"SQLite database file"})",
            R"({"form":"frmConnectionString","control":"cmdBrowse","click":true})",
            R"({"picker":"file","answer":")" + board + R"("})",
            R"({"form":"frmConnectionString","control":"cmdTest","click":true})",
            R"({"form":"frmConnectionString","control":"cmdOK","click":true})",
            R"({"control":"cmbDataObject","set":"totals"})"}),
       0, R"("text": "Provider=SQLite;\r\nData Source=)" + board + "\"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string deck = home_.Write("replayed.pptx", ReadFile(deck_));
    const std::string events = home_.Write("events.jsonl", c.events);
    const ProgramResult result =
        home_.Run({"form", c.form, deck, "--json", "--events", events, "--save"});
    EXPECT_EQ(result.exit_code, c.exit_code) << result.err;
    EXPECT_THAT(result.out, HasSubstr(c.shown));
    EXPECT_EQ(home_.Run({"distribution", deck}).out, c.stored);
  }
}

TEST_F(FormCommandTest, APageOfTheSelectedShapePreviewsTheRowTyped) {
  const std::string deck = std::string(VINTREL_SOURCE_DIR) + "/examples/sales-board.pptx";
  const std::string before = ReadFile(deck);
  const std::string events = home_.Write("row.jsonl", R"({"control":"txtRowIndex","set":"2"})");
  const ProgramResult result = home_.Run({"form", "frmTextFieldPropertyPage", deck, "--select",
                                          "1:North sales", "--json", "--events", events});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  const nlohmann::json out = nlohmann::json::parse(result.out);
  std::map<std::string, std::string> texts;
  for (const auto& control : out["form"]["controls"]) {
    texts[control["name"].get<std::string>()] = control.value("text", "");
  }
  EXPECT_EQ(texts["cmbActiveConnection"], "Sales");
  EXPECT_EQ(texts["txtPreview"], "980");
  EXPECT_EQ(ReadFile(deck), before) << "nothing is saved without --save";
}

// A person typing through a pipe adds a computer, sets the window and presses Enter for OK; the
// form writes the list and --save keeps it. (The same forms at a terminal: the next test.)
TEST_F(FormCommandTest, APersonFillsTheFormThroughAPipe) {
  // Add (6) asks for the computer; the empty line is Enter: OK.
  const ProgramResult result =
      home_.Run({"form", "frmDistribution", deck_, "--interactive", "--save"},
                "6\nwall-1\n1 2027-01-05\n2 10:00\n3 2027-01-05\n4 12:30\n\n");
  EXPECT_EQ(result.exit_code, 0) << result.out << result.err;
  const std::string shown = result.out + result.err;
  EXPECT_THAT(shown, HasSubstr("== Set distribution list =="));
  EXPECT_THAT(shown, HasSubstr("list: [wall-1]"));
  EXPECT_EQ(home_.Run({"distribution", deck_}).out,
            "start\t2027-01-05T10:00:00\nstop\t2027-01-05T12:30:00\ncomputer\twall-1\n");
}

TEST_F(FormCommandTest, AnAuthorAddsATextConnectionAndLinksAShapeAtATerminal) {
  home_.Write("shows/sales.tsv", "Region\tSales\nNorth\t12\nSouth\t7\n");
  const struct {
    std::vector<std::string> arguments;
    std::vector<std::string> typed;
  } steps[] = {
      // Add, the file, tick "first row names", OK in the dialog, OK in the manager.
      {{"connections", "add", deck_, "--interactive"}, {"3", "2 sales.tsv", "4", "", ""}},
      // The connection (entry 1), the column, the row, OK.
      {{"link", deck_, "--slide", "1", "--shape", "Title 3", "--interactive"},
       {"1", "1", "2 Sales", "3 2", ""}},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.arguments[0]);
    const ProgramResult result =
        RunInTerminal(VINTREL_PROGRAM, step.arguments, home_.Environment(), step.typed);
    EXPECT_EQ(result.exit_code, 0) << result.out;
    EXPECT_THAT(result.out, HasSubstr("saved"));
  }
  const ProgramResult inspected = home_.Run({"inspect", deck_});
  EXPECT_THAT(inspected.out, HasSubstr("\"7\" <= text field 01 Sales row 2"));
}

}  // namespace
}  // namespace vintrel::testing
