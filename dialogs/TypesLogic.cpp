#include "TypesLogic.h"

#include <set>
#include <vector>

namespace {

// `id` and every subtype below it.
std::set<std::uint32_t> SubTree(CDataBase& db, std::uint32_t id) {
  std::set<std::uint32_t> ids{id};
  std::vector<std::uint32_t> open{id};
  while (!open.empty()) {
    const std::uint32_t parent = open.back();
    open.pop_back();
    for (auto [child, entry] : db.SubTypes()) {
      // The set also stops a damaged file's parent loop.
      if (entry->record.parentId == parent && ids.insert(child).second) open.push_back(child);
    }
  }
  return ids;
}

bool Uses(const std::set<std::uint32_t>& ids, const TransactionRecord& record) {
  return ids.count(record.categoryId) || ids.count(record.memberId) || ids.count(record.sectionId);
}

}  // namespace

std::size_t CountSubTypeUses(CDataBase& db, std::uint32_t id) {
  if (!db.IsOpened()) return 0;
  const std::set<std::uint32_t> ids = SubTree(db, id);
  std::size_t count = 0;
  for (auto [tid, entry] : db.Transactions()) count += Uses(ids, entry->record) ? 1 : 0;
  for (auto [pid, entry] : db.PlnTransactions())
    count += Uses(ids, entry->record.transaction) ? 1 : 0;
  return count;
}

std::vector<TParentChoice> ParentChoices(CDataBase& db, std::uint32_t root, std::uint32_t id) {
  std::vector<TParentChoice> choices{{root, 0, {}}};
  if (!db.IsOpened()) return choices;
  // Depth first with a list of its own; the set stops a damaged file's loop.
  std::set<std::uint32_t> seen{root};
  std::vector<TParentChoice> open{{root, 0, {}}};
  while (!open.empty()) {
    const TParentChoice parent = open.back();
    open.pop_back();
    if (parent.id != root) choices.push_back(parent);
    const TSubTypeItems children = db.GetSubTypeItems(parent.id);  // a copy: the buffer is shared
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      if (it->id != id && parent.depth < 64 && seen.insert(it->id).second)
        open.push_back({it->id, parent.depth + 1, it->name});
    }
  }
  return choices;
}
