// vintrel player: the screen's side of distribution. It follows a distribution folder and runs
// the slide show of the presentation whose distribution list names this computer and whose time
// window is open (the latest start winning), one show at a time, starting and stopping shows as
// windows open and close and as presentations are added, replaced or removed. The folder is
// looked at again every second. With --broker it follows what is sent through an MQTT broker
// instead, kept in a folder of its own (broker_cache.h) that it follows the same way.
#include <atomic>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "broker_cache.h"
#include "command.h"
#include "host/error.h"
#include "host/ooxml/package_presentation.h"
#include "host_session.h"
#include "live_show.h"
#include "open_presentation.h"
#include "shell/player.h"
#include "shell/sent_copy.h"
#include "show_events.h"

namespace vintrel::app {
namespace {

constexpr std::chrono::milliseconds kLookInterval(1000);

struct Options {
  std::string folder;
  std::string broker;
  std::string cache;
  std::string computer;
  std::string duration;
  LiveShowOptions show;
};

// The show running now, if any.
struct Running {
  shell::DistributionPlayer::Pick pick;
  host::Presentation* presentation = nullptr;
  std::unique_ptr<LiveShow> show;
};

class Player {
 public:
  Player(HostSession& session, shell::DistributionPlayer& folder, const LiveShowOptions& options)
      : session_(session),
        folder_(folder),
        options_(options),
        notes_(std::cout, session.loop().clock(), options.json) {}

  // One look at the folder: starts, stops or replaces the show as the schedule says now.
  void Look() {
    std::vector<std::string> problems;
    const auto now = session_.loop().clock().Now();
    const shell::DistributionPlayer::Pick pick = folder_.Update(now, problems);
    for (const std::string& problem : problems) std::cerr << "vintrel: " << problem << "\n";
    if (pick == running_.pick) return;
    std::string reason = "window open";
    if (!running_.pick.file.empty()) {
      std::error_code ignored;
      if (pick.file == running_.pick.file) {
        reason = "file replaced";
      } else if (!std::filesystem::exists(running_.pick.file, ignored)) {
        reason = "file removed";
      } else if (folder_.InWindow(running_.pick.file, now)) {
        reason = "a later window opened";
      } else {
        reason = "window closed";
      }
      Stop(reason);
    }
    if (!pick.file.empty()) Start(pick, reason == "file replaced" ? reason : "window open");
  }

  void Stop(const std::string& reason) {
    if (running_.presentation == nullptr) return;
    running_.show.reset();
    notes_.PlayerChange(false, running_.pick.file, reason);
    ClosePresentation(session_, *running_.presentation);
    running_ = Running{};
  }

 private:
  void Start(const shell::DistributionPlayer::Pick& pick, const std::string& reason) {
    running_.pick = pick;
    try {
      running_.presentation = &OpenPresentation(session_, pick.file);
      notes_.PlayerChange(true, pick.file, reason);
      // A show that ends by itself (every slide hidden) stays ended until the schedule changes.
      running_.show =
          std::make_unique<LiveShow>(session_, *running_.presentation, options_, std::cout, [] {});
      if (running_.show->nothing_to_show()) {
        std::cerr << "vintrel: " << pick.file << ": " << kNoSlideToShow << "\n";
      }
      return;
    } catch (const Error& failure) {
      Unusable(pick, failure.description());
    } catch (const std::exception& failure) {
      Unusable(pick, failure.what());
    }
  }

  // The file is said once and skipped until it changes.
  void Unusable(const shell::DistributionPlayer::Pick& pick, const std::string& why) {
    std::cerr << "vintrel: " << why << "\n";
    folder_.SetUnusable(pick.file);
    if (running_.presentation != nullptr) {
      running_.show.reset();
      notes_.PlayerChange(false, pick.file, "show failed");
      ClosePresentation(session_, *running_.presentation);
    }
    running_ = Running{};
  }

