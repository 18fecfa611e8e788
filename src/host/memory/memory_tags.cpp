#include "host/memory/memory_tags.h"

#include <algorithm>

#include "host/common/ascii.h"
#include "host/error.h"
#include "host/memory/fault_injector.h"

namespace vintrel::host::memory {

int MemoryTags::Count() const {
  Enter("Tags.Count");
  return static_cast<int>(tags_.size());
}

void MemoryTags::CheckIndex(int index, std::string_view operation) const {
  if (index < 1 || index > static_cast<int>(tags_.size())) {
    throw Error(kErrSubscriptOutOfRange, kMemoryHostSource,
                std::string(operation) + ": index " + std::to_string(index) + " out of range");
  }
}

std::string MemoryTags::Name(int index) const {
  Enter("Tags.Name");
  CheckIndex(index, "Tags.Name");
  return tags_[index - 1].first;
}

std::string MemoryTags::Value(int index) const {
  Enter("Tags.Value");
  CheckIndex(index, "Tags.Value");
  return tags_[index - 1].second;
}

std::string MemoryTags::Item(std::string_view name) const {
  Enter("Tags.Item");
  const std::string upper = UpperAscii(name);
  for (const auto& [tag_name, value] : tags_) {
    if (tag_name == upper) return value;
  }
  return "";
}

std::vector<std::pair<std::string, std::string>>::iterator MemoryTags::Find(
    const std::string& upper_name) {
  return std::find_if(tags_.begin(), tags_.end(),
                      [&](const auto& tag) { return tag.first == upper_name; });
}

void MemoryTags::Put(std::string_view name, std::string_view value) {
  std::string upper = UpperAscii(name);
  auto it = Find(upper);
  if (it != tags_.end()) {
    it->second = std::string(value);
  } else {
    tags_.emplace_back(std::move(upper), std::string(value));
  }
}

void MemoryTags::Add(std::string_view name, std::string_view value) {
  Enter("Tags.Add");
  if (name.empty()) {
    throw Error(kErrInvalidArgument, kMemoryHostSource, "Tags.Add: a tag needs a name");
  }
  Put(name, value);
  MarkChanged();
}

void MemoryTags::Delete(std::string_view name) {
  Enter("Tags.Delete");
  auto it = Find(UpperAscii(name));
  if (it == tags_.end()) return;
  tags_.erase(it);
  MarkChanged();
}

}  // namespace vintrel::host::memory
