// CDataBase: the one object through which every window reads and changes the
// finance data. On top of the table engine it offers items with their texts,
// the working interval and its transactions, planned transactions with their
// scheduler, computed account figures, exchange rates, description
// statistics and the header string slots (the password).
//
// List operations answer with a buffer the database owns: it stays valid
// until the next call of the same operation. No operation throws for an
// ordinary failure: it answers 0, false, an empty item or an empty list and
// logs the reason.
//
// Changes and their results. Every add answers the new id or 0, every edit 1
// or 0, every delete (and SetExchangeRate, SetLocalizedString, SetPassword)
// true or false. A change that answers success is written and synced to the
// medium (fdatasync) before it returns; inside a batch (an apply run) the
// sync comes once at the batch's end. A failure is one of two kinds, told
// apart by GetLastWriteError():
//   - empty: refused, nothing was written (no file open, unknown id, a
//     password that cannot be stored);
//   - set: the file could not take the change (full disk, failed sync,
//     ids used up); the text says why, in the system's words. Nothing of
//     the change is visible in the tables. After a failed sync, or a failed
//     write of the id counters, the file is given up and every later
//     operation is refused until it is opened again.
// Callers show the failure to the user and keep the user's input.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Adbengine.h"
#include "Undo.h"

// Key of the exchange-rate cache: the lower currency id first.
struct CurrencyPack {
  std::uint32_t lower = 0;
  std::uint32_t higher = 0;
};
struct CurrPack_comp {
  bool operator()(const CurrencyPack& a, const CurrencyPack& b) const {
    return a.lower != b.lower ? a.lower < b.lower : a.higher < b.higher;
  }
};
// Units of the higher-id currency per unit of the lower-id currency, and the
// exchange-rate record it came from.
struct ExRateValuePack {
  double rate = 1.0;
  std::uint32_t id = 0;
};
using TExchangeRateItems = std::map<CurrencyPack, ExRateValuePack, CurrPack_comp>;

// Budget figures of one account while the account figures are computed.
struct CAccountBudget {
  Date from = 0.0;
  Date to = 0.0;
  Money used = 0;
  bool enabled = false;
};

// One entry of the description statistics.
struct CLastTransaction {
  std::string description;
  std::uint32_t transaction = 0;  // the most recently created transaction with it
  std::uint32_t uses = 0;
};
using TLastTransactions = std::vector<CLastTransaction>;

// Modes of CalcPlnTransactions.
constexpr std::uint8_t kPlnExecute = 0;
constexpr std::uint8_t kPlnSummary = 1;

class CDataBase : protected CADBEngine {
 public:
  // Planned money into and out of one account over a period.
  struct PlnSummary {
    Money in = 0;
    Money out = 0;
  };
  using TPlnSummary = std::map<std::uint32_t, PlnSummary>;

  // The virtual operations below keep a fixed slot order, the destructor
  // first: do not reorder them, and add new ones only after the last.
  CDataBase();
  ~CDataBase() override;  // closes the file first

  // ---- Planned transactions: execution and forecast ----
  // Turns every planned occurrence due up to today into a transaction, in
  // one batch synced at its end. A schedule's progress moves only past
  // occurrences that were stored; the first failed write stops the run.
  // True when everything due was stored (or no file is open); false with
  // the reason in GetLastWriteError() and kept for TakeApplyFailure().
  virtual bool ApplyPlnTransactions();
  // Expands every schedule: kPlnSummary adds the occurrences in begin..end to
  // `summary`; kPlnExecute stores the occurrences due up to `end`, skipping
  // (with a warning) those more than 100 years before today, which only a
  // damaged date yields. The first occurrence of a run that equals the
  // newest stored transaction counts as executed: it was stored by a run
  // that stopped before saving the schedule's progress. False when an
  // occurrence or a schedule's progress could not be stored.
  virtual bool CalcPlnTransactions(std::uint8_t mode, const Date& begin, TPlnSummary& summary,
                                   const Date& end);
  virtual void AddPlnOccurrence(const Date& begin, const Date& day, TPlnSummary& summary,
                                const PlnTransactionRecord& record);
  // Stores one occurrence as a transaction; false when it was not stored.
  virtual bool ExecutePlnTransaction(const Date& day, const PlnTransactionRecord& record);
  // The reason of the last failed apply run, once: empty after it has been
  // taken, until a later run fails again after one that succeeded. The
  // window program shows it, so that a failure repeated by every refresh
  // is shown one time.
  std::string TakeApplyFailure();

