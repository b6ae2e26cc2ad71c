#include "Adbengine.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "Logger.h"
#include "Numbertexts.h"
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
  if (const std::uint32_t size = TableRecordSize(type)) return size;
  switch (type) {
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

CADBEngine::CADBEngine() = default;

CADBEngine::~CADBEngine() {
  CloseFile();
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
  } catch (const CFileError& e) {
    lastWriteError = e.what();
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
  if (!CheckOpened("AddItem:")) return 0;
  if (nextItemId == UINT32_MAX) {
    // A wrapped counter would hand out the reserved ids 0..100: refused like
    // a full disk, with nothing stored.
    NoteWriteFailure("AddItem:", "no item id is left in the file");
    return 0;
  }
  const std::uint32_t id = nextItemId + 1;
  if (!StoreRecord<Entry>(id, record, "AddItem:")) return 0;
  nextItemId = id;
  // Should the counters fail now, the file is given up; the record is
  // stored all the same and the next open raises the counters past it.
  WriteCounters();
  return id;
}

template <class Entry, class Record>
bool CADBEngine::StoreRecord(std::uint32_t id, const Record& record, const char* operation) {
  using T = Table<Entry>;
  NoteWrite();
  TFreeIndexes& freeStack = T::Free(*this);
  const bool reused = !freeStack.empty();
  Entry entry;
  entry.record = record;
  RecordHeader header;
  header.type = T::kType;
  header.size = T::kSize;
  header.id = id;
  try {
    entry.position = reused ? freeStack.back() : AppendPosition(T::kSize);
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
      WriteAppend(entry.position, bytes, sizeof bytes);
    }
  } catch (const CFileError& e) {
    NoteWriteFailure(operation, e.what());
    return false;
  }
  T::Map(*this).Insert(id, entry);
  if constexpr (std::is_same_v<Entry, CTransactionIndex>) DayIndexAdd(id, record);
  if (journal != nullptr)
    journal->Note(EJournalOp::kItemAdded, T::kType, id, entry.position, &record, sizeof record);
  return true;
}

bool CADBEngine::AppendTransactions(std::vector<TransactionRecord>& records,
                                    const std::vector<std::array<std::string, 2>>& texts,
                                    std::vector<std::uint32_t>& ids) {
  ids.clear();
  if (records.size() != texts.size() || !CheckOpened("AddItem:")) return false;
  // The records and strings as they go to the file, with their ids.
  std::vector<char> bytes;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> stringAt;  // (id, offset in bytes)
  std::vector<std::uint32_t> recordAt;                            // offset in bytes
  std::uint64_t itemId = nextItemId, stringId = nextStringId;
  auto put = [&](const RecordHeader& header, const void* data, std::size_t size) {
    const std::size_t at = bytes.size();
    bytes.resize(at + sizeof header + size);
    std::memcpy(bytes.data() + at, &header, sizeof header);
    std::memcpy(bytes.data() + at + sizeof header, data, size);
    return static_cast<std::uint32_t>(at);
  };
  for (std::size_t i = 0; i < records.size(); ++i) {
    std::uint32_t* idFields[2] = {&records[i].descriptionId, &records[i].commentId};
    for (int t = 0; t < 2; ++t) {
      const std::string text(texts[i][t].c_str());  // a text ends at its first zero byte
      *idFields[t] = 0;
      if (text.empty()) continue;
      const int k = StringClassOf(text.size());
      if (k == 0 || stringId >= UINT32_MAX) {
        NoteWriteFailure("AddItem:", k == 0 ? "a text of 65536 bytes or more cannot be stored"
                                            : "no string id is left in the file");
        return false;
      }
      std::vector<char> slot(StringSlotSize(k), 0);
      std::memcpy(slot.data(), text.data(), text.size());
      RecordHeader header;
      header.type = static_cast<std::uint8_t>(k);
      header.id = static_cast<std::uint32_t>(++stringId);
      header.size = StringSlotSize(k);
      stringAt.emplace_back(header.id, put(header, slot.data(), slot.size()));
      *idFields[t] = header.id;
    }
    if (itemId >= UINT32_MAX) {
      NoteWriteFailure("AddItem:", "no item id is left in the file");
      return false;
    }
    RecordHeader header;
    header.type = kTransactionRecord;
    header.id = static_cast<std::uint32_t>(++itemId);
    header.size = sizeof(TransactionRecord);
    recordAt.push_back(put(header, &records[i], sizeof(TransactionRecord)));
    ids.push_back(header.id);
  }
  std::uint32_t position = 0;
  NoteWrite();
  try {
    position = AppendPosition(static_cast<std::uint32_t>(
        std::min<std::size_t>(bytes.size(), UINT32_MAX - sizeof(RecordHeader))));
    WriteAppend(position, bytes.data(), bytes.size());
  } catch (const CFileError& e) {
    NoteWriteFailure("AddItem:", e.what());
    ids.clear();
    return false;
  }
  nextItemId = static_cast<std::uint32_t>(itemId);
  nextStringId = static_cast<std::uint32_t>(stringId);
  for (const auto& [id, at] : stringAt) strings.Insert(id, position + at, false);
  std::size_t nextString = 0;  // the strings in stringAt lie before their records
  for (std::size_t i = 0; i < records.size(); ++i) {
    CTransactionIndex entry;
    entry.position = position + recordAt[i];
    entry.record = records[i];
    transactions.Insert(ids[i], entry);
    DayIndexAdd(ids[i], records[i]);
    if (journal == nullptr) continue;
    for (; nextString < stringAt.size() && stringAt[nextString].second < recordAt[i];
         ++nextString) {
      const auto& [textId, at] = stringAt[nextString];
      RecordHeader header;
      std::memcpy(&header, bytes.data() + at, sizeof header);
      const char* text = bytes.data() + at + sizeof header;
      journal->Note(EJournalOp::kStringAdded, header.type, textId, position + at, text,
                    strnlen(text, header.size));
    }
    journal->Note(EJournalOp::kItemAdded, kTransactionRecord, ids[i], entry.position, &records[i],
                  sizeof(TransactionRecord));
  }
  WriteCounters();
  return SyncChanges("AddItem:");
}

