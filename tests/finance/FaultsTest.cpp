// Faults of the medium as the finance layer meets them: a full disk, failed
// syncs, id counters at their end, deep category trees, damaged schedules
// and an apply run that stopped between an occurrence and its progress.
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>

#include "FileSizeLimit.h"
#include "FinanceTestUtil.h"

namespace {

ScheduleRecord EveryNDays(int n, Date lastProcessed) {
  ScheduleRecord s;
  s.kind = kScheduleEveryNDays;
  s.period = static_cast<std::uint16_t>(n);
  s.lastProcessed = lastProcessed;
  return s;
}

// Counts the writes and syncs of every stream; fails those the test names
// with ENOSPC. Removed again when it goes out of scope.
struct CFaults {
  int writes = 0;
  int syncs = 0;
  std::function<bool(int write, const char* what)> fail;

  CFaults() {
    SetWriteFaultHook([this](const std::string&, const char* what) {
      const bool sync = std::strcmp(what, "cannot sync") == 0;
      const int n = sync ? ++syncs : ++writes;
      return fail && fail(n, what) ? ENOSPC : 0;
    });
  }
  ~CFaults() { SetWriteFaultHook({}); }
};

}  // namespace

class Faults : public FinanceTest {
 protected:
  // Two accounts and three overdue schedules (daily, every 3 days, and a
  // weekly one with a description), due from 1 to 10 May 2007.
  void PlanOverdue() {
    from = Account("Bank");
    to = Account("Card");
    Plan(EveryNDays(1, D(2007, 4, 30)), from, 0, 1.5, "bread");
    Plan(EveryNDays(3, D(2007, 4, 30)), from, to, 20);
    ScheduleRecord weekly;
    weekly.kind = kScheduleWeekly;
    weekly.lastProcessed = D(2007, 4, 30);
    weekly.weekdays[0] = 1;
    Plan(weekly, 0, to, 100, "salary");
    SetToday(2007, 5, 10);
  }
  std::uint32_t from = 0, to = 0;
};

// A write that fails at any point of an apply run stops it, reports it, and
// moves no schedule past what was stored: a second run once the disk has
// room again completes the books exactly as one undisturbed run does.
TEST_F(Faults, FullDiskDuringApplyLosesNoOccurrence) {
  PlanOverdue();
  db.Close();
  const std::vector<char> base = ReadFileBytes(path);
  ASSERT_TRUE(db.Open(path));
  int runWrites = 0;
  {
    CFaults count;
    ASSERT_TRUE(db.ApplyPlnTransactions());
    runWrites = count.writes;
    EXPECT_EQ(count.syncs, 1) << "one sync for the whole run";
  }
  const auto clean = Stored();
  ASSERT_EQ(clean.size(), 10u + 3u + 1u);
  for (int n = 1; n <= runWrites + 1; ++n) {  // the last one fails the run's sync
    db.Close();
    WriteFileBytes(path, base);
    ASSERT_TRUE(db.Open(path));
    {
      CFaults full;
      full.fail = [&](int k, const char* what) {
        return std::strcmp(what, "cannot sync") == 0 ? n > runWrites : k >= n;
      };
      EXPECT_FALSE(db.ApplyPlnTransactions()) << n;
      EXPECT_NE(db.GetLastWriteError(), "") << n;
      EXPECT_NE(db.GetLastWriteError().find("No space left on device"), std::string::npos)
          << n << ": " << db.GetLastWriteError();
      EXPECT_NE(db.TakeApplyFailure(), "") << n;
      EXPECT_EQ(db.TakeApplyFailure(), "") << n << ": the failure is handed out once";
    }
    Reopen();
    ASSERT_TRUE(db.ApplyPlnTransactions()) << n;
    EXPECT_EQ(Stored(), clean) << "after a failure at write " << n;
  }
}