  // ---- Header string slots and the password ----
  virtual std::string GetLocalizedString(std::int8_t slot, const std::string& defaultText);
  virtual bool SetLocalizedString(std::int8_t slot, const std::string& text);
  virtual std::string GetPassword();
  // False (and nothing stored) for a password that cannot be stored whole.
  virtual bool SetPassword(const std::string& text);

  // ---- Files ----
  // The engine's file operations (CADBEngine::CreateFile, OpenFile,
  // CloseFile) plus the rate cache and the apply-failure state: the cache is
  // emptied by each of them and reloaded by a successful Open.
  virtual void Create(const std::string& name);
  virtual bool Open(const std::string& name);
  // False when the file could not take every change (see CloseFile).
  virtual bool Close();

  // ---- The working interval ----
  virtual const Date& GetIntervalBegin();
  virtual const Date& GetIntervalEnd();
  virtual bool SetInterval(Date begin, Date end);

  // The item operations below: AddX answers the new id or 0; EditX answers 1
  // when the change is stored and 0 when it is not (the kept integer result
  // of the interface, never another value); DelX answers true or false.
  // ---- Currencies ----
  virtual std::uint32_t AddCurrency(CCurrencyItem item);
  virtual CCurrencyItem& GetCurrency(std::uint32_t id, CCurrencyItem& item);
  virtual TCurrencyItems& GetCurrencyItems();  // sorted by full name
  virtual int EditCurrency(CCurrencyItem item);
  // Deletes the currency and every exchange rate between it and another.
  virtual bool DelCurrency(std::uint32_t id);

  // ---- Accounts ----
  virtual std::uint32_t AddAccount(CAccountItem item);
  virtual CAccountItem& GetAccount(std::uint32_t id, CAccountItem& item);
  virtual TAccountItems& GetAccountItems();  // sorted by name, with figures
  virtual int EditAccount(CAccountItem item);
  virtual bool DelAccount(std::uint32_t id);

  // ---- Subtypes ----
  virtual std::uint32_t AddSubType(CSubTypeItem item);
  virtual CSubTypeItem& GetSubType(std::uint32_t id, CSubTypeItem& item);
  virtual TSubTypeItems& GetSubTypeItems(std::uint32_t parent);  // direct children by name
  virtual int EditSubType(CSubTypeItem item);
  virtual bool DelSubType(std::uint32_t id, bool withChildren);
  // Moves subtype `id` with its whole subtree under `newParent`: another
  // subtype of the same tree, or the tree's root code. Refused (nothing
  // written) when `id` names no subtype, `newParent` is neither a subtype nor
  // that root code, belongs to another tree, or is `id` itself or one of its
  // descendants (a loop); WriteFailed sets GetLastWriteError(). Moving to the
  // parent it has already is Moved without a write.
  enum class TSubTypeMove { Moved, NoSuchItem, OtherTree, Loop, WriteFailed };
  virtual TSubTypeMove MoveSubType(std::uint32_t id, std::uint32_t newParent);
  // The root code of the tree `id` hangs in (walking up its parents), or 0
  // when `id` names no subtype or its parents loop.
  std::uint32_t SubTypeRoot(std::uint32_t id);