template <class Entry, class Record>
bool CADBEngine::EditRecord(std::uint32_t id, const Record& record) {
  if (!CheckOpened("EditItem")) return false;
  auto& map = Table<Entry>::Map(*this);
  auto entry = map.Find(id);
  if (entry == nullptr) return false;
  const Record old = entry->record;
  NoteWrite();
  try {
    stream->Write(entry->position + sizeof(RecordHeader), record);
  } catch (const CFileError& e) {
    NoteWriteFailure("EditItem", e.what());
    return false;
  }
  if constexpr (std::is_same_v<Entry, CTransactionIndex>) {
    if (DayKeyOf(old.date) != DayKeyOf(record.date)) {
      DayIndexRemove(id, old);
      DayIndexAdd(id, record);
    }
  }
  if (journal != nullptr)
    journal->Note(EJournalOp::kItemEdited, Table<Entry>::kType, id, entry->position, &old,
                  sizeof record, &record);
  map.SetRecord(entry, record);
  return true;
}

template <class Entry>
bool CADBEngine::DelItem(std::uint32_t id) {
  using T = Table<Entry>;
  if (!CheckOpened("DelItem")) return false;
  auto entry = T::Map(*this).Find(id);
  if (entry == nullptr) return false;
  const auto old = entry->record;
  NoteWrite();
  try {
    RecordHeader header = stream->Read<RecordHeader>(entry->position);
    header.state = kDeletedState;
    stream->Write(entry->position, header);
  } catch (const CFileError& e) {
    NoteWriteFailure("DelItem", e.what());
    return false;
  }
  T::Free(*this).push_back(entry->position);
  if constexpr (std::is_same_v<Entry, CTransactionIndex>) DayIndexRemove(id, old);
  if (journal != nullptr)
    journal->Note(EJournalOp::kItemDeleted, T::kType, id, entry->position, &old, sizeof old);
  T::Map(*this).Erase(id);
  return true;
}

template bool CADBEngine::DelItem<CCurrencyIndex>(std::uint32_t);
template bool CADBEngine::DelItem<CAccountIndex>(std::uint32_t);
template bool CADBEngine::DelItem<CSubTypeIndex>(std::uint32_t);
template bool CADBEngine::DelItem<CExchangeRateIndex>(std::uint32_t);
template bool CADBEngine::DelItem<CTransactionIndex>(std::uint32_t);
template bool CADBEngine::DelItem<CPlnTransactionIndex>(std::uint32_t);

// ---- Taking changes back and making them again ----

namespace {

// Calls f with the index entry type of a record type, as a type tag.
template <class F>
bool WithTable(std::uint8_t type, F&& f) {
  switch (type) {
    case kCurrencyRecord:
      return f(std::type_identity<CCurrencyIndex>{});
    case kAccountRecord:
      return f(std::type_identity<CAccountIndex>{});
    case kSubTypeRecord:
      return f(std::type_identity<CSubTypeIndex>{});
    case kExchangeRateRecord:
      return f(std::type_identity<CExchangeRateIndex>{});
    case kTransactionRecord:
      return f(std::type_identity<CTransactionIndex>{});
    case kPlnTransactionRecord:
      return f(std::type_identity<CPlnTransactionIndex>{});
    default:
      return false;
  }
}

}  // namespace

