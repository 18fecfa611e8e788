// The add-in's context for tests: every service slot holds an in-memory twin (settings, front end,
// shell, file system, clipboard, a fake clock with its event loop, data access whose recordsets
// live in memory), and the logs go to a folder of the test's own. A test builds one in one line
// and overrides only the slots it is about:
//
//   testing::TestContext twins;                 // twins.ctx is ready to hand down
//   twins.ctx.services.files = &real_files;     // this test reads real files
//
// A test that loads the whole add-in hands `twins.platform()` to shell::Connect instead.
#ifndef VINTREL_TESTS_TESTING_TEST_CONTEXT_H_
#define VINTREL_TESTS_TESTING_TEST_CONTEXT_H_

#include <memory>
#include <string>
#include <vector>

#include "connections/connection_source.h"
#include "host/clock.h"
#include "host/event_loop.h"
#include "host/memory/memory_clipboard.h"
#include "host/memory/memory_file_system.h"
#include "host/memory/memory_settings_store.h"
#include "host/memory/recording_shell.h"
#include "host/memory/scripted_front_end.h"
#include "support/context.h"
#include "testing/addin_doubles.h"
#include "testing/temp_dir.h"

namespace vintrel::testing {

// The in-memory twins of every service, owned together.
struct InMemoryServices {
  // Every slot filled with the twins below; no sources (a test that opens connections sets them).
  Platform platform() {
    Platform platform;
    platform.settings = &settings;
    platform.front_end = &front_end;
    platform.shell = &shell;
    platform.files = &files;
    platform.clipboard = &clipboard;
    platform.clock = &clock;
    platform.loop = &loop;
    platform.data_access = &data_access;
    platform.addin_folder = logs.path();
    return platform;
  }

  TempDir logs;
  host::memory::MemorySettingsStore settings;
  host::memory::ScriptedFrontEnd front_end;
  host::memory::RecordingShell shell;
  host::FakeClock clock;
  host::memory::MemoryFileSystem files{&clock};
  host::memory::MemoryClipboard clipboard;
  host::EventLoop loop{clock};
  WorkingDataAccess data_access;
};

// The twins and a context that holds them.
struct TestContext : InMemoryServices {
  TestContext() : ctx(platform()) {}
  Context ctx;
};

// The texts of the message boxes shown after the first `before`.
inline std::vector<std::string> MessagesSince(const host::memory::ScriptedFrontEnd& front_end,
                                              size_t before) {
  std::vector<std::string> texts;
  const auto& boxes = front_end.message_boxes();
  for (size_t i = before; i < boxes.size(); ++i) texts.push_back(boxes[i].text);
  return texts;
}

// Sources that all read one fixed table (see table_connection.h for the table itself).
template <typename MakeSource>
ConnectionSourceFactory SourcesOf(MakeSource make) {
  return [make](int) -> std::unique_ptr<ConnectionSource> { return make(); };
}

}  // namespace vintrel::testing

#endif  // VINTREL_TESTS_TESTING_TEST_CONTEXT_H_