  // ---- Transactions ----
  virtual std::uint32_t AddTransaction(CTransactionItem item);
  virtual CTransactionItem& GetTransaction(std::uint32_t id, CTransactionItem& item);
  // The working interval's transactions in day order, after executing what
  // has fallen due.
  virtual bool GetTransactions(TTransactionInterval::iterator& first,
                               TTransactionInterval::iterator& last);
  virtual int EditTransaction(CTransactionItem item);
  virtual bool DelTransaction(std::uint32_t id);

  // ---- Planned transactions ----
  virtual std::uint32_t AddPlnTransaction(CPlnTransactionItem item);
  virtual CPlnTransactionItem& GetPlnTransaction(std::uint32_t id, CPlnTransactionItem& item);
  virtual bool GetPlnTransactions(TPlnTransactionInterval::iterator& first,
                                  TPlnTransactionInterval::iterator& last);
  virtual int EditPlnTransaction(CPlnTransactionItem item);
  virtual bool DelPlnTransaction(std::uint32_t id);

  virtual bool DelItemByKind(std::uint8_t kind, std::uint32_t id);
  virtual bool DelAnyTransaction(std::uint32_t id);
  // Rewrites the date, accounts, amounts, quantity and subtypes of
  // transaction (kind 204) or planned transaction (205) `id` from `fields`,
  // keeping its stored description and comment (the string ids in `fields`
  // are ignored) and, for a planned one, its schedule: one record write, no
  // text written. 1 when stored, 0 when not (GetLastWriteError tells a
  // failed write from an unknown id or kind).
  int EditTransactionFields(std::uint8_t kind, std::uint32_t id, TransactionRecord fields);
  virtual std::int32_t GetSelectedAccount();

  // ---- Exchange rates ----
  // Units of currency b that one unit of currency a is worth (1.0 when not set).
  double GetExchangeRate(std::uint32_t a, std::uint32_t b) const;
  // Stores: one unit of a is worth `rate` units of b. False when refused (the
  // same currency, a rate that is not a positive number) or not stored.
  bool SetExchangeRate(std::uint32_t a, std::uint32_t b, double rate);
  std::uint32_t GetAccountCurrency(std::uint32_t accountId);
  const TExchangeRateItems& GetExchangeRateItems() const { return exchangeRateCache; }

  // ---- Reached in the engine directly ----
  // The tables, the file's state, the string pool's counts and the batch of
  // changes. The engine's file operations and its interval and selection
  // fields are not reachable through a CDataBase: Create, Open, Close and
  // the accessors above keep the rate cache and the header in step.
  using CAbstractDB::BeginBatch;
  using CAbstractDB::EndBatch;
  using CAbstractDB::GetLastWriteError;
  using CAbstractDB::GetNextItemId;
  using CAbstractDB::GetNextStringId;
  using CAbstractDB::GetString;
  using CAbstractDB::GetStringCount;
  using CAbstractDB::GetStringGeneration;
  using CAbstractDB::IsOpened;
  using CAbstractDB::ReadStrings;
  using CAbstractDB::ReusedStringsSince;
  using CADBEngine::Accounts;
  using CADBEngine::AppendTransactions;
  using CADBEngine::Currencies;
  using CADBEngine::ExchangeRates;
  using CADBEngine::GetFileName;
  using CADBEngine::GetFileSize;
  using CADBEngine::GetHeaderSize;
  using CADBEngine::GetSelectedCurrency;
  using CADBEngine::GetVersion;
  using CADBEngine::PlnTransactions;
  using CADBEngine::SetSelectedAccount;
  using CADBEngine::SetSelectedCurrency;
  using CADBEngine::SubTypes;
  using CADBEngine::Transactions;

