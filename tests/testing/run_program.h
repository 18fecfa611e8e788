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
// variable), without a shell, with `input` as standard input (empty: /dev/null); collects both
// streams.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment = {},
                         const std::string& input = "");

// Runs a program on a pseudo-terminal as a person at a terminal would: each of `lines` is typed
// once the program waits for input (its output ends with a prompt, "> " or ": "). Both streams
// arrive together in `out`. A program that waits more than 20 s for nothing is killed.
ProgramResult RunInTerminal(const std::string& program, const std::vector<std::string>& arguments,
                            const std::map<std::string, std::string>& environment,
                            const std::vector<std::string>& lines);

// The full path of a program on PATH; fails the test when there is none.
std::string ToolPath(const std::string& name);

// One part of a package, and the names of all of them, through unzip.
std::string PackagePart(const std::string& package, const std::string& part);
std::vector<std::string> PackagePartNames(const std::string& package);

// Whether LibreOffice (soffice) and pdftotext are installed: the checks that open our files in
// another program skip themselves without them.
bool HasLibreOffice();
// The text of each page LibreOffice shows of a presentation, through a PDF; fails the test and
// gives no page when the conversion fails.
std::vector<std::string> PresentationPages(const std::string& deck);

}  // namespace vintrel::testing

#endif  // VINTREL_TESTS_TESTING_RUN_PROGRAM_H_
