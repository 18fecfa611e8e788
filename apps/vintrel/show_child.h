// The live show of a saved presentation started from the studio: a child `vintrel show FILE
// --serve` of its own, so the show's clock, watchers and screens stay apart from the authoring
// session; it ends with the studio or when the next show starts.
#ifndef VINTREL_APPS_VINTREL_SHOW_CHILD_H_
#define VINTREL_APPS_VINTREL_SHOW_CHILD_H_

#include <sys/types.h>

#include <string>
#include <thread>

namespace vintrel::app {

class ShowChild {
 public:
  ShowChild() = default;
  ~ShowChild() { Stop(); }
  ShowChild(const ShowChild&) = delete;
  ShowChild& operator=(const ShowChild&) = delete;

  // Ends the show running, starts one of `file` listening on `address` (any free port), and
  // returns the address it prints. Raises vintrel::Error when it does not start.
  std::string Start(const std::string& file, const std::string& address);
  void Stop();

 private:
  pid_t pid_ = -1;
  std::thread reader_;  // reads the show's output, so the show never waits on a full pipe
};

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_SHOW_CHILD_H_
