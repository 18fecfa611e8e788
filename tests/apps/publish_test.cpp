// `vintrel show --publish`: the bundled example published through a real Mosquitto of the test's
// own on a free loopback port (tests/mqtt/mosquitto.conf), watched by a subscriber made with the
// same client library. Skipped when the `mosquitto` broker is not installed.
#include <gtest/gtest.h>
#include <mosquitto.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "apps/test_broker.h"
#include "faults/fault_support.h"
#include "testing/temp_dir.h"

namespace vintrel::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Message {
  std::string topic;
  std::string payload;
  bool retained = false;
};

// Subscribes to t/# and keeps every message; without a user, as an anonymous client.
class Subscriber {
 public:
  explicit Subscriber(int port, const char* user = nullptr, const char* password = nullptr) {
    mosquitto_lib_init();
    client_ = mosquitto_new(nullptr, true, this);
    if (user != nullptr) mosquitto_username_pw_set(client_, user, password);
    mosquitto_connect_callback_set(client_, [](mosquitto* client, void*, int code) {
      if (code == 0) mosquitto_subscribe(client, nullptr, "t/#", 1);
    });
    mosquitto_message_callback_set(
        client_, [](mosquitto*, void* self, const mosquitto_message* message) {
          auto* subscriber = static_cast<Subscriber*>(self);
          std::lock_guard lock(subscriber->mutex_);
          subscriber->messages_.push_back(
              {message->topic,
               std::string(static_cast<const char*>(message->payload), message->payloadlen),
               message->retain});
        });
    mosquitto_connect(client_, "127.0.0.1", port, 10);
    mosquitto_loop_start(client_);
  }
  ~Subscriber() {
    mosquitto_disconnect(client_);
    mosquitto_loop_stop(client_, false);
    mosquitto_destroy(client_);
  }

  // Publishes and waits until the client has handed the message over.
  void Publish(const std::string& topic, const std::string& payload, bool retain) {
    int id = 0;
    mosquitto_publish(client_, &id, topic.c_str(), static_cast<int>(payload.size()),
                      payload.data(), 1, retain);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }

  // The first message that `match` accepts, waiting up to `seconds` for it.
  std::optional<Message> WaitFor(const std::function<bool(const Message&)>& match,
                                 double seconds) const {
    const auto until = Clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000));
    do {
      {
        std::lock_guard lock(mutex_);
        for (const Message& message : messages_) {
          if (match(message)) return message;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (Clock::now() < until);
    return std::nullopt;
  }

 private:
  mosquitto* client_;
  mutable std::mutex mutex_;
  std::vector<Message> messages_;
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

class Publish : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access(kBroker, X_OK) != 0) GTEST_SKIP() << "no MQTT broker: apt-get install mosquitto";
    broker_.Start();
  }
  std::string Address() const {
    return "mqtt://127.0.0.1:" + std::to_string(broker_.port()) + "/t";
  }

  ExampleCopy example_;
  std::string deck_ = example_.Example("sales-board.pptx");
  Broker broker_;
};

TEST_F(Publish, LateSubscriberGetsTheWholeStateThenEachChange) {
  std::optional<Message> state, change;
  const auto start = Clock::now();
  const ProgramResult result = ShowWhile(
      example_, {"show", deck_, "--publish", Address(), "--for", "6s", "--advance", "manual"}, [&] {
        SleepUntil(start, 1.5);
        const Subscriber late(broker_.port());
        state = late.WaitFor(IsRetainedState, 2);
        std::string tsv = ReadFile(example_.Example("data/sales.tsv"));
        tsv.replace(tsv.find("1250.5"), 6, "4321.5");
        std::ofstream(example_.Example("data/sales.tsv"), std::ios::trunc) << tsv;
        change = late.WaitFor(
            [](const Message& message) {
              return message.topic == "t/events" &&
                     message.payload.find("\"new\":\"4321.5\"") != std::string::npos;
            },
            3);
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

TEST_F(Publish, ABrokerThatCannotBeUsedAtStartIsBadInput) {
  const struct {
    std::string address;
    std::string settings;
    std::string error;
  } cases[] = {
      {"mqtt://127.0.0.1:" + std::to_string(FreePort()) + "/t", "", "cannot reach the broker"},
      {Address(), "[Info]\nBrokerUser=show\nBrokerPassword=wrong\n", "refused the connection"},
      {"mqtts://127.0.0.1:" + std::to_string(broker_.port()) + "/t", "",
       "cannot connect to the broker"},
      {"mqtt://127.0.0.1/", "", "--publish takes"},
  };
  for (const auto& row : cases) {
    example_.Settings(row.settings);
    const ProgramResult result =
        example_.Vintrel({"show", deck_, "--publish", row.address, "--for", "2s"});
    EXPECT_EQ(result.exit_code, 2) << row.address;
    EXPECT_THAT(result.err, HasSubstr(row.error));
    EXPECT_TRUE(result.out.empty()) << result.out;
  }
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
        const Subscriber after(broker_.port());
        state = after.WaitFor(IsState, 7);
        const Subscriber later(broker_.port());
        retained = later.WaitFor(IsRetainedState, 2);
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

// The README's broker set-up: the show's user publishes its topic, a screen's user may only read
// it. What a screen's user publishes never reaches the other screens, and the show goes on.
TEST_F(Publish, AViewerReadsTheShowButCannotPublishOnIt) {
  example_.Settings("[Info]\nBrokerUser=show\nBrokerPassword=secret\n");
  const auto forged = [](const Message& message) {
    return message.payload.find("forged") != std::string::npos;
  };
  std::optional<Message> seen, kept, forgery;
  const auto start = Clock::now();
  const ProgramResult result = ShowWhile(
      example_, {"show", deck_, "--publish", Address(), "--for", "5s", "--advance", "manual"}, [&] {
        SleepUntil(start, 1.5);
        Subscriber viewer(broker_.port(), "viewer", "look");
        seen = viewer.WaitFor(IsRetainedState, 2);
        viewer.Publish("t/state", R"({"slide":1,"count":1,"shapes":[],"forged":true})", true);
        viewer.Publish("t/events", R"({"event":"forged"})", false);
        const Subscriber other(broker_.port());
        kept = other.WaitFor(IsRetainedState, 2);
        forgery = other.WaitFor(forged, 0.5);
        if (!forgery) forgery = viewer.WaitFor(forged, 0.1);
      });
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_TRUE(seen) << "the viewer could not read the show";
  ASSERT_TRUE(kept);
  EXPECT_THAT(kept->payload, Not(HasSubstr("forged")));
  EXPECT_FALSE(forgery) << "a viewer's message went through: " << forgery->topic;
}

}  // namespace
}  // namespace vintrel::testing
