#include "Journal.h"

#include <cstring>

void CChangeJournal::Note(EJournalOp op, std::uint8_t type, std::uint32_t id,
                          std::uint32_t position, const void* bytes, std::size_t size,
                          const void* after) {
  CJournalOp entry;
  entry.op = op;
  entry.type = type;
  entry.id = id;
  entry.position = position;
  entry.offset = static_cast<std::uint32_t>(bytes_.size());
  entry.size = static_cast<std::uint32_t>(size);
  const std::size_t images = after != nullptr ? 2 : 1;
  if (size != 0) {
    char* to = bytes_.append(images * size);
    std::memcpy(to, bytes, size);
    if (after != nullptr) std::memcpy(to + size, after, size);
  }
  ops_.push_back(entry);
}

void CChangeJournal::clear() {
  ops_.clear();
  bytes_.clear();
}
