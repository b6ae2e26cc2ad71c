// The database as a whole: banner, closed state, shared buffers, the item
// patterns (new ids, texts stored before old ones are freed) and the interval.
#include <type_traits>

#include "FinanceTestUtil.h"

// The engine's file operations skip the rate cache: a database must not be
// usable as a bare engine.
static_assert(!std::is_convertible_v<CDataBase&, CADBEngine&>);

TEST(DataBase, BannerAndClosedStateAnswers) {
  CCapture capture;
  CDataBase db;
  EXPECT_TRUE(capture.Logged(1, "Omrin DataBase Engine v2.30 initialized"));
  capture.Clear();
  CCurrencyItem c;
  c.id = 55;
  EXPECT_EQ(db.GetCurrency(101, c).id, 0u);
  CTransactionItem t;
  EXPECT_EQ(db.GetTransaction(101, t).id, 0u);
  EXPECT_EQ(t.record.quantity, 1.0f);
  EXPECT_EQ(t.record.date, EncodeDate(2007, 5, 15)) << "the empty item carries today";
  EXPECT_TRUE(db.GetCurrencyItems().empty());
  EXPECT_TRUE(db.GetAccountItems().empty());
  EXPECT_TRUE(db.GetSubTypeItems(2).empty());
  EXPECT_TRUE(db.GetLastTransactions(0, 0, 10, 0, 0).empty());
  EXPECT_FALSE(db.SetInterval(1, 2));
  EXPECT_EQ(db.GetPassword(), "");
  EXPECT_FALSE(db.DelTransaction(101));
  EXPECT_EQ(db.GetExchangeRate(101, 102), 1.0);
  for (const char* name :
       {"GetCurrency", "GetTransaction", "GetCurrencyItems", "GetAccountItems", "GetSubTypeItems",
        "GetLastTransactions", "SetInterval", "GetLocalizedString"})
    EXPECT_TRUE(capture.Logged(2, std::string("[") + name + "] Base not opened")) << name;
}

TEST_F(FinanceTest, CloseResetsIntervalAndRatesButKeepsTheSelection) {
  db.SetExchangeRate(102, 101, 1.25);
  db.SetSelectedAccount(2);
  EXPECT_EQ(db.GetExchangeRate(102, 101), 1.25);
  db.Close();
  EXPECT_EQ(db.GetIntervalBegin(), 0.0);
  EXPECT_EQ(db.GetIntervalEnd(), 0.0);
  EXPECT_EQ(db.GetExchangeRate(102, 101), 1.0);
  EXPECT_EQ(db.GetSelectedAccount(), 2);
  ASSERT_TRUE(db.Open(path));
  EXPECT_EQ(db.GetExchangeRate(102, 101), 1.25) << "the cache is rebuilt at open";
  EXPECT_EQ(db.GetSelectedAccount(), 2);
}

TEST_F(FinanceTest, ListBuffersBelongToTheDatabase) {
  TCurrencyItems& first = db.GetCurrencyItems();
  ASSERT_EQ(first.size(), 2u);
  Currency("F", "Franc");
  db.GetCurrencyItems();
  EXPECT_EQ(first.size(), 3u) << "the first result shows the second call's contents";
  EXPECT_EQ(first[0].fullName, "Dollar");
  EXPECT_EQ(first[1].fullName, "Euro");
  EXPECT_EQ(first[2].fullName, "Franc");
}

TEST_F(FinanceTest, AddIgnoresIdsAndEditReplacesTexts) {
  CTransactionItem t;
  t.id = 4711;
  t.record.descriptionId = 101;  // carried ids are ignored by an add
  t.description = "Bread";
  t.comment = "fresh";
  t.record.fromAccount = 103;
  const std::uint32_t id = db.AddTransaction(t);
  EXPECT_EQ(id, 104u);
  EXPECT_EQ(db.GetString(101), "$") << "the carried string id was not touched";

  CTransactionItem stored;
  db.GetTransaction(id, stored);
  EXPECT_EQ(stored.description, "Bread");
  const std::uint32_t oldDescription = stored.record.descriptionId;
  const std::size_t strings = db.GetStringCount();
  stored.description = "Rye bread";
  stored.comment = "";
  EXPECT_EQ(db.EditTransaction(stored), 1);
  CTransactionItem edited;
  db.GetTransaction(id, edited);
  EXPECT_EQ(edited.description, "Rye bread");
  EXPECT_EQ(edited.comment, "");
  EXPECT_EQ(edited.record.commentId, 0u);
  EXPECT_EQ(db.GetStringCount(), strings - 1) << "old texts freed, one new text stored";
  EXPECT_EQ(db.GetString(oldDescription), "");
  EXPECT_TRUE(
      capture.Logged(2, "[GetString] Can't find string ID: " + std::to_string(oldDescription)));

  // An edit passed back with string id 0 stores the text without a warning.
  capture.Clear();
  edited.record.descriptionId = 0;
  edited.description = "Bun";
  EXPECT_EQ(db.EditTransaction(edited), 1);
  EXPECT_TRUE(capture.log.empty());
  EXPECT_EQ(db.GetTransaction(id, stored).description, "Bun");
}