bool CADBEngine::ReplayOp(const CChangeJournal& changes, const CJournalOp& op, bool forward) {
  switch (op.op) {
    case EJournalOp::kStringAdded:
    case EJournalOp::kStringDeleted: {
      const bool add = (op.op == EJournalOp::kStringAdded) == forward;
      return add ? RestoreString(op.id, op.position, changes.Bytes(op)) : DelString(op.id);
    }
    case EJournalOp::kHeaderEdited: {
      std::uint32_t value = 0;
      if (op.size != sizeof value || op.position >= kHeaderLength) return false;
      std::memcpy(&value, (forward ? changes.After(op) : changes.Bytes(op)).data(), sizeof value);
      WriteHeaderWord(op.position, value);
      return true;
    }
    default:
      break;
  }
  return WithTable(op.type, [&](auto tag) {
    using Entry = typename decltype(tag)::type;
    using Record = decltype(Entry::record);
    if (op.size != sizeof(Record)) return false;
    auto image = [](std::string_view bytes) {
      Record record;
      std::memcpy(&record, bytes.data(), sizeof record);
      return record;
    };
    if (op.op == EJournalOp::kItemEdited)
      return EditRecord<Entry>(op.id, image(forward ? changes.After(op) : changes.Bytes(op)));
    const bool add = (op.op == EJournalOp::kItemAdded) == forward;
    if (!add) return DelItem<Entry>(op.id);
    if (Table<Entry>::Map(*this).Find(op.id) != nullptr) return false;
    return StoreRecord<Entry>(op.id, image(changes.Bytes(op)), forward ? "Redo" : "Undo");
  });
}

CADBEngine::EReplay CADBEngine::ReplayJournal(const CChangeJournal& changes, bool undo) {
  const char* operation = undo ? "Undo" : "Redo";
  if (!CheckOpened(operation)) return EReplay::kNotDone;
  CChangeJournal* const noting = journal;
  journal = nullptr;
  const TPageArray<CJournalOp>& ops = changes.Ops();
  const std::size_t n = ops.size();
  auto opAt = [&](std::size_t k) -> const CJournalOp& { return undo ? ops[n - 1 - k] : ops[k]; };
  auto replay = [&](std::size_t k, bool forward) {
    try {
      return ReplayOp(changes, opAt(k), forward);
    } catch (const CFileError& e) {
      NoteWriteFailure(operation, e.what());
      return false;
    }
  };
  BeginBatch();
  std::size_t done = 0;
  while (done < n && replay(done, !undo)) ++done;
  EReplay result = EReplay::kDone;
  if (done < n) {
    const std::string reason =
        lastWriteError.empty() ? "the file no longer matches the change" : lastWriteError;
    LogError(std::string("[") + operation + "] Stopped at change " + std::to_string(done + 1) +
             " of " + std::to_string(n) + ": " + reason);
    result = EReplay::kNotDone;
    while (done > 0 && replay(done - 1, undo)) --done;
    if (done > 0) result = EReplay::kBroken;
    lastWriteError = reason;
  }
  if (!EndBatch(operation) && result == EReplay::kDone) result = EReplay::kBroken;
  journal = noting;
  return result;
}

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
  if (!dayRemoved.empty()) {
    // One pass takes out every removed key, each once: a key added again
    // after its removal is in the index twice by now and stays once.
    std::sort(dayRemoved.begin(), dayRemoved.end());
    auto removed = dayRemoved.begin();
    auto kept = std::remove_if(dayIndex.begin(), dayIndex.end(), [&](const DayKey& key) {
      while (removed != dayRemoved.end() && *removed < key) ++removed;
      if (removed == dayRemoved.end() || !(*removed == key)) return false;
      ++removed;
      return true;
    });
    dayIndex.erase(kept, dayIndex.end());
    dayRemoved.clear();
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
  const std::size_t n = transactions.size();
  const std::int32_t low = transactions.LowestDayKey(), high = transactions.HighestDayKey();
  dayIndex.clear();
  dayIndex.resize(n);
  // The table is walked in id order, so placing each key by its day alone
  // gives (day, id) order: a counting sort, linear in the number of
  // transactions, when the days span no more than a few times as many days
  // as there are transactions (a lifetime of books spans some 30,000). A
  // damaged date far out makes the span huge: then an ordinary sort.
  const std::int64_t span = n == 0 ? 0 : std::int64_t{high} - low + 1;
  bool counted =
      span > 0 && span <= std::max<std::int64_t>(4 * static_cast<std::int64_t>(n), 1 << 16);
  std::vector<std::uint32_t> next;
  if (counted) {
    next.assign(static_cast<std::size_t>(span) + 1, 0);
    transactions.ForEachDayKey([&](std::uint32_t, std::int32_t day) {
      if (day < low || day > high)
        counted = false;  // the bounds are wrong: never write outside `next`
      else
        ++next[static_cast<std::size_t>(day - low) + 1];
    });
  }
  if (counted) {
    for (std::size_t d = 1; d < next.size(); ++d) next[d] += next[d - 1];
    transactions.ForEachDayKey([&](std::uint32_t id, std::int32_t day) {
      dayIndex[next[static_cast<std::size_t>(day - low)]++] = DayKey{day, id};
    });
  } else {
    std::size_t at = 0;
    transactions.ForEachDayKey([&](std::uint32_t id, std::int32_t day) {
      dayIndex[at++] = DayKey{day, id};
    });
    std::sort(dayIndex.begin(), dayIndex.end());
  }
  dayIndexBuilt = true;
}

