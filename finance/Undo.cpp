#include "Undo.h"

#include <utility>

void CUndoHistory::Push(CChangeStep step) {
  redo_.clear();
  undo_.push_back(std::move(step));
  Trim();
}

void CUndoHistory::Undone() {
  if (undo_.empty()) return;
  redo_.push_back(std::move(undo_.back()));
  undo_.pop_back();
}

void CUndoHistory::Redone() {
  if (redo_.empty()) return;
  undo_.push_back(std::move(redo_.back()));
  redo_.pop_back();
  Trim();
}

void CUndoHistory::clear() {
  undo_.clear();
  redo_.clear();
}

void CUndoHistory::Trim() {
  std::size_t memory = 0;
  for (const CChangeStep& step : undo_) memory += step.journal.MemoryUse();
  for (const CChangeStep& step : redo_) memory += step.journal.MemoryUse();
  while (undo_.size() > 1 && (undo_.size() > kMaxSteps || memory > kMaxMemory)) {
    memory -= undo_.front().journal.MemoryUse();
    undo_.pop_front();
  }
}
