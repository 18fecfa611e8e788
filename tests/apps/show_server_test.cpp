// The live view's server, driven as the show drives it: what late and connected viewers get,
// requests that must not reach anything, who may move the show, and viewers that stop reading.
// The studio's shell side on the example deck: dialogs that wait on the shell thread for the page,
// menu ids and the folders a picker may reach.
#include "show_server.h"
#include "studio_session.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "command.h"
#include "faults/fault_support.h"
#include "host/ooxml/package_presentation.h"
#include "menus_json.h"
#include "open_presentation.h"

namespace vintrel::app {
namespace {

using namespace std::chrono_literals;

class NoAssets : public ooxml::SvgAssets {
 public:
  std::string Add(std::string, const std::string&) override { return {}; }
};

const std::string kDeck = std::string(VINTREL_SOURCE_DIR) + "/examples/sales-board.pptx";

// A plain TCP client, so requests go out exactly as written.
class RawClient {
 public:
  explicit RawClient(int port, int receive_buffer = 0) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    if (receive_buffer > 0) {
      setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  }
  ~RawClient() { close(fd_); }

  bool Send(const std::string& text) {
    return write(fd_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  }
  // Reads until `pattern` has arrived (after what earlier calls consumed), the peer closes or
  // the time is up; returns what arrived up to and including the pattern.
  std::string ReadUntil(const std::string& pattern, std::chrono::milliseconds limit = 5s) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    size_t found;
    while ((found = buffer_.find(pattern)) == std::string::npos) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd wait{fd_, POLLIN, 0};
      if (left.count() <= 0 || poll(&wait, 1, static_cast<int>(left.count())) <= 0) break;
      char chunk[65536];
      ssize_t got = read(fd_, chunk, sizeof chunk);
      if (got <= 0) break;
      buffer_.append(chunk, static_cast<size_t>(got));
    }
    size_t end = found == std::string::npos ? buffer_.size() : found + pattern.size();
    std::string taken = buffer_.substr(0, end);
    buffer_.erase(0, end);
    return taken;
  }

