// Planned transactions: execution of due occurrences and the worked examples
// of every schedule kind.
#include "FinanceTestUtil.h"

namespace {

ScheduleRecord Once(Date day, Date lastProcessed) {
  ScheduleRecord s;
  s.kind = kScheduleOnce;
  s.onceDate = day;
  s.lastProcessed = lastProcessed;
  return s;
}
ScheduleRecord EveryNDays(int n, Date firstDay) {
  ScheduleRecord s;
  s.kind = kScheduleEveryNDays;
  s.period = static_cast<std::uint16_t>(n);
  s.lastProcessed = firstDay - n;
  return s;
}
ScheduleRecord Weekly(Date lastProcessed, std::initializer_list<int> isoDays) {
  ScheduleRecord s;
  s.kind = kScheduleWeekly;
  s.lastProcessed = lastProcessed;
  for (int d : isoDays) s.weekdays[d - 1] = 1;
  return s;
}
ScheduleRecord Monthly(int day, int months, Date lastProcessed) {
  ScheduleRecord s;
  s.kind = kScheduleMonthly;
  s.period = static_cast<std::uint16_t>(day + 50 * months);
  s.lastProcessed = lastProcessed;
  return s;
}

}  // namespace

class Scheduler : public FinanceTest {
 protected:
  // Executes everything due up to the given day and returns the days of the
  // stored transactions.
  std::vector<Date> ApplyOn(int y, unsigned m, unsigned d) {
    SetToday(y, m, d);
    db.ApplyPlnTransactions();
    std::vector<Date> days;
    for (auto [day, amount] : Stored()) days.push_back(day);
    return days;
  }
  Date LastProcessed(std::uint32_t id) {
    return db.PlnTransactions().Find(id)->record.schedule.lastProcessed;
  }
};

TEST_F(Scheduler, OnceFiresOnlyAfterItsLastProcessedDay) {
  SetToday(2007, 5, 15);
  Plan(Once(D(2007, 5, 15), D(2007, 5, 15)), 103, 0, 1);  // created today for today
  const std::uint32_t tomorrow = Plan(Once(D(2007, 5, 16), D(2007, 5, 15)), 103, 0, 2, "Rent");
  db.SetInterval(D(2007, 5, 16), D(2007, 5, 16));
  EXPECT_EQ(Figures(103).plannedOut, M(2)) << "counted in tomorrow's forecast";
  EXPECT_TRUE(ApplyOn(2007, 5, 15).empty());
  EXPECT_EQ(ApplyOn(2007, 5, 20), std::vector<Date>{D(2007, 5, 16)});
  EXPECT_EQ(LastProcessed(tomorrow), D(2007, 5, 20)) << "the day of the refresh";
  EXPECT_EQ(ApplyOn(2007, 6, 20).size(), 1u);
  EXPECT_EQ(db.PlnTransactions().size(), 2u) << "executing never deletes a plan";
  CTransactionItem made;
  db.GetTransaction(db.Transactions().begin().operator*().first, made);
  EXPECT_EQ(made.description, "Rent");
  EXPECT_NE(made.record.descriptionId,
            db.PlnTransactions().Find(tomorrow)->record.transaction.descriptionId)
      << "the transaction gets its own copy of the text";
}

TEST_F(Scheduler, EveryNDaysStartsOnTheFirstDay) {
  const std::uint32_t id = Plan(EveryNDays(7, D(2007, 5, 1)), 103, 0, 1);
  EXPECT_EQ(LastProcessed(id), D(2007, 4, 24));
  EXPECT_EQ(ApplyOn(2007, 5, 20),
            (std::vector<Date>{D(2007, 5, 1), D(2007, 5, 8), D(2007, 5, 15)}));
  EXPECT_EQ(LastProcessed(id), D(2007, 5, 15));
  Reopen();
  EXPECT_EQ(LastProcessed(id), D(2007, 5, 15)) << "saved after each occurrence";
  EXPECT_EQ(ApplyOn(2007, 5, 21).size(), 3u);
  EXPECT_EQ(ApplyOn(2007, 5, 22).size(), 4u);
}

TEST_F(Scheduler, PeriodZeroHasNoOccurrence) {
  ScheduleRecord s = EveryNDays(1, D(2007, 5, 1));
  s.period = 0;
  Plan(s, 103, 0, 1);
  EXPECT_TRUE(ApplyOn(2007, 5, 20).empty());
  db.SetInterval(D(2007, 5, 1), D(2007, 5, 31));
  EXPECT_EQ(Figures(103).plannedOut, 0);
}

