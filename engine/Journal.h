// CChangeJournal: what a run of changes did to the database file, record by
// record, with the bytes before and after, so that the run can be taken back
// (every step inverted, the last first) and made again (every step in its
// order) with the same item and string ids.
//
// The engine notes each change it has stored: a record added, rewritten or
// deleted in one of the six tables, a text added to or deleted from the
// string pool. Nothing else is needed to invert a change: a record's texts
// are found through its string ids, which the string steps bring back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "PageArray.h"

enum class EJournalOp : std::uint8_t {
  kItemAdded,      // bytes: the record as added
  kItemEdited,     // bytes: the record before, then after (the same size each)
  kItemDeleted,    // bytes: the record as it was
  kStringAdded,    // bytes: the text; position: its slot
  kStringDeleted,  // bytes: the text; position: its slot (left dead)
  kHeaderEdited,   // bytes: the 4-byte header field before, then after; position: its offset
};

struct CJournalOp {
  EJournalOp op = EJournalOp::kItemAdded;
  std::uint8_t type = 0;  // the record type (a table), or the string's class
  std::uint32_t id = 0;   // the item or string id
  std::uint32_t position = 0;
  std::uint32_t offset = 0;  // where its bytes start in the journal's byte store
  std::uint32_t size = 0;    // bytes of one image (a record or a text)
};

class CChangeJournal {
 public:
  void Note(EJournalOp op, std::uint8_t type, std::uint32_t id, std::uint32_t position,
            const void* bytes, std::size_t size, const void* after = nullptr);

  const TPageArray<CJournalOp>& Ops() const { return ops_; }
  bool empty() const { return ops_.empty(); }
  // The image of an op: the record or text (for an edit, the one before).
  std::string_view Bytes(const CJournalOp& op) const {
    return {bytes_.begin() + op.offset, op.size};
  }
  // The record after an edit.
  std::string_view After(const CJournalOp& op) const {
    return {bytes_.begin() + op.offset + op.size, op.size};
  }
  // The memory the journal holds, for limiting how many runs are kept.
  std::size_t MemoryUse() const { return ops_.capacity() * sizeof(CJournalOp) + bytes_.capacity(); }
  void clear();

 private:
  // In pages of their own: the journal of a large import holds a hundred
  // megabytes, which grow without a second copy.
  TPageArray<CJournalOp> ops_;
  TPageArray<char> bytes_;
};
