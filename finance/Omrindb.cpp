// CDataBase: construction, files, the interval, and the item operations of
// the directories and transactions.
#include "Omrindb.h"

#include <algorithm>
#include <map>
#include <set>

#include "Logger.h"
#include "Numbertexts.h"
#include "Platform.h"

namespace {

// Byte order of names: unsigned bytes, case-sensitive, a prefix first
// (std::string's own comparison).
template <class Item, class Key>
void SortByText(std::vector<Item>& items, Key key) {
  std::stable_sort(items.begin(), items.end(),
                   [&](const Item& a, const Item& b) { return key(a) < key(b); });
}

}  // namespace

CDataBase::CDataBase() {
  LogDetail("Omrin DataBase Engine v" + FormatVersion(kCurrentVersion) + " initialized");
}

CDataBase::~CDataBase() {
  Close();
}

// ---- Files ----

void CDataBase::Create(const std::string& name) {
  Close();
  CADBEngine::CreateFile(name);  // its default items are no step
  SetJournal(undoEnabled && IsOpened() ? &looseChanges : nullptr);
}

bool CDataBase::Open(const std::string& name) {
  if (!FileExists(name)) return CADBEngine::OpenFile(name);  // logs; the open file stays open
  exchangeRateCache.clear();
  ForgetSteps();
  bool ok = CADBEngine::OpenFile(name);
  if (ok) LoadExchangeRates();
  SetJournal(undoEnabled && ok ? &looseChanges : nullptr);
  return ok;
}

void CDataBase::ForgetSteps() {
  accountCache.valid = false;  // the figures of another file
  accountCache.sums.valid = false;
  SetJournal(nullptr);
  history.clear();
  looseChanges.clear();
  openStep = CChangeStep();
  changeDepth = 0;
}

bool CDataBase::Close() {
  ForgetSteps();
  const bool stored = CADBEngine::CloseFile();
  exchangeRateCache.clear();
  applyFailure.clear();
  applyFailureTaken = false;
  return stored;
}

// ---- The working interval ----

const Date& CDataBase::GetIntervalBegin() {
  return intervalStart;
}
const Date& CDataBase::GetIntervalEnd() {
  return intervalEnd;
}

bool CDataBase::SetInterval(Date begin, Date end) {
  if (!CheckOpened("SetInterval")) return false;
  if (begin > end) {
    LogWarning("[SetInterval] Wrong interval: " + FormatShortDate(begin) + " - " +
               FormatShortDate(end));
    return false;
  }
  intervalStart = WholeDay(begin);
  intervalEnd = WholeDay(end);
  try {
    double interval[2] = {intervalStart, intervalEnd};
    stream->WriteAt(kIntervalOffset, interval, sizeof interval);
  } catch (const CFileError& e) {
    LogError(std::string("[SetInterval] ") + e.what());
    return false;
  }
  return true;
}

// ---- Shared item patterns ----

void CDataBase::AddTexts(std::initializer_list<std::uint32_t*> idFields,
                         std::initializer_list<const std::string*> texts,
                         std::vector<std::uint32_t>& added) {
  auto field = idFields.begin();
  for (const std::string* text : texts) {
    **field = AddString(*text);
    added.push_back(**field);
    ++field;
  }
}

void CDataBase::FreeTexts(const std::vector<std::uint32_t>& stringIds, bool asEdit) {
  for (std::uint32_t stringId : stringIds) {
    try {
      if (!DelString(stringId) && asEdit)
        LogWarning("[EditString] Can't find string ID: " + std::to_string(stringId) +
                   ". String Added.");
    } catch (const CFileError& e) {
      LogError(std::string("[DelString] ") + e.what());
    }
  }
}

template <class Record>
std::uint32_t CDataBase::StoreNew(Record& record, std::initializer_list<std::uint32_t*> idFields,
                                  std::initializer_list<const std::string*> texts) {
  ClearLastWriteError();
  std::vector<std::uint32_t> added;
  try {
    AddTexts(idFields, texts, added);
    std::uint32_t id = AddItem(record);
    if (id != 0) return SyncChanges("AddItem:") ? id : 0;
  } catch (const CFileError& e) {
    NoteWriteFailure("AddItem:", e.what());
  }
  FreeTexts(added, false);  // the record was not stored: nothing refers to them
  return 0;
}

