// The commands that use a broker, through a real Mosquitto of the test's own on free loopback
// ports (tests/mqtt/mosquitto.conf: MQTT, and MQTT on WebSockets for browsers): `vintrel show
// --publish` watched by the broker's own `mosquitto_sub`, `vintrel send --to mqtt://...` leaving
// the presentation on the broker for players that come later (`--withdraw` takes it away again),
// and `vintrel player --broker` keeping what the broker holds in its cache and showing it.
// Skipped when the `mosquitto` broker or its clients are not installed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <thread>

#include "faults/fault_support.h"

namespace vintrel::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char kBroker[] = "/usr/sbin/mosquitto";
constexpr char kSubscriber[] = "/usr/bin/mosquitto_sub";

// A Mosquitto of the test's own; it drops root for its own user, so its folder is readable.
class Broker {
 public:
  Broker() : port_(FreePort()) {
    int websockets_port = FreePort();
    while (websockets_port == port_) websockets_port = FreePort();
    ::chmod(folder_.path().c_str(), 0755);
    const std::filesystem::path source = std::filesystem::path(VINTREL_SOURCE_DIR) / "tests/mqtt";
    for (const char* name : {"passwords", "acl", "acl-websockets"}) {
      std::filesystem::copy_file(source / name, folder_.File(name));
      ::chmod(folder_.File(name).c_str(), 0644);
    }
    std::string config = std::regex_replace(ReadFile((source / "mosquitto.conf").string()),
                                            std::regex("@PORT@"), std::to_string(port_));
    config = std::regex_replace(config, std::regex("@WSPORT@"), std::to_string(websockets_port));
    folder_.Write("mosquitto.conf",
                  std::regex_replace(config, std::regex("@DIR@"), folder_.path()));
  }
  ~Broker() { Stop(); }

  void Start() {
    pid_ = ::fork();
    if (pid_ == 0) {
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::dup2(null, 2);
      const std::string config = folder_.File("mosquitto.conf");
      ::execl(kBroker, kBroker, "-c", config.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    // Until it answers a subscription.
    const std::vector<std::string> probe = {"-h", "127.0.0.1", "-p", std::to_string(port_),
                                            "-t", "t/probe",   "-E"};
    for (int i = 0; i < 100 && RunProgram(kSubscriber, probe).exit_code != 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }
  int port() const { return port_; }

 private:
  TempDir folder_;
  int port_;
  pid_t pid_ = 0;
};

class BrokerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access(kBroker, X_OK) != 0 || ::access(kSubscriber, X_OK) != 0) {
      GTEST_SKIP() << "no MQTT broker: apt-get install mosquitto mosquitto-clients";
    }
    broker_.Start();
  }
  std::string Address() const {
    return "mqtt://127.0.0.1:" + std::to_string(broker_.port()) + "/t";
  }

  ExampleCopy example_;
  std::string deck_ = example_.Example("sales-board.pptx");
  Broker broker_;
};

struct Message {
  std::string topic;
  std::string payload;
  bool retained = false;
};

// Subscribes to t/# as an anonymous client with the broker's own command-line client for
// `seconds`; its messages are read as they come.
class Subscriber {
 public:
  Subscriber(int port, int seconds)
      : out_(::popen((std::string(kSubscriber) + " -h 127.0.0.1 -q 1 -t 't/#' -F '%r %t %p' -p " +
                      std::to_string(port) + " -W " + std::to_string(seconds) + " 2>/dev/null")
                         .c_str(),
                     "r")) {}
  ~Subscriber() { ::pclose(out_); }

  // The next message that `match` accepts; none when the client ended first.
  std::optional<Message> WaitFor(const std::function<bool(const Message&)>& match) {
    std::string line;
    for (int c; (c = std::fgetc(out_)) != EOF;) {
      if (c != '\n') {
        line += static_cast<char>(c);
        continue;
      }
      const size_t space = line.find(' ', 2);
      if (space != std::string::npos) {
        const Message message{line.substr(2, space - 2), line.substr(space + 1), line[0] == '1'};
        if (match(message)) return message;
      }
      line.clear();
    }
    return std::nullopt;
  }

 private:
  FILE* out_;
};

// A state with a slide on screen; a subscriber gets it as retained when it subscribes after it
// was published.
bool IsState(const Message& message) {
  return message.topic == "t/state" &&
         nlohmann::json::parse(message.payload).value("slide", 0) >= 1;
}
bool IsRetainedState(const Message& message) {
  return message.retained && IsState(message);
}

using Publish = BrokerTest;

