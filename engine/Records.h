// The finance data model in its three forms: the on-disk records (packed,
// little-endian, with their offsets pinned below), the index entries the table
// engine keeps in memory for every live record, and the items handed to the
// rest of the program with their texts resolved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Dates.h"
#include "IndexMap.h"
#include "Moneytype.h"

// Record types of the database file.
enum RecordType : std::uint8_t {
  kFillerRecord = 0,
  kStringRecordFirst = 1,  // classes 1..7
  kStringRecordLast = 7,
  kCurrencyRecord = 100,
  kLegacyAccountRecord = 101,
  kSubTypeRecord = 102,
  kAccountRecord = 103,
  kExchangeRateRecord = 104,
  kLegacyIncomeRecord = 200,
  kLegacyExpenseRecord = 201,
  kLegacyPlannedRecord = 202,
  kLegacyTransferRecord = 203,
  kTransactionRecord = 204,
  kPlnTransactionRecord = 205,
};

// Item kinds, equal to the record types of the two transaction tables.
constexpr int kTransactionKind = 204;
constexpr int kPlnTransactionKind = 205;

// Subtype pseudo-parents (they have no record).
constexpr std::uint32_t kIncomeRoot = 1;
constexpr std::uint32_t kExpenseRoot = 2;
constexpr std::uint32_t kTransferRoot = 3;
constexpr std::uint32_t kSectionRoot = 5;
constexpr std::uint32_t kMemberRoot = 6;

// Ids up to this value never name a stored item or string.
constexpr std::uint32_t kFirstFreeId = 100;

#pragma pack(push, 1)

struct FileHeader {
  std::uint32_t headerSize = 1024;
  std::int32_t version = 230;
  char signature[10] = {'O', 'm', 'r', 'i', 'n', ' ', 'D', 'B', 'E', 0};
  std::uint8_t reserved1[14] = {};
  std::uint32_t openedMarker = 0;  // 100 in files that have been opened; unread
  std::uint8_t reserved2[220] = {};
  std::uint32_t nextItemId = 100;
  std::uint32_t nextStringId = 100;
  double intervalStart = 0.0;
  double intervalEnd = 0.0;
  std::int32_t selectedAccount = 0;
  std::int32_t selectedCurrency = 0;
  std::uint8_t reserved3[224] = {};
  std::uint32_t textSlots[64] = {};
  std::uint8_t reserved4[256] = {};
};
static_assert(sizeof(FileHeader) == 1024);
static_assert(offsetof(FileHeader, version) == 4);
static_assert(offsetof(FileHeader, signature) == 8);
static_assert(offsetof(FileHeader, openedMarker) == 32);
static_assert(offsetof(FileHeader, nextItemId) == 256);
static_assert(offsetof(FileHeader, nextStringId) == 260);
static_assert(offsetof(FileHeader, intervalStart) == 264);
static_assert(offsetof(FileHeader, intervalEnd) == 272);
static_assert(offsetof(FileHeader, selectedAccount) == 280);
static_assert(offsetof(FileHeader, selectedCurrency) == 284);
static_assert(offsetof(FileHeader, textSlots) == 512);

// File offsets of the header fields that are written one by one.
constexpr std::uint32_t kHeaderSizeOffset = 0;
constexpr std::uint32_t kVersionOffset = 4;
constexpr std::uint32_t kCountersOffset = 256;
constexpr std::uint32_t kIntervalOffset = 264;
constexpr std::uint32_t kSelectionOffset = 280;
constexpr std::uint32_t kTextSlotsOffset = 512;
constexpr std::uint32_t kHeaderLength = 1024;
constexpr std::int32_t kCurrentVersion = 230;
constexpr char kSignature[] = "Omrin DBE";

