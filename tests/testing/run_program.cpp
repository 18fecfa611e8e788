#include "testing/run_program.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "testing/temp_dir.h"

extern char** environ;

namespace vintrel::testing {

namespace {

// Arguments and environment as exec takes them (ours, with `environment` laid over it): pointers
// into strings this keeps alive.
struct ChildCommand {
  ChildCommand(const std::string& program, const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& environment)
      : args{program} {
    args.insert(args.end(), arguments.begin(), arguments.end());
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string text = *entry;
      if (environment.count(text.substr(0, text.find('='))) == 0) env_strings.push_back(text);
    }
    for (const auto& [name, value] : environment) {
      if (!value.empty()) env_strings.push_back(name + "=" + value);
    }
    for (auto& text : env_strings) envp.push_back(text.data());
    envp.push_back(nullptr);
    for (auto& text : args) argv.push_back(text.data());
    argv.push_back(nullptr);
  }
  std::vector<std::string> args;
  std::vector<std::string> env_strings;
  std::vector<char*> envp;
  std::vector<char*> argv;
};

// Appends to `out` what the terminal gives within 100 ms: the count of bytes read, 0 when nothing
// came, -1 when the program closed the terminal.
ssize_t ReadSome(int terminal, std::string& out) {
  pollfd wait{terminal, POLLIN, 0};
  if (poll(&wait, 1, 100) <= 0) return 0;
  char buffer[4096];
  const ssize_t got = read(terminal, buffer, sizeof buffer);
  if (got <= 0) return -1;
  out.append(buffer, static_cast<size_t>(got));
  return got;
}

}  // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment,
                         const std::string& input) {
  TempDir capture;
  const std::string out_path = capture.File("out");
  const std::string err_path = capture.File("err");
  const std::string in_path = input.empty() ? "/dev/null" : capture.Write("in", input);

  ChildCommand command(program, arguments, environment);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, in_path.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ProgramResult result;
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, command.argv.data(),
                  command.envp.data()) == 0) {
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

ProgramResult RunInTerminal(const std::string& program, const std::vector<std::string>& arguments,
                            const std::map<std::string, std::string>& environment,
                            const std::vector<std::string>& lines) {
  ChildCommand command(program, arguments, environment);

  ProgramResult result;
  int terminal = -1;
  const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (pid < 0) {
    result.err = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
    return result;
  }
  if (pid == 0) {
    execve(program.c_str(), command.argv.data(), command.envp.data());
    _exit(127);
  }
  // Reads until the output ends with a prompt, the program ends or 20 s pass; false when no
  // prompt came.
  auto read_to_prompt = [&](size_t from) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      if (ReadSome(terminal, result.out) < 0) return false;
      const std::string_view fresh = std::string_view(result.out).substr(from);
      if (fresh.ends_with("> ") || fresh.ends_with(": ")) return true;
    }
    return false;
  };
  size_t from = 0;
  for (const std::string& line : lines) {
    if (!read_to_prompt(from)) break;
    from = result.out.size();
    const std::string typed = line + "\n";
    if (write(terminal, typed.data(), typed.size()) < 0) break;
  }
  // What the program prints after the last line, up to its end.
  int status = 0;
  bool ended = false;
  for (const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
       !ended && std::chrono::steady_clock::now() < deadline;) {
    if (ReadSome(terminal, result.out) > 0) continue;
    ended = waitpid(pid, &status, WNOHANG) == pid;
  }
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  close(terminal);
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

bool HasLibreOffice() {
  return std::system(
             "command -v soffice >/dev/null 2>&1 && command -v pdftotext >/dev/null 2>&1") == 0;
}

std::vector<std::string> PresentationPages(const std::string& deck) {
  TempDir work;
  const std::string convert = "cd '" + work.path() + "' && timeout 300 soffice " +
                              "-env:UserInstallation=file://" + work.path() +
                              "/profile --headless --norestore --convert-to pdf --outdir '" +
                              work.path() + "' '" + deck + "' >soffice.log 2>&1";
  if (std::system(convert.c_str()) != 0) {
    ADD_FAILURE() << "LibreOffice could not convert " << deck << "\n"
                  << ReadFile(work.File("soffice.log"));
    return {};
  }
  const std::string name = std::filesystem::path(deck).stem().string();
  const std::string text_file = work.File("text.txt");
  if (std::system(("pdftotext '" + work.File(name + ".pdf") + "' '" + text_file + "'").c_str())) {
    ADD_FAILURE() << "pdftotext could not read the PDF of " << deck;
    return {};
  }
  // pdftotext ends every page with a form feed.
  std::vector<std::string> pages;
  std::stringstream text(ReadFile(text_file));
  for (std::string page; std::getline(text, page, '\f');) pages.push_back(page);
  return pages;
}

}  // namespace vintrel::testing