 private:
  int fd_;
  std::string buffer_;
};

// The whole response: the request asks the server to close the connection after it, and a
// pattern that never comes reads until it does.
std::string Get(int port, const std::string& target) {
  RawClient client(port);
  client.Send("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
  return client.ReadUntil(std::string(1, '\0'));
}

int StatusOf(const std::string& response) {
  return response.rfind("HTTP/1.1 ", 0) == 0 ? std::stoi(response.substr(9, 3)) : -1;
}

nlohmann::json NextEvent(RawClient& viewer, const std::string& type) {
  viewer.ReadUntil("event: " + type + "\ndata: ");
  std::string data = viewer.ReadUntil("\n\n");
  if (data.size() < 2) return {};
  return nlohmann::json::parse(data.substr(0, data.size() - 2));
}

// A viewer connected to the event stream (whose first event is the state).
std::unique_ptr<RawClient> Viewer(int port, int receive_buffer = 0) {
  auto viewer = std::make_unique<RawClient>(port, receive_buffer);
  viewer->Send("GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  return viewer;
}

class ShowServerTest : public ::testing::Test {
 protected:
  void Start(ShowServerOptions options = {}, bool first_slide = true) {
    options.port = 0;
    deck_ = ooxml::PackagePresentation::Open(kDeck);
    server_ = std::make_unique<ShowServer>(*deck_, options);
    server_->Start();
    server_->ShowBegan(deck_->slides().Count());
    if (first_slide) server_->SlideShown(1);
  }
  // Changes a shape's text as the show does: the host first, then the screen hears of it.
  void SetText(int slide, int shape, const std::string& text) {
    deck_->slides().Item(slide).Shapes().Item(shape).TextFrame().TextRange().SetText(text);
    server_->TextChanged({slide, shape, ""}, "", text);
  }

  std::unique_ptr<ooxml::PackagePresentation> deck_;
  std::unique_ptr<ShowServer> server_;
};

TEST_F(ShowServerTest, LateViewerGetsTheShownSlideWithItsCurrentValues) {
  Start();
  SetText(1, 7, "1,234.50");
  server_->SlideHiddenChanged(2, true);
  auto viewer = Viewer(server_->port());
  nlohmann::json state = NextEvent(*viewer, "state");
  EXPECT_EQ(state["slide"], 1);
  EXPECT_EQ(state["count"], 3);
  EXPECT_EQ(state["hidden"], nlohmann::json::array({2}));
  ASSERT_EQ(state["shapes"].size(), static_cast<size_t>(deck_->slides().Item(1).Shapes().Count()));
  EXPECT_NE(state["shapes"][6].get<std::string>().find(">1,234.50</span>"), std::string::npos);
}

TEST_F(ShowServerTest, ConnectedViewersGetChangedShapesAloneAndNewSlidesWhole) {
  Start();
  auto viewer = Viewer(server_->port());
  NextEvent(*viewer, "state");
  // A change on a slide not on screen sends nothing; the slide is drawn when it is shown.
  SetText(3, 4, "West");
  SetText(1, 9, "77");
  nlohmann::json change = NextEvent(*viewer, "shape");
  EXPECT_EQ(change["id"], "s1-9");
  NoAssets assets;
  ooxml::SlideDrawing drawn = ooxml::DrawSlide(*deck_, 1, assets);
  EXPECT_EQ(change["svg"], drawn.shapes[8]);

  server_->SlideShown(3);
  nlohmann::json state = NextEvent(*viewer, "state");
  EXPECT_EQ(state["slide"], 3);
  EXPECT_NE(state["shapes"][3].get<std::string>().find(">West</span>"), std::string::npos);
  server_->ShowEnded();
  EXPECT_EQ(NextEvent(*viewer, "state")["ended"], true);
}

TEST_F(ShowServerTest, AViewerLearnsWhetherTheShowIsOverOrHadNothingToShow) {
  const struct {
    const char* name;
    std::vector<int> shown;  // slides shown in turn, 0 past the last
    bool ended;
    bool past_end;
    bool empty;
  } cases[] = {
      {"before the first slide", {}, false, false, false},
      {"past the last slide", {1, 3, 0}, false, true, false},
      {"ended after its slides", {1, 0}, true, true, false},
      {"every slide hidden", {0}, false, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start({}, false);
    for (const int slide : c.shown) server_->SlideShown(slide);
    if (c.ended) server_->ShowEnded();
    auto viewer = Viewer(server_->port());
    const nlohmann::json state = NextEvent(*viewer, "state");
    EXPECT_EQ((std::vector<bool>{state["ended"], state["past_end"], state["empty"]}),
              (std::vector<bool>{c.ended, c.past_end, c.empty}));
    server_->Stop();
  }
}

TEST_F(ShowServerTest, RequestsOutsideTheShowGetNothing) {
  Start();
  const std::string targets[] = {
      "/../../etc/passwd",
      "/%2e%2e/%2e%2e/etc/passwd",
      "/asset/../../../etc/passwd",
      "/asset/%2e%2e%2f%2e%2e%2fetc%2fpasswd",
      "//etc/passwd",
      "/etc/passwd",
      kDeck,
      "http://127.0.0.1/etc/passwd",
      "/asset/0000000000000000.png",
      "/index.html",
      "/" + std::string(300, 'a'),
      "/?" + std::string(20000, 'a'),
  };
  for (const std::string& target : targets) {
    std::string response = Get(server_->port(), target);
    int status = StatusOf(response);
    EXPECT_TRUE(status == 400 || status == 404) << target.substr(0, 60) << ": " << status;
    EXPECT_EQ(response.find("root:"), std::string::npos) << target.substr(0, 60);
  }
  EXPECT_EQ(StatusOf(Get(server_->port(), "/")), 200);
}

TEST_F(ShowServerTest, OnlyTheControlTokenMovesTheShow) {
  struct Case {
    std::string token;   // the server's
    std::string header;  // what the viewer presents ("" for none)
    int status;
  } cases[] = {
      {"", "", 403},
      {"", "anything", 403},
      {"secret-token", "", 403},
      {"secret-token", "secret-tokem", 403},
      {"secret-token", "secret-token-and-more", 403},
      {"secret-token", "secret-token", 204},
  };
  for (const Case& test : cases) {
    ShowServerOptions options;
    options.control_token = test.token;
    Start(options);
    std::atomic<int> moves = 0;
    server_->SetNavigate([&](Navigation) { ++moves; });
    RawClient client(server_->port());
    std::string header = test.header.empty() ? "" : "X-Vintrel-Control: " + test.header + "\r\n";
    client.Send("POST /control/next HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 0\r\n" + header +
                "Connection: close\r\n\r\n");
    EXPECT_EQ(StatusOf(client.ReadUntil("\r\n\r\n")), test.status) << test.header;
    EXPECT_EQ(moves, test.status == 204 ? 1 : 0) << test.header;
    server_.reset();
  }
}

TEST_F(ShowServerTest, AViewerThatStopsReadingIsDroppedWithoutHoldingUpTheOthers) {
  ShowServerOptions options;
  options.write_timeout_seconds = 1;
  Start(options);
  auto stalled = Viewer(server_->port(), 4096);
  auto reader = Viewer(server_->port());
  NextEvent(*reader, "state");
  // More than the socket buffers on both ends hold, so the stalled viewer's writes block.
  const int changes = 40;
  std::string long_text(250000, 'x');
  // The reader reads while the changes come, as a browser does.
  int received = 0;
  std::thread reading([&] {
    while (received < changes && !NextEvent(*reader, "shape").is_null()) ++received;
  });
  for (int i = 0; i < changes; ++i) SetText(1, 7, long_text + std::to_string(i));
  reading.join();
  EXPECT_EQ(received, changes);
  auto deadline = std::chrono::steady_clock::now() + 10s;
  while (server_->viewer_count() > 1 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_EQ(server_->viewer_count(), 1);
}

TEST_F(ShowServerTest, ViewersBeyondTheLimitAreTurnedAway) {
  ShowServerOptions options;
  options.max_viewers = 1;
  Start(options);
  auto first = Viewer(server_->port());
  NextEvent(*first, "state");
  EXPECT_EQ(StatusOf(Get(server_->port(), "/events")), 503);
}

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
  NoAssets assets;
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
  const std::string manager = "frmSlideShowPropertyPage";
  const std::string database = "frmDatabaseConnection";
  constexpr ShellThread::Driven waiting = ShellThread::Driven::kWaiting;
  const struct {
    const char* what;
    std::function<void()> step;
    std::vector<std::string> forms;
    size_t messages;
    ShellThread::Driven driven = ShellThread::Driven::kFinished;
  } steps[] = {
      {"the connection manager opens", [&] { studio_->Click("t/1"); }, {manager}, 0, waiting},
      {"its Add opens the database dialog",
       [&] {
         front_end_.Act(R"({"control": "TabStrip1", "set": "Databases"})");
         front_end_.Act(R"({"control": "cmdNew2", "click": true})");
       },
       {manager, database},
       0,
       waiting},
      {"a statement that cannot run, tested: the dialog's message",
       [&] {
         front_end_.Act(R"({"control": "txtConnectionString",
                            "set": "Provider=SQLite;Data Source=data/board.db"})");
         front_end_.Act(R"({"control": "optSQLStatement", "click": true})");
         front_end_.Act(R"({"control": "txtSQLStatement", "set": "SELECT nothing"})");
         front_end_.Act(R"({"control": "cmdTest", "click": true})");
       },
       {manager, database},
       1,
       waiting},
      {"the message answered",
       [&] { front_end_.Answer(host::msg_box::kOk); },
       {manager, database},
       0},
      {"a menu while a dialog is open",
       [&] { EXPECT_THROW(studio_->Click("t/1"), BadInput); },
       {manager, database},
       0},
      {"the dialog cancelled", [&] { front_end_.Act(R"({"key": "escape"})"); }, {manager}, 0},
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
