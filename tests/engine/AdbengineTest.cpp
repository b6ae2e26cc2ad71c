// The table engine: one id counter for all tables, slot reuse, edits and
// deletes, the guard, and date-range queries.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "Adbengine.h"
#include "EngineTestUtil.h"

namespace {

class Engine : public testing::Test {
 protected:
  void SetUp() override {
    path = dir.Path("e.vlt");
    db.CreateFile(path);
    capture.Clear();
  }
  void Reopen() {
    db.CloseFile();
    ASSERT_TRUE(db.OpenFile(path));
  }
  std::uint32_t AddTransaction(Date date, Money amount = 10000) {
    TransactionRecord r = DefaultTransactionRecord();
    r.date = date;
    r.fromAccount = 103;
    r.amountOut = r.amountIn = amount;
    return db.AddItem(r);
  }
  std::vector<std::uint32_t> Interval(Date start, Date end) {
    TTransactionInterval::iterator first, last;
    EXPECT_TRUE(db.GetItemsInterval(start, end, first, last));
    std::vector<std::uint32_t> ids;
    for (auto it = first; it != last; ++it) {
      EXPECT_EQ(it->entry, db.Transactions().Find(it->id));
      ids.push_back(it->id);
    }
    return ids;
  }

  CCapture capture;
  CScratch dir;
  std::string path;
  CADBEngine db;
};

}  // namespace

TEST_F(Engine, OneCounterServesAllTables) {
  EXPECT_EQ(db.GetNextItemId(), 103u);
  CurrencyRecord currency;
  currency.nameId = db.AddString("CHF");
  EXPECT_EQ(db.AddItem(currency), 104u);
  AccountRecord account;
  account.currencyId = 104;
  EXPECT_EQ(db.AddItem(account), 105u);
  EXPECT_EQ(AddTransaction(EncodeDate(2007, 5, 2)), 106u);
  EXPECT_EQ(db.AddItem(SubTypeRecord{}), 107u);
  EXPECT_EQ(db.AddItem(ExchangeRateRecord{104, 101, 0.9}), 108u);
  EXPECT_EQ(db.AddItem(DefaultPlnTransactionRecord()), 109u);
  std::vector<char> bytes = ReadFileBytes(path);
  EXPECT_EQ(ReadAt<std::uint32_t>(bytes, 256), 109u);
  Reopen();
  EXPECT_EQ(db.GetNextItemId(), 109u);
  EXPECT_EQ(db.Currencies().size(), 3u);
  EXPECT_EQ(db.Accounts().size(), 2u);
  EXPECT_EQ(db.SubTypes().size(), 1u);
  EXPECT_EQ(db.ExchangeRates().size(), 1u);
  EXPECT_EQ(db.ExchangeRates().Find(108)->record.rate, 0.9);
  EXPECT_EQ(db.PlnTransactions().size(), 1u);
}

TEST_F(Engine, DeletedRecordSpaceIsReusedWithANewId) {
  std::uint32_t first = AddTransaction(EncodeDate(2007, 5, 2), 5);
  std::uint32_t position = db.Transactions().Find(first)->position;
  AddTransaction(EncodeDate(2007, 5, 3));
  ASSERT_TRUE(db.DelItem<CTransactionIndex>(first));
  EXPECT_EQ(ReadAt<RecordHeader>(ReadFileBytes(path), position).state, 1);
  EXPECT_EQ(ReadAt<TransactionRecord>(ReadFileBytes(path), position + 12).amountOut, 5)
      << "a deleted record keeps its bytes until its space is reused";
  std::uint64_t end = db.GetFileSize();
  std::uint32_t again = AddTransaction(EncodeDate(2007, 5, 4), 7);
  EXPECT_GT(again, first + 1);
  EXPECT_EQ(db.Transactions().Find(again)->position, position);
  EXPECT_EQ(db.GetFileSize(), end);
  RecordHeader h = ReadAt<RecordHeader>(ReadFileBytes(path), position);
  EXPECT_EQ(h.state, 0);
  EXPECT_EQ(h.id, again);
  EXPECT_EQ(h.type, kTransactionRecord);
  EXPECT_EQ(h.size, 56u);
  // Freed slots survive a reopen too.
  ASSERT_TRUE(db.DelItem<CTransactionIndex>(again));
  Reopen();
  std::uint32_t third = AddTransaction(EncodeDate(2007, 5, 5));
  EXPECT_EQ(db.Transactions().Find(third)->position, position);
}

