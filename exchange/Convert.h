// Making a new database from the books of another program: what will come
// over (accounts with their balances, categories, transactions, what will
// not and why), storing it, and checking afterwards that every account's
// balance is the one the source implies.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ForeignBook.h"
#include "Qif.h"

// A QIF file, a GnuCash book or a HomeBank file, told apart by their first
// bytes, read whole.
CForeignRead ReadForeignBook(std::string_view bytes, const CQifOptions& qif = {});

struct CConvertOptions {
  // The ISO code of the currency of accounts the source names none for.
  std::string currency = "USD";
};

// An account's balance as the source implies it (its opening balance, its
// transactions and the transfers to it) beside the balance stored.
struct CAccountCheck {
  std::string name, currency;
  Money source = 0, stored = 0;
};

struct CConvertSummary {
  std::vector<CAccountCheck> accounts;  // `stored` not yet known
  std::size_t categories = 0;
  std::size_t transactions = 0;  // as they will be stored: a split gives several
  std::size_t planned = 0;
  std::vector<CForeignNote> notImported;  // the book's, grouped
};

// An account a transaction or planned transaction of `book` names but the
// book does not hold; "" when there is none.
std::string MissingAccount(const CForeignBook& book);

// What converting `book` will store.
CConvertSummary SummarizeBook(const CForeignBook& book, const CConvertOptions& options);

struct CConvertResult {
  bool ok = false;
  std::string error;
  std::vector<CAccountCheck> checks;  // every account, source beside stored
  std::size_t transactions = 0;       // stored
  std::size_t planned = 0;            // stored
};

// Stores `book` in a new database file `path` (never over an existing
// file). A failure leaves no file behind. After storing, every account's
// balance is compared with the source's; a difference makes the result
// not ok (the file is kept, so that it can be looked at).
CConvertResult ConvertBook(const CForeignBook& book, const std::string& path,
                           const CConvertOptions& options);
