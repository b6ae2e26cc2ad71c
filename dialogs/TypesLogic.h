// What the categories window tells before a subtype is deleted, and the
// parents a subtype may be moved under.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Omrindb.h"

// How many transactions and planned transactions name subtype `id` or one
// of the subtypes below it as their category, family member or section.
std::size_t CountSubTypeUses(CDataBase& db, std::uint32_t id);

// One entry of the subtype editor's parent list.
struct TParentChoice {
  std::uint32_t id = 0;  // a subtype, or the tree's root code
  int depth = 0;         // 0 for the root, 1 for its children, ...
  std::string name;      // empty for the root
};

// The parents subtype `id` may take in the tree `root`: the root first, then
// every subtype of the tree depth first in name order, leaving out `id` and
// everything below it (a subtype cannot hang below itself). `id` 0 (a new
// subtype) leaves nothing out.
std::vector<TParentChoice> ParentChoices(CDataBase& db, std::uint32_t root, std::uint32_t id);
