#ifndef VINTREL_HOST_MEMORY_MEMORY_TAGS_H_
#define VINTREL_HOST_MEMORY_MEMORY_TAGS_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/memory/memory_object.h"
#include "host/tags.h"

namespace vintrel::host::memory {

// The tags of a presentation, slide or shape, kept in insertion order. Names are stored
// upper-case (ASCII), as the host stores them; values exactly as written.
class MemoryTags : public host::Tags, public MemoryObject {
 public:
  // Free-standing tags, for tests of code that only needs a tag collection.
  MemoryTags() : MemoryObject(nullptr, nullptr) {}
  MemoryTags(DocumentState* document, const MemoryObject* owner) : MemoryObject(document, owner) {}

  int Count() const override;
  std::string Name(int index) const override;
  std::string Value(int index) const override;
  std::string Item(std::string_view name) const override;
  // Fails for an empty name, as the host does.
  void Add(std::string_view name, std::string_view value) override;
  void Delete(std::string_view name) override;

  // For tests and copies; no host call is counted and the presentation stays as saved.
  void Put(std::string_view name, std::string_view value);
  const std::vector<std::pair<std::string, std::string>>& entries() const { return tags_; }
  void CopyFrom(const MemoryTags& other) { tags_ = other.tags_; }

 private:
  void CheckIndex(int index, std::string_view operation) const;
  std::vector<std::pair<std::string, std::string>>::iterator Find(const std::string& upper_name);

  std::vector<std::pair<std::string, std::string>> tags_;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_MEMORY_TAGS_H_