void CADBEngine::DayIndexAdd(std::uint32_t id, const TransactionRecord& record) {
  if (!dayIndexBuilt) return;
  dayPending.push_back(DayKey{DayKeyOf(record.date), id});
}

void CADBEngine::DayIndexRemove(std::uint32_t id, const TransactionRecord& record) {
  if (!dayIndexBuilt) return;
  // Taken out by the next query, with every other removal, in one pass: a
  // run of deletions (an undone import) costs no shifting of the index each.
  dayRemoved.push_back(DayKey{DayKeyOf(record.date), id});
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

std::uint32_t CADBEngine::KnownDataSize(std::uint8_t type) const {
  const bool legacy = type == kLegacyAccountRecord ||
                      (type >= kLegacyIncomeRecord && type <= kLegacyTransferRecord);
  // Records of older formats belong only in a file being upgraded; inside a
  // current file such a type is a damaged byte, not a record to convert.
  if (legacy && !upgrading) return 0;
  return FixedDataSize(type);
}

bool CADBEngine::IsCleanRecord(const RecordHeader& header) const {
  const std::uint32_t fixedSize = KnownDataSize(header.type);
  if (header.type == kFillerRecord) return true;
  return fixedSize != 0 &&
         (header.size == fixedSize || (header.size == 0 && IsTableType(header.type)));
}

bool CADBEngine::WellFormedAt(CRecordScanner& scan, std::uint64_t pos, std::uint64_t fileSize,
                              std::uint64_t& next, bool unknownTypes) const {
  const char* raw = scan.Get(pos, sizeof(RecordHeader));
  if (raw == nullptr) return false;
  RecordHeader header;
  std::memcpy(&header, raw, sizeof header);
  if (header.state > kDeletedState) return false;  // writers write 0 or 1
  std::uint64_t dataSize = header.size;
  if (header.type == kFillerRecord) {
    // Zero bytes read as bare fillers: they prove no record boundary.
    if (header.id != 0 || header.size == 0) return false;
  } else if (header.type >= kStringRecordFirst && header.type <= kStringRecordLast) {
    if (header.id <= kFirstFreeId) return false;
    dataSize = StringSlotSize(header.type);  // whatever the size field says
  } else if (FixedDataSize(header.type) == 0) {
    if (!unknownTypes) return false;  // skipped by the size field
  } else {
    const std::uint32_t fixedSize = KnownDataSize(header.type);
    if (fixedSize == 0 || header.id <= kFirstFreeId) return false;
    if (header.size != fixedSize && !(header.size == 0 && IsTableType(header.type))) return false;
    dataSize = fixedSize;
  }
  next = pos + sizeof header + dataSize;
  return next <= fileSize;
}

bool CADBEngine::FrameHoldsFrom(CRecordScanner& scan, std::uint64_t pos, std::uint64_t fileSize,
                                bool unknownTypes) const {
  // A few well-formed records in a row (or the end of the file) tell a real
  // record boundary from bytes that merely look like a header.
  for (int i = 0; i < 8 && pos != fileSize; ++i)
    if (!WellFormedAt(scan, pos, fileSize, pos, unknownTypes)) return false;
  return pos <= fileSize;
}

std::uint64_t CADBEngine::FindNextRecord(CRecordScanner& scan, std::uint64_t from,
                                         std::uint64_t fileSize) const {
  for (std::uint64_t q = from; q + sizeof(RecordHeader) <= fileSize; ++q)
    if (FrameHoldsFrom(scan, q, fileSize)) return q;
  return fileSize;
}

void CADBEngine::PrepareRepair() {
  if (upgrading || !repairCopy.empty()) return;
  // Nothing found in a damaged file is ever lost by opening it: the file as
  // found is copied beside it before the first byte is changed.
  const CivilDate day = DecodeDate(Now());
  const double fraction = Now() - std::floor(Now());
  const long seconds = std::lround(fraction * 86400.0) % 86400;
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02u%02u-%02ld%02ld%02ld", day.year, day.month, day.day,
                seconds / 3600, seconds / 60 % 60, seconds % 60);
  repairCopy = FreeFileName(fileName + ".damaged-" + stamp);
  CopyFileSynced(*stream, repairCopy);
  LogWarning("[LoadRecords] The file is damaged. A copy of it as found is kept as " + repairCopy);
  ShowMessage("The file " + fileName +
              " is damaged and will be repaired.\nA copy of it as found is kept as " + repairCopy +
              ".");
}

