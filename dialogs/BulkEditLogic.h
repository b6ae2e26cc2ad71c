// Changing many transactions at once: one category, family member, section
// or account given to every selected transaction (or planned transaction),
// and deleting them together. Each change is checked against every
// transaction first and refused as a whole when one of them cannot take it;
// the writes of a change go in one batch, synced once at its end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Omrindb.h"

// What a bulk edit sets; 0 leaves that field of each transaction as it is.
struct TBulkChange {
  std::uint32_t category = 0;
  std::uint32_t member = 0;
  std::uint32_t section = 0;
  std::uint32_t account = 0;
  bool Empty() const { return category == 0 && member == 0 && section == 0 && account == 0; }
};

// Why a transaction cannot take the change.
enum class TBulkRefusal : std::uint8_t {
  kGone,             // the transaction is no longer stored
  kCategoryKind,     // the category belongs to another kind (income, expense, transfer)
  kTransferAccount,  // a transfer keeps its accounts (they are changed in its editor)
  kOtherCurrency,    // the new account keeps its money in another currency
  kNoSuchChoice,     // the category, member, section or account chosen is not stored as such
};

struct TBulkRefused {
  std::uint32_t id = 0;
  TBulkRefusal why = TBulkRefusal::kGone;
};

// The result of a bulk change. `stored` lists the transactions written, in
// the order given; when `writeError` is set the run stopped at the first
// failed write (or the final sync failed: then `synced` is false and the
// written ones may not have reached the medium). Nothing is written while
// `refused` is not empty.
struct TBulkResult {
  std::vector<TBulkRefused> refused;
  std::vector<std::uint32_t> stored;
  std::string writeError;
  bool synced = true;
  bool Complete(std::size_t asked) const {
    return refused.empty() && writeError.empty() && synced && stored.size() == asked;
  }
};

// The subtree root code a category of a transaction with these accounts
// must hang in: expenses kExpenseRoot, incomes kIncomeRoot, transfers
// kTransferRoot (the kinds the transaction editor tells by the accounts).
std::uint32_t CategoryRootFor(const TransactionRecord& record);

// The stored transaction part of transaction `id` of `kind` (204 or 205), or
// nothing when there is none.
std::optional<TransactionRecord> StoredTransaction(CDataBase& db, int kind, std::uint32_t id);

// Every transaction of `ids` that cannot take `change`, with the reason.
std::vector<TBulkRefused> CheckBulkEdit(CDataBase& db, int kind,
                                        const std::vector<std::uint32_t>& ids,
                                        const TBulkChange& change);

// Checks `change` and, when every transaction takes it, stores it for each
// in one batch.
TBulkResult ApplyBulkEdit(CDataBase& db, int kind, const std::vector<std::uint32_t>& ids,
                          const TBulkChange& change);

// Deletes every transaction of `ids` in one batch; one no longer stored is
// refused as kGone and the others are still deleted.
TBulkResult ApplyBulkDelete(CDataBase& db, int kind, const std::vector<std::uint32_t>& ids);

// One choice of a bulk edit's list: a subtype with its path ("Food / Bread").
struct TBulkChoice {
  std::uint32_t id = 0;
  std::string text;
};
// Every subtype under `root`, depth first in name order, each with its path.
std::vector<TBulkChoice> SubTypeChoices(CDataBase& db, std::uint32_t root);

// What the user is told about `refused` (one line per reason, with counts):
// nothing was changed.
std::string BulkRefusalText(const std::vector<TBulkRefused>& refused);
// What the user is told when a bulk edit (`deleting` false) or delete could
// not write everything: how many were stored, then the file's reason.
std::string BulkFailureText(const TBulkResult& result, bool deleting);