template <class Record>
int CDataBase::StoreEdit(std::uint32_t id, Record& record,
                         std::initializer_list<std::uint32_t*> idFields,
                         std::initializer_list<const std::string*> texts) {
  ClearLastWriteError();
  std::vector<std::uint32_t> oldIds;
  for (std::uint32_t* field : idFields) oldIds.push_back(*field);
  std::vector<std::uint32_t> added;
  try {
    AddTexts(idFields, texts, added);
    if (EditItem(id, record)) {
      FreeTexts(oldIds, true);
      return SyncChanges("EditItem") ? 1 : 0;
    }
  } catch (const CFileError& e) {
    NoteWriteFailure("EditItem", e.what());
  }
  FreeTexts(added, false);
  return 0;
}

template <class Entry, class StringIds>
bool CDataBase::DeleteWithTexts(std::uint32_t id, StringIds stringIdsOf) {
  ClearLastWriteError();
  const auto entry = Table<Entry>::Map(*this).Find(id);
  if (entry == nullptr) return false;
  std::vector<std::uint32_t> stringIds = stringIdsOf(entry->record);
  if (!DelItem<Entry>(id)) return false;
  FreeTexts(stringIds, false);
  return SyncChanges("DelItem");
}

// ---- Currencies ----

std::uint32_t CDataBase::AddCurrency(CCurrencyItem item) {
  CChangeScope change(*this, EChangeKind::kAdd);
  CurrencyRecord& r = item.record;
  return StoreNew(r, {&r.nameId, &r.fullNameId}, {&item.name, &item.fullName});
}

CCurrencyItem& CDataBase::GetCurrency(std::uint32_t id, CCurrencyItem& item) {
  item = CCurrencyItem();
  if (!CheckOpened("GetCurrency")) return item;
  if (const CCurrencyIndex* entry = currencies.Find(id)) item = MakeItem(*this, id, *entry);
  return item;
}

TCurrencyItems& CDataBase::GetCurrencyItems() {
  currencyItems.clear();
  if (!CheckOpened("GetCurrencyItems")) return currencyItems;
  for (auto [id, entry] : currencies) currencyItems.push_back(MakeItem(*this, id, *entry));
  SortByText(currencyItems,
             [](const CCurrencyItem& c) -> const std::string& { return c.fullName; });
  return currencyItems;
}

int CDataBase::EditCurrency(CCurrencyItem item) {
  CChangeScope change(*this, EChangeKind::kEdit);
  CurrencyRecord& r = item.record;
  return StoreEdit(item.id, r, {&r.nameId, &r.fullNameId}, {&item.name, &item.fullName});
}

bool CDataBase::DelCurrency(std::uint32_t id) {
  CChangeScope change(*this, EChangeKind::kDelete);
  // The currency goes first: when a rate cannot be deleted after it, what
  // stays is a rate between a currency that no longer exists and another,
  // which nothing reads; the other way round a kept currency would lose its
  // rates.
  BeginBatch();
  bool deleted = DeleteWithTexts<CCurrencyIndex>(id, [](const CurrencyRecord& r) {
    return std::vector<std::uint32_t>{r.nameId, r.fullNameId};
  });
  if (deleted) {
    std::vector<std::uint32_t> rates;
    for (auto [rateId, entry] : exchangeRates)
      if (entry->record.currencyA == id || entry->record.currencyB == id) rates.push_back(rateId);
    for (std::uint32_t rateId : rates)
      if (!(deleted = DelItem<CExchangeRateIndex>(rateId))) break;
    if (!rates.empty()) LoadExchangeRates();
  }
  const bool synced = EndBatch("DelItem");
  return deleted && synced;
}

// ---- Accounts ----

