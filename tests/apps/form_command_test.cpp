// vintrel form: a dialog as JSON, recorded actions replayed into it, and a person filling it in
// at a terminal (a pseudo-terminal here) or through a pipe.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "testing/run_program.h"
#include "testing/temp_dir.h"

namespace vintrel::testing {
namespace {

class FormCommandTest : public ::testing::Test {
 protected:
  FormCommandTest()
      : deck_(home_.Write("deck.pptx", ReadFile(FixturePath("pptx/poi-pie-chart.pptx")))),
        environment_{{"VINTREL_HOME", home_.path()},
                     {"VINTREL_SETTINGS", home_.File("absent.ini")}} {}

  ProgramResult Run(std::vector<std::string> arguments, const std::string& input = "") {
    return RunProgram(VINTREL_PROGRAM, arguments, environment_, input);
  }

  TempDir home_;
  std::string deck_;
  std::map<std::string, std::string> environment_;
};

TEST_F(FormCommandTest, ListsShowsAndRefusesForms) {
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    int exit_code;
    const char* out;  // part of stdout
    const char* err;  // part of stderr
  } cases[] = {
      {"the list", {"form"}, 0, "frmDistribution\t", ""},
      {"the list in --help", {"form", "--help"}, 0, "frmAbout\t", ""},
      {"an unknown form", {"form", "frmNope"}, 2, "", "There is no form named frmNope"},
      {"a form that needs a presentation", {"form", "frmDistribution"}, 2, "", "presentation"},
      {"drawn as text", {"form", "frmAbout"}, 0, "<Close>  (Enter)", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ProgramResult result = Run(c.arguments);
    EXPECT_EQ(result.exit_code, c.exit_code) << result.err;
    EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
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
  EXPECT_NE(out["refused"][0]["error"].get<std::string>().find("is disabled"), std::string::npos);
  EXPECT_EQ(out["messages"], nlohmann::json::array(
                                 {"No valid start date specified. Please specify date and time."}));
  EXPECT_EQ(out["form"]["visible"], true) << "OK refused: the form stays open";
  EXPECT_EQ(out["form"]["focus"], "cmdClose");
  const ProgramResult listed = Run({"distribution", deck_});
  EXPECT_EQ(listed.out, "") << "nothing was saved";
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
  const std::vector<std::string> typed = {
      "6",
      "wall-1",  // Add asks for the computer
      "1 2027-01-05",
      "2 10:00",
      "3 2027-01-05",
      "4 12:30",
      "",  // Enter: OK
  };
  for (const bool terminal : {true, false}) {
    SCOPED_TRACE(terminal ? "terminal" : "pipe");
    const std::string deck = home_.Write("filled.pptx", ReadFile(deck_));
    const std::vector<std::string> arguments = {"form", "frmDistribution", deck, "--interactive",
                                                "--save"};
    std::string input;
    for (const std::string& line : typed) input += line + "\n";
    const ProgramResult result =
        terminal ? RunInTerminal(VINTREL_PROGRAM, arguments, environment_, typed)
                 : Run(arguments, input);
    EXPECT_EQ(result.exit_code, 0) << result.out << result.err;
    const std::string shown = result.out + result.err;
    EXPECT_NE(shown.find("== Set distribution list =="), std::string::npos) << shown;
    EXPECT_NE(shown.find("list: [wall-1]"), std::string::npos) << shown;
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
        RunInTerminal(VINTREL_PROGRAM, step.arguments, environment_, step.typed);
    EXPECT_EQ(result.exit_code, 0) << result.out;
    EXPECT_NE(result.out.find("saved"), std::string::npos) << result.out;
  }
  const ProgramResult inspected = Run({"inspect", deck_});
  EXPECT_NE(inspected.out.find("\"7\" <= text field 01 Sales row 2"), std::string::npos)
      << inspected.out;
}

}  // namespace
}  // namespace vintrel::testing
