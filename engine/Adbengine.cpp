#include "Adbengine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Logger.h"
#include "Platform.h"

// Reads the record area in large chunks, so the load scan costs a few system
// calls rather than one per record. Bytes the scan itself writes later (a
// converted record appended at the end) are read afresh when reached.
class CRecordScanner {
 public:
  explicit CRecordScanner(const CFileStream& stream) : stream_(stream), buf_(kChunk) {}

  // The `n` bytes at `pos`, or nullptr when the file ends before them.
  const char* Get(std::uint64_t pos, std::size_t n) {
    if (pos >= start_ && pos + n <= start_ + len_) return buf_.data() + (pos - start_);
    if (n > buf_.size()) buf_.resize(n);
    start_ = pos;
    len_ = stream_.ReadSomeAt(pos, buf_.data(), buf_.size());
    return len_ >= n ? buf_.data() : nullptr;
  }

 private:
  static constexpr std::size_t kChunk = 1 << 20;
  const CFileStream& stream_;
  std::vector<char> buf_;
  std::uint64_t start_ = 0;  // file position of buf_[0]
  std::size_t len_ = 0;      // valid bytes in buf_
};

namespace {

// Data size of the records whose size is fixed by their type; 0 for the
// types whose size field rules (fillers and unknown types).
std::uint32_t FixedDataSize(std::uint8_t type) {
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
    case kLegacyAccountRecord:
      return sizeof(LegacyAccountRecord);
    case kLegacyIncomeRecord:
    case kLegacyExpenseRecord:
    case kLegacyPlannedRecord:
      return 48;
    case kLegacyTransferRecord:
      return sizeof(LegacyTransactionRecord);
    default:
      if (type >= kStringRecordFirst && type <= kStringRecordLast) return StringSlotSize(type);
      return 0;
  }
}

bool IsTableType(std::uint8_t type) {
  switch (type) {
    case kCurrencyRecord:
    case kSubTypeRecord:
    case kAccountRecord:
    case kExchangeRateRecord:
    case kTransactionRecord:
    case kPlnTransactionRecord:
      return true;
    default:
      return false;
  }
}

bool IsUpgradableVersion(std::int32_t version) {
  switch (version) {
    case 202:
    case 203:
    case 204:
    case 210:
    case 211:
    case 220:
      return true;
    default:
      return false;
  }
}

TransactionRecord ConvertLegacyTransaction(const LegacyTransactionRecord& old, std::uint8_t type) {
  TransactionRecord r;
  r.date = old.date;
  r.quantity = old.quantity;
  r.memberId = old.memberId;
  r.categoryId = old.categoryId;
  r.sectionId = old.sectionId;
  r.descriptionId = old.descriptionId;
  r.commentId = old.commentId;
  r.amountOut = old.amount;
  r.amountIn = old.amount;
  if (type == kLegacyIncomeRecord) {
    r.toAccount = old.accountId;
  } else if (type == kLegacyTransferRecord) {
    r.fromAccount = old.accountId;
    r.toAccount = old.secondAccountId;
    r.amountIn = old.secondAmount;
  } else {  // expense, and the transaction part of a planned record
    r.fromAccount = old.accountId;
  }
  return r;
}

}  // namespace

std::int32_t DayKeyOf(Date date) {
  if (std::isnan(date)) return INT32_MIN;
  double day = std::trunc(date);
  if (day <= INT32_MIN) return INT32_MIN;
  if (day >= INT32_MAX) return INT32_MAX;
  return static_cast<std::int32_t>(day);
}

CADBEngine::CADBEngine() = default;

CADBEngine::~CADBEngine() {
  Close();
}

std::uint64_t CADBEngine::GetFileSize() const {
  return stream ? stream->Size() : 0;
}

bool CADBEngine::CheckOpened(const std::string& name) {
  if (stream == nullptr || !opened) {
    LogWarning("[" + name + "] Base not opened");
    return false;
  }
  try {
    stream->Write(kCountersOffset, nextItemId);  // probe: the file is still writable
  } catch (const CFileError&) {
    LogError("[" + name + "] Can't initialize file stream.");
    LogError("[" + name + "] File is corrupted or read only!");
    ShowMessage("Can't initialize file stream.\nFile is corrupted or read only!");
    return false;
  }
  return true;
}

