// CDataBase: construction, files, the interval, and the item operations of
// the directories and transactions.
#include "Omrindb.h"

#include <algorithm>

#include "Logger.h"
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
  CADBEngine::Create(name);
}

bool CDataBase::Open(const std::string& name) {
  if (!FileExists(name)) return CADBEngine::Open(name);  // logs; the open file stays open
  exchangeRateCache.clear();
  bool ok = CADBEngine::Open(name);
  if (ok) LoadExchangeRates();
  return ok;
}

void CDataBase::Close() {
  CADBEngine::Close();
  exchangeRateCache.clear();
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

std::vector<std::uint32_t> CDataBase::AddTexts(std::initializer_list<std::uint32_t*> idFields,
                                               std::initializer_list<const std::string*> texts) {
  std::vector<std::uint32_t> added;
  auto field = idFields.begin();
  for (const std::string* text : texts) {
    **field = AddString(*text);
    added.push_back(**field);
    ++field;
  }
  return added;
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
  std::vector<std::uint32_t> added;
  try {
    added = AddTexts(idFields, texts);
    std::uint32_t id = AddItem(record);
    if (id != 0) return id;
  } catch (const CFileError& e) {
    LogError(std::string("[AddItem:] ") + e.what());
  }
  FreeTexts(added, false);  // the record was not stored: nothing refers to them
  return 0;
}

template <class Record>
int CDataBase::StoreEdit(std::uint32_t id, Record& record,
                         std::initializer_list<std::uint32_t*> idFields,
                         std::initializer_list<const std::string*> texts) {
  std::vector<std::uint32_t> oldIds;
  for (std::uint32_t* field : idFields) oldIds.push_back(*field);
  std::vector<std::uint32_t> added;
  try {
    added = AddTexts(idFields, texts);
    if (EditItem(id, record)) {
      FreeTexts(oldIds, true);
      return 1;
    }
  } catch (const CFileError& e) {
    LogError(std::string("[EditItem] ") + e.what());
  }
  FreeTexts(added, false);
  return 0;
}

template <class Entry, class StringIds>
bool CDataBase::DeleteWithTexts(std::uint32_t id, StringIds stringIdsOf) {
  const Entry* entry = Table<Entry>::Map(*this).Find(id);
  if (entry == nullptr) return false;
  std::vector<std::uint32_t> stringIds = stringIdsOf(entry->record);
  if (!DelItem<Entry>(id)) return false;
  FreeTexts(stringIds, false);
  return true;
}

// ---- Currencies ----

std::uint32_t CDataBase::AddCurrency(CCurrencyItem item) {
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
  CurrencyRecord& r = item.record;
  return StoreEdit(item.id, r, {&r.nameId, &r.fullNameId}, {&item.name, &item.fullName});
}

bool CDataBase::DelCurrency(std::uint32_t id) {
  return DeleteWithTexts<CCurrencyIndex>(id, [](const CurrencyRecord& r) {
    return std::vector<std::uint32_t>{r.nameId, r.fullNameId};
  });
}

// ---- Accounts ----

std::uint32_t CDataBase::AddAccount(CAccountItem item) {
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
  AccountRecord& r = item.record;
  return StoreEdit(item.id, r, {&r.nameId, &r.commentId}, {&item.name, &item.comment});
}

bool CDataBase::DelAccount(std::uint32_t id) {
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
  SubTypeRecord& r = item.record;
  return StoreEdit(item.id, r, {&r.nameId}, {&item.name});
}

bool CDataBase::DelSubType(std::uint32_t id, bool withChildren) {
  if (!CheckOpened("DelSubType")) return false;
  if (withChildren) {
    TSubTypeItems children = GetSubTypeItems(id);  // a copy: the recursion refills the buffer
    for (const CSubTypeItem& child : children) DelSubType(child.id, true);
  }
  const CSubTypeIndex* entry = subTypes.Find(id);
  if (entry == nullptr) return false;
  if (!withChildren) {
    const std::uint32_t parent = entry->record.parentId;
    TSubTypeItems children = GetSubTypeItems(id);
    for (CSubTypeItem& child : children) {
      child.record.parentId = parent;
      EditSubType(child);
    }
  }
  return DeleteWithTexts<CSubTypeIndex>(
      id, [](const SubTypeRecord& r) { return std::vector<std::uint32_t>{r.nameId}; });
}

// ---- Transactions ----

std::uint32_t CDataBase::AddTransaction(CTransactionItem item) {
  TransactionRecord& r = item.record;
  return StoreNew(r, {&r.descriptionId, &r.commentId}, {&item.description, &item.comment});
}

CTransactionItem& CDataBase::GetTransaction(std::uint32_t id, CTransactionItem& item) {
  item = CTransactionItem();
  if (!CheckOpened("GetTransaction")) return item;
  if (const CTransactionIndex* entry = transactions.Find(id)) item = MakeItem(*this, id, *entry);
  return item;
}

bool CDataBase::GetTransactions(TTransactionInterval::iterator& first,
                                TTransactionInterval::iterator& last) {
  ApplyPlnTransactions();
  return GetItemsInterval(intervalStart, intervalEnd, first, last);
}

int CDataBase::EditTransaction(CTransactionItem item) {
  TransactionRecord& r = item.record;
  return StoreEdit(item.id, r, {&r.descriptionId, &r.commentId},
                   {&item.description, &item.comment});
}

bool CDataBase::DelTransaction(std::uint32_t id) {
  return DeleteWithTexts<CTransactionIndex>(id, [](const TransactionRecord& r) {
    return std::vector<std::uint32_t>{r.descriptionId, r.commentId};
  });
}

// ---- Planned transactions ----

std::uint32_t CDataBase::AddPlnTransaction(CPlnTransactionItem item) {
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
  TransactionRecord& r = item.record.transaction;
  return StoreEdit(item.id, item.record, {&r.descriptionId, &r.commentId},
                   {&item.description, &item.comment});
}

bool CDataBase::DelPlnTransaction(std::uint32_t id) {
  return DeleteWithTexts<CPlnTransactionIndex>(id, [](const PlnTransactionRecord& r) {
    return std::vector<std::uint32_t>{r.transaction.descriptionId, r.transaction.commentId};
  });
}

bool CDataBase::DelItemByKind(std::uint8_t kind, std::uint32_t id) {
  if (kind == kTransactionKind) return DelTransaction(id);
  if (kind == kPlnTransactionKind) return DelPlnTransaction(id);
  return false;
}

bool CDataBase::DelAnyTransaction(std::uint32_t id) {
  return DelTransaction(id) || DelPlnTransaction(id);
}

std::int32_t CDataBase::GetSelectedAccount() {
  return selectedAccount;
}
