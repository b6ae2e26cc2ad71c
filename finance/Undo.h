// The steps of changes a person made in one session, to be taken back and
// made again. A step is what one command changed (one edit, a delete with
// everything it took along, a bulk change, an import), noted record by record
// by the engine; undoing it inverts those changes, the last first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "Journal.h"

// What a step did, for naming it ("Undo Delete of 'Bread'").
enum class EChangeKind : std::uint8_t {
  kOther,  // changes made outside a named step
  kAdd,    // these three: subject is the item's name or description
  kEdit,
  kDelete,
  kMove,            // a category moved in its tree
  kExchangeRate,    // an exchange rate set
  kSettings,        // the database's texts or password
  kChangeMany,      // count: transactions changed together
  kDeleteMany,      // count: transactions deleted together
  kApplyRules,      // count: transactions the rules changed
  kImport,          // subject: the file; count: transactions stored
  kUndoImport,      // subject: the file; count: transactions deleted
  kPlannedPosting,  // count: planned occurrences stored as transactions
};

struct CChangeStep {
  std::uint64_t serial = 0;  // counts the steps of the session, from 1
  EChangeKind kind = EChangeKind::kOther;
  std::string subject;
  std::size_t count = 0;
  // The item the step is about (its first changed record that is not a
  // text), for selecting it again after undo or redo.
  std::uint8_t focusType = 0;
  std::uint32_t focusId = 0;
  CChangeJournal journal;
};

// The undo and redo stacks. A new step empties the redo stack; the oldest
// steps are dropped past `kMaxSteps` or when the journals together hold more
// than `kMaxMemory` bytes (the newest step is always kept).
class CUndoHistory {
 public:
  static constexpr std::size_t kMaxSteps = 200;
  static constexpr std::size_t kMaxMemory = std::size_t{512} << 20;

  void Push(CChangeStep step);
  const CChangeStep* NextUndo() const { return undo_.empty() ? nullptr : &undo_.back(); }
  const CChangeStep* NextRedo() const { return redo_.empty() ? nullptr : &redo_.back(); }
  // Moves the next step from one stack to the other, after it was replayed.
  void Undone();
  void Redone();
  void clear();
  std::size_t UndoCount() const { return undo_.size(); }
  std::size_t RedoCount() const { return redo_.size(); }

 private:
  void Trim();
  std::deque<CChangeStep> undo_;
  std::deque<CChangeStep> redo_;
};
