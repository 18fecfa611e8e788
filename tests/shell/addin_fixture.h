// The add-in connected to the in-memory host, with presentation files to open: one whose text
// box is linked to a connection, one that is an add-in presentation without connections.
#ifndef VINTREL_TESTS_SHELL_ADDIN_FIXTURE_H_
#define VINTREL_TESTS_SHELL_ADDIN_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>

#include "host/memory/memory_application.h"
#include "host/memory/memory_settings_store.h"
#include "host/memory/memory_slide.h"
#include "host/memory/scripted_front_end.h"
#include "shell/connect.h"
#include "shell/settings.h"
#include "support/context.h"
#include "testing/addin_doubles.h"
#include "testing/shape_link.h"
#include "testing/table_connection.h"
#include "testing/test_context.h"

namespace vintrel::shell::testing_support {

using testing::AddIn;

inline constexpr const char* kWithConnections = "/shows/board.pptx";
inline constexpr const char* kWithoutConnections = "/shows/plain.pptx";

// Links a shape as the given source type, to the connection and its first row.
inline host::memory::MemoryShape& LinkShape(host::memory::MemoryShape& shape, int type) {
  if (type == source_type::kClock) return testing::LinkShape(shape, {type});
  return testing::LinkShape(shape, {type, "01", "Sales", 1});
}

class AddInFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    host::memory::MemoryPresentation& board = host_.AddFile(kWithConnections);
    board.Tags().Add("QUENDRA VERSION", "1");
    board.Tags().Add("QUENDRA CONNECTION01", "0\tSales\tsales.txt\tTrue\t");
    LinkShape(board.AddSlide().AddTextBox(" "), source_type::kTextField);
    host::memory::MemoryPresentation& plain = host_.AddFile(kWithoutConnections);
    plain.Tags().Add("QUENDRA VERSION", "1");
    plain.AddSlide();
  }
  void TearDown() override { connect_.OnDisconnection(0); }

  // The twins; every connection reads one row of sales.
  static Platform AddInPlatform(testing::InMemoryServices& twins) {
    Platform platform = twins.platform();
    platform.sources = [](int) -> std::unique_ptr<ConnectionSource> {
      return std::make_unique<testing::TableSource>(std::vector<std::string>{"Sales"},
                                                    testing::Table{{"1250.5"}}, nullptr);
    };
    return platform;
  }

  void ConnectAddIn() {
    connect_.OnConnection(host_, 1, addin_);
    ASSERT_NE(connect_.application(), nullptr);
  }
  void SetSetting(const std::string& key, const std::string& value) {
    settings_.Set(kSettingsAppName, kSettingsSection, key, value);
  }

  testing::InMemoryServices twins_;
  host::memory::ScriptedFrontEnd& front_end_ = twins_.front_end;
  host::memory::MemorySettingsStore& settings_ = twins_.settings;
  host::memory::MemoryApplication host_;
  AddIn addin_;
  Connect connect_{AddInPlatform(twins_)};
};

// The same, with the add-in loaded before each test.
class ConnectedAddInFixture : public AddInFixture {
 protected:
  void SetUp() override {
    AddInFixture::SetUp();
    ConnectAddIn();
  }
};

}  // namespace vintrel::shell::testing_support

#endif  // VINTREL_TESTS_SHELL_ADDIN_FIXTURE_H_
