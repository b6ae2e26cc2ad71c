// CADBEngine: the table engine. It keeps the six tables of a database file in
// memory: at open it scans every record once (converting the records of older
// formats on the way) and builds, per table, an ordered map from item id to an
// index entry holding the record's file position and a copy of its bytes.
// Afterwards every read is served from memory and the file is only written:
// new records are appended or written over freed records of the same table,
// edited records are overwritten in place, deleted records are flagged.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Abstractdb.h"

class CRecordScanner;

class CADBEngine : public CAbstractDB {
 public:
  CADBEngine();
  ~CADBEngine() override;

  // The guard every table operation runs first: false (with a warning) while
  // no file is open; false (with an error and a message box) when the file
  // can no longer be written.
  bool CheckOpened(const std::string& name);

  // Stores a new record of the record's table; returns its new id, or 0 when
  // the guard fails, the record could not be written (nothing of it stays:
  // an append cut short is taken back) or the item ids are used up; the last
  // two set GetLastWriteError. The change is not synced: callers sync.
  std::uint32_t AddItem(const CurrencyRecord& record);
  std::uint32_t AddItem(const AccountRecord& record);
  std::uint32_t AddItem(const SubTypeRecord& record);
  std::uint32_t AddItem(const ExchangeRateRecord& record);
  std::uint32_t AddItem(const TransactionRecord& record);
  std::uint32_t AddItem(const PlnTransactionRecord& record);
  // Appends new transactions with their texts (description, comment) in one
  // write at the end of the file: each transaction's texts, then its record,
  // so that a write cut short leaves whole transactions and texts nothing
  // refers to. All or nothing: when the write fails the file is cut back,
  // none of them is in the tables, and false is returned with the reason in
  // GetLastWriteError(). On success the records' text ids are set, `ids`
  // holds the new ids in order, and the change is synced (at the batch's end
  // inside a batch). For importing many rows at once.
  bool AppendTransactions(std::vector<TransactionRecord>& records,
                          const std::vector<std::array<std::string, 2>>& texts,
                          std::vector<std::uint32_t>& ids);

  // Rewrites the record of `id` in the record's table; false when the id is
  // not in that table or the write failed (GetLastWriteError set).
  bool EditItem(std::uint32_t id, const CurrencyRecord& record);
  bool EditItem(std::uint32_t id, const AccountRecord& record);
  bool EditItem(std::uint32_t id, const SubTypeRecord& record);
  bool EditItem(std::uint32_t id, const ExchangeRateRecord& record);
  bool EditItem(std::uint32_t id, const TransactionRecord& record);
  bool EditItem(std::uint32_t id, const PlnTransactionRecord& record);

  // Deletes `id` from the table whose entries are `Entry`; false when the id
  // is not in that table or the write failed (GetLastWriteError set).
  template <class Entry>
  bool DelItem(std::uint32_t id);

  // Takes back (undo) or makes again (redo) the changes noted in `journal`:
  // undoing inverts each change, the last first; redoing stores each again
  // in its order, under the same item and string ids. The run is synced at
  // its end. A write that fails midway is answered by turning back what the
  // run had done, so that the file holds the journal's changes either all or
  // none (kNotDone); only when that fails too is the file left between the
  // two (kBroken). Changes made during the run are not noted anywhere.
  enum class EReplay { kDone, kNotDone, kBroken };
  EReplay ReplayJournal(const CChangeJournal& changes, bool undo);

  // Every planned transaction in id order. False (vector untouched) when the
  // guard fails.
  bool GetItems(TPlnTransactionInterval& out);
  // The transactions whose whole day lies from the day of `start` to the day
  // of `end` (both inclusive), in ascending day order, as [first, last) of a
  // result vector that the next call refills. Valid until the next change of
  // the transactions table.
  bool GetItemsInterval(const CTransactionRef& start, const CTransactionRef& end,
                        TTransactionInterval::iterator& first,
                        TTransactionInterval::iterator& last);
  // The same for two dates.
  bool GetItemsInterval(Date start, Date end, TTransactionInterval::iterator& first,
                        TTransactionInterval::iterator& last);

  // The three file operations. The finance database wraps them as its own
  // Create, Open and Close (which also keep its rate cache in step) and
  // keeps these out of its public surface.
  //
  // Creates (or overwrites) `name` as a new database holding the default
  // currencies and account, and leaves it open. File system failures throw
  // CFileError.
  void CreateFile(const std::string& name);
  // Opens and loads `name`; false (after logging and, where described,
  // showing a message) when it cannot be opened: a folder, a file held by
  // another program, a file of 4 GiB or more, a foreign or too new file.
  // An old file is upgraded beside itself (see UpgradeBeside). Damage is
  // skipped without a change where possible; before any repair the file as
  // found is copied to NAME.damaged-YYYYMMDD-HHMMSS and the user is told.
  bool OpenFile(const std::string& name);
  // Closes the open file (its data synced to the medium); nothing when none
  // is open. False when the file could not take every change (a write or
  // the final sync failed, or the file had been given up after a failure).
  bool CloseFile();