std::uint32_t CDataBase::AddAccount(CAccountItem item) {
  CChangeScope change(*this, EChangeKind::kAdd);
  AccountRecord& r = item.record;
  return StoreNew(r, {&r.nameId, &r.commentId}, {&item.name, &item.comment});
}

CAccountItem& CDataBase::GetAccount(std::uint32_t id, CAccountItem& item) {
  item = CAccountItem();
  if (!CheckOpened("GetAccount")) return item;
  if (const CAccountIndex* entry = accounts.Find(id)) item = MakeItem(*this, id, *entry);
  return item;
}

int CDataBase::EditAccount(CAccountItem item) {
  CChangeScope change(*this, EChangeKind::kEdit);
  AccountRecord& r = item.record;
  return StoreEdit(item.id, r, {&r.nameId, &r.commentId}, {&item.name, &item.comment});
}

bool CDataBase::DelAccount(std::uint32_t id) {
  CChangeScope change(*this, EChangeKind::kDelete);
  return DeleteWithTexts<CAccountIndex>(id, [](const AccountRecord& r) {
    return std::vector<std::uint32_t>{r.nameId, r.commentId};
  });
}

std::uint32_t CDataBase::GetAccountCurrency(std::uint32_t accountId) {
  if (!CheckOpened("GetAccount")) return 0;
  const CAccountIndex* entry = accounts.Find(accountId);
  return entry ? entry->record.currencyId : 0;
}

// ---- Subtypes ----

std::uint32_t CDataBase::AddSubType(CSubTypeItem item) {
  CChangeScope change(*this, EChangeKind::kAdd);
  SubTypeRecord& r = item.record;
  return StoreNew(r, {&r.nameId}, {&item.name});
}

CSubTypeItem& CDataBase::GetSubType(std::uint32_t id, CSubTypeItem& item) {
  item = CSubTypeItem();
  if (!CheckOpened("GetSubType")) return item;
  if (const CSubTypeIndex* entry = subTypes.Find(id)) item = MakeItem(*this, id, *entry);
  return item;
}

TSubTypeItems& CDataBase::GetSubTypeItems(std::uint32_t parent) {
  subTypeItems.clear();
  if (!CheckOpened("GetSubTypeItems")) return subTypeItems;
  for (auto [id, entry] : subTypes)
    if (entry->record.parentId == parent) subTypeItems.push_back(MakeItem(*this, id, *entry));
  SortByText(subTypeItems, [](const CSubTypeItem& s) -> const std::string& { return s.name; });
  return subTypeItems;
}

int CDataBase::EditSubType(CSubTypeItem item) {
  CChangeScope change(*this, EChangeKind::kEdit);
  SubTypeRecord& r = item.record;
  return StoreEdit(item.id, r, {&r.nameId}, {&item.name});
}

bool CDataBase::DelSubType(std::uint32_t id, bool withChildren) {
  CChangeScope change(*this, EChangeKind::kDelete);
  if (!CheckOpened("DelSubType")) return false;
  if (subTypes.Find(id) == nullptr) return false;
  // One sync for the whole change, however many records it touches.
  BeginBatch();
  bool ok = withChildren ? DelSubTypeTree(id) : DelSubTypeLiftChildren(id);
  ok = EndBatch("DelSubType") && ok;
  return ok;
}

std::uint32_t CDataBase::SubTypeRoot(std::uint32_t id) {
  std::set<std::uint32_t> seen;
  while (id > kFirstFreeId) {
    const CSubTypeIndex* entry = subTypes.Find(id);
    if (entry == nullptr || !seen.insert(id).second) return 0;  // missing, or a loop
    id = entry->record.parentId;
  }
  return id;
}

