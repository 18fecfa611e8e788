// vintrel form: a dialog as JSON, recorded actions replayed into it, and a person filling it in
// at a terminal (a pseudo-terminal here) or through a pipe.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "faults/fault_support.h"

namespace vintrel::testing {
namespace {

class FormCommandTest : public ::testing::Test {
 protected:
  ProgramResult Run(const std::vector<std::string>& arguments, const std::string& input = "") {
    return home_.Run(arguments, input);
  }

  ProgramHome home_;
  std::string deck_ = home_.Write("deck.pptx", ReadFile(FixturePath("pptx/poi-pie-chart.pptx")));
};

TEST_F(FormCommandTest, ListsShowsAndRefusesForms) {
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    int exit_code;
    const char* says;  // part of stdout, or of stderr for a refusal
  } cases[] = {
      {"the list", {"form"}, 0, "frmDistribution\t"},
      {"the list in --help", {"form", "--help"}, 0, "frmAbout\t"},
      {"an unknown form", {"form", "frmNope"}, 2, "There is no form named frmNope"},
      {"a form that needs a presentation", {"form", "frmDistribution"}, 2, "presentation"},
      {"drawn as text", {"form", "frmAbout"}, 0, "<Close>  (Enter)"},
      {"the connection string picker",
       {"form", "frmConnectionString"},
       0,
       "list: [SQLite database file]"},
      {"a slide the deck lacks",
       {"form", "frmSlidePropertyPage", deck_, "--slide", "99", "--save"},
       2,
       "no slide 99 (the presentation has 1)"},
      {"a slide below 1",
       {"form", "frmSlidePropertyPage", deck_, "--slide=-2", "--save"},
       2,
       "no slide -2 (the presentation has 1)"},
      {"a shape the slide lacks",
       {"form", "frmTextFieldPropertyPage", deck_, "--select", "1:Nobody", "--save"},
       2,
       "no shape \"Nobody\" on slide 1"},
  };
  const std::string before = ReadFile(deck_);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ProgramResult result = Run(c.arguments);
    EXPECT_EQ(result.exit_code, c.exit_code) << result.err;
    EXPECT_THAT(c.exit_code == 0 ? result.out : result.err, HasSubstr(c.says));
    EXPECT_EQ(ReadFile(deck_), before);
  }
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
      {"a date without a time", "frmDistribution",
       window + lines({R"({"control":"txtStartTime","set":""})", ok}), 2,
       "No valid start date specified", ""},
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
        Run({"form", c.form, deck, "--json", "--events", events, "--save"});
    EXPECT_EQ(result.exit_code, c.exit_code) << result.err;
    EXPECT_THAT(result.out, HasSubstr(c.shown));
    EXPECT_EQ(Run({"distribution", deck}).out, c.stored);
  }
}

TEST_F(FormCommandTest, ReplayedActionsShowTheFormsRulesAndMessages) {
  const std::string events = home_.Write("events.jsonl",
                                         R"({"control":"cmdDelete","click":true}
{"control":"txtStartDate","set":"soon"}
{"control":"cmdClose","click":true}
)");
  const ProgramResult result =
      Run({"form", "frmDistribution", deck_, "--json", "--events", events});
  EXPECT_EQ(result.exit_code, 2) << "an action was refused";
  const nlohmann::json out = nlohmann::json::parse(result.out);
  EXPECT_EQ(out["refused"].size(), 1u);
  EXPECT_EQ(out["refused"][0]["line"], 1);
  EXPECT_THAT(out["refused"][0]["error"].get<std::string>(), HasSubstr("is disabled"));
  EXPECT_EQ(out["messages"], nlohmann::json::array(
                                 {"No valid start date specified. Please specify date and time."}));
  EXPECT_EQ(out["form"]["visible"], true) << "OK refused: the form stays open";
  EXPECT_EQ(out["form"]["focus"], "cmdClose");
  EXPECT_EQ(Run({"distribution", deck_}).out, "") << "nothing was saved";
}

// A shape page works on the selection the command makes, and previews the row typed.
TEST_F(FormCommandTest, APageOfTheSelectedShapePreviewsTheRowTyped) {
  const std::string deck = std::string(VINTREL_SOURCE_DIR) + "/examples/sales-board.pptx";
  const std::string before = ReadFile(deck);
  const std::string events = home_.Write("row.jsonl", R"({"control":"txtRowIndex","set":"2"})");
  const ProgramResult result = Run({"form", "frmTextFieldPropertyPage", deck, "--select",
                                    "1:North sales", "--json", "--events", events});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  std::map<std::string, nlohmann::json> controls;
  const nlohmann::json out = nlohmann::json::parse(result.out);
  for (const auto& control : out["form"]["controls"]) {
    controls[control["name"].get<std::string>()] = control;
  }
  EXPECT_EQ(controls["cmbActiveConnection"]["text"], "Sales");
  EXPECT_EQ(controls["txtPreview"]["text"], "980");
  EXPECT_EQ(ReadFile(deck), before) << "nothing is saved without --save";
}

// The same person at a terminal and through a pipe: adds a computer, sets the window, presses
// Enter for OK; the form writes the list and --save keeps it.
TEST_F(FormCommandTest, APersonFillsTheFormAtATerminalOrThroughAPipe) {
  // Add (6) asks for the computer; the empty line is Enter: OK.
  const std::vector<std::string> typed = {
      "6", "wall-1", "1 2027-01-05", "2 10:00", "3 2027-01-05", "4 12:30", ""};
  for (const bool terminal : {true, false}) {
    SCOPED_TRACE(terminal ? "terminal" : "pipe");
    const std::string deck = home_.Write("filled.pptx", ReadFile(deck_));
    const std::vector<std::string> arguments = {"form", "frmDistribution", deck, "--interactive",
                                                "--save"};
    std::string input;
    for (const std::string& line : typed) input += line + "\n";
    const ProgramResult result =
        terminal ? RunInTerminal(VINTREL_PROGRAM, arguments, home_.Environment(), typed)
                 : Run(arguments, input);
    EXPECT_EQ(result.exit_code, 0) << result.out << result.err;
    const std::string shown = result.out + result.err;
    EXPECT_THAT(shown, HasSubstr("== Set distribution list =="));
    EXPECT_THAT(shown, HasSubstr("list: [wall-1]"));
    const ProgramResult listed = Run({"distribution", deck});
    EXPECT_EQ(listed.out,
              "start\t2027-01-05T10:00:00\nstop\t2027-01-05T12:30:00\ncomputer\twall-1\n")
        << listed.err;
  }
}

// An author at a terminal adds a text connection in the connection manager and links a shape on
// its page, typing what a person types; the value shows on the slide.
TEST_F(FormCommandTest, AnAuthorAddsATextConnectionAndLinksAShapeAtATerminal) {
  home_.Write("sales.tsv", "Region\tSales\nNorth\t12\nSouth\t7\n");
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
  const ProgramResult inspected = Run({"inspect", deck_});
  EXPECT_THAT(inspected.out, HasSubstr("\"7\" <= text field 01 Sales row 2"));
}

}  // namespace
}  // namespace vintrel::testing
