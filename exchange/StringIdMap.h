// A number kept for each of many string ids, for work over every stored text
// (learning, the find index): string ids are handed out one after the other,
// so a plain array by id serves them; ids beyond the array (a damaged file
// may refer to any id) go to a hash map.
#pragma once

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

class CStringIdMap {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;

  // `lastId`: the largest id the pool handed out; `expected`: about how many
  // ids will be kept. The array stays within a few bytes per expected id.
  CStringIdMap(std::uint32_t lastId, std::size_t expected)
      : dense_(std::min<std::size_t>(std::size_t{lastId} + 1, 8 * expected + (1u << 20)), kNone) {}

  // Keeps `value` for `id` unless the id has one; true when it was kept.
  bool Emplace(std::uint32_t id, std::uint32_t value) {
    if (id < dense_.size()) {
      if (dense_[id] != kNone) return false;
      dense_[id] = value;
      return true;
    }
    return sparse_.emplace(id, value).second;
  }

  // The value kept for `id`, or kNone.
  std::uint32_t Find(std::uint32_t id) const {
    if (id < dense_.size()) return dense_[id];
    const auto it = sparse_.find(id);
    return it == sparse_.end() ? kNone : it->second;
  }

 private:
  std::vector<std::uint32_t> dense_;                         // by id; kNone where unset
  std::unordered_map<std::uint32_t, std::uint32_t> sparse_;  // ids past dense_
};