  // ---- Undo and redo ----
  // Every change belongs to a step that can be taken back and made again.
  // Each change operation above is a step by itself; a command that makes
  // many changes (a bulk edit, an import) opens a step around them with
  // BeginChange and closes it with EndChange. Steps nest: the outermost
  // one names the step. Changes made outside any step become an unnamed
  // step of their own. The steps live while the file is open: opening,
  // creating or closing a file forgets them.
  void BeginChange(EChangeKind kind, std::string subject = {}, std::size_t count = 0);
  void EndChange();
  class CChangeScope {
   public:
    CChangeScope(CDataBase& db, EChangeKind kind, std::string subject = {}, std::size_t count = 0)
        : db_(db) {
      db_.BeginChange(kind, std::move(subject), count);
    }
    ~CChangeScope() { db_.EndChange(); }
    CChangeScope(const CChangeScope&) = delete;
    CChangeScope& operator=(const CChangeScope&) = delete;

   private:
    CDataBase& db_;
  };
  // The step Undo (Redo) would take back (make again); nullptr when none.
  const CChangeStep* NextUndo();
  const CChangeStep* NextRedo();
  // Takes back the last step (makes the last undone step again), written
  // and synced like any change. False when there is none, or when it could
  // not be stored: then GetLastWriteError() says why and the file holds
  // the step as before (the stacks unchanged), unless the failure left the
  // file between the two, when the steps are forgotten.
  bool Undo();
  bool Redo();
  // Whether changes are noted for undo at all (on by default). A program
  // that never undoes (the command-line tool) turns it off to save memory.
  void EnableUndo(bool enabled);
  // Calls `hook` with the file's name once for each opened file, right
  // before the first change of that session is written; a session that
  // only reads never calls it.
  void SetBeforeFirstChange(std::function<void(const std::string& fileName)> hook);
  // Calls `observer` with a step's serial number as the step begins, before
  // any of its changes: a window keeps what it showed then (its selection,
  // the expanded rows) to show it again when the step is undone.
  void SetStepObserver(std::function<void(std::uint64_t serial)> observer) {
    stepObserver = std::move(observer);
  }

  // The most used descriptions among recent matching transactions, at most
  // `limit`, in byte order.
  TLastTransactions& GetLastTransactions(std::uint32_t fromAccount, std::uint32_t toAccount,
                                         std::uint32_t limit, std::uint8_t byCategory,
                                         std::uint32_t category);

 protected:
  void LoadExchangeRates();

 private:
  // Opening, creating and closing go through Create, Open and Close only.
  using CADBEngine::CloseFile;
  using CADBEngine::CreateFile;
  using CADBEngine::OpenFile;

  // The item-level patterns shared by every table. An add stores the texts
  // as new pooled strings into the record's string-id fields and then the
  // record (freeing the new strings again if the record cannot be stored).
  // An edit stores the new texts, rewrites the record, and only then frees
  // the texts whose ids the item carried, so that the record never points at
  // a freed text. A delete removes the record first and its texts after it.
  template <class Record>
  std::uint32_t StoreNew(Record& record, std::initializer_list<std::uint32_t*> idFields,
                         std::initializer_list<const std::string*> texts);
  template <class Record>
  int StoreEdit(std::uint32_t id, Record& record, std::initializer_list<std::uint32_t*> idFields,
                std::initializer_list<const std::string*> texts);
  template <class Entry, class StringIds>
  bool DeleteWithTexts(std::uint32_t id, StringIds stringIdsOf);
  // Stores each text as a new pooled string into its field; appends each id
  // to `added` as soon as it is stored (so a failure midway frees them).
  void AddTexts(std::initializer_list<std::uint32_t*> idFields,
                std::initializer_list<const std::string*> texts, std::vector<std::uint32_t>& added);
  // Frees pooled strings; a missing one is logged as `operation` would.
  void FreeTexts(const std::vector<std::uint32_t>& stringIds, bool asEdit);
  // Saves a planned transaction's record after an executed occurrence.
  bool SavePlnRecord(std::uint32_t id, const PlnTransactionRecord& record);
  // Whether the newest stored transaction is the occurrence on `day` of
  // `record` (same day, accounts, amounts, subtypes and texts).
  bool IsStoredOccurrence(std::uint32_t transactionId, Date day,
                          const PlnTransactionRecord& record);
  // Logs the occurrences of a damaged schedule that an apply run skips for
  // being before `oldest`.
  void WarnSkippedOccurrences(std::uint32_t id, const ScheduleRecord& s, Date oldest,
                              Date end) const;
  // Undo (true) or Redo (false).
  bool ReplayStep(bool undo);
  // Forgets every step, and the figures computed for the file (a file
  // opened, created or closed).
  void ForgetSteps();
  // Closes the changes noted outside any step into a step of their own.
  void FlushLooseChanges();
  // The focus, subject and count of a step, from its changes.
  void DescribeStep(CChangeStep& step);
  // Stores a header text slot (SetLocalizedString without its own step).
  bool StoreSlotText(std::int8_t slot, const std::string& text);
  // DelSubType's two ways, without recursion.
  bool DelSubTypeTree(std::uint32_t id);
  bool DelSubTypeLiftChildren(std::uint32_t id);

