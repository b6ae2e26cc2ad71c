// Subtypes (categories, family members, sections) named by their path from
// the root, "Food:Groceries", as import and export files write them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Omrindb.h"

class CSubTypePaths {
 public:
  // Reads every subtype's name and parent once.
  explicit CSubTypePaths(CDataBase& db);
  // "A:B" of a subtype, its name parts joined by ':' (UTF-8); empty for 0
  // or an unknown id.
  std::string PathOf(std::uint32_t id) const;
  // The name parts of the path below the root, in order (UTF-8).
  std::vector<std::string> PartsOf(std::uint32_t id) const;
  // The subtype a path names below `root` (0 when some part is missing).
  // Parts are separated by ':' and compared after trimming blanks.
  std::uint32_t Find(std::uint32_t root, std::string_view path) const;
  // The root (kIncomeRoot, kExpenseRoot, ...) a subtype hangs under; 0 when
  // unknown.
  std::uint32_t RootOf(std::uint32_t id) const;
  // Whether `id` is `ancestor` or below it.
  bool IsWithin(std::uint32_t id, std::uint32_t ancestor) const;
  // The subtype a path names below `root`, its missing parts stored first
  // (their ids appended to `created`); 0 when a part could not be stored.
  std::uint32_t Create(CDataBase& db, std::uint32_t root, const std::string& path,
                       std::vector<std::uint32_t>& created);
  // Records a subtype created after loading.
  void Add(std::uint32_t id, std::uint32_t parent, const std::string& name);
  // The path's trimmed, non-empty parts.
  static std::vector<std::string> Split(std::string_view path);

 private:
  struct Node {
    std::uint32_t parent = 0;
    std::string name;  // UTF-8
  };
  std::map<std::uint32_t, Node> nodes_;
  std::map<std::pair<std::uint32_t, std::string>, std::uint32_t> children_;
  mutable std::unordered_map<std::uint32_t, std::string> pathOf_;  // PathOf's answers
};
