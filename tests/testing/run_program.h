#ifndef VINTREL_TESTS_TESTING_RUN_PROGRAM_H_
#define VINTREL_TESTS_TESTING_RUN_PROGRAM_H_

#include <map>
#include <string>
#include <vector>

namespace vintrel::testing {

struct ProgramResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Runs a program with arguments and extra environment variables (an empty value removes the
// variable), without a shell, with standard input from /dev/null; collects both streams.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment = {});

}  // namespace vintrel::testing

#endif  // VINTREL_TESTS_TESTING_RUN_PROGRAM_H_