TEST_F(Engine, EditAndDeleteRefuseUnknownIdsAndOtherTables) {
  std::uint32_t t = AddTransaction(EncodeDate(2007, 5, 2));
  std::vector<char> before = ReadFileBytes(path);
  EXPECT_FALSE(db.EditItem(9999, TransactionRecord{}));
  EXPECT_FALSE(db.EditItem(101, TransactionRecord{})) << "101 is a currency";
  EXPECT_FALSE(db.EditItem(t, CurrencyRecord{}));
  EXPECT_FALSE(db.DelItem<CAccountIndex>(t));
  EXPECT_FALSE(db.DelItem<CTransactionIndex>(9999));
  EXPECT_EQ(ReadFileBytes(path), before);
  EXPECT_TRUE(capture.log.empty()) << "unknown ids are refused silently";

  TransactionRecord changed = db.Transactions().Find(t)->record;
  changed.amountOut = 123456;
  ASSERT_TRUE(db.EditItem(t, changed));
  Reopen();
  EXPECT_EQ(Money{db.Transactions().Find(t)->record.amountOut}, 123456);
}

TEST_F(Engine, ClosedEngineRefusesEveryOperation) {
  db.CloseFile();
  capture.Clear();
  EXPECT_EQ(db.AddItem(TransactionRecord{}), 0u);
  EXPECT_FALSE(db.EditItem(101, CurrencyRecord{}));
  EXPECT_FALSE(db.DelItem<CTransactionIndex>(101));
  TPlnTransactionInterval planned{CPlnTransactionRef{5, nullptr}};
  EXPECT_FALSE(db.GetItems(planned));
  EXPECT_EQ(planned.size(), 1u) << "untouched when refused";
  TTransactionInterval::iterator first, last;
  EXPECT_FALSE(db.GetItemsInterval(0.0, 1.0, first, last));
  EXPECT_TRUE(capture.Logged(2, "[AddItem:] Base not opened"));
  EXPECT_TRUE(capture.Logged(2, "[EditItem] Base not opened"));
  EXPECT_TRUE(capture.Logged(2, "[DelItem] Base not opened"));
  EXPECT_TRUE(capture.Logged(2, "[GetItems] Base not opened"));
  EXPECT_TRUE(capture.Logged(2, "[GetItemsInterval] Base not opened"));
}

TEST_F(Engine, PlannedTransactionsListInIdOrder) {
  PlnTransactionRecord r = DefaultPlnTransactionRecord();
  std::uint32_t a = db.AddItem(r);
  std::uint32_t b = db.AddItem(r);
  std::uint32_t c = db.AddItem(r);
  ASSERT_TRUE(db.DelItem<CPlnTransactionIndex>(b));
  TPlnTransactionInterval list;
  ASSERT_TRUE(db.GetItems(list));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].id, a);
  EXPECT_EQ(list[1].id, c);
  EXPECT_EQ(list[1].entry, db.PlnTransactions().Find(c));
}

TEST_F(Engine, IntervalBoundariesAreWholeDays) {
  std::uint32_t late = AddTransaction(EncodeDate(2007, 5, 5) + 23.0 / 24 + 59.0 / 1440);
  std::uint32_t before = AddTransaction(EncodeDate(2007, 4, 30) + 0.99);
  std::uint32_t first = AddTransaction(EncodeDate(2007, 5, 1));
  std::uint32_t after = AddTransaction(EncodeDate(2007, 5, 6));
  std::vector<std::uint32_t> ids = Interval(EncodeDate(2007, 5, 1) + 0.7, EncodeDate(2007, 5, 5));
  EXPECT_EQ(ids, (std::vector<std::uint32_t>{first, late}));
  EXPECT_EQ(Interval(EncodeDate(2007, 4, 30), EncodeDate(2007, 4, 30)),
            std::vector<std::uint32_t>{before});
  EXPECT_EQ(Interval(EncodeDate(2007, 5, 6), EncodeDate(2007, 5, 6)),
            std::vector<std::uint32_t>{after});
  EXPECT_TRUE(Interval(EncodeDate(2007, 5, 7), EncodeDate(2007, 5, 1)).empty());
}