void CADBEngine::CutTornTail(std::uint64_t pos) {
  PrepareRepair();
  LogWarning("[LoadRecords] Incomplete record at the end of the file cut away. Position: " +
             std::to_string(static_cast<std::uint32_t>(pos)));
  stream->SetSize(pos);
}

void CADBEngine::RepairTail(std::uint64_t pos, std::uint64_t fileSize) {
  if (fileSize - pos < sizeof(RecordHeader)) {
    CutTornTail(pos);
    return;
  }
  PrepareRepair();
  // The bytes stay, covered by one filler, so that records appended from
  // now on are found again.
  LogWarning("[LoadRecords] Damaged bytes at the end of the file kept as filler. Position: " +
             std::to_string(static_cast<std::uint32_t>(pos)));
  RecordHeader filler;
  filler.size = static_cast<std::uint32_t>(fileSize - pos - sizeof filler);
  stream->Write(static_cast<std::uint32_t>(pos), filler);
}

CADBEngine::EScanStep CADBEngine::RecoverAt(CRecordScanner& scan, std::uint64_t pos,
                                            std::uint64_t fileSize, const RecordHeader& header,
                                            std::uint64_t& next) {
  const std::uint32_t p = static_cast<std::uint32_t>(pos);
  const std::uint32_t fixedSize = KnownDataSize(header.type);
  if (header.type != kFillerRecord && IsCleanRecord(header) &&
      WellFormedAt(scan, pos, UINT64_MAX, next) && next > fileSize) {
    // A well-formed header (its size field the type's own) whose data runs
    // past the end: the last record of an append that was cut short.
    CutTornTail(pos);
    return EScanStep::kStop;
  }
  if (header.type == kFillerRecord || fixedSize == 0 || fixedSize == header.size) {
    // An unknown type or a filler: skipped by its size field when the
    // records after it are where that says.
    next = pos + sizeof header + header.size;
    if (next <= fileSize && FrameHoldsFrom(scan, next, fileSize, true)) {
      if (header.type != kFillerRecord)
        LogWarning("Unknown record missed. Record type: " + std::to_string(header.type));
      return EScanStep::kSkip;
    }
  } else if (pos + sizeof header + fixedSize <= fileSize &&
             FrameHoldsFrom(scan, pos + sizeof header + fixedSize, fileSize, true)) {
    // Only the size field is wrong: the type's own size frames the file.
    LogWarning("[LoadRecords] Wrong record size field. Position: " + std::to_string(p));
    return EScanStep::kLoad;
  }
  // Damage: go on from the next place where whole records follow each other
  // again. Nothing is changed in the file for it.
  next = pos + sizeof header + header.size;
  const bool framed = next <= fileSize && FrameHoldsFrom(scan, next, fileSize, true);
  if (!framed) next = FindNextRecord(scan, pos + 1, fileSize);
  LogWarning("[LoadRecords] Damaged record skipped. Position: " + std::to_string(p) + ", type " +
             std::to_string(header.type) + ", " + std::to_string(next - pos) + " bytes");
  if (!framed && next >= fileSize) {
    // No whole record follows: later appends must be found after it.
    RepairTail(pos, fileSize);
    return EScanStep::kStop;
  }
  return EScanStep::kSkip;
}

bool CADBEngine::LoadRecord(CRecordScanner& scan, std::uint32_t p, RecordHeader header) {
  const std::uint8_t type = header.type;
  if (type >= kStringRecordFirst && type <= kStringRecordLast) {
    if (header.state == kDeletedState)
      freeStrings[type - 1].push_back(p);
    else if (loadingPart)
      partStrings.push_back({header.id, p});
    else
      strings.Insert(header.id, p, true);
    maxStringIdSeen = std::max(maxStringIdSeen, header.id);
    return false;
  }
  const std::uint32_t fixedSize = KnownDataSize(type);
  if (type == kFillerRecord || fixedSize == 0) return false;  // dead space
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
      return true;
  }
  return false;
}

