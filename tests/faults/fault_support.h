// What the program's tests share: a folder of a user without settings, a copy of the bundled
// example to break things in, the `vintrel` program run on them and its show's JSON event stream
// read back.
#ifndef VINTREL_TESTS_FAULTS_FAULT_SUPPORT_H_
#define VINTREL_TESTS_FAULTS_FAULT_SUPPORT_H_

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "testing/run_program.h"
#include "testing/temp_dir.h"

namespace vintrel::testing {

using ::testing::HasSubstr;
using ::testing::Not;

// A fresh folder that is the add-in folder (VINTREL_HOME) of a user without a settings file.
class ProgramHome : public TempDir {
 public:
  std::map<std::string, std::string> Environment() const;
  // Runs `vintrel` there, `input` as its standard input.
  ProgramResult Run(const std::vector<std::string>& arguments, const std::string& input = "") const;
  // Runs a command that must succeed; returns its output.
  std::string Ok(const std::vector<std::string>& arguments) const;
};

// A loopback port nobody listens on (at the moment of asking).
int FreePort();

// A copy of examples/ in a fresh folder, the add-in folder (logs) beside it.
class ExampleCopy {
 public:
  ExampleCopy();
  // A file of the copied example ("sales-board.pptx", "data/sales.tsv").
  std::string Example(const std::string& relative) const;
  std::string File(const std::string& name) const { return folder_.File(name); }
  // The error log of the add-in folder.
  std::string ErrorLog() const;
  // Runs `vintrel` with the add-in folder, the settings file (settings.ini of the folder, absent
  // unless written) and TZ=UTC; `extra` adds variables.
  ProgramResult Vintrel(const std::vector<std::string>& arguments,
                        const std::map<std::string, std::string>& extra = {}) const;
  // Writes settings.ini of the folder.
  void Settings(const std::string& text) const;

 private:
  TempDir folder_;
};

// How often `part` occurs in `text`.
size_t Occurrences(const std::string& text, const std::string& part);

// The rows of a TAB-separated file (or text) with column names in its first line, by column name.
using Table = std::vector<std::map<std::string, std::string>>;
Table ParseTsv(const std::string& text);
inline Table ReadTsv(const std::string& path) {
  return ParseTsv(ReadFile(path));
}

// The shapes of `vintrel inspect --json` output by name (a later shape of a name wins); empty
// when the output is no outline.
std::map<std::string, nlohmann::json> ShapesByName(const std::string& inspect_json);

// One line of `vintrel show --json`.
struct ShowEvent {
  std::chrono::system_clock::time_point time;
  nlohmann::json json;
  std::string event() const { return json.value("event", ""); }
};

std::vector<ShowEvent> ParseEvents(const std::string& out);
// The events of one kind, or the text events of the shape named `name`.
std::vector<ShowEvent> EventsOf(const std::vector<ShowEvent>& events, const std::string& kind);
std::vector<std::string> TextsOf(const std::vector<ShowEvent>& events, const std::string& name);

// Runs `vintrel show` in the background while `faults` runs on this thread; returns when both
// are done.
ProgramResult ShowWhile(const ExampleCopy& example, const std::vector<std::string>& arguments,
                        const std::function<void()>& faults,
                        const std::map<std::string, std::string>& extra = {});

// Sleeps until `seconds` after `start`.
void SleepUntil(std::chrono::steady_clock::time_point start, double seconds);

}  // namespace vintrel::testing

#endif  // VINTREL_TESTS_FAULTS_FAULT_SUPPORT_H_