// Every kind of change answers failure, with the reason, when the disk is
// full, and the tables show nothing of it.
TEST_F(Faults, EveryChangeReportsAFullDisk) {
  const std::uint32_t account = Account("Bank");
  const std::uint32_t sub = SubType("Food", kExpenseRoot);
  const std::uint32_t t = Move(D(2007, 5, 1), account, 0, 5, -1, "milk");
  const std::uint32_t p = Plan(EveryNDays(1, D(2007, 5, 1)), account, 0, 5, "rent");
  CCurrencyItem currency;
  db.GetCurrency(101, currency);
  CAccountItem accountItem;
  db.GetAccount(account, accountItem);
  CSubTypeItem subItem;
  db.GetSubType(sub, subItem);
  CTransactionItem tItem;
  db.GetTransaction(t, tItem);
  CPlnTransactionItem pItem;
  db.GetPlnTransaction(p, pItem);
  const std::pair<const char*, std::function<bool()>> changes[] = {
      {"AddCurrency", [&] { return db.AddCurrency(currency) != 0; }},
      {"EditCurrency", [&] { return db.EditCurrency(currency) != 0; }},
      {"DelCurrency", [&] { return db.DelCurrency(101); }},
      {"AddAccount", [&] { return db.AddAccount(accountItem) != 0; }},
      {"EditAccount", [&] { return db.EditAccount(accountItem) != 0; }},
      {"DelAccount", [&] { return db.DelAccount(account); }},
      {"AddSubType", [&] { return db.AddSubType(subItem) != 0; }},
      {"EditSubType", [&] { return db.EditSubType(subItem) != 0; }},
      {"DelSubType", [&] { return db.DelSubType(sub, true); }},
      {"AddTransaction", [&] { return db.AddTransaction(tItem) != 0; }},
      {"EditTransaction", [&] { return db.EditTransaction(tItem) != 0; }},
      {"DelTransaction", [&] { return db.DelTransaction(t); }},
      {"AddPlnTransaction", [&] { return db.AddPlnTransaction(pItem) != 0; }},
      {"EditPlnTransaction", [&] { return db.EditPlnTransaction(pItem) != 0; }},
      {"DelPlnTransaction", [&] { return db.DelPlnTransaction(p); }},
      {"SetExchangeRate", [&] { return db.SetExchangeRate(101, 102, 1.25); }},
      {"SetPassword", [&] { return db.SetPassword("secret"); }},
  };
  // A full disk (the file may not grow: appends fail with EFBIG), writes
  // that fail everywhere (a removed medium), and a failed sync. A full disk
  // leaves deletes possible: they write in place.
  for (const char* fault : {"full disk", "cannot write", "cannot sync"}) {
    const bool fullDisk = std::strcmp(fault, "full disk") == 0;
    for (const auto& [name, change] : changes) {
      if (fullDisk && std::strncmp(name, "Del", 3) == 0) continue;
      Reopen();
      {
        CFaults faults;
        faults.fail = [&](int, const char* what) { return std::strcmp(what, fault) == 0; };
        CFileSizeLimit limit(fullDisk ? db.GetFileSize() : 0);
        EXPECT_FALSE(change()) << name << ", " << fault;
        EXPECT_NE(db.GetLastWriteError(), "") << name << ", " << fault;
      }
      Reopen();
      if (std::strcmp(fault, "cannot sync") == 0) continue;  // written, but maybe not on the medium
      EXPECT_EQ(db.Currencies().size(), 2u) << name << ", " << fault;
      EXPECT_EQ(db.Accounts().size(), 2u) << name << ", " << fault;
      EXPECT_EQ(db.SubTypes().size(), 1u) << name << ", " << fault;
      EXPECT_EQ(db.Transactions().size(), 1u) << name << ", " << fault;
      EXPECT_EQ(db.PlnTransactions().size(), 1u) << name << ", " << fault;
      EXPECT_EQ(db.GetExchangeRate(101, 102), 1.0) << name << ", " << fault;
      EXPECT_EQ(db.GetPassword(), "") << name << ", " << fault;
    }
  }
  // A refusal is not a write failure.
  EXPECT_FALSE(db.DelTransaction(999999));
  EXPECT_EQ(db.GetLastWriteError(), "");
}

TEST_F(Faults, EachChangeIsSyncedAndAnApplyRunOnce) {
  const std::uint32_t account = Account("Bank");
  CFaults count;
  Move(D(2007, 5, 1), account, 0, 5);
  EXPECT_EQ(count.syncs, 1);
  Plan(EveryNDays(1, D(2007, 4, 30)), account, 0, 5, "rent");
  EXPECT_EQ(count.syncs, 2);
  SetToday(2007, 5, 30);
  ASSERT_TRUE(db.ApplyPlnTransactions());
  EXPECT_EQ(db.Transactions().size(), 31u);
  EXPECT_EQ(count.syncs, 3);
}