// ---- Adding, editing and deleting records ----

template <class Entry, class Record>
std::uint32_t CADBEngine::AddRecord(const Record& record) {
  using T = Table<Entry>;
  if (!CheckOpened("AddItem:")) return 0;
  TFreeIndexes& freeStack = T::Free(*this);
  const bool reused = !freeStack.empty();
  Entry entry;
  entry.record = record;
  RecordHeader header;
  header.type = T::kType;
  header.size = T::kSize;
  try {
    entry.position = reused ? freeStack.back() : AppendPosition(T::kSize);
    header.id = nextItemId + 1;
    if (reused) {
      // Data first, then the header that makes the slot live again: an
      // interrupted write leaves the slot free, never live with old bytes.
      stream->Write(entry.position + sizeof header, record);
      stream->Write(entry.position, header);
      freeStack.pop_back();
    } else {
      char bytes[sizeof header + sizeof record];
      std::memcpy(bytes, &header, sizeof header);
      std::memcpy(bytes + sizeof header, &record, sizeof record);
      stream->WriteAt(entry.position, bytes, sizeof bytes);
    }
  } catch (const CFileError& e) {
    LogError(std::string("[AddItem:] ") + e.what());
    return 0;
  }
  nextItemId = header.id;
  T::Map(*this).Insert(header.id, entry);
  if constexpr (std::is_same_v<Entry, CTransactionIndex>) DayIndexAdd(header.id, record);
  WriteCounters();
  return header.id;
}

template <class Entry, class Record>
bool CADBEngine::EditRecord(std::uint32_t id, const Record& record) {
  if (!CheckOpened("EditItem")) return false;
  Entry* entry = Table<Entry>::Map(*this).Find(id);
  if (entry == nullptr) return false;
  try {
    stream->Write(entry->position + sizeof(RecordHeader), record);
  } catch (const CFileError& e) {
    LogError(std::string("[EditItem] ") + e.what());
    return false;
  }
  if constexpr (std::is_same_v<Entry, CTransactionIndex>) {
    if (DayKeyOf(entry->record.date) != DayKeyOf(record.date)) {
      DayIndexRemove(id, entry->record);
      DayIndexAdd(id, record);
    }
  }
  entry->record = record;
  return true;
}

template <class Entry>
bool CADBEngine::DelItem(std::uint32_t id) {
  using T = Table<Entry>;
  if (!CheckOpened("DelItem")) return false;
  Entry* entry = T::Map(*this).Find(id);
  if (entry == nullptr) return false;
  try {
    RecordHeader header = stream->Read<RecordHeader>(entry->position);
    header.state = kDeletedState;
    stream->Write(entry->position, header);
  } catch (const CFileError& e) {
    LogError(std::string("[DelItem] ") + e.what());
    return false;
  }
  T::Free(*this).push_back(entry->position);
  if constexpr (std::is_same_v<Entry, CTransactionIndex>) DayIndexRemove(id, entry->record);
  T::Map(*this).Erase(id);
  return true;
}

template bool CADBEngine::DelItem<CCurrencyIndex>(std::uint32_t);
template bool CADBEngine::DelItem<CAccountIndex>(std::uint32_t);
template bool CADBEngine::DelItem<CSubTypeIndex>(std::uint32_t);
template bool CADBEngine::DelItem<CTransactionIndex>(std::uint32_t);
template bool CADBEngine::DelItem<CPlnTransactionIndex>(std::uint32_t);

std::uint32_t CADBEngine::AddItem(const CurrencyRecord& r) {
  return AddRecord<CCurrencyIndex>(r);
}
std::uint32_t CADBEngine::AddItem(const AccountRecord& r) {
  return AddRecord<CAccountIndex>(r);
}
std::uint32_t CADBEngine::AddItem(const SubTypeRecord& r) {
  return AddRecord<CSubTypeIndex>(r);
}
std::uint32_t CADBEngine::AddItem(const ExchangeRateRecord& r) {
  return AddRecord<CExchangeRateIndex>(r);
}
std::uint32_t CADBEngine::AddItem(const TransactionRecord& r) {
  return AddRecord<CTransactionIndex>(r);
}
std::uint32_t CADBEngine::AddItem(const PlnTransactionRecord& r) {
  return AddRecord<CPlnTransactionIndex>(r);
}