TEST_F(FinanceTest, FailedEditAndDeleteLeaveEveryTextInPlace) {
  const std::uint32_t id = Move(D(2007, 5, 2), 103, 0, 5, -1, "Milk");
  CTransactionItem item;
  db.GetTransaction(id, item);
  const std::size_t strings = db.GetStringCount();
  item.id = 9999;  // no such transaction, but it carries a live text id
  item.description = "Something else";
  EXPECT_EQ(db.EditTransaction(item), 0);
  EXPECT_EQ(db.GetStringCount(), strings) << "no text freed, no text leaked";
  EXPECT_EQ(db.GetTransaction(id, item).description, "Milk");
  EXPECT_FALSE(db.DelItemByKind(0, id));
  EXPECT_FALSE(db.DelPlnTransaction(id));
  EXPECT_EQ(db.GetTransaction(id, item).id, id);
  EXPECT_TRUE(db.DelItemByKind(kTransactionKind, id));
  EXPECT_EQ(db.GetStringCount(), strings - 1);
  EXPECT_FALSE(db.DelTransaction(id));
}

TEST_F(FinanceTest, DelAnyTransactionFindsEitherTable) {
  const std::uint32_t t = Move(D(2007, 5, 2), 103, 0, 5);
  const std::uint32_t p = Plan(ScheduleRecord{}, 103, 0, 5);
  EXPECT_TRUE(db.DelAnyTransaction(p));
  EXPECT_TRUE(db.DelAnyTransaction(t));
  EXPECT_FALSE(db.DelAnyTransaction(t));
  EXPECT_TRUE(db.PlnTransactions().empty());
}

TEST_F(FinanceTest, IntervalIsWholeDaysAndWrittenAtOnce) {
  EXPECT_EQ(db.GetIntervalBegin(), D(2007, 5, 1));
  EXPECT_EQ(db.GetIntervalEnd(), D(2007, 5, 31));
  EXPECT_FALSE(db.SetInterval(D(2007, 3, 10) + 0.75, D(2007, 3, 10) + 0.25));
  EXPECT_TRUE(capture.Logged(2, "[SetInterval] Wrong interval: 2007-03-10 - 2007-03-10"));
  EXPECT_EQ(db.GetIntervalBegin(), D(2007, 5, 1));
  EXPECT_TRUE(db.SetInterval(D(2007, 3, 10) + 0.25, D(2007, 3, 10) + 0.75));
  EXPECT_EQ(db.GetIntervalBegin(), D(2007, 3, 10));
  EXPECT_EQ(db.GetIntervalEnd(), D(2007, 3, 10));
  // In the file before any close.
  std::vector<char> bytes = ReadFileBytes(path);
  EXPECT_EQ(ReadAt<double>(bytes, 264), D(2007, 3, 10));
  EXPECT_EQ(ReadAt<double>(bytes, 272), D(2007, 3, 10));
}

TEST_F(FinanceTest, IntervalListIncludesTheLastDayToMidnight) {
  db.SetInterval(D(2007, 5, 1), D(2007, 5, 31));
  const std::uint32_t last = Move(D(2007, 5, 31) + 0.9993, 103, 0, 1);
  Move(D(2007, 6, 1), 103, 0, 2);
  const std::uint32_t first = Move(D(2007, 5, 1), 103, 0, 3);
  Move(D(2007, 4, 30) + 0.5, 103, 0, 4);
  TTransactionInterval::iterator a, b;
  ASSERT_TRUE(db.GetTransactions(a, b));
  ASSERT_EQ(b - a, 2);
  EXPECT_EQ(a[0].id, first);
  EXPECT_EQ(a[1].id, last);
}
