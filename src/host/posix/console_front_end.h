// The front end of the command-line program: message boxes go to the error stream; a person at a
// terminal may answer them, and a run without one gets the default answer at once and never
// blocks.
#ifndef VINTREL_HOST_POSIX_CONSOLE_FRONT_END_H_
#define VINTREL_HOST_POSIX_CONSOLE_FRONT_END_H_

#include <iosfwd>
#include <string>

#include "host/platform.h"

namespace vintrel::host::posix {

class ConsoleFrontEnd : public FrontEnd {
 public:
  // With `interactive`, questions are asked on `out` and answered from `in`; otherwise boxes are
  // only shown and answered with their default: OK, or No for a yes/no question.
  ConsoleFrontEnd(std::istream& in, std::ostream& out, bool interactive)
      : in_(in), out_(out), interactive_(interactive) {}

  int MsgBox(const std::string& text, int style, const std::string& title) override;
  std::string BrowseForFolder(const std::string& title) override;
  std::string BrowseForComputer(const std::string& title) override;
  std::string BrowseForFile(const std::string& title, const std::string& filter,
                            const std::string& initial_path) override;
  void ShowHelp(const std::string& help_file, int context_id) override;
  void SetBusy(bool busy) override { busy_ = busy; }

  // A quiet front end shows no message box at all (and still answers with the default); for
  // commands that report failures in their own words.
  void SetQuiet(bool quiet) { quiet_ = quiet; }
  bool busy() const { return busy_; }
  int boxes_shown() const { return boxes_shown_; }

 private:
  std::string AskLine(const std::string& prompt);

  std::istream& in_;
  std::ostream& out_;
  bool interactive_;
  bool busy_ = false;
  bool quiet_ = false;
  int boxes_shown_ = 0;
};

// The default answer of a message box style.
int DefaultAnswer(int style);

}  // namespace vintrel::host::posix

#endif  // VINTREL_HOST_POSIX_CONSOLE_FRONT_END_H_
