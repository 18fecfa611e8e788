// Distribution through a real Mosquitto of the test's own: `vintrel send --to mqtt://...` leaves
// the presentation on the broker for players that come later, `--withdraw` takes it away again,
// and `vintrel player --broker` keeps what the broker holds in its cache and shows it. Skipped
// when the `mosquitto` broker is not installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "apps/test_broker.h"
#include "faults/fault_support.h"

namespace vintrel::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class BrokerDistribution : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access(kBroker, X_OK) != 0) GTEST_SKIP() << "no MQTT broker: apt-get install mosquitto";
    broker_.Start();
    ASSERT_EQ(example_
                  .Vintrel({"distribution", deck_, "--computer", "screen-1", "--start",
                            "2000-01-01 00:00", "--stop", "2099-01-01 00:00"})
                  .exit_code,
              0);
  }
  std::string Address() const {
    return "mqtt://127.0.0.1:" + std::to_string(broker_.port()) + "/t";
  }
  std::vector<std::string> Player(const std::string& seconds) const {
    return {"player",     "--broker", Address(), "--cache", cache_,
            "--computer", "screen-1", "--for",   seconds,   "--json"};
  }

  ExampleCopy example_;
  std::string deck_ = example_.Example("sales-board.pptx");
  std::string cache_ = example_.File("cache");
  Broker broker_;
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

TEST_F(BrokerDistribution, ABrokerThatCannotBeUsedIsBadInput) {
  const std::string unreachable = "mqtt://127.0.0.1:" + std::to_string(FreePort()) + "/t";
  const struct {
    std::vector<std::string> arguments;
    std::string settings;
    std::string error;
  } cases[] = {
      {{"send", deck_, "--to", unreachable}, "", "cannot reach the broker"},
      {{"send", deck_, "--to", "mqtt://127.0.0.1/"}, "", "--to takes"},
      {{"send", "--withdraw", "x.pptx", "--to", Address()},
       "[Info]\nBrokerUser=show\nBrokerPassword=wrong\n",
       "refused the connection"},
      {{"send", "--withdraw", "t/#", "--to", Address()}, "", "--withdraw takes"},
      {{"send", deck_, "--withdraw", "x.pptx", "--to", Address()}, "", "either"},
      {{"player", "--broker", unreachable, "--for", "1"}, "", "cannot reach the broker"},
      {{"player", "--broker", "http://127.0.0.1/t", "--for", "1"}, "", "--broker takes"},
      {{"player", "--broker", Address(), "--folder", cache_, "--for", "1"}, "", "not both"},
  };
  for (const auto& row : cases) {
    example_.Settings(row.settings);
    const ProgramResult result = example_.Vintrel(row.arguments);
    EXPECT_EQ(result.exit_code, 2) << row.arguments[0] << " " << row.error;
    EXPECT_THAT(result.err, HasSubstr(row.error));
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