CDataBase::TSubTypeMove CDataBase::MoveSubType(std::uint32_t id, std::uint32_t newParent) {
  CChangeScope change(*this, EChangeKind::kMove);
  ClearLastWriteError();
  if (!CheckOpened("MoveSubType"))  // closed, or the file takes no writes any more
    return GetLastWriteError().empty() ? TSubTypeMove::NoSuchItem : TSubTypeMove::WriteFailed;
  const CSubTypeIndex* entry = subTypes.Find(id);
  if (entry == nullptr) return TSubTypeMove::NoSuchItem;
  if (newParent > kFirstFreeId && subTypes.Find(newParent) == nullptr)
    return TSubTypeMove::NoSuchItem;
  // Walking up from the new parent must not meet the subtype itself (the set
  // stops at a loop a damaged file holds above the target).
  std::set<std::uint32_t> seen;
  for (std::uint32_t up = newParent; up > kFirstFreeId && seen.insert(up).second;) {
    if (up == id) return TSubTypeMove::Loop;
    const CSubTypeIndex* above = subTypes.Find(up);
    if (above == nullptr) break;
    up = above->record.parentId;
  }
  // A subtype caught in a damaged file's loop has no tree yet: it may go
  // anywhere, which mends the loop.
  const std::uint32_t root = SubTypeRoot(id);
  const std::uint32_t target = SubTypeRoot(newParent);
  const bool known = target == kIncomeRoot || target == kExpenseRoot || target == kTransferRoot ||
                     target == kSectionRoot || target == kMemberRoot;
  if (!known || (root != 0 && target != root)) return TSubTypeMove::OtherTree;
  if (entry->record.parentId == newParent) return TSubTypeMove::Moved;
  CSubTypeItem item;
  GetSubType(id, item);
  item.record.parentId = newParent;
  return EditSubType(item) == 1 ? TSubTypeMove::Moved : TSubTypeMove::WriteFailed;
}

bool CDataBase::DelSubTypeLiftChildren(std::uint32_t id) {
  const std::uint32_t parent = subTypes.Find(id)->record.parentId;
  TSubTypeItems children = GetSubTypeItems(id);
  for (CSubTypeItem& child : children) {
    child.record.parentId = parent;
    if (EditSubType(child) == 0) return false;  // the subtype stays, with its other children
  }
  return DeleteWithTexts<CSubTypeIndex>(
      id, [](const SubTypeRecord& r) { return std::vector<std::uint32_t>{r.nameId}; });
}

bool CDataBase::DelSubTypeTree(std::uint32_t id) {
  // The subtree is walked with a list of its own, not by recursion: a chain
  // of nested categories may be any number of levels deep. Children by
  // parent are gathered in one pass over the table.
  std::multimap<std::uint32_t, std::uint32_t> childrenOf;
  for (auto [childId, entry] : subTypes) childrenOf.emplace(entry->record.parentId, childId);
  std::vector<std::uint32_t> order;  // parents before their children
  std::set<std::uint32_t> seen{id};  // a damaged file may hold a parent cycle
  order.push_back(id);
  for (std::size_t i = 0; i < order.size(); ++i) {
    auto [from, to] = childrenOf.equal_range(order[i]);
    for (auto it = from; it != to; ++it)
      if (seen.insert(it->second).second) order.push_back(it->second);
  }
  // Children go before their parents, so a failure midway never leaves a
  // child whose parent is gone.
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    if (!DeleteWithTexts<CSubTypeIndex>(
            *it, [](const SubTypeRecord& r) { return std::vector<std::uint32_t>{r.nameId}; }))
      return false;
  }
  return true;
}

// ---- Transactions ----

std::uint32_t CDataBase::AddTransaction(CTransactionItem item) {
  CChangeScope change(*this, EChangeKind::kAdd);
  TransactionRecord& r = item.record;
  return StoreNew(r, {&r.descriptionId, &r.commentId}, {&item.description, &item.comment});
}

CTransactionItem& CDataBase::GetTransaction(std::uint32_t id, CTransactionItem& item) {
  item = CTransactionItem();
  if (!CheckOpened("GetTransaction")) return item;
  if (const auto entry = transactions.Find(id)) item = MakeItem(*this, id, *entry);
  return item;
}

bool CDataBase::GetTransactions(TTransactionInterval::iterator& first,
                                TTransactionInterval::iterator& last) {
  ApplyPlnTransactions();  // a failure is kept for TakeApplyFailure
  return GetItemsInterval(intervalStart, intervalEnd, first, last);
}

