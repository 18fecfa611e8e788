#include "shell/connect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "connections/excel_status.h"
#include "host/memory/failing_data_access.h"
#include "host/spreadsheet.h"
#include "shell/addin_fixture.h"
#include "shell/settings.h"
#include "shell/version.h"

namespace vintrel::shell {
namespace {

// A spreadsheet service that records being shut down.
class RecordingSpreadsheet : public host::SpreadsheetApplication {
 public:
  explicit RecordingSpreadsheet(std::vector<std::string>& calls) : calls_(calls) {}
  std::unique_ptr<host::Workbook> Open(const std::string&, const host::OpenOptions&) override {
    return nullptr;
  }
  std::unique_ptr<host::Workbook> Add() override { return nullptr; }
  void SetIgnoreRemoteRequests(bool value) override {
    calls_.push_back(value ? "ignore" : "listen");
  }
  bool Visible() const override { return false; }
  void Quit() override { calls_.push_back("quit"); }

 private:
  std::vector<std::string>& calls_;
};

// Loading and unloading the add-in; the debug log tells what ran.
class ConnectTest : public testing_support::AddInFixture {
 protected:
  // The debug log's entries without their time stamps.
  std::vector<std::string> LogEntries() {
    std::vector<std::string> entries;
    std::istringstream lines(testing::ReadFile(folder_.File("vintrel.dbg")));
    for (std::string line; std::getline(lines, line);) {
      EXPECT_EQ(line.back(), '\r') << "lines end with CR LF";
      line.pop_back();
      const size_t stamp_end = line.find(' ', line.find('.'));  // after ".mmm"
      entries.push_back(line.substr(stamp_end + 1));
    }
    return entries;
  }

  testing::TempDir& folder_ = twins_.logs;
};

TEST_F(ConnectTest, DebugLogTracesAWholeLoadInOrder) {
  SetSetting(kSettingDebug, "1");
  connect_.OnConnection(host_, 1, addin_);
  connect_.OnStartupComplete();
  connect_.OnBeginShutdown();
  connect_.OnDisconnection(0);

  const std::vector<std::string> expected = {
      "Event        OnConnection",     "Information  Quendra Vintrel 2002 - Personal Edition",
      "Information  vintrel",          "Information  " + folder_.path(),
      "Information  " + VersionText(), "Information  InitHandler",
      "Information  Opening menu",     "Event        OnStartupComplete",
      "Event        OnBeginShutdown",  "Event        OnDisconnection",
      "Information  UnInitHandler",
  };
  const auto entries = LogEntries();
  ASSERT_GE(entries.size(), expected.size() + 1);
  EXPECT_EQ(std::vector<std::string>(entries.begin(), entries.begin() + expected.size()), expected);
  EXPECT_EQ(entries.back(), "Information  Program shut down.");
}

TEST_F(ConnectTest, DebugSettingIsATruthValueAndAnythingElseLeavesTheLogOff) {
  for (const auto& [text, on] :
       {std::pair{"tRUE", true}, std::pair{"-1", true}, std::pair{"2.5", true},
        std::pair{"0", false}, std::pair{"False", false}, std::pair{"", false},
        std::pair{"1x", false}}) {
    std::filesystem::remove(folder_.File("vintrel.dbg"));
    SetSetting(kSettingDebug, text);
    Connect connect(twins_.platform());
    connect.OnConnection(host_, 1, addin_);
    connect.OnDisconnection(0);
    EXPECT_EQ(std::filesystem::exists(folder_.File("vintrel.dbg")), on) << "Debug=" << text;
  }
}

TEST_F(ConnectTest, AnActiveAddInSubscribesAndUnloadingLetsGoOfEverything) {
  connect_.OnConnection(host_, 1, addin_);
  ASSERT_NE(connect_.application(), nullptr);
  EXPECT_EQ(host_.sink(), connect_.application());
  EXPECT_EQ(connect_.context().module.host, &host_);
  EXPECT_TRUE(connect_.context().module.first_yield_pending);

  connect_.OnDisconnection(0);
  EXPECT_EQ(connect_.application(), nullptr);
  EXPECT_EQ(host_.sink(), nullptr);
  EXPECT_EQ(connect_.context().module.host, nullptr);
}

TEST_F(ConnectTest, OnlyHostGenerationTenRunsAndOthersStayQuiet) {
  for (const char* version : {"10.0", "9.0", "1.0", "100.0"}) {
    std::filesystem::remove(folder_.File("vintrel.dbg"));
    SetSetting(kSettingDebug, "True");
    host_.set_version(version);
    Connect connect(twins_.platform());
    connect.OnConnection(host_, 1, addin_);
    const bool active = std::string(version).rfind("10.", 0) == 0;
    EXPECT_EQ(connect.application() != nullptr, active) << version;
    EXPECT_EQ(connect.context().module.cannot_run, !active) << version;
    EXPECT_EQ(host_.sink() != nullptr, active) << version;
    const std::vector<std::string> entries = LogEntries();
    EXPECT_EQ(std::ranges::count(entries, "Information  InitHandler"), 1) << version;
    EXPECT_EQ(std::ranges::count(entries, "Information  Opening menu"), active ? 1 : 0) << version;
    connect.OnDisconnection(0);
  }
  EXPECT_TRUE(front_end_.message_boxes().empty());
}

TEST_F(ConnectTest, MissingDataAccessShowsOneCriticalMessageAndStaysInactive) {
  host::memory::FailingDataAccess failing;
  connect_.services().data_access = &failing;
  SetSetting(kSettingDebug, "1");
  connect_.OnConnection(host_, 1, addin_);

  ASSERT_EQ(front_end_.message_boxes().size(), 1u);
  const auto& box = front_end_.message_boxes()[0];
  EXPECT_EQ(box.text, "Could not find Microsoft ActiveX Data Objects.");
  EXPECT_EQ(box.icon, host::msg_box::kCritical);
  EXPECT_EQ(box.buttons, host::msg_box::kOkOnly);
  EXPECT_EQ(box.title, "Quendra Vintrel 2002");
  EXPECT_EQ(connect_.application(), nullptr);
  EXPECT_EQ(host_.sink(), nullptr);

  // Unloading an inactive add-in completes quietly and still says goodbye.
  connect_.OnDisconnection(0);
  EXPECT_EQ(front_end_.message_boxes().size(), 1u);
  EXPECT_EQ(LogEntries().back(), "Information  Program shut down.");
}

TEST_F(ConnectTest, UnloadingShutsDownTheSpreadsheetServiceTheAddInStarted) {
  std::vector<std::string> calls;
  connect_.OnConnection(host_, 1, addin_);
  connect_.context().module.excel_status = connections::excel_status::kStarted;
  connect_.context().module.excel_application = std::make_unique<RecordingSpreadsheet>(calls);

  connect_.OnDisconnection(0);

  EXPECT_EQ(calls, (std::vector<std::string>{"listen", "quit"}));
  EXPECT_EQ(connect_.context().module.excel_status, connections::excel_status::kUnknown);
  EXPECT_EQ(connect_.context().module.excel_application, nullptr);
}

TEST_F(ConnectTest, PrintingShowsEveryAlertAgain) {
  connect_.OnConnection(host_, 1, addin_);
  auto& presentation = host_.AddPresentation("/shows/board.pptx");
  host_.SetDisplayAlerts(host::alert_level::kNone);
  host_.PrintPresentation(presentation);
  EXPECT_EQ(host_.DisplayAlerts(), host::alert_level::kAll);
}

}  // namespace
}  // namespace vintrel::shell
