// A slide show on the in-memory host, driven through the add-in's real handlers on a fake clock:
// tests build a presentation with connections whose rows they can change at any time, start the
// show, let time pass and read what the slides show.
#ifndef VINTREL_TESTS_RUNTIME_SHOW_FIXTURE_H_
#define VINTREL_TESTS_RUNTIME_SHOW_FIXTURE_H_

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "connections/connection_source.h"
#include "document/tag_schema.h"
#include "host/common/client_recordset.h"
#include "host/event_loop.h"
#include "host/memory/memory_host.h"
#include "shell/application_object.h"
#include "shell/connect.h"
#include "support/context.h"
#include "testing/addin_doubles.h"
#include "testing/shape_link.h"
#include "testing/table_connection.h"
#include "testing/test_context.h"

namespace vintrel::testing {

// Rows "<prefix>1" .. "<prefix>count" of one column.
inline Table Rows(int count, const std::string& prefix = "v") {
  Table rows;
  for (int i = 1; i <= count; ++i) rows.push_back({prefix + std::to_string(i)});
  return rows;
}

// The loop of a show under test, scripted: every pump made from inside a handler (a wait of
// the add-in's that lets events run), and every pump at all while `count_outside`, is counted;
// at the pump numbered `fire_at` the `action` runs first, as an event would there.
class ScriptedLoop : public host::EventLoop {
 public:
  using EventLoop::EventLoop;
  int DoEvents() override {
    if (depth_ > 0 || count_outside) {
      ++pumps;
      if (pumps == fire_at && action) std::exchange(action, nullptr)();
    }
    ++depth_;
    const int handled = EventLoop::DoEvents();
    --depth_;
    return handled;
  }

  bool count_outside = false;
  int pumps = 0;
  int fire_at = 0;
  std::function<void()> action;

 private:
  int depth_ = 0;
};

class ShowFixture : public ::testing::Test {
 protected:
  static constexpr const char* kDeck = "/shows/board.pptx";

  void SetUp() override {
    file_ = &host_.AddFile(kDeck);
    file_->Tags().Add("QUENDRA VERSION", "1");
  }
  void TearDown() override {
    if (host_.show() != nullptr) host_.EndSlideShow();
    connect_.OnDisconnection(0);
  }
  // Ends what the last case left running and builds the presentation afresh.
  void StartOver() {
    TearDown();
    SetUp();
  }

  // The twins, with the scripted loop and every connection reading the test's rows.
  Platform ShowPlatform() {
    Platform platform = twins_.platform();
    platform.loop = &loop_;
    platform.sources = [this](int) -> std::unique_ptr<ConnectionSource> {
      return std::make_unique<LiveSource>(data_);
    };
    return platform;
  }

  host::memory::MemorySlide& Slide(int index) {
    while (file_->slides().count() < index) file_->AddSlide();
    return file_->slide(index);
  }
  // A text file connection (type 0) with its rows; a database connection (type 1) when a
  // refresh rate is given.
  void Connection(const std::string& number, std::vector<std::string> columns, Table rows,
                  double refresh_rate = -1) {
    data_.columns[number] = std::move(columns);
    data_.rows[number] = std::move(rows);
    const std::string value = refresh_rate < 0 ? "0\tData " + number + "\tdata.txt\tTrue\t"
                                               : "1\tData " + number + "\tDSN=x\tSELECT 1\t\t" +
                                                     std::to_string(refresh_rate) + "\t";
    file_->Tags().Add("QUENDRA CONNECTION" + number, value);
  }
  // A linked shape of `type` on the slide; returns its position.
  int Link(host::memory::MemoryShape& shape, int type, const std::string& number,
           const std::string& column = "", double row = 0, const std::string& format = "") {
    return LinkShape(shape, {type, number, column, row, format}).ZOrderPosition();
  }
  int Field(int slide, const std::string& number, const std::string& column, double row) {
    return Link(Slide(slide).AddTextBox(" "), source_type::kTextField, number, column, row);
  }
  int Clock(int slide, const std::string& format) {
    return Link(Slide(slide).AddTextBox(" "), source_type::kClock, "", "", 0, format);
  }
  void Scroll(int slide, int connection, long step, long time) {
    Slide(slide).Tags().Add(ScrollTagName(connection), ScrollValue(true, step, time));
  }
  void HideWhenNoData(int slide) { Slide(slide).Tags().Add("QUENDRA SLIDE PROPERTIES", "1\t0\t"); }

  // Loads the add-in and opens the presentation (the open handler fills it).
  void Open() {
    connect_.OnConnection(host_, 1, addin_);
    deck_ = &host_.OpenPresentation(kDeck);
  }
  // Opens the presentation and starts its show.
  void Start() {
    Open();
    host_.StartSlideShow(*deck_, &loop_);
  }
  // Lets `ms` pass on the fake clock; every timer falling due ticks in order.
  void Run(long ms) { loop_.RunFor(std::chrono::milliseconds(ms)); }
  std::string Text(int slide, int shape) {
    return deck_->slide(slide).shape(shape).TextFrame().TextRange().Text();
  }
  clsRuntime* Runtime() { return connect_.application()->runtime(); }

  InMemoryServices twins_;
  host::memory::ScriptedFrontEnd& front_end_ = twins_.front_end;
  host::FakeClock& clock_ = twins_.clock;
  host::memory::MemoryFileSystem& files_ = twins_.files;
  host::memory::MemorySettingsStore& settings_ = twins_.settings;
  ScriptedLoop loop_{twins_.clock};
  host::memory::MemoryApplication host_;
  AddIn addin_;
  shell::Connect connect_{ShowPlatform()};
  LiveData data_;
  host::memory::MemoryPresentation* file_ = nullptr;
  host::memory::MemoryPresentation* deck_ = nullptr;
};

}  // namespace vintrel::testing

#endif  // VINTREL_TESTS_RUNTIME_SHOW_FIXTURE_H_