  TExchangeRateItems exchangeRateCache;
  TCurrencyItems currencyItems;  // buffer of GetCurrencyItems
  TAccountItems accountItems;    // buffer of GetAccountItems
  // The figures GetAccountItems computed last, and what they were computed
  // for: a window asks for them several times between two changes, and each
  // computation reads every transaction.
  struct CAccountFiguresCache {
    TAccountItems items;
    std::uint64_t writeCount = 0;
    Date intervalStart = 0, intervalEnd = 0, today = 0;
    bool valid = false;
    // What the figures of every interval share until the next write: per
    // account, the balance up to each day, and the budget use. A step to
    // another month then reads one row instead of every transaction.
    struct CSums {
      bool valid = false;
      std::uint64_t writeCount = 0;
      std::vector<std::uint32_t> ids;  // the accounts, sorted
      bool perDay = false;             // else one row, of the days up to countedTo
      std::int32_t firstDay = 0;       // the day of row 0
      std::size_t rows = 0;
      std::int64_t countedTo = 0;
      std::vector<Money> upTo;               // rows × ids: moved up to and including the row's day
      std::vector<Money> budgetUsed;         // by ids
      std::vector<TransactionRecord> whole;  // records held whole: added per interval
    } sums;
  } accountCache;
  // Fills accountCache.sums for the accounts in accountItems; `endDay`
  // is needed only when the days are too many for a row each.
  void SumAccountDays(Date endDay);
  TSubTypeItems subTypeItems;                       // buffer of GetSubTypeItems
  TPlnTransactionInterval plnItems;                 // buffer of GetPlnTransactions
  TLastTransactions lastTransactions;               // buffer of GetLastTransactions
  CUndoHistory history;                             // the steps of this session
  CChangeStep openStep;                             // the step being noted, while changeDepth > 0
  CChangeJournal looseChanges;                      // changes noted outside any step
  int changeDepth = 0;                              // open BeginChange calls
  std::uint64_t stepSerial = 0;                     // serial of the last step begun
  std::function<void(std::uint64_t)> stepObserver;  // see SetStepObserver
  bool undoEnabled = true;                          // see EnableUndo
  std::string applyFailure;                         // reason of the last failed apply run
  bool applyFailureTaken = false;                   // TakeApplyFailure has handed it out
};

// `amount` expressed in another currency at `rate` (GetExchangeRate): the
// rate is first rounded to four decimals as a money amount (ties to even),
// the product truncated to four decimals. 0 when the result does not fit.
Money ConvertAmount(Money amount, double rate);

// Owns the one database of the program's run.
class CBaseContainer {
 public:
  CBaseContainer() : db_(new CDataBase) {}
  ~CBaseContainer() { delete db_; }
  CBaseContainer(const CBaseContainer&) = delete;
  CBaseContainer& operator=(const CBaseContainer&) = delete;
  CDataBase& GetDataBase() { return *db_; }

 private:
  CDataBase* db_;  // created with the container, destroyed with it
};