struct RecordHeader {
  std::uint8_t state = 0;  // 1 = deleted (free space); anything else live
  std::uint8_t type = 0;
  std::uint16_t reserved = 0;
  std::uint32_t id = 0;
  std::uint32_t size = 0;  // data size in bytes
};
static_assert(sizeof(RecordHeader) == 12);
static_assert(offsetof(RecordHeader, type) == 1);
static_assert(offsetof(RecordHeader, id) == 4);
static_assert(offsetof(RecordHeader, size) == 8);
constexpr std::uint8_t kDeletedState = 1;

struct CurrencyRecord {
  std::uint32_t nameId = 0;
  std::uint32_t carried = 0;
  std::uint32_t fullNameId = 0;
};
static_assert(sizeof(CurrencyRecord) == 12);
static_assert(offsetof(CurrencyRecord, fullNameId) == 8);

struct AccountRecord {
  std::uint32_t nameId = 0;
  std::uint32_t carried1 = 0;
  std::uint32_t currencyId = 0;
  std::uint32_t carried2 = 0;
  std::uint32_t commentId = 0;
  std::uint8_t budgetEnabled = 0;
  std::uint8_t reserved[3] = {};
  double budgetStart = 0.0;
  double budgetEnd = 0.0;
  Money budgetSum = 0;
};
static_assert(sizeof(AccountRecord) == 48);
static_assert(offsetof(AccountRecord, currencyId) == 8);
static_assert(offsetof(AccountRecord, commentId) == 16);
static_assert(offsetof(AccountRecord, budgetEnabled) == 20);
static_assert(offsetof(AccountRecord, budgetStart) == 24);
static_assert(offsetof(AccountRecord, budgetEnd) == 32);
static_assert(offsetof(AccountRecord, budgetSum) == 40);

struct SubTypeRecord {
  std::uint32_t nameId = 0;
  std::uint32_t carried = 0;
  std::uint32_t parentId = 0;
  std::uint8_t showQuantity = 0;
  std::uint8_t reserved[3] = {};
};
static_assert(sizeof(SubTypeRecord) == 16);
static_assert(offsetof(SubTypeRecord, parentId) == 8);
static_assert(offsetof(SubTypeRecord, showQuantity) == 12);

struct ExchangeRateRecord {
  std::uint32_t currencyA = 0;
  std::uint32_t currencyB = 0;
  double rate = 0.0;  // one unit of A is worth this many units of B
};
static_assert(sizeof(ExchangeRateRecord) == 16);
static_assert(offsetof(ExchangeRateRecord, rate) == 8);

struct TransactionRecord {
  double date = 0.0;  // the item constructors set today's date
  std::uint32_t fromAccount = 0;
  std::uint32_t toAccount = 0;
  Money amountOut = 0;
  Money amountIn = 0;
  float quantity = 1.0f;
  std::uint32_t memberId = 0;
  std::uint32_t categoryId = 0;
  std::uint32_t sectionId = 0;
  std::uint32_t descriptionId = 0;
  std::uint32_t commentId = 0;
};
static_assert(sizeof(TransactionRecord) == 56);
static_assert(offsetof(TransactionRecord, fromAccount) == 8);
static_assert(offsetof(TransactionRecord, toAccount) == 12);
static_assert(offsetof(TransactionRecord, amountOut) == 16);
static_assert(offsetof(TransactionRecord, amountIn) == 24);
static_assert(offsetof(TransactionRecord, quantity) == 32);
static_assert(offsetof(TransactionRecord, memberId) == 36);
static_assert(offsetof(TransactionRecord, categoryId) == 40);
static_assert(offsetof(TransactionRecord, sectionId) == 44);
static_assert(offsetof(TransactionRecord, descriptionId) == 48);
static_assert(offsetof(TransactionRecord, commentId) == 52);

// Schedule kinds of a planned transaction.
enum ScheduleKind : std::uint8_t {
  kScheduleNotSet = 0,
  kScheduleOnce = 1,
  kScheduleEveryNDays = 2,
  kScheduleWeekly = 3,
  kScheduleMonthly = 4,
};

