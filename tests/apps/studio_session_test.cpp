// The studio's shell side on the example deck: work handed to the shell thread while the
// add-in's dialogs wait there for the page, the menu ids the page may send, and the folders a
// picker may reach.
#include "studio_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "command.h"
#include "faults/fault_support.h"
#include "menus_json.h"
#include "open_presentation.h"

namespace vintrel::app {
namespace {

namespace fs = std::filesystem;

class StudioSessionTest : public ::testing::Test {
 protected:
  StudioSessionTest() {
    SessionOptions options;
    options.front_end = &front_end_;
    options.settings_path = example_.File("absent.ini");
    options.addin_folder = example_.File("addin");
    session_ = std::make_unique<HostSession>(options);
    presentation_ = &OpenPresentation(*session_, example_.Example("sales-board.pptx"));
    studio_ = std::make_unique<StudioSession>(*session_, *presentation_, front_end_);
  }

  testing::ExampleCopy example_;
  ShellThread shell_;
  StudioFrontEnd front_end_{shell_};
  std::unique_ptr<HostSession> session_;
  host::Presentation* presentation_ = nullptr;
  std::unique_ptr<StudioSession> studio_;
};

TEST_F(StudioSessionTest, MenuIdsNameOnlyControlsThatExist) {
  const struct {
    const char* id;
    bool found;
  } cases[] = {{"t/1", true},   {"m", true},      {"m/1", true},   {"c/1/2", true},
               {"t/99", false}, {"t/1/1", false}, {"m/x", false},  {"t/0", false},
               {"c/9", false},  {"", false},      {"t/-1", false}, {"m/1/", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(FindControl(session_->controls(), c.id) != nullptr, c.found);
  }
}

TEST_F(StudioSessionTest, PickersReachOnlyThePresentationsFolder) {
  fs::create_symlink("/etc", example_.Example("escape"));
  const struct {
    std::string folder;
    bool allowed;
  } cases[] = {{"", true},
               {"data", true},
               {example_.Example("data/pictures"), true},
               {"..", false},
               {"/etc", false},
               {"data/../..", false},
               {"escape", false},
               {"nowhere/../../x", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    if (c.allowed) {
      EXPECT_FALSE(studio_->ListFolder(c.folder)["entries"].empty());
    } else {
      EXPECT_THROW(studio_->ListFolder(c.folder), BadInput);
    }
  }
}

// The page asks again for the slides in view after every change, saying which drawing it has:
// only the slides a change touched are drawn again, the drawing kept for one is never stale.
TEST_F(StudioSessionTest, OnlySlidesAChangeTouchedAreDrawnAgain) {
  struct : ooxml::SvgAssets {
    std::string Add(std::string, const std::string&) override { return "/asset/0"; }
  } assets;
  host::Presentation& presentation = *presentation_;
  host::Shape& title2 = presentation.Slides().Item(2).Shapes().Item(1);
  const struct {
    const char* what;
    std::function<void()> step;
    std::vector<bool> drawn_again;  // slides 1..3
  } steps[] = {
      {"a shape selected", [&] { studio_->Select(3, {1}); }, {false, false, false}},
      {"a shape of slide 2 renamed", [&] { title2.SetName("Renamed"); }, {false, true, false}},
      {"a tag of that shape", [&] { title2.Tags().Add("NOTE", "x"); }, {false, true, false}},
      {"its text", [&] { title2.TextFrame().TextRange().SetText("new"); }, {false, true, false}},
      {"a presentation tag", [&] { presentation.Tags().Add("NOTE", "y"); }, {true, true, true}},
  };
  std::vector<Json> before;
  for (int n = 1; n <= 3; ++n) before.push_back(studio_->Slide(n, assets));
  for (const auto& s : steps) {
    SCOPED_TRACE(s.what);
    s.step();
    for (int n = 1; n <= 3; ++n) {
      const Json now = studio_->Slide(n, assets, before[n - 1]["version"]);
      EXPECT_EQ(!now.value("same", false), s.drawn_again[n - 1]) << "slide " << n;
      if (!now.value("same", false)) before[n - 1] = now;
    }
  }
  EXPECT_EQ(before[1]["outline"]["shapes"][0]["name"], "Renamed");
  EXPECT_EQ(before[1]["outline"]["shapes"][0]["text"], "new");
}

// Each step is driven as a request drives it: it returns once the shell is done or waits for the
// page, and the forms and messages waiting then are as listed.
TEST_F(StudioSessionTest, DialogsWaitOnTheShellThreadForThePagesActions) {
  std::thread shell([this] { shell_.Serve([] { return false; }); });
  const struct {
    const char* what;
    std::function<void()> step;
    std::vector<std::string> forms;
    size_t messages;
    ShellThread::Driven driven = ShellThread::Driven::kFinished;
  } steps[] = {
      {"the connection manager opens",
       [&] { studio_->Click("t/1"); },
       {"frmSlideShowPropertyPage"},
       0,
       ShellThread::Driven::kWaiting},
      {"its Add opens the database dialog",
       [&] {
         front_end_.Act(R"({"control": "TabStrip1", "set": "Databases"})");
         front_end_.Act(R"({"control": "cmdNew2", "click": true})");
       },
       {"frmSlideShowPropertyPage", "frmDatabaseConnection"},
       0,
       ShellThread::Driven::kWaiting},
      {"a statement that cannot run, tested: the dialog's message",
       [&] {
         front_end_.Act(R"({"control": "txtConnectionString",
                            "set": "Provider=SQLite;Data Source=data/board.db"})");
         front_end_.Act(R"({"control": "optSQLStatement", "click": true})");
         front_end_.Act(R"({"control": "txtSQLStatement", "set": "SELECT nothing"})");
         front_end_.Act(R"({"control": "cmdTest", "click": true})");
       },
       {"frmSlideShowPropertyPage", "frmDatabaseConnection"},
       1,
       ShellThread::Driven::kWaiting},
      {"the message answered",
       [&] { front_end_.Answer(host::msg_box::kOk); },
       {"frmSlideShowPropertyPage", "frmDatabaseConnection"},
       0},
      {"a menu while a dialog is open",
       [&] { EXPECT_THROW(studio_->Click("t/1"), BadInput); },
       {"frmSlideShowPropertyPage", "frmDatabaseConnection"},
       0},
      {"the dialog cancelled",
       [&] { front_end_.Act(R"({"key": "escape"})"); },
       {"frmSlideShowPropertyPage"},
       0},
      {"the manager cancelled", [&] { front_end_.Act(R"({"key": "escape"})"); }, {}, 0},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.what);
    Json state;
    EXPECT_EQ(shell_.Drive(s.step), s.driven);
    shell_.Run([&] { state = studio_->State()["modal"]; });
    std::vector<std::string> forms;
    for (const Json& form : state["forms"]) forms.push_back(form["name"]);
    EXPECT_EQ(forms, s.forms);
    EXPECT_EQ(state["messages"].size(), s.messages);
  }
  shell_.Stop();
  shell.join();
  EXPECT_EQ(shell_.Drive([] {}), ShellThread::Driven::kStopping);
}

}  // namespace
}  // namespace vintrel::app