void CADBEngine::FinishLoad() {
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

std::uint64_t CADBEngine::parallelLoadFrom = std::uint64_t{64} << 20;

void CADBEngine::SetParallelLoadFrom(std::uint64_t bytes) {
  parallelLoadFrom = bytes;
}

bool CADBEngine::LoadCleanPart(const CFileStream& file, std::uint64_t pos, std::uint64_t fileSize) {
  CRecordScanner scan(file);
  while (pos < fileSize) {
    const char* raw = scan.Get(pos, sizeof(RecordHeader));
    if (raw == nullptr) return false;
    RecordHeader header;
    std::memcpy(&header, raw, sizeof header);
    const std::uint32_t fixedSize = KnownDataSize(header.type);
    const std::uint64_t dataSize = fixedSize ? fixedSize : header.size;
    // A record that the scan would repair, skip as damage or convert ends
    // the part: those are left to the scan of the whole file.
    if (!IsCleanRecord(header) || header.size == 0 || pos + sizeof header + dataSize > fileSize)
      return false;
    LoadRecord(scan, static_cast<std::uint32_t>(pos), header);
    pos += sizeof header + dataSize;
  }
  return true;
}

void CADBEngine::MergePart(CADBEngine& part) {
  // The texts' index is filled by another thread meanwhile: nothing below
  // touches it.
  std::jthread texts([&] {
    for (const auto& [id, position] : part.partStrings) strings.Insert(id, position, true);
    part.partStrings.clear();
  });
  for (int k = 0; k < kStringClasses; ++k)
    freeStrings[k].insert(freeStrings[k].end(), part.freeStrings[k].begin(),
                          part.freeStrings[k].end());
  auto merge = [&](auto& map, auto& freeStack, auto& partMap, auto& partFree) {
    map.LoadAppendFrom(partMap);
    freeStack.insert(freeStack.end(), partFree.begin(), partFree.end());
  };
  merge(currencies, freeCurrencies, part.currencies, part.freeCurrencies);
  merge(accounts, freeAccounts, part.accounts, part.freeAccounts);
  merge(subTypes, freeSubTypes, part.subTypes, part.freeSubTypes);
  merge(exchangeRates, freeExchangeRates, part.exchangeRates, part.freeExchangeRates);
  merge(transactions, freeTransactions, part.transactions, part.freeTransactions);
  merge(plnTransactions, freePlnTransactions, part.plnTransactions, part.freePlnTransactions);
  maxItemIdSeen = std::max(maxItemIdSeen, part.maxItemIdSeen);
  maxStringIdSeen = std::max(maxStringIdSeen, part.maxStringIdSeen);
}

void CADBEngine::LoadRecords() {
  CRecordScanner scan(*stream);
  std::uint64_t fileSize = stream->Size();
  std::uint64_t pos = headerSize;
  // Every string id was handed out once, and a string takes at least 28
  // bytes of the file: room for the strings' index is made once, not by
  // growing it (which would hold two copies for a moment).
  strings.Reserve(std::min<std::uint64_t>(nextStringId, fileSize / 28 + kFirstFreeId) + 1);

  // A large file is read by two threads: another thread reads the second
  // half, from a record boundary found near the middle, into a part of its
  // own while this one reads the first half as always. When this scan ends
  // exactly where the part begins and the part held nothing to repair, the
  // part is taken over; otherwise it is dropped and this scan reads on, so
  // damage anywhere is handled exactly as by one scan of the whole file.
  std::unique_ptr<CADBEngine> part;
  bool partWhole = false;
  std::uint64_t partStart = fileSize;
  std::jthread reader;
  if (!upgrading && fileSize - headerSize >= parallelLoadFrom &&
      std::thread::hardware_concurrency() > 1) {
    // Split a little before the middle, which measured best on two cores.
    // The boundary is looked for within a megabyte only: in damaged bytes
    // the search could take longer than the reading it saves.
    const std::uint64_t from = headerSize + (fileSize - headerSize) / 100 * 47;
    const std::uint64_t near = std::min<std::uint64_t>(fileSize, from + (1u << 20));
    partStart = FindNextRecord(scan, from, near);
    if (partStart < near) {
      part = std::make_unique<CADBEngine>();
      part->loadingPart = true;
      part->transactions.SharePalettesOf(transactions);
      part->partStrings.reserve((fileSize - partStart) / 28 + 1);
      reader = std::jthread([&, start = partStart, end = fileSize] {
        // Whatever stops the part (a read error, no memory) leaves the
        // file to this thread's scan, which meets it again and handles it.
        try {
          partWhole = part->LoadCleanPart(*stream, start, end);
        } catch (...) {
          partWhole = false;
        }
      });
    }
  }
  auto dropPart = [&] {
    if (reader.joinable()) reader.join();
    part.reset();
  };

  while (pos < fileSize) {
    if (part != nullptr && pos >= partStart) {
      reader.join();
      if (pos == partStart && partWhole) {
        MergePart(*part);
        pos = fileSize;
        LogDetail("| Read by two threads from position " + std::to_string(partStart));
      }
      dropPart();
      continue;
    }
    const char* raw = scan.Get(static_cast<std::uint32_t>(pos), sizeof(RecordHeader));
    if (raw == nullptr) {
      dropPart();
      CutTornTail(pos);  // less than a header after the last whole record
      break;
    }
    RecordHeader header;
    std::memcpy(&header, raw, sizeof header);
    const std::uint32_t fixedSize = KnownDataSize(header.type);
    const std::uint64_t dataSize = fixedSize ? fixedSize : header.size;
    if (!IsCleanRecord(header) || pos + sizeof header + dataSize > fileSize) {
      dropPart();  // what follows may be repaired: one scan reads on
      std::uint64_t next = 0;
      const EScanStep step = RecoverAt(scan, pos, fileSize, header, next);
      if (step == EScanStep::kStop) break;
      if (step == EScanStep::kSkip) {
        pos = next;
        continue;
      }
    }
    if (header.size == 0) dropPart();  // repaired in place by LoadRecord
    if (LoadRecord(scan, static_cast<std::uint32_t>(pos), header)) fileSize = stream->Size();
    pos += sizeof header + dataSize;
  }
  dropPart();
  FinishLoad();
}

// ---- Creating, opening, closing ----

void CADBEngine::CreateFile(const std::string& name) {
  CloseFile();
  if (FileExists(name)) ClearFileAttributes(name);
  {
    CFileStream file(name, CFileStream::Mode::kCreateTruncate);
    FileHeader header;
    header.intervalStart = FirstDayOfMonth(Today());
    header.intervalEnd = LastDayOfMonth(Today());
    file.WriteAt(0, &header, sizeof header);
  }
  LogEvent("New base created: " + name);
  OpenFile(name);
  wroteThisSession = true;  // a new file has no earlier state to keep
  BeginBatch();
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
  EndBatch("Create");
}

CADBEngine::HeaderCheck CADBEngine::CheckHeader() {
  char head[18] = {};
  stream->ReadSomeAt(0, head, sizeof head);
  std::uint32_t size = 0;
  std::int32_t fileVersion = 0;
  std::memcpy(&size, head, 4);
  std::memcpy(&fileVersion, head + 4, 4);
  head[17] = 0;  // the tenth signature byte counts as 0 whatever it holds
  // The signature first: a file that is no database of ours (random bytes,
  // an empty file) is named so, whatever its version field happens to hold.
  // A header that is cut short or claims an impossible size is no database
  // of ours either.
  const std::uint64_t fileSize = stream->Size();
  if (std::strcmp(head + 8, kSignature) != 0 || fileSize < kHeaderLength || size < kHeaderLength ||
      size > fileSize) {
    LogError("Wrong file type!");
    ShowMessage("Invalid file type!");
    return HeaderCheck::kRefused;
  }
  if (fileVersion > kCurrentVersion) {
    std::string text = "Invalid database version: " + FormatVersion(fileVersion);
    LogError(text);
    ShowMessage(text + "\nPlease, update software to latest version to open this file");
    return HeaderCheck::kRefused;
  }
  headerSize = size;
  version = fileVersion;
  if (fileVersion == kCurrentVersion) return HeaderCheck::kCurrent;
  LogWarning("Try to convert old database. v" + FormatVersion(fileVersion));
  if (fileVersion == 130) return HeaderCheck::kRefused;  // recognised, but no converter exists
  if (!IsUpgradableVersion(fileVersion)) {
    LogError("Can't convert! Unknown version.");
    ShowMessage("Can't convert! Unknown version.");
    return HeaderCheck::kRefused;
  }
  return HeaderCheck::kUpgrade;
}

void CADBEngine::ReadHeaderFields() {
  FileHeader header;
  stream->ReadAt(kCountersOffset, &header.nextItemId, kTextSlotsOffset - kCountersOffset);
  nextItemId = header.nextItemId;
  nextStringId = header.nextStringId;
  intervalStart = header.intervalStart;
  intervalEnd = header.intervalEnd;
  selectedAccount = header.selectedAccount;
  selectedCurrency = header.selectedCurrency;
}

void CADBEngine::UpgradeBeside(const std::string& name) {
  // The old file is never changed: the upgrade is done on a copy beside it,
  // which is synced and then renamed over it in one step, after the
  // original has been kept as NAME.bak-VERSION. A kill at any instant leaves
  // either the old file or the upgraded one.
  const std::string work = name + ".upgrading";
  const std::string backup = FreeFileName(name + ".bak-" + FormatVersion(version));
  CopyFileSynced(*stream, work);
  std::unique_ptr<CFileStream> original = std::move(stream);
  stream = std::make_unique<CFileStream>(work, CFileStream::Mode::kOpenReadWrite);
  version = kCurrentVersion;
  stream->Write(kVersionOffset, version);
  ReadHeaderFields();
  upgrading = true;
  try {
    LoadRecords();
  } catch (...) {
    upgrading = false;
    throw;
  }
  upgrading = false;
  WriteCounters();
  if (stream == nullptr) throw CFileError(lastWriteError);  // the counters failed
  stream->Sync();
  ClearStrings();
  ClearTables();
  stream.reset();
  CopyFileSynced(*original, backup);
  RenameSynced(work, name);
  original.reset();
  stream = std::make_unique<CFileStream>(name, CFileStream::Mode::kOpenReadWrite);
  LogWarning("[Open] The file was upgraded to version " + FormatVersion(kCurrentVersion) +
             "; the original is kept as " + backup);
}

bool CADBEngine::OpenFile(const std::string& name) {
  if (IsFolder(name)) {
    LogError("[Open] Not a file but a folder: " + name);
    ShowMessage("Can't open: " + name + ".\nThis is a folder, not a database file!");
    return false;
  }
  if (!FileExists(name)) {
    LogError("File not exists: " + name);
    return false;
  }
  CloseFile();
  LogEvent("Reading file: " + name);
  fileName = name;
  try {
    stream = std::make_unique<CFileStream>(name, CFileStream::Mode::kOpenReadWrite);
  } catch (const CFileError& e) {
    LogError("[Open] Can't initialize file stream: " + name);
    if (e.Code() == EWOULDBLOCK) {
      LogError("[Open] File is open in another program!");
      ShowMessage("Can't open: " + name + ".\nFile is open in another program!");
    } else {
      LogError("[Open] File is corrupted or read only!");
      ShowMessage("Can't open: " + name + ".\nFile is corrupted or read only!");
    }
    ResetToClosed();
    return false;
  }
  try {
    // Record positions are 32-bit: a file that reaches 4 GiB cannot be
    // addressed whole, and writing to it would land at the wrong place.
    if (stream->Size() > UINT32_MAX) {
      LogError("[Open] File is 4 GiB or larger: " + name);
      ShowMessage("Can't open: " + name + ".\nFile is 4 GiB or larger!");
      ResetToClosed();
      return false;
    }
    const HeaderCheck check = CheckHeader();
    if (check == HeaderCheck::kRefused) {
      ResetToClosed();
      return false;
    }
    if (check == HeaderCheck::kUpgrade) UpgradeBeside(name);
    stream->Write<std::uint32_t>(offsetof(FileHeader, openedMarker), 100);
    ReadHeaderFields();
    LoadRecords();
  } catch (const CFileError& e) {
    LogError(std::string("[Open] ") + e.what());
    ShowMessage("Can't open: " + name + ".\nFile is corrupted or read only!");
    ResetToClosed();
    return false;
  }
  LogStatistics();
  opened = stream != nullptr;
  wroteThisSession = !opened;  // the first change of this session is still to come
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
  LogDetail("| Transactions held whole: " + std::to_string(transactions.OverflowCount()) +
            "; memory beside the id map: " + std::to_string(transactions.ExtraBytes()) + " bytes");
  line("| PlnTransactions: ", plnTransactions.size(), sizeof(PlnTransactionRecord));
}

bool CADBEngine::CloseFile() {
  if (stream == nullptr && fileName.empty()) return true;
  // A file given up after a failed write or sync may lack changes.
  bool stored = stream != nullptr;
  if (stream != nullptr) {
    batchDepth = 0;   // a batch left open ends here
    WriteCounters();  // gives the stream up if it fails
  }
  if (stream != nullptr) {
    try {
      std::int32_t selection[2] = {selectedAccount, selectedCurrency};
      stream->WriteAt(kSelectionOffset, selection, sizeof selection);
      stream->Sync();
    } catch (const CFileError& e) {
      NoteWriteFailure("Close", e.what());
      stored = false;
    }
  } else {
    stored = false;
  }
  if (!stored) LogError("[Close] The file may not hold every change: " + lastWriteError);
  ResetToClosed();
  LogEvent("Base closed");
  return stored;
}

void CADBEngine::ResetToClosed() {
  opened = false;
  batchDepth = 0;
  syncDue = false;
  countersDue = false;
  upgrading = false;
  repairCopy.clear();
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
  std::vector<DayKey>().swap(dayRemoved);
  dayIndexBuilt = false;
  TTransactionInterval().swap(intervalResult);
  maxItemIdSeen = maxStringIdSeen = 0;
}