TEST_F(Publish, LateSubscriberGetsTheWholeStateThenEachChange) {
  std::optional<Message> state, change;
  const auto start = Clock::now();
  const ProgramResult result = ShowWhile(
      example_, {"show", deck_, "--publish", Address(), "--for", "6s", "--advance", "manual"}, [&] {
        SleepUntil(start, 1.5);
        Subscriber late(broker_.port(), 4);
        state = late.WaitFor(IsRetainedState);
        std::string tsv = ReadFile(example_.Example("data/sales.tsv"));
        tsv.replace(tsv.find("1250.5"), 6, "4321.5");
        std::ofstream(example_.Example("data/sales.tsv"), std::ios::trunc) << tsv;
        change = late.WaitFor([](const Message& message) {
          return message.topic == "t/events" &&
                 message.payload.find("\"new\":\"4321.5\"") != std::string::npos;
        });
      });
  EXPECT_EQ(result.exit_code, 0) << result.err;
  ASSERT_TRUE(state) << "no retained state for a late subscriber";
  const auto whole = nlohmann::json::parse(state->payload);
  EXPECT_EQ(whole["count"], 3);
  EXPECT_FALSE(whole["shapes"].empty());
  EXPECT_THAT(state->payload, HasSubstr(">1250.5<")) << "the values on screen";
  ASSERT_TRUE(change) << "the rewritten TAB file did not reach the subscriber\n" << result.out;
  const auto event = nlohmann::json::parse(change->payload);
  EXPECT_EQ(event["event"], "text");
  EXPECT_GT(event["sequence"].get<int>(), whole["sequence"].get<int>());
  EXPECT_THAT(event.value("svg", ""), HasSubstr(">4321.5<")) << "only the changed shape";
}

TEST_F(Publish, TheShowOutlivesTheBrokerAndPublishesItsStateAgain) {
  example_.Settings("[Info]\nBrokerUser=show\nBrokerPassword=secret\n");
  std::optional<Message> state, retained;
  const auto start = Clock::now();
  const ProgramResult result =
      ShowWhile(example_, {"show", deck_, "--publish", Address(), "--for", "12s", "--json"}, [&] {
        SleepUntil(start, 2);
        broker_.Stop();
        SleepUntil(start, 4);
        broker_.Start();
        // The restarted broker kept nothing: whatever state it holds, the show sent again.
        Subscriber after(broker_.port(), 7);
        state = after.WaitFor(IsState);
        Subscriber later(broker_.port(), 2);
        retained = later.WaitFor(IsRetainedState);
      });
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_TRUE(state) << "the state was not published again\n" << result.out;
  EXPECT_TRUE(retained) << "the state published again is not retained";
  const auto events = ParseEvents(result.out);
  EXPECT_EQ(EventsOf(events, "broker-failed").size(), 1u) << result.out;
  EXPECT_EQ(EventsOf(events, "broker-restored").size(), 1u) << result.out;
  EXPECT_FALSE(EventsOf(events, "show-end").empty()) << "the show went on to its end";
  EXPECT_EQ(Occurrences(result.err, "lost the broker"), 1u) << result.err;
}

class BrokerDistribution : public BrokerTest {
 protected:
  void SetUp() override {
    BrokerTest::SetUp();
    if (IsSkipped()) return;
    const ProgramResult listed =
        example_.Vintrel({"distribution", deck_, "--computer", "screen-1", "--start",
                          "2000-01-01 00:00", "--stop", "2099-01-01 00:00"});
    ASSERT_EQ(listed.exit_code, 0) << listed.err;
  }
  std::vector<std::string> Player(const std::string& seconds) const {
    return {"player",     "--broker", Address(), "--cache", cache_,
            "--computer", "screen-1", "--for",   seconds,   "--json"};
  }

  std::string cache_ = example_.File("cache");
};

