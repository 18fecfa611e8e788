// What a screen shows out of a distribution folder: each presentation there carries a
// distribution list (the computers that show it and the window of time in which they show it);
// a computer shows, at any moment, the presentation whose list names it and whose window is
// open, the latest start winning when windows overlap.
#ifndef VINTREL_OFFLINE_DISTRIBUTION_SCHEDULE_H_
#define VINTREL_OFFLINE_DISTRIBUTION_SCHEDULE_H_

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "connections/tag_values.h"
#include "host/tags.h"

namespace vintrel {

using SystemTime = std::chrono::sys_seconds;

// A distribution list as a presentation's tags hold it. A window without a start is open from
// the beginning of time, one without a stop for ever (the form always writes both; files
// written otherwise may leave one empty).
struct DistributionList {
  std::optional<LocalDateTime> start;
  std::optional<LocalDateTime> stop;
  std::vector<std::string> computers;
};

// The list the presentation's tags hold; none when it has no distribution tag at all. A start or
// stop that is not a date (empty text is no date, not a wrong one) raises kErrTypeMismatch
// naming the tag.
std::optional<DistributionList> ReadDistributionList(const host::Tags& tags);

// Computer names compared as people compare them: blanks around and letter case do not count,
// and a name without a domain matches the same name with one ("SCREEN1" is
// "screen1.example.org").
bool SameComputer(std::string_view a, std::string_view b);

// Whether `zone` names a zone of the system's time zone database ("Europe/Oslo"); empty text
// stands for this machine's own zone and is always known.
bool KnownTimeZone(const std::string& zone);

// The moment at which the clocks of `zone` (empty: this machine's zone) show `local`. A time the
// clocks skip when they are put forward is read with the offset before the change (02:30 on
// the day clocks jump from 02:00 to 03:00 is 03:30); a time they show twice is its first
// occurrence. None when the zone is not in the database.
std::optional<SystemTime> ZonedTime(LocalDateTime local, const std::string& zone);

// One presentation of the folder with its list (none: the file carries no list).
struct ScheduledFile {
  std::string file;
  std::optional<DistributionList> list;
};

// The presentation `computer` shows at `now`, the window's local times read in `zone`: of those
// whose list names the computer and whose window holds now (start <= now < stop), the one with
// the latest start (no start counts as the earliest); between equal starts, the first by file
// name. Null when there is none.
const ScheduledFile* ChooseShow(const std::vector<ScheduledFile>& files, std::string_view computer,
                                SystemTime now, const std::string& zone);

}  // namespace vintrel

#endif  // VINTREL_OFFLINE_DISTRIBUTION_SCHEDULE_H_