struct ScheduleRecord {
  std::uint8_t kind = kScheduleNotSet;
  std::uint8_t reserved1[7] = {};
  double lastProcessed = 0.0;  // the item constructors set today's date
  double onceDate = 0.0;
  std::uint16_t period = 0;       // kind 2: N days; kind 4: day + 50 * months
  std::uint8_t weekdays[7] = {};  // Monday first
  std::uint8_t reserved2[7] = {};
};
static_assert(sizeof(ScheduleRecord) == 40);
static_assert(offsetof(ScheduleRecord, lastProcessed) == 8);
static_assert(offsetof(ScheduleRecord, onceDate) == 16);
static_assert(offsetof(ScheduleRecord, period) == 24);
static_assert(offsetof(ScheduleRecord, weekdays) == 26);

// Day and months of a monthly period code (day + 50 x months); a code below
// 50 means every month.
inline int MonthlyDay(std::uint16_t period) {
  return period % 50;
}
inline int MonthlyMonths(std::uint16_t period) {
  const int months = period / 50;
  return months == 0 ? 1 : months;
}

struct PlnTransactionRecord {
  ScheduleRecord schedule;
  TransactionRecord transaction;
};
static_assert(sizeof(PlnTransactionRecord) == 96);
static_assert(offsetof(PlnTransactionRecord, transaction) == 40);
static_assert(offsetof(PlnTransactionRecord, transaction.descriptionId) == 88);
static_assert(offsetof(PlnTransactionRecord, transaction.commentId) == 92);

// Records of files older than format 2.30; read and converted, never written.
struct LegacyAccountRecord {
  std::uint32_t nameId;
  std::uint32_t carried1;
  std::uint32_t currencyId;
  std::uint32_t carried2;
};
static_assert(sizeof(LegacyAccountRecord) == 16);

struct LegacyTransactionRecord {
  double date;
  std::uint32_t accountId;
  float quantity;
  Money amount;
  std::uint32_t memberId;
  std::uint32_t categoryId;
  std::uint32_t sectionId;
  std::uint32_t descriptionId;
  std::uint32_t commentId;
  std::uint32_t reserved;
  // Only in type 203 records:
  std::uint32_t secondAccountId;
  std::uint32_t reserved2;
  Money secondAmount;
};
static_assert(sizeof(LegacyTransactionRecord) == 64);
static_assert(offsetof(LegacyTransactionRecord, amount) == 16);
static_assert(offsetof(LegacyTransactionRecord, memberId) == 24);
static_assert(offsetof(LegacyTransactionRecord, descriptionId) == 36);
static_assert(offsetof(LegacyTransactionRecord, secondAccountId) == 48);
static_assert(offsetof(LegacyTransactionRecord, secondAmount) == 56);

#pragma pack(pop)

// The data size of a record of one of the six tables (whose header may say
// 0 for it); 0 for every other type. Inline: the load scan asks it for
// every record.
constexpr std::uint32_t TableRecordSize(std::uint8_t type) {
  switch (type) {
    case kCurrencyRecord:
      return sizeof(CurrencyRecord);
    case kSubTypeRecord:
      return sizeof(SubTypeRecord);
    case kAccountRecord:
      return sizeof(AccountRecord);
    case kExchangeRateRecord:
      return sizeof(ExchangeRateRecord);
    case kTransactionRecord:
      return sizeof(TransactionRecord);
    case kPlnTransactionRecord:
      return sizeof(PlnTransactionRecord);
    default:
      return 0;
  }
}

// Today's defaults for a new transaction or planned transaction record.
TransactionRecord DefaultTransactionRecord();
ScheduleRecord DefaultScheduleRecord();
PlnTransactionRecord DefaultPlnTransactionRecord();

