// The receiving side of distribution: a screen follows a distribution folder and shows, at each
// moment, the presentation whose distribution list names it and whose time window is open (the
// latest start winning). This object keeps what the folder holds and decides; the program runs
// and ends the shows.
#ifndef VINTREL_OFFLINE_DISTRIBUTION_PLAYER_H_
#define VINTREL_OFFLINE_DISTRIBUTION_PLAYER_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/tags.h"
#include "offline/distribution_schedule.h"
#include "support/context.h"

namespace vintrel {

// This machine's name, as the distribution list names computers.
std::string ThisComputerName();

// The zone the distribution windows are meant in ("[Info] TimeZone", a zone database name such
// as "Europe/Oslo"); empty text: this machine's zone.
// KnownTimeZone (distribution_schedule.h) tells whether a zone is one.
std::string DistributionTimeZone(const Context& ctx);

// The distribution folder of the settings ("[Info] DistributionFolder"); empty text when none.
std::string DistributionFolderSetting(const Context& ctx);

class DistributionPlayer {
 public:
  // Opens a file's package on its own (no add-in, no data) and hands the presentation's tags to
  // `use`; raises vintrel::Error when the file cannot be opened.
  using TagReader = std::function<void(const std::string& file,
                                       const std::function<void(const host::Tags&)>& use)>;

  // The presentation to show: its path and a number that changes whenever the file is replaced;
  // an empty path when nothing is to be shown.
  struct Pick {
    std::string file;
    int version = 0;
    bool operator==(const Pick&) const = default;
  };

  DistributionPlayer(std::string folder, std::string computer, std::string zone, TagReader reader);

  // Looks at the folder again (presentations added, replaced, removed) and picks the one to show
  // at `now`. A file still being written (changed since the last look, less than two seconds
  // ago) waits for the next look. What cannot be read is added to `problems`, once for each
  // version of a file, and skipped.
  Pick Update(std::chrono::system_clock::time_point now, std::vector<std::string>& problems);
  // The current version of `file` cannot be shown (its show would not open): skipped until the
  // file changes.
  void SetUnusable(const std::string& file);
  // Whether `file`, as last read, is one this computer shows at `now` (whichever wins).
  bool InWindow(const std::string& file, std::chrono::system_clock::time_point now) const;

  // Files come into the folder whole, renamed into place (a player's own cache): each is read at
  // first sight rather than once it has been left alone for a while.
  void SetFilesArriveWhole() { files_arrive_whole_ = true; }

  const std::string& folder() const { return folder_; }
  const std::string& computer() const { return computer_; }

 private:
  struct Signature {
    int64_t size = -1;
    int64_t modified = 0;  // nanoseconds of the file clock
    bool operator==(const Signature&) const = default;
  };
  struct Entry {
    Signature seen;  // at the last look
    Signature read;  // of the version whose list is kept
    bool read_once = false;
    bool usable = false;
    int version = 0;
    ScheduledFile scheduled;
  };
  void Scan(std::vector<std::string>& problems);
  void Read(const std::string& file, Entry& entry, std::vector<std::string>& problems);

  std::string folder_;
  std::string computer_;
  std::string zone_;
  TagReader reader_;
  std::map<std::string, Entry> entries_;  // by path
  int next_version_ = 1;
  bool folder_reported_ = false;
  bool files_arrive_whole_ = false;
};

}  // namespace vintrel

#endif  // VINTREL_OFFLINE_DISTRIBUTION_PLAYER_H_