int CDataBase::EditTransaction(CTransactionItem item) {
  CChangeScope change(*this, EChangeKind::kEdit);
  TransactionRecord& r = item.record;
  return StoreEdit(item.id, r, {&r.descriptionId, &r.commentId},
                   {&item.description, &item.comment});
}

bool CDataBase::DelTransaction(std::uint32_t id) {
  CChangeScope change(*this, EChangeKind::kDelete);
  return DeleteWithTexts<CTransactionIndex>(id, [](const TransactionRecord& r) {
    return std::vector<std::uint32_t>{r.descriptionId, r.commentId};
  });
}

// ---- Planned transactions ----

std::uint32_t CDataBase::AddPlnTransaction(CPlnTransactionItem item) {
  CChangeScope change(*this, EChangeKind::kAdd);
  TransactionRecord& r = item.record.transaction;
  return StoreNew(item.record, {&r.descriptionId, &r.commentId},
                  {&item.description, &item.comment});
}

CPlnTransactionItem& CDataBase::GetPlnTransaction(std::uint32_t id, CPlnTransactionItem& item) {
  item = CPlnTransactionItem();
  if (!CheckOpened("GetPlnTransaction")) return item;
  if (const CPlnTransactionIndex* entry = plnTransactions.Find(id))
    item = MakeItem(*this, id, *entry);
  return item;
}

bool CDataBase::GetPlnTransactions(TPlnTransactionInterval::iterator& first,
                                   TPlnTransactionInterval::iterator& last) {
  if (!GetItems(plnItems)) return false;
  first = plnItems.begin();
  last = plnItems.end();
  return true;
}

int CDataBase::EditPlnTransaction(CPlnTransactionItem item) {
  CChangeScope change(*this, EChangeKind::kEdit);
  TransactionRecord& r = item.record.transaction;
  return StoreEdit(item.id, item.record, {&r.descriptionId, &r.commentId},
                   {&item.description, &item.comment});
}

bool CDataBase::DelPlnTransaction(std::uint32_t id) {
  CChangeScope change(*this, EChangeKind::kDelete);
  return DeleteWithTexts<CPlnTransactionIndex>(id, [](const PlnTransactionRecord& r) {
    return std::vector<std::uint32_t>{r.transaction.descriptionId, r.transaction.commentId};
  });
}

bool CDataBase::DelItemByKind(std::uint8_t kind, std::uint32_t id) {
  CChangeScope change(*this, EChangeKind::kDelete);
  if (kind == kTransactionKind) return DelTransaction(id);
  if (kind == kPlnTransactionKind) return DelPlnTransaction(id);
  return false;
}

bool CDataBase::DelAnyTransaction(std::uint32_t id) {
  CChangeScope change(*this, EChangeKind::kDelete);
  return DelTransaction(id) || DelPlnTransaction(id);
}

int CDataBase::EditTransactionFields(std::uint8_t kind, std::uint32_t id,
                                     TransactionRecord fields) {
  CChangeScope change(*this, EChangeKind::kEdit);
  ClearLastWriteError();
  bool stored = false;
  if (kind == kTransactionKind) {
    const auto entry = transactions.Find(id);
    if (entry == nullptr) return 0;
    fields.descriptionId = entry->record.descriptionId;
    fields.commentId = entry->record.commentId;
    stored = EditItem(id, fields);
  } else if (kind == kPlnTransactionKind) {
    const CPlnTransactionIndex* entry = plnTransactions.Find(id);
    if (entry == nullptr) return 0;
    PlnTransactionRecord record = entry->record;
    fields.descriptionId = record.transaction.descriptionId;
    fields.commentId = record.transaction.commentId;
    record.transaction = fields;
    stored = EditItem(id, record);
  }
  return stored && SyncChanges("EditItem") ? 1 : 0;
}

std::int32_t CDataBase::GetSelectedAccount() {
  return selectedAccount;
}
