#include "testing/run_program.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "testing/temp_dir.h"

extern char** environ;

namespace vintrel::testing {

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment) {
  TempDir capture;
  const std::string out_path = capture.File("out");
  const std::string err_path = capture.File("err");

  std::vector<std::string> env_strings;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    if (environment.count(name) == 0) env_strings.push_back(text);
  }
  for (const auto& [name, value] : environment) {
    if (!value.empty()) env_strings.push_back(name + "=" + value);
  }
  std::vector<char*> envp;
  for (auto& text : env_strings) envp.push_back(text.data());
  envp.push_back(nullptr);

  std::vector<std::string> args = {program};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& text : args) argv.push_back(text.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ProgramResult result;
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  } else {
    result.err = "cannot start " + program + ": " + std::strerror(errno);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out += ReadFile(out_path);
  result.err += ReadFile(err_path);
  return result;
}

std::string ToolPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    const std::filesystem::path candidate = std::filesystem::path(folder) / name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  ADD_FAILURE() << name << " is not on PATH (scripts/setup.sh installs it)";
  return name;
}

std::string PackagePart(const std::string& package, const std::string& part) {
  // unzip reads names as wildcard patterns, and "[Content_Types].xml" has brackets.
  std::string pattern;
  for (char c : part) {
    if (c == '[' || c == ']' || c == '*' || c == '?') pattern += '\\';
    pattern += c;
  }
  const ProgramResult result = RunProgram(ToolPath("unzip"), {"-p", package, pattern});
  EXPECT_EQ(result.exit_code, 0) << part << ": " << result.err;
  return result.out;
}

std::vector<std::string> PackagePartNames(const std::string& package) {
  std::vector<std::string> names;
  std::stringstream lines(RunProgram(ToolPath("unzip"), {"-Z1", package}).out);
  for (std::string line; std::getline(lines, line);) names.push_back(line);
  return names;
}

}  // namespace vintrel::testing
