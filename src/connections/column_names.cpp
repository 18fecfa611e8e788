#include "connections/column_names.h"

#include <cstdint>
#include <unordered_set>

namespace vintrel::connections {

std::string RenamedColumnText(const RenamedColumn& column) {
  std::string text = "column " + std::to_string(column.position);
  text += column.given.empty() ? " has no name in the first line"
                               : " repeats the name \"" + column.given + "\" of an earlier column";
  return text + "; it is named \"" + column.name + "\"";
}

ColumnNames NameColumns(size_t count, const std::function<std::string_view(size_t)>& folded,
                        const std::function<std::string(size_t)>& decoded) {
  // An open-addressed table of the names kept (their positions): two arrays for any number of
  // names, not one allocation each; a first line of a million fields is read in a moment.
  constexpr size_t kFree = SIZE_MAX;
  size_t slots = 16;
  while (slots < 2 * count) slots *= 2;
  std::vector<size_t> table(slots, kFree);
  const std::hash<std::string_view> hash;
  auto find = [&](std::string_view name) {
    size_t slot = hash(name) & (slots - 1);
    while (table[slot] != kFree && folded(table[slot]) != name) slot = (slot + 1) & (slots - 1);
    return slot;
  };
  ColumnNames result;
  result.names.resize(count);
  std::vector<size_t> unnamed;
  for (size_t i = 0; i < count; ++i) {
    const std::string_view name = folded(i);
    size_t slot = name.empty() ? kFree : find(name);
    if (slot == kFree || table[slot] != kFree) {
      unnamed.push_back(i);
      continue;
    }
    table[slot] = i;
    result.names[i] = decoded(i);
  }
  // Numbers are given once every name of the first line is known, so that a number never takes
  // a name the line gives (a column may be called "2"); such a clash adds a suffix.
  std::unordered_set<std::string> given;
  for (size_t i : unnamed) {
    std::string name = std::to_string(i + 1);
    for (int suffix = 2; table[find(name)] != kFree || given.count(name) > 0; ++suffix) {
      name = std::to_string(i + 1) + "_" + std::to_string(suffix);
    }
    given.insert(name);
    result.renamed.push_back({i + 1, decoded(i), name});
    result.names[i] = std::move(name);
  }
  return result;
}

}  // namespace vintrel::connections
