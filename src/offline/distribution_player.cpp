#include "offline/distribution_player.h"
#include "host/common/ascii.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "connections/tag_values.h"
#include "host/common/ascii.h"
#include "host/error.h"
#include "offline/distribution.h"
#include "support/failure_handling.h"

namespace vintrel {
namespace {

namespace fs = std::filesystem;

// Presentations a screen can show; hidden files (a save in progress writes one) and the lock
// files office programs leave ("~$name.pptx") are not presentations.
bool IsPresentationFile(const fs::path& path) {
  const std::string name = path.filename().string();
  if (name.empty() || name.front() == '.' || name.rfind("~$", 0) == 0) return false;
  const std::string extension = UpperAscii(path.extension().string());
  return extension == ".PPTX" || extension == ".PPTM" || extension == ".PPSX" ||
         extension == ".PPSM";
}

// A problem with the file's name in front, unless the description names it already.
std::string Naming(const std::string& file, const std::string& why) {
  if (why.find(fs::path(file).filename().string()) != std::string::npos) return why;
  return file + ": " + why;
}

}  // namespace

std::string ThisComputerName() {
  char name[256] = {};
  return gethostname(name, sizeof name - 1) == 0 ? name : "";
}

std::string DistributionTimeZone(const Context& ctx) {
  std::string zone;
  SkipFailure([&] {
    zone = ctx.services.settings->GetSetting("Quendra Vintrel 2002", "Info", "TimeZone");
  });
  const size_t first = zone.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return zone.substr(first, zone.find_last_not_of(' ') - first + 1);
}

std::string DistributionFolderSetting(const Context& ctx) {
  return GetDistributionFolder(ctx);
}

DistributionPlayer::DistributionPlayer(std::string folder, std::string computer, std::string zone,
                                       TagReader reader)
    : folder_(std::move(folder)),
      computer_(std::move(computer)),
      zone_(std::move(zone)),
      reader_(std::move(reader)) {}

void DistributionPlayer::Read(const std::string& file, Entry& entry,
                              std::vector<std::string>& problems) {
  entry.read = entry.seen;
  entry.read_once = true;
  entry.version = next_version_++;
  entry.usable = false;
  entry.scheduled = ScheduledFile{file, std::nullopt};
  try {
    reader_(file,
            [&](const host::Tags& tags) { entry.scheduled.list = ReadDistributionList(tags); });
    entry.usable = true;
  } catch (const Error& failure) {
    problems.push_back(Naming(file, failure.description()));
  } catch (const std::exception& failure) {
    problems.push_back(Naming(file, failure.what()));
  }
}

void DistributionPlayer::Scan(std::vector<std::string>& problems) {
  std::error_code error;
  fs::directory_iterator listing(folder_, error);
  if (error) {
    // A folder that goes away (a share dropped, a folder renamed) is looked for at every look
    // until it is back; said once.
    if (!folder_reported_) {
      problems.push_back("the distribution folder " + folder_ + " is gone (" + error.message() +
                         "); watching for it to come back");
    }
    folder_reported_ = true;
    entries_.clear();
    return;
  }
  if (folder_reported_) problems.push_back("the distribution folder " + folder_ + " is back");
  folder_reported_ = false;
  std::map<std::string, Signature> present;
  for (const fs::directory_entry& item : listing) {
    std::error_code ignored;
    if (!item.is_regular_file(ignored) || !IsPresentationFile(item.path())) continue;
    Signature signature;
    signature.size = static_cast<int64_t>(item.file_size(ignored));
    signature.modified = item.last_write_time(ignored).time_since_epoch().count();
    present[item.path().string()] = signature;
  }
  std::erase_if(entries_, [&](const auto& entry) { return present.count(entry.first) == 0; });

  const auto settled_before =
      std::chrono::duration_cast<fs::file_time_type::duration>(std::chrono::seconds(2));
  const int64_t settled =
      (fs::file_time_type::clock::now() - settled_before).time_since_epoch().count();
  for (const auto& [file, signature] : present) {
    Entry& entry = entries_[file];
    const bool unchanged_since_last_look = entry.seen == signature;
    entry.seen = signature;
    if (entry.read_once && entry.read == signature) continue;
    if (unchanged_since_last_look || signature.modified < settled || files_arrive_whole_) {
      Read(file, entry, problems);
    }
  }
}

DistributionPlayer::Pick DistributionPlayer::Update(std::chrono::system_clock::time_point now,
                                                    std::vector<std::string>& problems) {
  Scan(problems);
  std::vector<ScheduledFile> files;
  std::vector<int> versions;
  for (const auto& [file, entry] : entries_) {
    if (!entry.usable || !entry.read_once) continue;
    files.push_back(entry.scheduled);
    versions.push_back(entry.version);
  }
  const ScheduledFile* chosen =
      ChooseShow(files, computer_, std::chrono::floor<std::chrono::seconds>(now), zone_);
  if (chosen == nullptr) return {};
  return Pick{chosen->file, versions[static_cast<size_t>(chosen - files.data())]};
}

bool DistributionPlayer::InWindow(const std::string& file,
                                  std::chrono::system_clock::time_point now) const {
  const auto found = entries_.find(file);
  if (found == entries_.end() || !found->second.usable) return false;
  return ChooseShow({found->second.scheduled}, computer_,
                    std::chrono::floor<std::chrono::seconds>(now), zone_) != nullptr;
}

void DistributionPlayer::SetUnusable(const std::string& file) {
  auto found = entries_.find(file);
  if (found != entries_.end()) found->second.usable = false;
}

}  // namespace vintrel