  // Read access to the tables.
  TCurrencyIndexes& Currencies() { return currencies; }
  TAccountIndexes& Accounts() { return accounts; }
  TSubTypeIndexes& SubTypes() { return subTypes; }
  TExchangeRateIndexes& ExchangeRates() { return exchangeRates; }
  TTransactionIndexes& Transactions() { return transactions; }
  TPlnTransactionIndexes& PlnTransactions() { return plnTransactions; }

  // The header values of the open file. The finance database's own
  // GetIntervalBegin, GetIntervalEnd and GetSelectedAccount answer the same.
  std::int32_t GetVersion() const { return version; }
  std::uint32_t GetHeaderSize() const { return headerSize; }
  const std::string& GetFileName() const { return fileName; }
  Date GetIntervalBegin() const { return intervalStart; }
  Date GetIntervalEnd() const { return intervalEnd; }
  std::int32_t GetSelectedAccount() const { return selectedAccount; }
  std::int32_t GetSelectedCurrency() const { return selectedCurrency; }
  void SetSelectedAccount(std::int32_t index) { selectedAccount = index; }
  void SetSelectedCurrency(std::int32_t index) { selectedCurrency = index; }
  // Files of at least this many bytes are read by two threads at open
  // (when the machine has two cores). For tests of both ways.
  static void SetParallelLoadFrom(std::uint64_t bytes);

  // The current length of the open file (0 while closed).
  std::uint64_t GetFileSize() const;

 protected:
  // The scan that builds the tables, from the header size to the end of file.
  void LoadRecords();

  std::int32_t version = kCurrentVersion;
  std::uint32_t headerSize = kHeaderLength;
  std::string fileName;
  Date intervalStart = 0.0;
  Date intervalEnd = 0.0;
  std::int32_t selectedAccount = 0;
  std::int32_t selectedCurrency = 0;

  TCurrencyIndexes currencies;
  TFreeIndexes freeCurrencies;
  TAccountIndexes accounts;
  TFreeIndexes freeAccounts;
  TSubTypeIndexes subTypes;
  TFreeIndexes freeSubTypes;
  TExchangeRateIndexes exchangeRates;
  TFreeIndexes freeExchangeRates;
  TTransactionIndexes transactions;
  TFreeIndexes freeTransactions;
  TPlnTransactionIndexes plnTransactions;
  TFreeIndexes freePlnTransactions;

 protected:
  // Per-table constants and members, so that one template serves all tables:
  // kType, kSize, Map(engine) and Free(engine).
  template <class Entry>
  struct Table;