bool CADBEngine::EditItem(std::uint32_t id, const CurrencyRecord& r) {
  return EditRecord<CCurrencyIndex>(id, r);
}
bool CADBEngine::EditItem(std::uint32_t id, const AccountRecord& r) {
  return EditRecord<CAccountIndex>(id, r);
}
bool CADBEngine::EditItem(std::uint32_t id, const SubTypeRecord& r) {
  return EditRecord<CSubTypeIndex>(id, r);
}
bool CADBEngine::EditItem(std::uint32_t id, const ExchangeRateRecord& r) {
  return EditRecord<CExchangeRateIndex>(id, r);
}
bool CADBEngine::EditItem(std::uint32_t id, const TransactionRecord& r) {
  return EditRecord<CTransactionIndex>(id, r);
}
bool CADBEngine::EditItem(std::uint32_t id, const PlnTransactionRecord& r) {
  return EditRecord<CPlnTransactionIndex>(id, r);
}

// ---- Queries ----

bool CADBEngine::GetItems(TPlnTransactionInterval& out) {
  if (!CheckOpened("GetItems")) return false;
  out.clear();
  out.reserve(plnTransactions.size());
  for (auto [id, entry] : plnTransactions) out.push_back(CPlnTransactionRef{id, entry});
  return true;
}

bool CADBEngine::GetItemsInterval(const CTransactionRef& start, const CTransactionRef& end,
                                  TTransactionInterval::iterator& first,
                                  TTransactionInterval::iterator& last) {
  return GetItemsInterval(start.entry->record.date, end.entry->record.date, first, last);
}

bool CADBEngine::GetItemsInterval(Date start, Date end, TTransactionInterval::iterator& first,
                                  TTransactionInterval::iterator& last) {
  if (!CheckOpened("GetItemsInterval")) return false;
  if (!dayIndexBuilt) BuildDayIndex();
  if (!dayPending.empty()) {
    std::sort(dayPending.begin(), dayPending.end());
    const std::size_t sorted = dayIndex.size();
    dayIndex.insert(dayIndex.end(), dayPending.begin(), dayPending.end());
    std::inplace_merge(dayIndex.begin(), dayIndex.begin() + static_cast<std::ptrdiff_t>(sorted),
                       dayIndex.end());
    dayPending.clear();
  }
  auto lo = std::lower_bound(dayIndex.begin(), dayIndex.end(), DayKey{DayKeyOf(start), 0});
  auto hi = std::upper_bound(lo, dayIndex.end(), DayKey{DayKeyOf(end), UINT32_MAX});
  intervalResult.clear();
  for (auto it = lo; it < hi; ++it)
    intervalResult.push_back(CTransactionRef{it->id, transactions.Find(it->id)});
  first = intervalResult.begin();
  last = intervalResult.end();
  return true;
}

void CADBEngine::BuildDayIndex() {
  dayIndex.clear();
  dayIndex.reserve(transactions.size());
  for (auto [id, entry] : transactions)
    dayIndex.push_back(DayKey{DayKeyOf(entry->record.date), id});
  std::sort(dayIndex.begin(), dayIndex.end());
  dayIndexBuilt = true;
}

void CADBEngine::DayIndexAdd(std::uint32_t id, const TransactionRecord& record) {
  if (!dayIndexBuilt) return;
  dayPending.push_back(DayKey{DayKeyOf(record.date), id});
}

void CADBEngine::DayIndexRemove(std::uint32_t id, const TransactionRecord& record) {
  if (!dayIndexBuilt) return;
  DayKey key{DayKeyOf(record.date), id};
  auto it = std::lower_bound(dayIndex.begin(), dayIndex.end(), key);
  if (it != dayIndex.end() && *it == key) {
    dayIndex.erase(it);
  } else {
    auto pending = std::find(dayPending.begin(), dayPending.end(), key);
    if (pending != dayPending.end()) dayPending.erase(pending);
  }
}

// ---- Loading ----