TEST_F(Scheduler, WeekdaysStartTheDayAfterCreation) {
  // Created on Friday 4 May 2007 for Mondays and Fridays.
  Plan(Weekly(D(2007, 5, 4), {1, 5}), 103, 0, 1);
  EXPECT_EQ(ApplyOn(2007, 5, 14),
            (std::vector<Date>{D(2007, 5, 7), D(2007, 5, 11), D(2007, 5, 14)}));
}

TEST_F(Scheduler, MonthlySkipsMonthsWithoutTheDay) {
  Plan(Monthly(31, 1, D(2006, 12, 31)), 103, 0, 1);
  EXPECT_EQ(ApplyOn(2007, 5, 30), (std::vector<Date>{D(2007, 1, 31), D(2007, 3, 31)}));
}

TEST_F(Scheduler, MonthlyStepCountsFromTheMonthAfterLastProcessed) {
  const std::uint32_t id = Plan(Monthly(31, 2, D(2007, 1, 15)), 103, 0, 1);
  EXPECT_EQ(ApplyOn(2007, 2, 1), std::vector<Date>{D(2007, 1, 31)});
  EXPECT_EQ(LastProcessed(id), D(2007, 1, 31));
  EXPECT_EQ(ApplyOn(2007, 9, 1), (std::vector<Date>{D(2007, 1, 31), D(2007, 8, 31)}));
}

TEST_F(Scheduler, MonthNumbersAreComparedWithinTheYear) {
  Plan(Monthly(10, 5, D(2007, 1, 5)), 103, 0, 1);
  EXPECT_EQ(ApplyOn(2008, 12, 31),
            (std::vector<Date>{D(2007, 1, 10), D(2007, 6, 10), D(2007, 11, 10), D(2008, 1, 10),
                               D(2008, 6, 10), D(2008, 11, 10)}));
}

TEST_F(Scheduler, UnsetScheduleIsNeverExecuted) {
  ScheduleRecord s;
  s.kind = 9;  // unknown kinds behave like "not set"
  Plan(s, 103, 0, 50);
  EXPECT_TRUE(ApplyOn(2009, 1, 1).empty());
  db.SetInterval(D(2008, 2, 1), D(2008, 2, 29));
  EXPECT_EQ(Figures(103).plannedOut, M(50));
}

TEST_F(Scheduler, TransfersAreExecutedAsPlanned) {
  const std::uint32_t euro = Account("Euro account", 102);
  CPlnTransactionItem p;
  p.record.schedule = Once(D(2007, 5, 16), D(2007, 5, 15));
  p.record.transaction.fromAccount = 103;
  p.record.transaction.toAccount = euro;
  p.record.transaction.amountOut = M(100);
  p.record.transaction.amountIn = M(77);
  p.record.transaction.quantity = 3;
  p.record.transaction.categoryId = 555;  // dangling ids are copied unchanged
  db.SetExchangeRate(101, 102, 2);
  db.AddPlnTransaction(p);
  ApplyOn(2007, 5, 16);
  const TransactionRecord t = (*db.Transactions().begin()).second->record;
  EXPECT_EQ(t.amountOut, M(100));
  EXPECT_EQ(t.amountIn, M(77));
  EXPECT_EQ(t.quantity, 3.0f);
  EXPECT_EQ(t.categoryId, 555u);
  EXPECT_EQ(t.toAccount, euro);
}

TEST_F(Scheduler, GetTransactionsShowsDueOccurrencesAtOnce) {
  Plan(Once(D(2007, 5, 14), D(2007, 5, 13)), 103, 0, 1);
  SetToday(2007, 5, 15);
  TTransactionInterval::iterator first, last;
  ASSERT_TRUE(db.GetTransactions(first, last));
  ASSERT_EQ(last - first, 1);
  EXPECT_EQ(Date{first->entry->record.date}, D(2007, 5, 14));
  TPlnTransactionInterval::iterator a, b;
  ASSERT_TRUE(db.GetPlnTransactions(a, b));
  EXPECT_EQ(b - a, 1);
}

TEST_F(Scheduler, ForecastCountsOccurrencesInsideTheInterval) {
  SetToday(2007, 5, 15);
  Plan(EveryNDays(10, D(2007, 5, 20)), 103, 0, 1);  // 20 May, 30 May, 9 June ...
  db.SetInterval(D(2007, 5, 25), D(2007, 6, 30));
  EXPECT_EQ(Figures(103).plannedOut, M(4));  // 30 May, 9, 19, 29 June
  db.SetInterval(D(2007, 5, 1), D(2007, 5, 31));
  EXPECT_EQ(Figures(103).plannedOut, M(2));
}