// The sent file waits on the broker for a player started afterwards; a file in the cache that
// the broker no longer holds goes at start, and a withdrawn one stops its show at once.
TEST_F(BrokerDistribution, ALaterPlayerShowsTheSentFileUntilItIsWithdrawn) {
  const ProgramResult sent = example_.Vintrel({"send", deck_, "--to", Address()});
  ASSERT_EQ(sent.exit_code, 0) << sent.err;
  fs::create_directories(cache_);
  std::ofstream(cache_ + "/withdrawn-while-away.pptx") << "an old copy";

  bool cached = false;
  bool stale_gone = false;
  std::chrono::system_clock::time_point withdrawn;
  const auto begun = std::chrono::system_clock::now();
  const auto start = Clock::now();
  const ProgramResult shown = ShowWhile(example_, Player("6"), [&] {
    SleepUntil(start, 4);
    cached = fs::exists(cache_ + "/sales-board.pptx");
    stale_gone = !fs::exists(cache_ + "/withdrawn-while-away.pptx");
    EXPECT_EQ(
        example_.Vintrel({"send", "--withdraw", "sales-board.pptx", "--to", Address()}).exit_code,
        0);
    withdrawn = std::chrono::system_clock::now();
  });
  EXPECT_EQ(shown.exit_code, 0) << shown.err;
  EXPECT_TRUE(cached) << "the player did not get the file sent before it started";
  EXPECT_TRUE(stale_gone) << "a file the broker does not hold stayed in the cache";
  EXPECT_FALSE(fs::exists(cache_ + "/sales-board.pptx")) << "the withdrawn file stayed";
  const auto events = ParseEvents(shown.out);
  const auto started = EventsOf(events, "player-start");
  const auto stopped = EventsOf(events, "player-stop");
  ASSERT_EQ(started.size(), 1u) << shown.out;
  EXPECT_EQ(started[0].json["file"], cache_ + "/sales-board.pptx");
  // A file from the broker is whole: shown without waiting for it to be left alone.
  EXPECT_LT(started[0].time - begun, std::chrono::milliseconds(1500)) << "not shown at once";
  ASSERT_FALSE(stopped.empty()) << shown.out;
  EXPECT_EQ(stopped[0].json["reason"], "file removed") << shown.out;
  EXPECT_LT(stopped[0].time - withdrawn, std::chrono::seconds(1)) << "not picked up at once";
}

// Each command that uses a broker refuses one it cannot use before doing anything.
TEST_F(BrokerTest, ABrokerThatCannotBeUsedIsBadInput) {
  const std::string unreachable = "mqtt://127.0.0.1:" + std::to_string(FreePort()) + "/t";
  const std::string wrong_password = "[Info]\nBrokerUser=show\nBrokerPassword=wrong\n";
  const struct {
    std::vector<std::string> arguments;
    std::string settings;
    std::string error;
  } cases[] = {
      {{"show", deck_, "--publish", unreachable}, "", "cannot reach the broker"},
      {{"show", deck_, "--publish", Address()}, wrong_password, "refused the connection"},
      {{"show", deck_, "--publish", "mqtts://127.0.0.1:" + std::to_string(broker_.port()) + "/t"},
       "",
       "cannot connect to the broker"},
      {{"show", deck_, "--publish", "mqtt://127.0.0.1/"}, "", "--publish takes"},
      {{"send", deck_, "--to", unreachable}, "", "cannot reach the broker"},
      {{"send", deck_, "--to", "mqtt://127.0.0.1/"}, "", "--to takes"},
      {{"send", "--withdraw", "t/#", "--to", Address()}, "", "--withdraw takes"},
      {{"send", deck_, "--withdraw", "x.pptx", "--to", Address()}, "", "either"},
      {{"player", "--broker", unreachable}, "", "cannot reach the broker"},
      {{"player", "--broker", "http://127.0.0.1/t"}, "", "--broker takes"},
      {{"player", "--broker", Address(), "--folder", example_.File("cache")}, "", "not both"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.arguments[0] + " " + row.error);
    example_.Settings(row.settings);
    // A show or a player that went ahead would run for a while.
    std::vector<std::string> arguments = row.arguments;
    if (row.arguments[0] != "send") arguments.insert(arguments.end(), {"--for", "2"});
    const ProgramResult result = example_.Vintrel(arguments);
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_THAT(result.err, HasSubstr(row.error));
    EXPECT_EQ(result.out, "");
  }
}

// The player says once that the broker went away, goes on showing what it has and hears from the
// broker again when it is back.
TEST_F(BrokerDistribution, ThePlayerOutlivesTheBroker) {
  ASSERT_EQ(example_.Vintrel({"send", deck_, "--to", Address()}).exit_code, 0);
  const auto start = Clock::now();
  const ProgramResult shown = ShowWhile(example_, Player("6"), [&] {
    SleepUntil(start, 1.5);
    broker_.Stop();
    SleepUntil(start, 2.5);
    broker_.Start();
  });
  EXPECT_EQ(shown.exit_code, 0) << shown.err;
  EXPECT_EQ(Occurrences(shown.err, "lost the broker"), 1u) << shown.err;
  EXPECT_EQ(Occurrences(shown.err, "answers again"), 1u) << shown.err;
  const auto events = ParseEvents(shown.out);
  EXPECT_EQ(EventsOf(events, "player-start").size(), 1u) << shown.out;
  const auto stopped = EventsOf(events, "player-stop");
  ASSERT_EQ(stopped.size(), 1u) << shown.out;
  EXPECT_EQ(stopped[0].json["reason"], "player ends");
}

}  // namespace
}  // namespace vintrel::testing
