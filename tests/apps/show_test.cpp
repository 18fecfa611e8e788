// The live show of the bundled example, run as a user runs it: its options, its event stream and
// its end (data changed while it runs is in tests/faults); and `vintrel show --export-page DIR
// --broker ws://... --topic TOPIC`, the live view's page written as static files (the page
// itself, in a browser following a real broker, is tests/browser/mqtt_page_test.mjs).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "broker_client.h"
#include "faults/fault_support.h"
#include "host/ooxml/zip_archive.h"
#include "page_export.h"

namespace vintrel::testing {
namespace {

namespace fs = std::filesystem;

TEST(Show, SigtermEndsTheShowCleanly) {
  const ExampleCopy example;
  const std::string deck = example.Example("sales-board.pptx");
  const std::string before = ReadFile(deck);
  const ProgramResult result = RunProgram(
      "/usr/bin/timeout",
      {"--preserve-status", "-s", "TERM", "4", VINTREL_PROGRAM, "show", deck, "--json"},
      {{"VINTREL_HOME", example.File("addin")}, {"VINTREL_SETTINGS", example.File("x.ini")}});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_THAT(result.out, HasSubstr("\"event\":\"show-begin\",\"slides\":3"));
  EXPECT_THAT(result.out, HasSubstr("\"event\":\"show-end\""));
  // Every line is one JSON object with a time stamp.
  std::istringstream lines(result.out);
  const std::regex shape(
      R"(^\{"time":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z","event":"[a-z-]+".*\}$)");
  for (std::string line; std::getline(lines, line);)
    EXPECT_TRUE(std::regex_match(line, shape)) << line;
  EXPECT_EQ(ReadFile(deck), before) << "a show never writes the presentation";
}

// Refused at once; only the live view stays for the time asked, and says why too.
TEST(Show, BadOptionsAndDecksWithNothingToShowAreRefusedWithExitCode2) {
  const ExampleCopy example;
  const std::string deck = example.Example("sales-board.pptx");
  // The deck with `from` replaced in each of its XML parts.
  const auto changed = [&](const std::string& name, const std::regex& from, const std::string& to) {
    auto package = ooxml::ZipArchive::Open(deck);
    for (const std::string& entry : package->Names()) {
      if (entry.ends_with(".xml"))
        package->Write(entry, std::regex_replace(package->Read(entry), from, to));
    }
    package->SaveAs(example.File(name));
    return example.File(name);
  };
  const std::string empty = changed("empty.pptx", std::regex("<p:sldIdLst>.*</p:sldIdLst>"), "");
  const std::string hidden = changed("hidden.pptx", std::regex("<p:sld "), "<p:sld show=\"0\" ");
  const std::string none_shown = "no slide to show: every slide of the presentation is hidden";
  const struct {
    std::vector<std::string> arguments;
    std::string says;  // part of stderr
  } cases[] = {
      {{"show", deck, "--for", "ten"}, "--for takes a time"},
      {{"show", deck, "--advance", "sometimes"}, "--advance takes auto, manual or every:SECONDS"},
      {{"show", deck, "--advance", "every:0"}, "needs a time above 0"},
      {{"show", deck, "--from", "9"}, "--from: "},
      {{"show", empty}, "the presentation has no slides"},
      {{"show", empty, "--from", "2"}, "the presentation has no slides"},
      {{"show", hidden, "--for", "30s"}, none_shown},
      {{"show", hidden, "--serve", "--port", "0", "--for", "1s"}, none_shown},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[1] + " " + c.arguments.back());
    const auto start = std::chrono::steady_clock::now();
    const ProgramResult result = example.Vintrel(c.arguments);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_THAT(result.err, HasSubstr(c.says));
    // Only a complaint about --from names it.
    EXPECT_EQ(result.err.find("--from") != std::string::npos, c.says.starts_with("--from"));
    // Only the live view stays for the time asked (1 s); a show would have run its 30 s.
    const bool serving = c.arguments.size() > 2 && c.arguments[2] == "--serve";
    EXPECT_EQ(result.out.find("Live show: http://") != std::string::npos, serving) << result.out;
    if (serving) {
      EXPECT_GE(took, std::chrono::seconds(1));
    }
    EXPECT_LT(took, std::chrono::seconds(20));
    // Refused before the show began: nothing on the output.
    if (c.arguments[1] != hidden) {
      EXPECT_EQ(result.out, "");
    }
  }
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
  EXPECT_EQ(fs::status(folder).permissions(), fs::perms(0755))
      << "a web server running as another user reads it";
  EXPECT_THAT(ReadFile(folder + "/config.js"),
              HasSubstr(R"({"broker":"wss://screens.example:8443/mqtt","topic":"lobby/board",)"
                        R"("transport":"mqtt"})"));
  const std::string index = ReadFile(folder + "/index.html");
  EXPECT_THAT(index, HasSubstr("connect-src wss://screens.example:8443;"));
  EXPECT_LT(index.find("src=\"config.js\""), index.find("src=\"live-view.js\""));

  // Again into the same folder, beside a file of the site's own: the page is replaced whole.
  std::ofstream(folder + "/robots.txt") << "User-agent: *\n";
  result = example.Vintrel(
      {"show", "--export-page", folder, "--broker", "ws://127.0.0.1:9001/", "--topic", "demo"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  std::vector<std::string> with_robots = files;
  with_robots.push_back("robots.txt");
  EXPECT_EQ(Listing(folder), with_robots) << "no hidden file is left behind";
  EXPECT_THAT(ReadFile(folder + "/config.js"), HasSubstr(R"("topic":"demo")"));
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
      {"[fe80::1]:8080", "fe80::1", 8080, 8080, 8080, 8080},
      {"[::1]8080", "", 0, 0, 0, 0},
      {"[::g]", "", 0, 0, 0, 0},
      {"host:", "", 0, 0, 0, 0},
      {"host:0", "", 0, 0, 0, 0},
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
