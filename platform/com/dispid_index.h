#pragma once
// Dispatch id -> position, for the call paths that look a member up on every call. The ids
// of type descriptions and of dynamic members are small non-negative numbers, which index a
// flat table directly; any other id goes to a hash map.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/com/variant.h"

class DispIdIndex {
 public:
  // Keeps the first position given for an id.
  void add(DISPID id, std::size_t position) {
    if (id >= 0 && id < kDense) {
      if (dense_.size() <= static_cast<std::size_t>(id))
        dense_.resize(static_cast<std::size_t>(id) + 1, kNone);
      if (dense_[static_cast<std::size_t>(id)] == kNone)
        dense_[static_cast<std::size_t>(id)] = position;
    } else {
      sparse_.emplace(id, position);
    }
  }
  // The position of id, or kNone.
  std::size_t find(DISPID id) const {
    if (id >= 0 && id < kDense)
      return static_cast<std::size_t>(id) < dense_.size() ? dense_[static_cast<std::size_t>(id)]
                                                          : kNone;
    auto it = sparse_.find(id);
    return it == sparse_.end() ? kNone : it->second;
  }

  static constexpr std::size_t kNone = SIZE_MAX;

 private:
  static constexpr DISPID kDense = 4096;
  std::vector<std::size_t> dense_;
  std::unordered_map<DISPID, std::size_t> sparse_;
};