// With the counters at their end, an add fails like a full disk instead of
// handing out the reserved ids 0..100.
TEST_F(Faults, IdCountersNeverWrap) {
  const std::uint32_t account = Account("Bank");
  Plan(EveryNDays(1, D(2007, 5, 10)), account, 0, 5, "rent");
  db.Close();
  const struct {
    std::uint32_t items, strings;
    std::size_t stored;
  } cases[] = {{UINT32_MAX - 1, 1000, 1}, {UINT32_MAX, 1000, 0}, {1000, UINT32_MAX, 0}};
  for (const auto& c : cases) {
    std::vector<char> bytes = ReadFileBytes(path);
    const std::uint32_t counters[2] = {c.items, c.strings};
    std::memcpy(bytes.data() + kCountersOffset, counters, sizeof counters);
    WriteFileBytes(path, bytes);
    ASSERT_TRUE(db.Open(path));
    SetToday(2007, 5, 15);
    EXPECT_FALSE(db.ApplyPlnTransactions()) << c.items << " " << c.strings;
    EXPECT_NE(db.GetLastWriteError(), "");
    EXPECT_EQ(db.Transactions().size(), c.stored) << c.items << " " << c.strings;
    for (auto [id, entry] : db.Transactions()) {
      EXPECT_EQ(id, UINT32_MAX);
      EXPECT_TRUE(db.DelTransaction(id));
    }
    EXPECT_EQ(Move(D(2007, 5, 1), account, 0, 5, -1, "new text"), 0u);
    db.Close();
  }
}

TEST_F(Faults, DeepCategoryChainIsDeletedWithoutRecursion) {
  db.BeginBatch();
  const std::uint32_t top = SubType("0", kExpenseRoot);
  std::uint32_t parent = top;
  for (int i = 1; i < 100000; ++i) parent = SubType("x", parent);
  ASSERT_TRUE(db.EndBatch("test"));
  ASSERT_EQ(db.SubTypes().size(), 100000u);
  EXPECT_TRUE(db.DelSubType(top, true));
  EXPECT_EQ(db.SubTypes().size(), 0u);
  EXPECT_EQ(db.GetStringCount(), 5u) << "every name went with its subtype";
}

// A last processed date in year 1 (a damaged file) would add an occurrence
// for every step since then; occurrences more than 100 years old are skipped.
TEST_F(Faults, OccurrencesOfACenturyAgoAreSkippedAndLogged) {
  const std::uint32_t account = Account("Bank");
  Plan(EveryNDays(30, D(1, 1, 1)), account, 0, 5);
  ScheduleRecord once;
  once.kind = kScheduleOnce;
  once.onceDate = D(1, 6, 1);
  once.lastProcessed = D(1, 1, 1);
  Plan(once, account, 0, 7);
  SetToday(2007, 5, 15);
  ASSERT_TRUE(db.ApplyPlnTransactions());
  const auto stored = Stored();
  ASSERT_GT(stored.size(), 1200u);
  EXPECT_LT(stored.size(), 1220u);
  EXPECT_GE(stored.front().first, D(1907, 5, 15));
  EXPECT_TRUE(capture.LoggedPrefix("[CalcPlnTransactions] Planned transaction"));
}

// A run killed after storing an occurrence but before saving the schedule's
// progress left that occurrence as the newest transaction: the next run
// counts it as executed instead of storing it twice. A newest transaction
// that differs in anything is no such occurrence.
TEST_F(Faults, OccurrenceStoredBeforeAKillIsNotRepeated) {
  const struct {
    const char* name;
    double amount;
    const char* description;
    std::size_t expected;
  } cases[] = {
      {"same", 5, "rent", 3},
      {"other amount", 6, "rent", 4},
      {"other text", 5, "Rent", 4},
  };
  for (const auto& c : cases) {
    SetUp();
    const std::uint32_t account = Account("Bank");
    Plan(EveryNDays(1, D(2007, 5, 12)), account, 0, 5, "rent");
    Move(D(2007, 5, 13), account, 0, c.amount, -1, c.description);
    SetToday(2007, 5, 15);
    ASSERT_TRUE(db.ApplyPlnTransactions());
    EXPECT_EQ(db.Transactions().size(), c.expected) << c.name;
    db.Close();
  }
}
