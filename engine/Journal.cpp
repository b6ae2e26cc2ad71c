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
  bytes_.resize(bytes_.size() + images * size);
  if (size != 0) {
    std::memcpy(bytes_.data() + entry.offset, bytes, size);
    if (after != nullptr) std::memcpy(bytes_.data() + entry.offset + size, after, size);
  }
  ops_.push_back(entry);
}

void CChangeJournal::clear() {
  std::vector<CJournalOp>().swap(ops_);
  std::vector<char>().swap(bytes_);
}
