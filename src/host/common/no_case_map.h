// Maps keyed by names that compare without regard to ASCII case (package part names), looked up
// by any std::string_view without first building a lower-case copy of the name.
#ifndef VINTREL_HOST_COMMON_NO_CASE_MAP_H_
#define VINTREL_HOST_COMMON_NO_CASE_MAP_H_

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "host/common/ascii.h"

namespace vintrel {

struct NoCaseHash {
  using is_transparent = void;
  // Eight bytes at a time with bit 0x20 set in each: an upper-case ASCII letter and its lower
  // case differ in that bit only, so names equal without regard to case hash the same (a few
  // other bytes pair up too, which only costs a comparison). Part names are looked up for every
  // tag read, so this is one of the program's hottest functions.
  //
  // Not noexcept on purpose: libstdc++ then keeps each entry's hash beside it, and a lookup
  // compares hashes instead of hashing every key it passes in the bucket list again.
  size_t operator()(std::string_view text) const {
    constexpr uint64_t kCase = 0x2020202020202020ull;
    constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    uint64_t hash = text.size() * kMultiplier;
    size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
      uint64_t word;
      std::memcpy(&word, text.data() + at, 8);
      hash = std::rotl((hash ^ (word | kCase)) * kMultiplier, 29);
    }
    if (at < text.size()) {
      uint64_t word = 0;
      std::memcpy(&word, text.data() + at, text.size() - at);
      hash = std::rotl((hash ^ (word | kCase)) * kMultiplier, 29);
    }
    hash ^= hash >> 32;
    hash *= kMultiplier;
    return static_cast<size_t>(hash ^ (hash >> 29));
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

#endif  // VINTREL_HOST_COMMON_NO_CASE_MAP_H_