template <class Entry>
void CADBEngine::LoadTableRecord(CRecordScanner& scan, std::uint32_t position,
                                 const RecordHeader& header) {
  using T = Table<Entry>;
  if (header.state == kDeletedState) {
    T::Free(*this).push_back(position);
    return;
  }
  const char* data = scan.Get(position + sizeof header, T::kSize);
  Entry entry;
  entry.position = position;
  std::memcpy(&entry.record, data, T::kSize);
  T::Map(*this).LoadAppend(header.id, entry);
}

void CADBEngine::ConvertLegacyRecord(CRecordScanner& scan, std::uint32_t position,
                                     RecordHeader header) {
  const std::uint32_t legacySize = FixedDataSize(header.type);
  if (header.state != kDeletedState) {
    LegacyTransactionRecord old{};
    std::memcpy(&old, scan.Get(position + sizeof header, legacySize), legacySize);
    std::vector<char> bytes(sizeof(RecordHeader));
    auto append = [&](std::uint8_t type, const auto& record) {
      RecordHeader fresh;
      fresh.type = type;
      fresh.id = header.id;
      fresh.size = sizeof record;
      bytes.resize(sizeof fresh + sizeof record);
      std::memcpy(bytes.data(), &fresh, sizeof fresh);
      std::memcpy(bytes.data() + sizeof fresh, &record, sizeof record);
    };
    if (header.type == kLegacyAccountRecord) {
      LegacyAccountRecord legacy;
      std::memcpy(&legacy, &old, sizeof legacy);
      AccountRecord account;  // the first four fields are the legacy ones
      account.nameId = legacy.nameId;
      account.carried1 = legacy.carried1;
      account.currencyId = legacy.currencyId;
      account.carried2 = legacy.carried2;
      append(kAccountRecord, account);
    } else if (header.type == kLegacyPlannedRecord) {
      PlnTransactionRecord planned = DefaultPlnTransactionRecord();
      planned.transaction = ConvertLegacyTransaction(old, header.type);
      append(kPlnTransactionRecord, planned);
    } else {
      append(kTransactionRecord, ConvertLegacyTransaction(old, header.type));
    }
    // The converted record is appended before the old one is turned into
    // filler: an interrupted conversion is simply done again at the next open.
    stream->WriteAt(AppendPosition(static_cast<std::uint32_t>(bytes.size())), bytes.data(),
                    bytes.size());
  }
  header.type = kFillerRecord;
  header.id = 0;
  header.size = legacySize;
  stream->Write(position, header);
}

void CADBEngine::LoadRecords() {
  CRecordScanner scan(*stream);
  std::uint64_t fileSize = stream->Size();
  std::uint64_t pos = headerSize;
  while (pos < fileSize) {
    const std::uint32_t p = static_cast<std::uint32_t>(pos);
    const char* raw = scan.Get(p, sizeof(RecordHeader));
    RecordHeader header;
    if (raw != nullptr) std::memcpy(&header, raw, sizeof header);
    const std::uint32_t fixedSize = raw ? FixedDataSize(header.type) : 0;
    const std::uint64_t dataSize = fixedSize ? fixedSize : (raw ? header.size : 0);
    if (raw == nullptr || pos + sizeof header + dataSize > fileSize) {
      if (raw == nullptr || fixedSize != 0) {
        // A record torn by an interrupted append: cut it away, so records
        // added from now on follow the last whole one and are found again.
        LogWarning("[LoadRecords] Incomplete record at the end of the file cut away. Position: " +
                   std::to_string(p));
        stream->SetSize(p);
      } else {
        // A damaged size field: the bytes stay, but the record is stretched
        // to the end of the file so that records appended later are found.
        LogWarning("[LoadRecords] Record size runs past the end of the file. Position: " +
                   std::to_string(p));
        header.size = static_cast<std::uint32_t>(fileSize - pos - sizeof header);
        stream->Write(p, header);
      }
      break;
    }
    const std::uint8_t type = header.type;
    if (type >= kStringRecordFirst && type <= kStringRecordLast) {
      if (header.state == kDeletedState)
        freeStrings[type - 1].push_back(p);
      else
        strings.Insert(header.id, p, true);
      maxStringIdSeen = std::max(maxStringIdSeen, header.id);
    } else if (type == kFillerRecord) {
      // dead space
    } else if (fixedSize == 0) {
      LogWarning("Unknown record missed. Record type: " + std::to_string(type));
    } else {
      maxItemIdSeen = std::max(maxItemIdSeen, header.id);
      if (header.size == 0 && IsTableType(type)) {
        header.size = fixedSize;  // repaired in place
        stream->Write(p, header);
      }
      switch (type) {
        case kCurrencyRecord:
          LoadTableRecord<CCurrencyIndex>(scan, p, header);
          break;
        case kAccountRecord:
          LoadTableRecord<CAccountIndex>(scan, p, header);
          break;
        case kSubTypeRecord:
          LoadTableRecord<CSubTypeIndex>(scan, p, header);
          break;
        case kExchangeRateRecord:
          LoadTableRecord<CExchangeRateIndex>(scan, p, header);
          break;
        case kTransactionRecord:
          LoadTableRecord<CTransactionIndex>(scan, p, header);
          break;
        case kPlnTransactionRecord:
          LoadTableRecord<CPlnTransactionIndex>(scan, p, header);
          break;
        default:
          ConvertLegacyRecord(scan, p, header);
          fileSize = stream->Size();
          break;
      }
    }
    pos += sizeof header + dataSize;
  }
  currencies.FinishLoad();
  accounts.FinishLoad();
  subTypes.FinishLoad();
  exchangeRates.FinishLoad();
  transactions.FinishLoad();
  plnTransactions.FinishLoad();
  // A file cut short between a record write and the counter write must not
  // hand out an id twice.
  nextItemId = std::max(nextItemId, maxItemIdSeen);
  nextStringId = std::max(nextStringId, maxStringIdSeen);
  WriteCounters();
}

