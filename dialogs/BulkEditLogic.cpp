#include "BulkEditLogic.h"

#include <functional>

#include "Include.h"
#include "TransferLogic.h"

std::uint32_t CategoryRootFor(const TransactionRecord& record) {
  switch (KindOf(record)) {
    case kKindIncome:
      return kIncomeRoot;
    case kKindTransfer:
      return kTransferRoot;
    default:
      return kExpenseRoot;
  }
}

std::optional<TransactionRecord> StoredTransaction(CDataBase& db, int kind, std::uint32_t id) {
  if (kind == kTransactionKind) {
    if (const auto entry = db.Transactions().Find(id)) return entry->record;
  } else if (kind == kPlnTransactionKind) {
    if (const CPlnTransactionIndex* entry = db.PlnTransactions().Find(id))
      return entry->record.transaction;
  }
  return std::nullopt;
}

namespace {

// Whether `id` is a stored subtype of the tree under `root`.
bool InTree(CDataBase& db, std::uint32_t id, std::uint32_t root) {
  return id > kFirstFreeId && db.SubTypeRoot(id) == root;
}

std::uint32_t CurrencyOf(CDataBase& db, std::uint32_t account) {
  const CAccountIndex* entry = db.Accounts().Find(account);
  return entry == nullptr ? 0 : entry->record.currencyId;
}

// The record `record` becomes under `change` (the checks passed).
TransactionRecord Changed(TransactionRecord record, const TBulkChange& change) {
  if (change.category != 0) record.categoryId = change.category;
  if (change.member != 0) record.memberId = change.member;
  if (change.section != 0) record.sectionId = change.section;
  if (change.account != 0) {
    if (KindOf(record) == kKindIncome)
      record.toAccount = change.account;
    else
      record.fromAccount = change.account;
  }
  return record;
}

}  // namespace

std::vector<TBulkRefused> CheckBulkEdit(CDataBase& db, int kind,
                                        const std::vector<std::uint32_t>& ids,
                                        const TBulkChange& change) {
  std::vector<TBulkRefused> refused;
  const bool choicesStored =
      (change.member == 0 || InTree(db, change.member, kMemberRoot)) &&
      (change.section == 0 || InTree(db, change.section, kSectionRoot)) &&
      (change.category == 0 || InTree(db, change.category, kIncomeRoot) ||
       InTree(db, change.category, kExpenseRoot) || InTree(db, change.category, kTransferRoot)) &&
      (change.account == 0 || db.Accounts().Find(change.account) != nullptr);
  const std::uint32_t newCurrency = change.account == 0 ? 0 : CurrencyOf(db, change.account);
  const std::uint32_t categoryRoot = change.category == 0 ? 0 : db.SubTypeRoot(change.category);
  for (std::uint32_t id : ids) {
    const auto record = StoredTransaction(db, kind, id);
    if (!record) {
      refused.push_back({id, TBulkRefusal::kGone});
    } else if (!choicesStored) {
      refused.push_back({id, TBulkRefusal::kNoSuchChoice});
    } else if (change.category != 0 && categoryRoot != CategoryRootFor(*record)) {
      refused.push_back({id, TBulkRefusal::kCategoryKind});
    } else if (change.account != 0 && KindOf(*record) == kKindTransfer) {
      refused.push_back({id, TBulkRefusal::kTransferAccount});
    } else if (change.account != 0) {
      // The amounts are in the old account's currency: they would mean
      // other money in an account of another currency.
      const std::uint32_t old =
          KindOf(*record) == kKindIncome ? record->toAccount : record->fromAccount;
      const std::uint32_t oldCurrency = CurrencyOf(db, old);
      if (oldCurrency == 0 || oldCurrency != newCurrency)
        refused.push_back({id, TBulkRefusal::kOtherCurrency});
    }
  }
  return refused;
}

TBulkResult ApplyBulkEdit(CDataBase& db, int kind, const std::vector<std::uint32_t>& ids,
                          const TBulkChange& change) {
  TBulkResult result;
  result.refused = CheckBulkEdit(db, kind, ids, change);
  if (!result.refused.empty() || change.Empty()) return result;
  result.stored.reserve(ids.size());
  CDataBase::CChangeScope step(db, EChangeKind::kChangeMany, {}, ids.size());
  db.BeginBatch();
  for (std::uint32_t id : ids) {
    const auto record = StoredTransaction(db, kind, id);
    const TransactionRecord changed = Changed(*record, change);
    if (db.EditTransactionFields(static_cast<std::uint8_t>(kind), id, changed) != 1) {
      result.writeError = db.GetLastWriteError();
      if (result.writeError.empty()) result.writeError = "the file was given up";
      break;
    }
    result.stored.push_back(id);
  }
  result.synced = db.EndBatch("EditItem");
  if (!result.synced && result.writeError.empty()) result.writeError = db.GetLastWriteError();
  return result;
}

