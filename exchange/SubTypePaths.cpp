#include "SubTypePaths.h"

#include "Textcodec.h"

CSubTypePaths::CSubTypePaths(CDataBase& db) {
  for (auto [id, entry] : db.SubTypes())
    Add(id, entry->record.parentId, StoredToUtf8(db.GetString(entry->record.nameId)));
}

void CSubTypePaths::Add(std::uint32_t id, std::uint32_t parent, const std::string& name) {
  nodes_[id] = Node{parent, name};
  pathOf_.clear();
  children_.emplace(std::make_pair(parent, name), id);  // the first of equal names wins
}

std::vector<std::string> CSubTypePaths::PartsOf(std::uint32_t id) const {
  std::vector<std::string> parts;
  // A damaged file may hold a cycle of parents: never walk more steps than
  // there are subtypes.
  for (std::size_t steps = 0; steps <= nodes_.size(); ++steps) {
    auto it = nodes_.find(id);
    if (it == nodes_.end()) break;
    parts.insert(parts.begin(), it->second.name);
    id = it->second.parent;
  }
  return parts;
}

std::string CSubTypePaths::PathOf(std::uint32_t id) const {
  if (id == 0) return {};
  auto it = pathOf_.find(id);
  if (it != pathOf_.end()) return it->second;
  std::string path;
  for (const std::string& part : PartsOf(id)) path += (path.empty() ? "" : ":") + part;
  return pathOf_.emplace(id, path).first->second;
}

std::uint32_t CSubTypePaths::RootOf(std::uint32_t id) const {
  for (std::size_t steps = 0; steps <= nodes_.size(); ++steps) {
    auto it = nodes_.find(id);
    if (it == nodes_.end()) return id < kFirstFreeId ? id : 0;
    id = it->second.parent;
  }
  return 0;
}

bool CSubTypePaths::IsWithin(std::uint32_t id, std::uint32_t ancestor) const {
  for (std::size_t steps = 0; steps <= nodes_.size() && id != 0; ++steps) {
    if (id == ancestor) return true;
    auto it = nodes_.find(id);
    if (it == nodes_.end()) return false;
    id = it->second.parent;
  }
  return false;
}

std::vector<std::string> CSubTypePaths::Split(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(':', start);
    if (end == std::string_view::npos) end = path.size();
    std::string_view part = path.substr(start, end - start);
    while (!part.empty() && (part.front() == ' ' || part.front() == '\t')) part.remove_prefix(1);
    while (!part.empty() && (part.back() == ' ' || part.back() == '\t')) part.remove_suffix(1);
    if (!part.empty()) parts.emplace_back(part);
    start = end + 1;
  }
  return parts;
}

std::uint32_t CSubTypePaths::Find(std::uint32_t root, std::string_view path) const {
  std::uint32_t id = root;
  for (const std::string& part : Split(path)) {
    auto it = children_.find({id, part});
    if (it == children_.end()) return 0;
    id = it->second;
  }
  return id == root ? 0 : id;
}

std::uint32_t CSubTypePaths::Create(CDataBase& db, std::uint32_t root, const std::string& path,
                                    std::vector<std::uint32_t>& created) {
  std::uint32_t parent = root;
  for (const std::string& part : Split(path)) {
    auto it = children_.find({parent, part});
    std::uint32_t id = it == children_.end() ? 0 : it->second;
    if (id == 0) {
      CSubTypeItem item;
      item.name = part;
      item.record.parentId = parent;
      id = db.AddSubType(item);
      if (id == 0) return 0;
      Add(id, parent, part);
      created.push_back(id);
    }
    parent = id;
  }
  return parent == root ? 0 : parent;
}