// ---- Creating, opening, closing ----

void CADBEngine::Create(const std::string& name) {
  Close();
  if (FileExists(name)) ClearFileAttributes(name);
  {
    CFileStream file(name, CFileStream::Mode::kCreateTruncate);
    FileHeader header;
    header.intervalStart = FirstDayOfMonth(Today());
    header.intervalEnd = LastDayOfMonth(Today());
    file.WriteAt(0, &header, sizeof header);
  }
  LogEvent("New base created: " + name);
  Open(name);
  CurrencyRecord dollar;
  dollar.nameId = AddString("$");
  dollar.fullNameId = AddString("Dollar");
  AddItem(dollar);
  CurrencyRecord euro;
  euro.nameId = AddString("\x88");  // the euro sign of code page 1251
  euro.fullNameId = AddString("Euro");
  AddItem(euro);
  AccountRecord cash;
  cash.nameId = AddString("Cash");
  cash.currencyId = 101;
  AddItem(cash);
}

bool CADBEngine::CheckHeaderAndUpgrade() {
  char head[18] = {};
  stream->ReadSomeAt(0, head, sizeof head);
  std::uint32_t size = 0;
  std::int32_t fileVersion = 0;
  std::memcpy(&size, head, 4);
  std::memcpy(&fileVersion, head + 4, 4);
  head[17] = 0;  // the tenth signature byte counts as 0 whatever it holds
  if (fileVersion > kCurrentVersion) {
    std::string text = "Invalid database version: " + FormatVersion(fileVersion);
    LogError(text);
    ShowMessage(text + "\nPlease, update software to latest version to open this file");
    return false;
  }
  bool upgrade = false;
  if (fileVersion < kCurrentVersion) {
    LogWarning("Try to convert old database. v" + FormatVersion(fileVersion));
    if (fileVersion == 130) return false;  // recognised, but no converter exists
    if (!IsUpgradableVersion(fileVersion)) {
      LogError("Can't convert! Unknown version.");
      ShowMessage("Can't convert! Unknown version.");
      return false;
    }
    upgrade = true;
  }
  // A header that is cut short or claims an impossible size is no database
  // of ours either, whatever its signature says.
  const std::uint64_t fileSize = stream->Size();
  if (std::strcmp(head + 8, kSignature) != 0 || fileSize < kHeaderLength || size < kHeaderLength ||
      size > fileSize) {
    LogError("Wrong file type!");
    ShowMessage("Invalid file type!");
    return false;
  }
  version = fileVersion;
  if (upgrade) {
    version = kCurrentVersion;
    stream->Write(kVersionOffset, version);
  }
  headerSize = size;
  stream->Write<std::uint32_t>(offsetof(FileHeader, openedMarker), 100);
  return true;
}