TBulkResult ApplyBulkDelete(CDataBase& db, int kind, const std::vector<std::uint32_t>& ids) {
  TBulkResult result;
  result.stored.reserve(ids.size());
  CDataBase::CChangeScope step(db, EChangeKind::kDeleteMany, {}, ids.size());
  db.BeginBatch();
  for (std::uint32_t id : ids) {
    if (!StoredTransaction(db, kind, id)) {
      result.refused.push_back({id, TBulkRefusal::kGone});
      continue;
    }
    if (!db.DelItemByKind(static_cast<std::uint8_t>(kind), id)) {
      result.writeError = db.GetLastWriteError();
      if (result.writeError.empty()) result.writeError = "the file was given up";
      break;
    }
    result.stored.push_back(id);
  }
  result.synced = db.EndBatch("DelItem");
  if (!result.synced && result.writeError.empty()) result.writeError = db.GetLastWriteError();
  return result;
}

std::vector<TBulkChoice> SubTypeChoices(CDataBase& db, std::uint32_t root) {
  std::vector<TBulkChoice> choices;
  std::function<void(std::uint32_t, const std::string&, int)> walk =
      [&](std::uint32_t parent, const std::string& path, int depth) {
        if (depth > 64) return;                                     // a damaged file's loop
        const TSubTypeItems children = db.GetSubTypeItems(parent);  // a copy: walk recurses
        for (const CSubTypeItem& child : children) {
          const std::string text = path.empty() ? child.name : path + " / " + child.name;
          choices.push_back({child.id, text});
          walk(child.id, text, depth + 1);
        }
      };
  walk(root, "", 0);
  return choices;
}

std::string BulkRefusalText(const std::vector<TBulkRefused>& refused) {
  std::size_t counts[5] = {};
  for (const TBulkRefused& r : refused) ++counts[static_cast<int>(r.why)];
  std::string text = GetLocalizedText(30646, "Nothing was changed:");
  const auto line = [&](TBulkRefusal why, std::uint32_t id, const char* forms) {
    const std::size_t n = counts[static_cast<int>(why)];
    if (n > 0) text += "\n- " + GetLocalizedCount(id, forms, static_cast<long long>(n));
  };
  line(TBulkRefusal::kGone, 30650,
       "%1 of the transactions no longer exists.|%1 of the transactions no longer exist.");
  if (counts[static_cast<int>(TBulkRefusal::kNoSuchChoice)] > 0)
    text += "\n- " + GetLocalizedText(30651,
                                      "The chosen category, member, section or account no "
                                      "longer exists.");
  line(TBulkRefusal::kCategoryKind, 30647,
       "%1 transaction is of another kind than the category (expense, income or "
       "transfer).|%1 transactions are of another kind than the category (expense, income or "
       "transfer).");
  line(TBulkRefusal::kTransferAccount, 30648,
       "%1 transfer keeps its accounts: change them in the transfer itself.|%1 transfers keep "
       "their accounts: change them in each transfer itself.");
  line(TBulkRefusal::kOtherCurrency, 30649,
       "%1 transaction is in another currency than the chosen account.|%1 transactions are in "
       "another currency than the chosen account.");
  return text;
}

std::string BulkFailureText(const TBulkResult& result, bool deleting) {
  const long long done = result.synced ? static_cast<long long>(result.stored.size()) : 0;
  std::string text =
      deleting ? GetLocalizedCount(30653,
                                   "The database file failed: %1 transaction was deleted, the "
                                   "others were not.|The database file failed: %1 transactions "
                                   "were deleted, the others were not.",
                                   done)
               : GetLocalizedCount(30654,
                                   "The database file failed: %1 transaction was changed, the "
                                   "others were not.|The database file failed: %1 transactions "
                                   "were changed, the others were not.",
                                   done);
  if (!result.synced)
    text = GetLocalizedText(30655,
                            "The database file failed: the changes may not have reached the "
                            "disk. Open the file again to see what it holds.");
  if (!result.writeError.empty()) text += "\n\n" + result.writeError;
  return text;
}