// Transaction kinds follow from the two account fields (inline: reports and
// find ask for every transaction).
inline bool IsExpense(const TransactionRecord& r) {
  return r.toAccount < kFirstFreeId;
}
inline bool IsTransfer(const TransactionRecord& r) {
  return !IsExpense(r) && r.fromAccount >= kFirstFreeId;
}
inline bool IsIncome(const TransactionRecord& r) {
  return !IsExpense(r) && !IsTransfer(r);
}

// ---- Index entries: one per live record, owned by the table's map. ----

struct CBaseIndex {
  std::uint32_t position = 0;  // file offset of the record's header
};

struct CCurrencyIndex : CBaseIndex {
  CurrencyRecord record;
};
struct CAccountIndex : CBaseIndex {
  AccountRecord record;
};
struct CSubTypeIndex : CBaseIndex {
  SubTypeRecord record;
};
struct CExchangeRateIndex : CBaseIndex {
  ExchangeRateRecord record;
};
struct CTransactionIndex : CBaseIndex {
  TransactionRecord record;
};
struct CPlnTransactionIndex : CBaseIndex {
  PlnTransactionRecord record;
};

using TCurrencyIndexes = TIndexMap<CCurrencyIndex>;
using TAccountIndexes = TIndexMap<CAccountIndex>;
using TSubTypeIndexes = TIndexMap<CSubTypeIndex>;
using TExchangeRateIndexes = TIndexMap<CExchangeRateIndex>;
using TPlnTransactionIndexes = TIndexMap<CPlnTransactionIndex>;

// The transactions, the one table that grows to millions, are held compactly.
#include "TransactionTable.h"  // NOLINT(build/include_order)

// File positions of deleted records, the most recently freed on top.
using TFreeIndexes = std::vector<std::uint32_t>;

// Range-query results; they point into the engine's live index entries and
// stay valid only until the next change of their table.
struct CTransactionRef {
  std::uint32_t id = 0;
  TTransactionIndexes::Ptr entry;
};
struct CPlnTransactionRef {
  std::uint32_t id = 0;
  CPlnTransactionIndex* entry = nullptr;
};
using TTransactionInterval = std::vector<CTransactionRef>;
using TPlnTransactionInterval = std::vector<CPlnTransactionRef>;

// ---- Items: plain value objects with their texts resolved. ----

struct CBaseItem {
  std::uint32_t id = 0;
};

struct CBaseDirItem : CBaseItem {
  std::string name;
};

struct CCurrencyItem : CBaseDirItem {
  CurrencyRecord record;
  std::string fullName;
};

struct CAccountItem : CBaseDirItem {
  AccountRecord record;
  Money balance = 0;
  Money plannedIn = 0;
  Money plannedOut = 0;
  std::string comment;
  Money budgetUsed = 0;
};

struct CSubTypeItem : CBaseDirItem {
  SubTypeRecord record;
};

struct CTransactionItem : CBaseItem {
  CTransactionItem();
  std::string description;
  std::string comment;
  TransactionRecord record;
};

struct CPlnTransactionItem : CBaseItem {
  CPlnTransactionItem();
  std::string description;
  std::string comment;
  PlnTransactionRecord record;
};

class CAbstractDB;

// Record-to-item conversions: the id, a copy of the entry's record and the
// texts read from the string pool (an id below 100 gives an empty text).
CCurrencyItem MakeItem(const CAbstractDB& db, std::uint32_t id, const CCurrencyIndex& entry);
CAccountItem MakeItem(const CAbstractDB& db, std::uint32_t id, const CAccountIndex& entry);
CSubTypeItem MakeItem(const CAbstractDB& db, std::uint32_t id, const CSubTypeIndex& entry);
CTransactionItem MakeItem(const CAbstractDB& db, std::uint32_t id, const CTransactionIndex& entry);
CPlnTransactionItem MakeItem(const CAbstractDB& db, std::uint32_t id,
                             const CPlnTransactionIndex& entry);

using TCurrencyItems = std::vector<CCurrencyItem>;
using TAccountItems = std::vector<CAccountItem>;
using TSubTypeItems = std::vector<CSubTypeItem>;