 private:
  template <class Entry, class Record>
  std::uint32_t AddRecord(const Record& record);
  // Writes a new live record of `id` into a freed slot of its table or at
  // the end of the file, and enters it into the table.
  template <class Entry, class Record>
  bool StoreRecord(std::uint32_t id, const Record& record, const char* operation);
  // One change of a journal, made (forward) or inverted.
  bool ReplayOp(const CChangeJournal& changes, const CJournalOp& op, bool forward);
  template <class Entry, class Record>
  bool EditRecord(std::uint32_t id, const Record& record);
  template <class Entry>
  void LoadTableRecord(CRecordScanner& scan, std::uint32_t position, const RecordHeader& header);
  void ConvertLegacyRecord(CRecordScanner& scan, std::uint32_t position, RecordHeader header);
  // OpenFile's signature and version checks (the signature first).
  enum class HeaderCheck { kRefused, kCurrent, kUpgrade };
  HeaderCheck CheckHeader();
  // The counters, interval and selection of the file header.
  void ReadHeaderFields();
  // Upgrades an old file: a copy is upgraded, synced and renamed over it;
  // the original stays as NAME.bak-VERSION. Leaves the stream on the
  // upgraded file. Throws CFileError.
  void UpgradeBeside(const std::string& name);
  // Load-scan helpers for damaged files. The data size of a record type
  // this file may hold (legacy types only while upgrading), 0 for others.
  std::uint32_t KnownDataSize(std::uint8_t type) const;
  bool IsCleanRecord(const RecordHeader& header) const;
  // A strictly well-formed record at `pos` ending at or before `fileSize`
  // (records of unknown types only when `unknownTypes`); `next` is where the
  // following record starts.
  bool WellFormedAt(CRecordScanner& scan, std::uint64_t pos, std::uint64_t fileSize,
                    std::uint64_t& next, bool unknownTypes = false) const;
  // Whether whole records follow each other from `pos` on.
  bool FrameHoldsFrom(CRecordScanner& scan, std::uint64_t pos, std::uint64_t fileSize,
                      bool unknownTypes = false) const;
  // The first position from `from` on where whole records follow each other
  // again; `fileSize` when there is none.
  std::uint64_t FindNextRecord(CRecordScanner& scan, std::uint64_t from,
                               std::uint64_t fileSize) const;
  // Before the first change to a damaged file: keeps a copy of it as found
  // (NAME.damaged-YYYYMMDD-HHMMSS) and tells the log and the user.
  void PrepareRepair();
  // Makes the damaged bytes from `pos` to the end dead space.
  void RepairTail(std::uint64_t pos, std::uint64_t fileSize);
  // Cuts away a record whose append was cut short at `pos`.
  void CutTornTail(std::uint64_t pos);
  // The scan's way on from a record at `pos` that cannot be loaded as it
  // stands: load it by its type's own size, skip to `next`, or stop (the
  // tail was repaired).
  enum class EScanStep { kLoad, kSkip, kStop };
  EScanStep RecoverAt(CRecordScanner& scan, std::uint64_t pos, std::uint64_t fileSize,
                      const RecordHeader& header, std::uint64_t& next);
  // Puts one whole record into its table (strings, items, legacy records).
  // True when it changed the file's length (an upgraded legacy record).
  bool LoadRecord(CRecordScanner& scan, std::uint32_t position, RecordHeader header);
  // The second half of a large file, read by another thread into a part
  // engine of its own: reads the records from `pos` (a record boundary) to
  // `fileSize` into the part's tables without writing anything; false at the
  // first record that the scan would have to repair or convert.
  bool LoadCleanPart(const CFileStream& file, std::uint64_t pos, std::uint64_t fileSize);
  // Takes over a part read by LoadCleanPart, whose records follow this
  // engine's in the file.
  void MergePart(CADBEngine& part);
  static std::uint64_t parallelLoadFrom;
  bool loadingPart = false;  // a part engine: strings go to partStrings
  struct CPartString {
    std::uint32_t id, position;
  };
  TPageArray<CPartString> partStrings;  // room for all reserved, paid for as used
  // After the scan: sorts the tables and makes the counters cover every id.
  void FinishLoad();
  // Releases the file and empties every table, without logging.
  void ResetToClosed();
  void ClearTables();
  void LogStatistics();
  // Keeps dayIndex in step with a change of one transaction.
  void DayIndexRemove(std::uint32_t id, const TransactionRecord& record);
  void DayIndexAdd(std::uint32_t id, const TransactionRecord& record);
  void BuildDayIndex();

  // Transactions ordered by (whole day, id): lets a date range be found by
  // binary search instead of sorting every transaction on every query. Built
  // on the first range query and kept up to date by every change after it.
  // Added keys wait unsorted in dayPending and are merged in by the next
  // query, so a run of adds (executing a long overdue schedule) costs no
  // reshuffling of the whole index per add; removed keys wait likewise.
  struct DayKey {
    std::int32_t day;
    std::uint32_t id;
    auto operator<=>(const DayKey&) const = default;
  };
  std::vector<DayKey> dayIndex;
  std::vector<DayKey> dayPending;
  std::vector<DayKey> dayRemoved;  // keys to take out of dayIndex and dayPending
  bool dayIndexBuilt = false;
  TTransactionInterval intervalResult;  // refilled by GetItemsInterval
  std::uint32_t maxItemIdSeen = 0;      // largest item id met by the load scan
  std::uint32_t maxStringIdSeen = 0;    // largest string id met by the load scan
  bool upgrading = false;               // the load scan converts legacy records
  std::string repairCopy;               // copy of the damaged file, once made
};

// The table constants and members of each index entry type.
#define PARDOW_TABLE(Entry, map, freeStack, recordType)              \
  template <>                                                        \
  struct CADBEngine::Table<Entry> {                                  \
    static constexpr std::uint8_t kType = recordType;                \
    static constexpr std::uint32_t kSize = sizeof(Entry::record);    \
    static auto& Map(CADBEngine& e) { return e.map; }                \
    static TFreeIndexes& Free(CADBEngine& e) { return e.freeStack; } \
  };
PARDOW_TABLE(CCurrencyIndex, currencies, freeCurrencies, kCurrencyRecord)
PARDOW_TABLE(CAccountIndex, accounts, freeAccounts, kAccountRecord)
PARDOW_TABLE(CSubTypeIndex, subTypes, freeSubTypes, kSubTypeRecord)
PARDOW_TABLE(CExchangeRateIndex, exchangeRates, freeExchangeRates, kExchangeRateRecord)
PARDOW_TABLE(CTransactionIndex, transactions, freeTransactions, kTransactionRecord)
PARDOW_TABLE(CPlnTransactionIndex, plnTransactions, freePlnTransactions, kPlnTransactionRecord)
#undef PARDOW_TABLE
