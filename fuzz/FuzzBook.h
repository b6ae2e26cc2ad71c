// What every fuzzed reader of another program's books must give: a reason
// for what it refuses, and for what it reads a book whose transactions
// each have a line and name only accounts the book holds.
#pragma once

#include "Convert.h"

inline void CheckForeignRead(const CForeignRead& read) {
  if (!read.ok) {
    if (read.error.Empty() || read.ErrorText().empty()) __builtin_trap();
    return;
  }
  if (!MissingAccount(read.book).empty()) __builtin_trap();
  for (const CForeignTransaction& t : read.book.transactions)
    if (t.lines.empty()) __builtin_trap();
  for (const CForeignPlanned& p : read.book.planned)
    if (p.transaction.lines.empty()) __builtin_trap();
  SummarizeBook(read.book, {});
}
