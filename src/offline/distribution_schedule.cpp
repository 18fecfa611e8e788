#include "offline/distribution_schedule.h"
#include "host/common/ascii.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>

#include "document/tag_schema.h"
#include "host/error.h"

namespace vintrel {
namespace {

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::string_view HostPart(std::string_view name) {
  return name.substr(0, name.find('.'));
}

// The local clock's offset from UTC at `moment`, in seconds, in the zone TZ names now.
long OffsetAt(time_t moment) {
  tm local{};
  if (localtime_r(&moment, &local) == nullptr) return 0;
  return local.tm_gmtoff;
}

// Runs `work` with TZ set to `zone` (unchanged for empty text); TZ is process-wide, so one
// conversion at a time.
template <typename Work>
auto InZone(const std::string& zone, Work work) {
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  if (zone.empty()) {
    tzset();
    return work();
  }
  const char* before = std::getenv("TZ");
  const std::optional<std::string> saved =
      before ? std::optional<std::string>(before) : std::nullopt;
  setenv("TZ", (":" + zone).c_str(), 1);
  tzset();
  auto result = work();
  if (saved) {
    setenv("TZ", saved->c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
  return result;
}

}  // namespace

std::optional<DistributionList> ReadDistributionList(const host::Tags& tags) {
  std::optional<DistributionList> list;
  for (int index = 1; index <= tags.Count(); ++index) {
    const std::string name = tags.Name(index);
    const bool start = HasTagPrefix(name, tag::kDistributionStart);
    const bool stop = HasTagPrefix(name, tag::kDistributionStop);
    const bool computers = HasTagPrefix(name, tag::kDistributionComputer);
    if (!start && !stop && !computers) continue;
    if (!list) list.emplace();
    const std::string value = tags.Value(index);
    if (computers) {
      for (std::string& computer : DistributionComputers(value)) {
        list->computers.push_back(std::move(computer));
      }
      continue;
    }
    if (Trimmed(value).empty()) continue;
    const std::optional<LocalDateTime> date = ParseDateTime(value);
    if (!date) {
      throw Error(kErrTypeMismatch, "Distribution",
                  "the " + std::string(start ? "start" : "stop") + " of the distribution list \"" +
                      value + "\" is not a date");
    }
    (start ? list->start : list->stop) = date;
  }
  return list;
}

bool SameComputer(std::string_view a, std::string_view b) {
  const std::string left = UpperAscii(Trimmed(a));
  const std::string right = UpperAscii(Trimmed(b));
  if (left.empty() || right.empty()) return false;
  if (left == right) return true;
  const bool left_domain = left.find('.') != std::string::npos;
  const bool right_domain = right.find('.') != std::string::npos;
  return left_domain != right_domain && HostPart(left) == HostPart(right);
}

bool KnownTimeZone(const std::string& zone) {
  if (zone.empty()) return true;
  if (zone.front() == '/' || zone.find("..") != std::string::npos) return false;
  const char* folder = std::getenv("TZDIR");
  const std::filesystem::path database = folder && *folder ? folder : "/usr/share/zoneinfo";
  std::error_code error;
  return std::filesystem::is_regular_file(database / zone, error);
}

std::optional<SystemTime> ZonedTime(LocalDateTime local, const std::string& zone) {
  // The clock reading taken as if it were UTC, then moved by the offsets in force a day before
  // and a day after: a reading that the zone shows under that offset is a true one.
  const auto naive = static_cast<time_t>(local.time_since_epoch().count());
  return InZone(zone, [naive]() -> std::optional<SystemTime> {
    const long before = OffsetAt(naive - 86400);
    const long after = OffsetAt(naive + 86400);
    std::optional<time_t> found;
    for (const long offset : {before, after}) {
      const time_t candidate = naive - offset;
      if (OffsetAt(candidate) == offset && (!found || candidate < *found)) found = candidate;
    }
    // A reading the clocks skip: the offset before the change.
    if (!found) found = naive - before;
    return SystemTime(std::chrono::seconds(*found));
  });
}

const ScheduledFile* ChooseShow(const std::vector<ScheduledFile>& files, std::string_view computer,
                                SystemTime now, const std::string& zone) {
  const ScheduledFile* chosen = nullptr;
  std::optional<SystemTime> chosen_start;
  for (const ScheduledFile& file : files) {
    if (!file.list) continue;
    const DistributionList& list = *file.list;
    bool named = false;
    for (const std::string& name : list.computers) named = named || SameComputer(name, computer);
    if (!named) continue;
    std::optional<SystemTime> start;
    if (list.start) {
      start = ZonedTime(*list.start, zone);
      if (!start || now < *start) continue;
    }
    if (list.stop) {
      const std::optional<SystemTime> stop = ZonedTime(*list.stop, zone);
      if (!stop || now >= *stop) continue;
    }
    const bool later = chosen == nullptr || start > chosen_start ||
                       (start == chosen_start && file.file < chosen->file);
    if (later) {
      chosen = &file;
      chosen_start = start;
    }
  }
  return chosen;
}

}  // namespace vintrel
