#include "offline/distribution_schedule.h"
#include "host/common/ascii.h"

#include <date/tz.h>

#include <cstdlib>
#include <exception>

#include "document/tag_schema.h"
#include "host/common/text.h"
#include "host/error.h"

namespace vintrel {
namespace {

std::string_view HostPart(std::string_view name) {
  return name.substr(0, name.find('.'));
}

// The zone of the database called `name`; null when there is none.
const date::time_zone* ZoneNamed(std::string_view name) {
  try {
    return date::locate_zone(name);
  } catch (const std::exception&) {
    return nullptr;
  }
}

// The zone `zone` names; empty text is this machine's own zone: the one TZ names, else the one
// /etc/localtime links to, else UTC (as the C library reads it). Null when there is no such zone.
const date::time_zone* FindZone(const std::string& zone) {
  if (!zone.empty()) return ZoneNamed(zone);
  const char* variable = std::getenv("TZ");
  if (variable && *variable) {
    if (const date::time_zone* named = ZoneNamed(variable + (*variable == ':' ? 1 : 0))) {
      return named;
    }
  }
  try {
    return date::current_zone();
  } catch (const std::exception&) {
    return ZoneNamed("UTC");
  }
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
    if (Trim(value, kBlanks).empty()) continue;
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
  const std::string left = UpperAscii(Trim(a, kBlanks));
  const std::string right = UpperAscii(Trim(b, kBlanks));
  if (left.empty() || right.empty()) return false;
  if (left == right) return true;
  const bool left_domain = left.find('.') != std::string::npos;
  const bool right_domain = right.find('.') != std::string::npos;
  return left_domain != right_domain && HostPart(left) == HostPart(right);
}

bool KnownTimeZone(const std::string& zone) {
  return zone.empty() || FindZone(zone) != nullptr;
}

std::optional<SystemTime> ZonedTime(LocalDateTime local, const std::string& zone) {
  const date::time_zone* found = FindZone(zone);
  if (found == nullptr) return std::nullopt;
  const date::local_seconds reading{local.time_since_epoch()};
  try {
    // A reading the clocks skip is taken with the offset before the change, one they show
    // twice as its first occurrence: in both cases the first of the two offsets.
    const date::local_info info = found->get_info(reading);
    return SystemTime(local.time_since_epoch() - info.first.offset);
  } catch (const std::exception&) {
    return std::nullopt;
  }
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
