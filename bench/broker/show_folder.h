// A fresh folder for one run of `vintrel show`: its settings (files watched, so a write to the
// data reaches the show at once), the show's output, and what the run puts there (a copy of the
// bundled example, a generated deck, the broker's configuration). Removed with the run.
#ifndef VINTREL_BENCH_BROKER_SHOW_FOLDER_H_
#define VINTREL_BENCH_BROKER_SHOW_FOLDER_H_

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vintrel::bench {

namespace fs = std::filesystem;

class ShowFolder {
 public:
  // Under $TMPDIR, named after `name`; raises std::runtime_error when it cannot be made.
  explicit ShowFolder(const std::string& name);
  // Ends the show and removes the folder.
  ~ShowFolder();
  ShowFolder(const ShowFolder&) = delete;
  ShowFolder& operator=(const ShowFolder&) = delete;

  const fs::path& path() const { return path_; }
  // Runs `vintrel show DECK ARGUMENTS... --advance manual` for at most `seconds`, with this
  // folder's settings; -1 when it cannot start.
  pid_t StartShow(const fs::path& deck, const std::vector<std::string>& arguments, int seconds);
  pid_t show() const { return show_; }
  // Ends the show, telling (with its output) when it had ended early; safe to call twice.
  void EndShow();

 private:
  fs::path path_;
  pid_t show_ = -1;
};

// The example's shape whose value the runs change, and its value before the first change:
// change k writes kBase + k.
constexpr char kShape[] = "North sales";
constexpr long kBase = 10000;

// The bundled example copied into `folder`, North at kBase; its deck.
fs::path CopyExample(const ShowFolder& folder);
// Rewrites the example's TAB file with North's sales at `north` and a half.
void WriteSales(const ShowFolder& folder, long north);

}  // namespace vintrel::bench

#endif  // VINTREL_BENCH_BROKER_SHOW_FOLDER_H_