  HostSession& session_;
  shell::DistributionPlayer& folder_;
  const LiveShowOptions& options_;
  ShowEventWriter notes_;
  Running running_;
};

// A folder that is not there at the start is a typo more often than a folder still to come:
// a screen that silently shows nothing would hide it.
void CheckFolder(const std::string& folder, const std::string& given_by) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(folder, error);
  if (std::filesystem::is_directory(status)) return;
  const std::string why = std::filesystem::exists(status) ? "not a folder"
                          : error                         ? error.message()
                                                          : "no such folder";
  throw BadInput(given_by + ": " + folder + ": " + why);
}

// With --broker, the folder the player keeps what the broker sends in; null without.
std::unique_ptr<BrokerCache> MakeBrokerCache(const Options& options, host::EventLoop& loop) {
  if (options.broker.empty()) {
    if (!options.cache.empty()) throw BadInput("--cache goes with --broker");
    return nullptr;
  }
  if (!options.folder.empty()) throw BadInput("give --folder or --broker, not both");
  const std::optional<BrokerAddress> address = ParseBrokerAddress(options.broker);
  if (!address) {
    throw BadInput("--broker takes mqtt://HOST[:PORT]/TOPIC or mqtts://HOST[:PORT]/TOPIC, not \"" +
                   options.broker + "\"");
  }
  std::string folder = options.cache.empty() ? DefaultBrokerCache(*address) : options.cache;
  return std::make_unique<BrokerCache>(*address, folder, loop);
}

// The folder the player follows, in full: the broker's cache, --folder or the settings' one.
std::string ChooseFolder(const Options& options, HostSession& session, const BrokerCache* cache) {
  std::string folder = cache != nullptr ? cache->folder()
                       : options.folder.empty()
                           ? shell::DistributionFolderSetting(session.context())
                           : options.folder;
  if (folder.find_first_not_of(' ') == std::string::npos) {
    throw BadInput("no distribution folder: give --folder or set [Info] DistributionFolder");
  }
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(folder, ignored);
  if (!absolute.empty()) folder = absolute.lexically_normal().string();
  if (cache == nullptr) {
    CheckFolder(folder, options.folder.empty() ? "[Info] DistributionFolder" : "--folder");
  }
  return folder;
}

int Run(Options& options) {
  std::optional<std::chrono::milliseconds> duration;
  if (!options.duration.empty()) {
    duration = ParseDuration(options.duration);
    if (!duration) {
      throw BadInput("--for takes a time such as 10s, 1500ms or 2m, not \"" + options.duration +
                     "\"");
    }
  }
  // A screen shows its presentation over and over.
  options.show.loop = true;
  CheckLiveShowOptions(options.show);

  std::atomic<host::EventLoop*> stopping_loop{nullptr};
  std::atomic<bool> stop_requested{false};
  SignalStop signals([&] {
    stop_requested = true;
    if (host::EventLoop* loop = stopping_loop.load()) loop->Post([loop] { loop->Quit(); });
  });

  HostSession session;
  std::unique_ptr<BrokerCache> cache = MakeBrokerCache(options, session.loop());
  const std::string folder = ChooseFolder(options, session, cache.get());
  const std::string zone = shell::DistributionTimeZone(session.context());
  if (!shell::KnownTimeZone(zone)) {
    throw BadInput("[Info] TimeZone: no time zone \"" + zone + "\" (a name such as Europe/Oslo)");
  }
  const std::string computer =
      options.computer.empty() ? shell::ThisComputerName() : options.computer;
  host::Clipboard& clipboard = session.clipboard();
  shell::DistributionPlayer schedule(
      folder, computer, zone,
      [&clipboard, &session](const std::string& file,
                             const std::function<void(const host::Tags&)>& use) {
        const auto presentation = ooxml::PackagePresentation::Open(file, &clipboard);
        shell::RememberSentCopy(session.context(), file, presentation->Tags());
        use(presentation->Tags());
      });

  host::EventLoop& loop = session.loop();
  Player player(session, schedule, options.show);
  stopping_loop = &loop;
  if (stop_requested) loop.Post([&loop] { loop.Quit(); });
  if (cache) {
    // What the broker sends is looked at at once; the files are whole when they appear.
    schedule.SetFilesArriveWhole();
    cache->OnChange([&player] { player.Look(); });
    cache->Start(ReadBrokerLogin(session.context()));
  }
  player.Look();
  const host::EventLoop::TimerId timer = loop.AddTimer(kLookInterval, [&player, &cache] {
    if (cache) cache->Sweep();
    player.Look();
  });
  if (duration) {
    loop.RunFor(*duration);
  } else {
    loop.Run();
  }
  stopping_loop = nullptr;
  loop.RemoveTimer(timer);
  if (cache) cache->Stop();
  player.Stop("player ends");
  return kExitOk;
}

CommandAction Setup(CLI::App& root) {
  auto options = std::make_shared<Options>();
  CLI::App* command = root.add_subcommand(
      "player",
      "Follow a distribution folder and run the slide show of the presentation whose "
      "distribution list names this computer, in its time window");
  command->add_option("--folder", options->folder,
                      "The distribution folder (default: [Info] DistributionFolder)");
  command->add_option("--broker", options->broker,
                      "Follow the presentations sent to this broker (mqtt://HOST[:PORT]/TOPIC or "
                      "mqtts://...) instead of a folder");
  command->add_option("--cache", options->cache,
                      "With --broker: the player's own folder for what the broker sends (default: "
                      "$XDG_CACHE_HOME/vintrel/broker/...); files it does not hold are removed");
  command->add_option("--computer", options->computer,
                      "This computer's name as the lists write it (default: the host name; "
                      "letter case does not count)");
  command->add_option("--for", options->duration,
                      "End after this long (10s, 2m, 1h; a plain number is seconds); without it "
                      "the player runs until Ctrl-C or SIGTERM");
  AddLiveShowOptions(*command, options->show);
  return [options] { return Run(*options); };
}

const CommandRegistration registration(85, Setup);

}  // namespace
}  // namespace vintrel::app
