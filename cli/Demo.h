// The demo database: a household's finances over the two years up to today,
// with everything the program can show. The same seed and the same today
// give the same file, byte for byte.
#pragma once

#include <cstdint>
#include <string>

struct CDemoOptions {
  std::uint64_t transactions = 3000;  // stored transactions, planned ones not counted
  std::uint64_t seed = 1;
};

// Splitmix64: a small generator whose sequence is fixed by its seed on every
// platform and library version.
class CSplitMix64 {
 public:
  explicit CSplitMix64(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();
  // A number in 0 .. n-1 (n > 0).
  std::uint64_t Below(std::uint64_t n) { return Next() % n; }
  // A number in lo .. hi.
  std::int64_t Between(std::int64_t lo, std::int64_t hi) {
    return lo + static_cast<std::int64_t>(Below(static_cast<std::uint64_t>(hi - lo) + 1));
  }
  // True with probability percent / 100.
  bool Chance(unsigned percent) { return Below(100) < percent; }

 private:
  std::uint64_t state_;
};

// Creates (or replaces) `path` as the demo database, dated up to Today(). The
// file is built as `path`.part and renamed over `path` once complete and
// synced, so `path` holds either its old bytes or the whole demo. False, with
// the reason on stderr, when the file cannot be written (`path` is untouched).
bool BuildDemoDatabase(const std::string& path, const CDemoOptions& options);
