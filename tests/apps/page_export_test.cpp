// `vintrel show --export-page DIR --broker ws://... --topic TOPIC`: the live view's page written
// as static files. The page itself, in a browser following a real broker, is
// tests/browser/mqtt_page_test.mjs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "broker_client.h"
#include "faults/fault_support.h"
#include "page_export.h"
#include "testing/temp_dir.h"

namespace vintrel::testing {
namespace {

namespace fs = std::filesystem;

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}

std::vector<std::string> Listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(PageExport, WritesThePageNamingTheBrokerAndLeavesOtherFilesAlone) {
  const ExampleCopy example;
  const std::string folder = example.File("page");
  ProgramResult result =
      example.Vintrel({"show", "--export-page", folder, "--broker",
                       "wss://screens.example:8443/mqtt", "--topic", "lobby/board"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_THAT(result.out, HasSubstr("Wrote the live view's page to " + folder));
  const std::vector<std::string> files = {"config.js",    "index.html",      "live-view.css",
                                          "live-view.js", "mqtt.LICENSE.md", "mqtt.min.js"};
  EXPECT_EQ(Listing(folder), files);
  struct stat info {};
  ASSERT_EQ(::stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0755u) << "a web server running as another user reads it";
  EXPECT_THAT(ReadFile(folder + "/config.js"),
              HasSubstr(R"({"broker":"wss://screens.example:8443/mqtt","topic":"lobby/board",)"
                        R"("transport":"mqtt"})"));
  const std::string index = ReadFile(folder + "/index.html");
  EXPECT_THAT(index, HasSubstr("connect-src wss://screens.example:8443;"));
  EXPECT_LT(index.find("src=\"config.js\""), index.find("src=\"live-view.js\""));

  // Again into the same folder, beside a file of the site's own: the page is replaced whole.
  WriteFile(folder + "/robots.txt", "User-agent: *\n");
  result = example.Vintrel(
      {"show", "--export-page", folder, "--broker", "ws://127.0.0.1:9001/", "--topic", "demo"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  std::vector<std::string> with_robots = files;
  with_robots.push_back("robots.txt");
  EXPECT_EQ(Listing(folder), with_robots) << "no hidden file is left behind";
  EXPECT_THAT(ReadFile(folder + "/config.js"), HasSubstr(R"("topic":"demo")"));
  EXPECT_THAT(ReadFile(folder + "/index.html"), HasSubstr("connect-src ws://127.0.0.1:9001;"));
}

TEST(PageExport, BadAddressesTopicsFoldersAndOptionsAreExitCode2AndWriteNothing) {
  const ExampleCopy example;
  const std::string folder = example.File("page");
  const std::string deck = example.Example("sales-board.pptx");
  WriteFile(example.File("file"), "not a folder");
  const struct {
    std::vector<std::string> arguments;
    std::string says;  // part of stderr
  } cases[] = {
      {{"--broker", "http://127.0.0.1:9001/"}, "--broker takes the broker's WebSocket listener"},
      {{"--broker", "mqtt://127.0.0.1:1883/demo"}, "--broker takes"},
      {{"--broker", "ws://viewer:look@127.0.0.1/"}, "--broker takes"},
      {{"--broker", "ws://127.0.0.1:0/"}, "--broker takes"},
      {{"--broker", "ws://127.0.0.1/?token=x"}, "--broker takes"},
      {{"--topic", "demo/#"}, "--topic takes a topic without wildcards"},
      {{"--topic", "demo/"}, "--topic takes"},
      {{"--export-page", example.File("missing/page")}, "missing does not exist"},
      {{"--export-page", example.File("file")}, "is not a folder"},
      {{deck}, "a presentation FILE does not go with it"},
      {{"--serve"}, "--serve does not go with it"},
      {{"--publish", "mqtt://127.0.0.1/demo"}, "--publish does not go with it"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    std::map<std::string, std::string> options = {
        {"--export-page", folder}, {"--broker", "ws://127.0.0.1:9001/"}, {"--topic", "demo"}};
    std::vector<std::string> arguments = {"show"};
    for (size_t i = 0; i < c.arguments.size(); ++i) {
      if (options.count(c.arguments[i]) && i + 1 < c.arguments.size()) {
        options[c.arguments[i]] = c.arguments[i + 1];
        ++i;
      } else {
        arguments.push_back(c.arguments[i]);
      }
    }
    for (const auto& [option, value] : options) arguments.insert(arguments.end(), {option, value});
    const ProgramResult result = example.Vintrel(arguments);
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_THAT(result.err, HasSubstr(c.says));
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(fs::exists(folder));
  }
  // Only together.
  const ProgramResult alone = example.Vintrel({"show", "--export-page", folder});
  EXPECT_EQ(alone.exit_code, 2);
  EXPECT_THAT(alone.err, HasSubstr("go together"));
  EXPECT_FALSE(fs::exists(folder));
}

// Both address forms share one reading of HOST[:PORT]: the defaults per scheme, IPv6 in
// brackets, and everything that is not a plain host refused.
TEST(BrokerAddresses, AreReadTheSameForMqttAndWebSockets) {
  const struct {
    std::string authority;
    std::string host;  // "" when refused
    int mqtt_port, mqtts_port, ws_port, wss_port;
  } cases[] = {
      {"broker.example", "broker.example", 1883, 8883, 80, 443},
      {"10.0.0.7:9001", "10.0.0.7", 9001, 9001, 9001, 9001},
      {"[::1]", "::1", 1883, 8883, 80, 443},
      {"[fe80::1]:8080", "fe80::1", 8080, 8080, 8080, 8080},
      {"[::1]8080", "", 0, 0, 0, 0},
      {"[::g]", "", 0, 0, 0, 0},
      {"host:", "", 0, 0, 0, 0},
      {"host:65536", "", 0, 0, 0, 0},
      {"user@host", "", 0, 0, 0, 0},
      {"", "", 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.authority);
    const auto mqtt = app::ParseBrokerAddress("mqtt://" + c.authority + "/t");
    const auto mqtts = app::ParseBrokerAddress("mqtts://" + c.authority + "/t");
    const auto ws = app::ParseWebSocketAddress("ws://" + c.authority + "/");
    const auto wss = app::ParseWebSocketAddress("wss://" + c.authority);
    if (c.host.empty()) {
      EXPECT_FALSE(mqtt || mqtts || ws || wss);
      continue;
    }
    ASSERT_TRUE(mqtt && mqtts && ws && wss);
    EXPECT_EQ(mqtt->host, c.host);
    EXPECT_EQ(wss->host, c.host);
    EXPECT_EQ(mqtt->topic, "t");
    EXPECT_EQ(std::vector({mqtt->port, mqtts->port, ws->port, wss->port}),
              std::vector({c.mqtt_port, c.mqtts_port, c.ws_port, c.wss_port}));
    EXPECT_TRUE(mqtts->tls && wss->tls && !mqtt->tls && !ws->tls);
    EXPECT_EQ(wss->path, "/");
  }
}

}  // namespace
}  // namespace vintrel::testing