bool CADBEngine::Open(const std::string& name) {
  if (!FileExists(name)) {
    LogError("File not exists: " + name);
    return false;
  }
  Close();
  LogEvent("Reading file: " + name);
  fileName = name;
  try {
    stream = std::make_unique<CFileStream>(name, CFileStream::Mode::kOpenReadWrite);
  } catch (const CFileError&) {
    LogError("[Open] Can't initialize file stream: " + name);
    LogError("[Open] File is corrupted or read only!");
    ShowMessage("Can't open: " + name + ".\nFile is corrupted or read only!");
    ResetToClosed();
    return false;
  }
  try {
    if (!CheckHeaderAndUpgrade()) {
      ResetToClosed();
      return false;
    }
    FileHeader header;
    stream->ReadAt(kCountersOffset, &header.nextItemId, kTextSlotsOffset - kCountersOffset);
    nextItemId = header.nextItemId;
    nextStringId = header.nextStringId;
    intervalStart = header.intervalStart;
    intervalEnd = header.intervalEnd;
    selectedAccount = header.selectedAccount;
    selectedCurrency = header.selectedCurrency;
    LoadRecords();
  } catch (const CFileError& e) {
    LogError(std::string("[Open] ") + e.what());
    ShowMessage("Can't open: " + name + ".\nFile is corrupted or read only!");
    ResetToClosed();
    return false;
  }
  LogStatistics();
  opened = stream != nullptr;
  return opened;
}

void CADBEngine::LogStatistics() {
  auto line = [](const char* what, std::size_t count, std::size_t size) {
    LogDetail(std::string(what) + std::to_string(count) + " * " + std::to_string(size) + " bytes");
  };
  LogDetail("| DataBase version: " + FormatVersion(version));
  LogDetail("| File size: " + std::to_string(GetFileSize()) + " bytes");
  LogDetail("| Header size: " + std::to_string(headerSize) + " bytes");
  line("| Currencies: ", currencies.size(), sizeof(CurrencyRecord));
  line("| Accounts: ", accounts.size(), sizeof(AccountRecord));
  line("| SubTypes: ", subTypes.size(), sizeof(SubTypeRecord));
  line("| Transactions: ", transactions.size(), sizeof(TransactionRecord));
  line("| PlnTransactions: ", plnTransactions.size(), sizeof(PlnTransactionRecord));
}

void CADBEngine::Close() {
  if (stream == nullptr && fileName.empty()) return;
  if (stream != nullptr) {
    WriteCounters();  // gives the stream up if it fails
  }
  if (stream != nullptr) {
    try {
      std::int32_t selection[2] = {selectedAccount, selectedCurrency};
      stream->WriteAt(kSelectionOffset, selection, sizeof selection);
      stream->Flush();
    } catch (const CFileError&) {
      // the file is being given up anyway
    }
  }
  ResetToClosed();
  LogEvent("Base closed");
}

void CADBEngine::ResetToClosed() {
  opened = false;
  ClearStrings();
  ClearTables();
  version = kCurrentVersion;
  headerSize = kHeaderLength;
  intervalStart = intervalEnd = 0.0;
  stream.reset();
  fileName.clear();
  nextItemId = kFirstFreeId;
  nextStringId = kFirstFreeId;
}

void CADBEngine::ClearTables() {
  currencies.clear();
  accounts.clear();
  subTypes.clear();
  exchangeRates.clear();
  transactions.clear();
  plnTransactions.clear();
  for (TFreeIndexes* stack : {&freeCurrencies, &freeAccounts, &freeSubTypes, &freeExchangeRates,
                              &freeTransactions, &freePlnTransactions})
    TFreeIndexes().swap(*stack);
  std::vector<DayKey>().swap(dayIndex);
  std::vector<DayKey>().swap(dayPending);
  dayIndexBuilt = false;
  TTransactionInterval().swap(intervalResult);
  maxItemIdSeen = maxStringIdSeen = 0;
}
