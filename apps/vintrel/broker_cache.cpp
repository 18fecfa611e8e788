#include "broker_cache.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "command.h"

namespace vintrel::app {
namespace {

namespace fs = std::filesystem;

// How long after a connection the broker has had to hand over every retained file.
constexpr auto kRetainedWait = std::chrono::seconds(3);

// A name the cache keeps as a file: one topic level, not hidden (hidden names are the cache's
// files being written).
bool Keepable(const std::string& name) {
  return !name.empty() && name.front() != '.' && name.find('/') == std::string::npos;
}

std::string ReadWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::string DefaultBrokerCache(const BrokerAddress& address) {
  fs::path base;
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache) {
    base = cache;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = fs::path(home) / ".cache";
  } else {
    base = fs::temp_directory_path();
  }
  std::string name = address.host + "-" + std::to_string(address.port) + "-" + address.topic;
  for (char& c : name) {
    if (c == '/' || c == ':') c = '_';
  }
  return (base / "vintrel" / "broker" / name).string();
}

BrokerCache::BrokerCache(BrokerAddress address, std::string folder, host::EventLoop& loop)
    : folder_(std::move(folder)),
      loop_(loop),
      prefix_(address.topic + "/files/"),
      broker_(address,
              BrokerClient::Handlers{[this](bool again) { Connected(again); },
                                     [this](const std::string& why) { Lost(why); },
                                     [this](const std::string& topic, std::string payload) {
                                       Received(topic, std::move(payload));
                                     }}) {}

BrokerCache::~BrokerCache() {
  Stop();
  *alive_ = false;
}

void BrokerCache::Start(const BrokerLogin& login) {
  std::error_code error;
  fs::create_directories(folder_, error);
  if (!fs::is_directory(folder_, error)) {
    throw BadInput("--cache: " + folder_ + ": " +
                   (error ? error.message() : std::string("not a folder")));
  }
  broker_.Connect(login);
  broker_.RunInBackground();
}

void BrokerCache::Stop() {
  broker_.Stop();
}

void BrokerCache::OnLoop(std::function<void()> work) {
  auto alive = alive_;
  loop_.Post([alive, work = std::move(work)] {
    if (*alive) work();
  });
}

void BrokerCache::Connected(bool again) {
  if (!again) {
    std::lock_guard lock(mutex_);
    connected_at_ = std::chrono::steady_clock::now();
    swept_ = false;
  }
  // The session is not kept: each connection subscribes again, and the broker hands over every
  // retained file again.
  broker_.Subscribe(prefix_ + "#");
  if (!again) return;
  const std::string text = broker_.address().Text();
  OnLoop([this, text] {
    if (!lost_) return;
    lost_ = false;
    std::cerr << "vintrel: the broker at " << text << " answers again" << std::endl;
  });
}

void BrokerCache::Lost(const std::string& why) {
  const std::string text = broker_.address().Text();
  OnLoop([this, text, why] {
    if (lost_) return;
    lost_ = true;
    std::cerr << "vintrel: lost the broker at " << text << " (" << why
              << "); showing what the player has and reconnecting" << std::endl;
  });
}

void BrokerCache::Received(const std::string& topic, std::string payload) {
  if (topic.rfind(prefix_, 0) != 0) return;
  const std::string name = topic.substr(prefix_.size());
  if (!Keepable(name)) return;
  // Held throughout, so a sweep never removes a file being received.
  std::lock_guard lock(mutex_);
  received_.insert(name);
  const fs::path file = fs::path(folder_) / name;
  std::error_code error;
  if (payload.empty()) {
    if (!fs::remove(file, error)) return;
  } else {
    // The same file again (a reconnection hands every one over anew) is no change.
    if (fs::exists(file, error) && ReadWhole(file) == payload) return;
    const fs::path part = fs::path(folder_) / ("." + name + ".part");
    bool written = false;
    {
      std::ofstream out(part, std::ios::binary | std::ios::trunc);
      out.write(payload.data(), static_cast<std::streamsize>(payload.size()));
      written = static_cast<bool>(out.flush());
    }
    if (written) fs::rename(part, file, error);
    if (!written || error) {
      // Said each time: a full disk keeps the screen on the file it has.
      fs::remove(part, error);
      const std::string why = "cannot keep " + name + " in " + folder_;
      OnLoop([why] { std::cerr << "vintrel: " << why << std::endl; });
      return;
    }
  }
  if (changed_) OnLoop(changed_);
}

void BrokerCache::Sweep() {
  bool removed = false;
  {
    std::lock_guard lock(mutex_);
    if (swept_ || !broker_.connected() ||
        std::chrono::steady_clock::now() - connected_at_ < kRetainedWait) {
      return;
    }
    swept_ = true;
    std::error_code error;
    for (const fs::directory_entry& item : fs::directory_iterator(folder_, error)) {
      const std::string name = item.path().filename().string();
      if (!item.is_regular_file(error) || received_.count(name) != 0) continue;
      removed = fs::remove(item.path(), error) || removed;
    }
  }
  if (removed && changed_) changed_();
}

}  // namespace vintrel::app
