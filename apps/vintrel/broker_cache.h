// Presentations sent through an MQTT broker (`vintrel send --to mqtt://...`), kept in a folder of
// the player's own that the folder player then follows like any distribution folder. Each
// retained message on TOPIC/files/NAME is the file NAME, written under a hidden name and renamed
// into place; an empty one withdraws it. A player started again learns of what was withdrawn
// while it was away from what the broker no longer holds: a file whose message does not come
// shortly after the first connection is removed. After a reconnection nothing is removed that
// way, since a broker started again without keeping its messages holds nothing at all.
#ifndef VINTREL_APPS_VINTREL_BROKER_CACHE_H_
#define VINTREL_APPS_VINTREL_BROKER_CACHE_H_

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "broker_client.h"
#include "host/event_loop.h"

namespace vintrel::app {

// $XDG_CACHE_HOME/vintrel/broker/HOST-PORT-TOPIC (else ~/.cache/...), a folder for each broker and
// topic.
std::string DefaultBrokerCache(const BrokerAddress& address);

class BrokerCache {
 public:
  BrokerCache(BrokerAddress address, std::string folder, host::EventLoop& loop);
  ~BrokerCache();
  BrokerCache(const BrokerCache&) = delete;
  BrokerCache& operator=(const BrokerCache&) = delete;

  // Makes the folder, connects and subscribes; raises BadInput when the folder cannot be made or
  // the broker cannot be used.
  void Start(const BrokerLogin& login);
  // `changed` runs on the loop's thread after a file was added, replaced or removed; set before
  // Start.
  void OnChange(std::function<void()> changed) { changed_ = std::move(changed); }
  void Stop();
  // On the loop's thread, every so often: once the broker has had time to hand over what it
  // holds, removes the files it does not.
  void Sweep();

  const std::string& folder() const { return folder_; }

 private:
  // On the library's thread.
  void Connected(bool again);
  void Lost(const std::string& why);
  void Received(const std::string& topic, std::string payload);
  void OnLoop(std::function<void()> work);

  std::string folder_;
  host::EventLoop& loop_;
  std::function<void()> changed_;
  std::string prefix_;  // TOPIC/files/
  std::mutex mutex_;    // guards what follows
  std::set<std::string> received_;
  std::chrono::steady_clock::time_point connected_at_;
  bool swept_ = true;
  bool lost_ = false;
  std::shared_ptr<std::atomic<bool>> alive_ = std::make_shared<std::atomic<bool>>(true);
  BrokerClient broker_;
};

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_BROKER_CACHE_H_
