#ifndef VINTREL_HOST_MEMORY_MEMORY_SETTINGS_STORE_H_
#define VINTREL_HOST_MEMORY_MEMORY_SETTINGS_STORE_H_

#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "host/common/ascii.h"
#include "host/platform.h"

namespace vintrel::host::memory {

// Settings a test puts in place; an absent key reads as empty text, and names compare without
// case, as in the real store.
class MemorySettingsStore : public host::SettingsStore {
 public:
  std::string GetSetting(const std::string& app_name, const std::string& section,
                         const std::string& key) const override {
    ++read_count_;
    auto it = values_.find(Key(app_name, section, key));
    return it == values_.end() ? "" : it->second;
  }

  std::vector<std::pair<std::string, std::string>> GetAllSettings(
      const std::string& app_name, const std::string& section) const override {
    ++read_count_;
    std::vector<std::pair<std::string, std::string>> all;
    for (const auto& [names, value] : values_) {
      if (std::get<0>(names) == UpperAscii(app_name) && std::get<1>(names) == UpperAscii(section)) {
        all.emplace_back(std::get<2>(names), value);
      }
    }
    return all;
  }

  void Set(const std::string& app_name, const std::string& section, const std::string& key,
           std::string value) {
    values_[Key(app_name, section, key)] = std::move(value);
  }
  void Remove(const std::string& app_name, const std::string& section, const std::string& key) {
    values_.erase(Key(app_name, section, key));
  }
  int read_count() const { return read_count_; }

 private:
  using Names = std::tuple<std::string, std::string, std::string>;
  static Names Key(const std::string& app_name, const std::string& section,
                   const std::string& key) {
    return {UpperAscii(app_name), UpperAscii(section), UpperAscii(key)};
  }

  std::map<std::tuple<std::string, std::string, std::string>, std::string> values_;
  mutable int read_count_ = 0;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_MEMORY_SETTINGS_STORE_H_
