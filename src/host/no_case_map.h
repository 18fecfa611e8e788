// Maps keyed by names that compare without regard to ASCII case (package part names), looked up
// by any std::string_view without first building a lower-case copy of the name.
#ifndef VINTREL_HOST_NO_CASE_MAP_H_
#define VINTREL_HOST_NO_CASE_MAP_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "host/ascii.h"

namespace vintrel {

struct NoCaseHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const noexcept {
    // FNV-1a over the lower-case bytes.
    uint64_t hash = 14695981039346656037ull;
    for (char c : text) {
      hash ^= static_cast<unsigned char>(LowerAscii(c));
      hash *= 1099511628211ull;
    }
    return static_cast<size_t>(hash);
  }
};

struct NoCaseEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept {
    return EqualsNoCase(a, b);
  }
};

template <class T>
using NoCaseMap = std::unordered_map<std::string, T, NoCaseHash, NoCaseEqual>;

}  // namespace vintrel

#endif  // VINTREL_HOST_NO_CASE_MAP_H_
