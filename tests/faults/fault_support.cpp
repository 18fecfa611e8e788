#include "faults/fault_support.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <regex>
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
  std::map<std::string, std::string> environment = {
      {"VINTREL_HOME", folder_.File("addin")},
      {"VINTREL_SETTINGS", folder_.File("settings.ini")},
      {"TZ", "UTC"}};
  for (const auto& [name, value] : extra) environment[name] = value;
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
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    ShowEvent event;
    event.json = nlohmann::json::parse(line, nullptr, false);
    if (event.json.is_discarded() || !event.json.is_object()) {
      ADD_FAILURE() << "not a JSON object: " << line;
      continue;
    }
    std::tm fields{};
    int millis = 0;
    const std::string stamp = event.json.value("time", "");
    std::istringstream in(stamp);
    in >> std::get_time(&fields, "%Y-%m-%dT%H:%M:%S");
    if (stamp.size() >= 23) millis = std::stoi(stamp.substr(20, 3));
    event.time =
        std::chrono::system_clock::from_time_t(timegm(&fields)) + std::chrono::milliseconds(millis);
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

int MissedClockSeconds(const std::vector<ShowEvent>& events, int* shown) {
  const std::regex time(R"((\d{1,2}):(\d{2}):(\d{2})\s*([AP]M)?)", std::regex::icase);
  int missed = 0;
  int count = 0;
  int last = -1;
  for (const std::string& text : TextsOf(events, "Clock")) {
    std::smatch m;
    if (!std::regex_match(text, m, time)) continue;
    int hours = std::stoi(m[1]);
    if (m[4].matched) hours = hours % 12 + (std::toupper(m[4].str()[0]) == 'P' ? 12 : 0);
    const int second = hours * 3600 + std::stoi(m[2]) * 60 + std::stoi(m[3]);
    if (last >= 0) {
      const int step = (second - last + 86400) % 86400;
      if (step > 1) missed += step - 1;
    }
    last = second;
    ++count;
  }
  if (shown != nullptr) *shown = count;
  return missed;
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

// ---- PrivatePostgres -------------------------------------------------------------------------

constexpr const char* kBin = "/usr/lib/postgresql/15/bin";

std::string PrivatePostgres::Unavailable() {
  if (::geteuid() != 0) return "a private PostgreSQL server runs as the postgres user: needs root";
  if (!fs::exists(std::string(kBin) + "/pg_ctl")) return std::string(kBin) + " is not installed";
  if (::getpwnam("postgres") == nullptr) return "there is no postgres user";
  return "";
}

PrivatePostgres::PrivatePostgres() {
  char pattern[] = "/tmp/vintrel-pg-XXXXXX";
  folder_ = ::mkdtemp(pattern);
  const passwd* user = ::getpwnam("postgres");
  [[maybe_unused]] int ignored = ::chown(folder_.c_str(), user->pw_uid, user->pw_gid);
  port_ = FreePort();
  int code = 0;
  const std::string out =
      RunAsPostgres({std::string(kBin) + "/initdb", "-D", folder_ + "/data", "-U", "vintrel",
                     "--auth=trust", "-E", "UTF8", "--no-sync"},
                    &code);
  EXPECT_EQ(code, 0) << out;
}

PrivatePostgres::~PrivatePostgres() {
  Stop();
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

std::string PrivatePostgres::RunAsPostgres(const std::vector<std::string>& arguments,
                                           int* exit_code) const {
  std::vector<std::string> all = {"-u", "postgres", "--"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  const ProgramResult result = RunProgram("/usr/sbin/runuser", all);
  if (exit_code != nullptr) *exit_code = result.exit_code;
  return result.out + result.err;
}

bool PrivatePostgres::Start() {
  int code = 0;
  const std::string out = RunAsPostgres(
      {std::string(kBin) + "/pg_ctl", "-D", folder_ + "/data", "-l", folder_ + "/log", "-w", "-o",
       "-p " + std::to_string(port_) + " -k " + folder_ + " -c listen_addresses=127.0.0.1",
       "start"},
      &code);
  EXPECT_EQ(code, 0) << out << ReadFile(folder_ + "/log");
  return code == 0;
}

bool PrivatePostgres::Stop() {
  if (!fs::exists(folder_ + "/data/postmaster.pid")) return true;
  int code = 0;
  RunAsPostgres(
      {std::string(kBin) + "/pg_ctl", "-D", folder_ + "/data", "-m", "fast", "-w", "stop"}, &code);
  return code == 0;
}

bool PrivatePostgres::Sql(const std::string& sql) const {
  const ProgramResult result =
      RunProgram("/usr/bin/psql",
                 {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", "127.0.0.1", "-p",
                  std::to_string(port_), "-U", "vintrel", "-d", "postgres", "-c", sql},
                 {{"PGOPTIONS", "-c client_min_messages=warning"}});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  return result.exit_code == 0;
}

std::string PrivatePostgres::ConnectionString() const {
  return "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(port_) +
         ";Database=postgres;Uid=vintrel;Pwd=unused;";
}

}  // namespace vintrel::testing