TEST_F(Engine, IntervalQueriesFollowEveryChange) {
  // Random adds, date edits and deletes against a plain list as the model.
  std::mt19937 rng(7);
  std::vector<std::pair<std::uint32_t, int>> model;  // id, day
  auto check = [&](int from, int to) {
    std::vector<std::pair<int, std::uint32_t>> expected;
    for (auto [id, day] : model)
      if (day >= from && day <= to) expected.emplace_back(day, id);
    std::sort(expected.begin(), expected.end());
    std::vector<std::uint32_t> ids = Interval(from, to);
    ASSERT_EQ(ids.size(), expected.size());
    for (std::size_t i = 0; i < ids.size(); ++i) {
      EXPECT_EQ(ids[i], expected[i].second);
      EXPECT_EQ(DayKeyOf(db.Transactions().Find(ids[i])->record.date), expected[i].first);
    }
  };
  for (int step = 0; step < 600; ++step) {
    int action = static_cast<int>(rng() % 4);
    if (model.empty() || action < 2) {
      int day = 39000 + static_cast<int>(rng() % 60);
      model.emplace_back(AddTransaction(day + 0.25), day);
    } else if (action == 2) {
      auto& [id, day] = model[rng() % model.size()];
      TransactionRecord r = db.Transactions().Find(id)->record;
      day = 39000 + static_cast<int>(rng() % 60);
      r.date = day + 0.9;
      ASSERT_TRUE(db.EditItem(id, r));
    } else {
      std::size_t i = rng() % model.size();
      ASSERT_TRUE(db.DelItem<CTransactionIndex>(model[i].first));
      model.erase(model.begin() + static_cast<std::ptrdiff_t>(i));
    }
    if (step % 50 == 0) check(39010, 39030);
  }
  check(39000, 39059);
  check(39020, 39020);
  Reopen();  // the index is built afresh, placed by day
  check(39000, 39059);
  // A date far out (as a damaged file holds) spans too many days to place
  // them one by one: the index is sorted instead, with the same result.
  const std::uint32_t far = AddTransaction(3.0e6);
  Reopen();
  check(39000, 39059);
  EXPECT_EQ(Interval(3.0e6, 3.0e6), std::vector<std::uint32_t>{far});
}

TEST_F(Engine, FileNeverGrowsPastWhatPositionsCanAddress) {
  // A filler stretches the file to just below 4 GiB (sparse, so it costs
  // nothing on disk): records can no longer be appended.
  db.CloseFile();
  std::vector<char> bytes = ReadFileBytes(path);
  const std::uint32_t fillerSize = 0xFFFFFFF0u - static_cast<std::uint32_t>(bytes.size()) - 12;
  RecordHeader filler;
  filler.size = fillerSize;
  const char* h = reinterpret_cast<const char*>(&filler);
  bytes.insert(bytes.end(), h, h + sizeof filler);
  WriteFileBytes(path, bytes);
  std::filesystem::resize_file(path, bytes.size() + fillerSize);
  ASSERT_TRUE(db.OpenFile(path));
  capture.Clear();
  EXPECT_EQ(AddTransaction(EncodeDate(2007, 5, 2)), 0u);
  EXPECT_TRUE(capture.LoggedPrefix("[AddItem:] "));
  EXPECT_TRUE(db.Transactions().empty());
  EXPECT_THROW(db.AddString("no room"), CFileError);
  EXPECT_EQ(db.GetNextItemId(), 103u) << "no id is spent on a failed add";
}

TEST_F(Engine, FailedWriteLeavesTablesAsTheyWere) {
  // The system refuses to let the file grow (as a full disk would).
  signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit limited = old;
  limited.rlim_cur = db.GetFileSize();
  setrlimit(RLIMIT_FSIZE, &limited);
  std::uint32_t id = AddTransaction(EncodeDate(2007, 5, 2));
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(id, 0u);
  EXPECT_TRUE(db.Transactions().empty());
  EXPECT_TRUE(capture.LoggedPrefix("[AddItem:] "));
  EXPECT_GT(AddTransaction(EncodeDate(2007, 5, 2)), 103u) << "works again once there is room";
}
