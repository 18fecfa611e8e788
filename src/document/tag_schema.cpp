#include "document/tag_schema.h"

#include <algorithm>
#include <cstdio>

#include "support/failure_handling.h"

namespace vintrel {

std::string_view DisplayTypeName(int code) {
  static constexpr std::array<std::string_view, 7> kNames = {
      "Value", "Connection", "Column", "Index", "Column - Index", "Connection - Column", "Nothing"};
  if (code < 1 || code > static_cast<int>(kNames.size())) return "";
  return kNames[code - 1];
}

bool HasTagPrefix(std::string_view name, std::string_view prefix) {
  return name.substr(0, prefix.size()) == prefix;
}

std::string TagNumber(std::string_view name, std::string_view prefix) {
  if (!HasTagPrefix(name, prefix)) return "";
  return std::string(name.substr(prefix.size()));
}

std::string ConnectionTagName(std::string_view connection_tag_number) {
  return std::string(tag::kConnection).append(connection_tag_number);
}

std::string ScrollTagName(int number) {
  return std::string(tag::kScrollStep).append(std::to_string(number));
}

std::optional<long> ScrollNumber(std::string_view text) {
  return ParseWholeNumber(text);
}

std::string NextConnectionTagNumber(const std::vector<std::string>& existing_numbers) {
  long highest = 0;
  for (const std::string& number : existing_numbers) {
    const std::string_view last_two =
        std::string_view(number).substr(number.size() > 2 ? number.size() - 2 : 0);
    // A number that is not one counts as 0, as the host's Val conversion gives.
    highest = std::max(highest, ParseWholeNumber(last_two).value_or(0));
  }
  char text[24];
  std::snprintf(text, sizeof text, "%02ld", highest + 1);
  return text;
}

std::string ScrollValue(bool enabled, long step, long time) {
  return JoinFields({FormatBoolean(enabled), FormatWholeNumber(step), FormatWholeNumber(time)},
                    /*trailing_tab=*/false);
}

std::string DistributionComputerValue(const std::vector<std::string>& names) {
  return JoinFields(names, /*trailing_tab=*/true);
}

std::vector<std::string> DistributionComputers(std::string_view value) {
  std::vector<std::string> names = SplitFields(value);
  if (!names.empty()) names.pop_back();
  return names;
}

void DeleteTagsWithPrefix(host::Tags& tags, std::string_view prefix) {
  int count = 0;
  if (!SkipFailure([&] { count = tags.Count(); })) return;
  for (int index = count; index >= 1; --index) {
    SkipFailure([&] {
      const std::string name = tags.Name(index);
      if (HasTagPrefix(name, prefix)) tags.Delete(name);
    });
  }
}

void RewriteTags(host::Tags& tags, std::string_view prefix,
                 const std::vector<std::pair<std::string, std::string>>& new_tags) {
  DeleteTagsWithPrefix(tags, prefix);
  for (const auto& [name, value] : new_tags) tags.Add(name, value);
}

bool HasTagWithPrefix(const host::Tags& tags, std::string_view prefix) {
  const int count = tags.Count();
  for (int index = 1; index <= count; ++index) {
    if (HasTagPrefix(tags.Name(index), prefix)) return true;
  }
  return false;
}

bool HasVersionTag(const host::Tags& presentation_tags) {
  return HasTagWithPrefix(presentation_tags, tag::kVersion);
}

void EnsureVersionTag(host::Tags& presentation_tags) {
  if (!HasVersionTag(presentation_tags)) presentation_tags.Add(tag::kVersion, tag::kVersionValue);
}

bool IsLinkedShape(const host::Tags& shape_tags) {
  const int count = shape_tags.Count();
  for (int index = 1; index <= count; ++index) {
    const std::string name = shape_tags.Name(index);
    for (std::string_view column_tag : tag::kColumnTags) {
      if (HasTagPrefix(name, column_tag)) return true;
    }
  }
  return false;
}

}  // namespace vintrel
