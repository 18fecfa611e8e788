#include "faults/fault_support.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <date/date.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace vintrel::testing {

namespace fs = std::filesystem;

std::map<std::string, std::string> ProgramHome::Environment() const {
  return {{"VINTREL_HOME", path()}, {"VINTREL_SETTINGS", File("absent.ini")}};
}

ProgramResult ProgramHome::Run(const std::vector<std::string>& arguments,
                               const std::string& input) const {
  return RunProgram(VINTREL_PROGRAM, arguments, Environment(), input);
}

std::string ProgramHome::Ok(const std::vector<std::string>& arguments) const {
  const ProgramResult result = Run(arguments);
  EXPECT_EQ(result.exit_code, 0) << arguments[0] << ": " << result.err;
  return result.out;
}

int FreePort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  if (fd >= 0) ::close(fd);
  return port;
}

ExampleCopy::ExampleCopy() {
  fs::copy(fs::path(VINTREL_SOURCE_DIR) / "examples", folder_.File("examples"),
           fs::copy_options::recursive);
  fs::create_directories(folder_.File("addin"));
}

std::string ExampleCopy::Example(const std::string& relative) const {
  return folder_.File("examples/" + relative);
}

std::string ExampleCopy::ErrorLog() const {
  return ReadFile(folder_.File("addin/errors.txt"));
}

ProgramResult ExampleCopy::Vintrel(const std::vector<std::string>& arguments,
                                   const std::map<std::string, std::string>& extra) const {
  std::map<std::string, std::string> environment = extra;  // these win over the defaults
  environment.insert({{"VINTREL_HOME", folder_.File("addin")},
                      {"VINTREL_SETTINGS", folder_.File("settings.ini")},
                      {"TZ", "UTC"}});
  return RunProgram(VINTREL_PROGRAM, arguments, environment);
}

void ExampleCopy::Settings(const std::string& text) const {
  std::ofstream(folder_.File("settings.ini"), std::ios::binary | std::ios::trunc) << text;
}

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

Table ParseTsv(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::vector<std::string>> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    lines.push_back(fields);
  }
  Table table;
  for (size_t row = 1; row < lines.size(); ++row) {
    std::map<std::string, std::string> record;
    for (size_t column = 0; column < lines[0].size() && column < lines[row].size(); ++column) {
      record[lines[0][column]] = lines[row][column];
    }
    table.push_back(record);
  }
  return table;
}

std::map<std::string, nlohmann::json> ShapesByName(const std::string& inspect_json) {
  std::map<std::string, nlohmann::json> shapes;
  const auto outline = nlohmann::json::parse(inspect_json, nullptr, false);
  if (!outline.is_object()) return shapes;
  for (const auto& slide : outline["slides"]) {
    for (const auto& shape : slide["shapes"]) shapes[shape.value("name", "")] = shape;
  }
  return shapes;
}

std::vector<ShowEvent> ParseEvents(const std::string& out) {
  std::vector<ShowEvent> events;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) continue;
    ShowEvent event;
    event.json = nlohmann::json::parse(line, nullptr, false);
    if (event.json.is_discarded() || !event.json.is_object()) {
      ADD_FAILURE() << "not a JSON object: " << line;
      continue;
    }
    date::sys_time<std::chrono::milliseconds> time;
    std::istringstream(event.json.value("time", "")) >> date::parse("%FT%T", time);
    event.time = time;
    events.push_back(std::move(event));
  }
  return events;
}

std::vector<ShowEvent> EventsOf(const std::vector<ShowEvent>& events, const std::string& kind) {
  std::vector<ShowEvent> found;
  for (const ShowEvent& event : events) {
    if (event.event() == kind) found.push_back(event);
  }
  return found;
}

std::vector<std::string> TextsOf(const std::vector<ShowEvent>& events, const std::string& name) {
  std::vector<std::string> texts;
  for (const ShowEvent& event : events) {
    if (event.event() == "text" && event.json.value("name", "") == name) {
      texts.push_back(event.json.value("new", ""));
    }
  }
  return texts;
}

ProgramResult ShowWhile(const ExampleCopy& example, const std::vector<std::string>& arguments,
                        const std::function<void()>& faults,
                        const std::map<std::string, std::string>& extra) {
  ProgramResult result;
  std::thread show([&] { result = example.Vintrel(arguments, extra); });
  faults();
  show.join();
  return result;
}

void SleepUntil(std::chrono::steady_clock::time_point start, double seconds) {
  std::this_thread::sleep_until(start +
                                std::chrono::milliseconds(static_cast<int>(seconds * 1000)));
}

}  // namespace vintrel::testing
