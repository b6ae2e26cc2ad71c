// Work over every stored text (learning, the find index): a number kept
// for each text id, and the texts read in two parts at once.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <future>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "Omrindb.h"

// String ids are handed out one after the other, so a plain array by id
// serves them; ids beyond the array (a damaged file may refer to any id) go
// to a hash map.
class CStringIdMap {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;

  // `lastId`: the largest id the pool handed out; `expected`: about how many
  // ids will be kept; `firstId`: about the smallest of them. The array stays
  // within a few bytes per expected id.
  CStringIdMap(std::uint32_t lastId, std::size_t expected, std::uint32_t firstId = 0)
      : first_(std::min(firstId, lastId)),
        dense_(std::min<std::size_t>(std::size_t{lastId - first_} + 1, 8 * expected + (1u << 20)),
               kNone) {}

  // Keeps `value` for `id` unless the id has one; true when it was kept.
  bool Emplace(std::uint32_t id, std::uint32_t value) {
    if (InDense(id)) {
      std::uint32_t& kept = dense_[id - first_];
      if (kept != kNone) return false;
      kept = value;
      return true;
    }
    return sparse_.emplace(id, value).second;
  }

  // The value kept for `id`, or kNone.
  std::uint32_t Find(std::uint32_t id) const {
    if (InDense(id)) return dense_[id - first_];
    const auto it = sparse_.find(id);
    return it == sparse_.end() ? kNone : it->second;
  }

 private:
  bool InDense(std::uint32_t id) const { return id >= first_ && id - first_ < dense_.size(); }

  std::uint32_t first_ = 0;                                  // the id of dense_[0]
  std::vector<std::uint32_t> dense_;                         // by id; kNone where unset
  std::unordered_map<std::uint32_t, std::uint32_t> sparse_;  // ids past dense_
};

// Reads the texts of `ids` as ReadStrings does, those before `split` and
// those from it on two threads; `use(part, id, text)` runs on the thread of
// the part (0 or 1), so the two parts must not write the same things. A
// file error of either part is thrown when both are done.
inline void ReadStringsInTwo(const CDataBase& db, const std::vector<std::uint32_t>& ids,
                             std::size_t split,
                             const std::function<void(int, std::uint32_t, std::string_view)>& use) {
  split = std::min(split, ids.size());
  auto read = [&](int part, std::size_t from, std::size_t to) {
    if (from == to) return;
    db.ReadStrings(std::vector<std::uint32_t>(ids.begin() + static_cast<std::ptrdiff_t>(from),
                                              ids.begin() + static_cast<std::ptrdiff_t>(to)),
                   [&](std::uint32_t id, std::string_view text) { use(part, id, text); });
  };
  std::future<void> second;
  if (split > 0 && split < ids.size()) {
    try {
      second = std::async(std::launch::async, read, 1, split, ids.size());
    } catch (const std::system_error&) {
      // No thread to be had: the second part is read after the first.
    }
  }
  try {
    read(0, 0, split);
  } catch (...) {
    if (second.valid()) second.wait();
    throw;
  }
  if (second.valid())
    second.get();
  else
    read(1, split, ids.size());
}
