// Balances, budgets and planned flows of the accounts, and exchange rates.
#include "FinanceTestUtil.h"

TEST_F(FinanceTest, BalancesCountEverythingUpToTheIntervalEnd) {
  const std::uint32_t euro = Account("Euro account", 102);
  const std::uint32_t idle = Account("Idle");
  db.SetInterval(D(2007, 5, 1), D(2007, 5, 31));
  Move(D(2001, 1, 1), 0, 103, 500);          // years before the interval: counts
  Move(D(2007, 5, 10), 103, euro, 100, 80);  // transfer across currencies
  Move(D(2007, 5, 31) + 0.99, 103, 0, 7);    // on the last day
  Move(D(2007, 6, 1), 103, 0, 1000);         // after the interval end: not counted
  Move(D(2007, 5, 2), 9999, 103, 3);         // from an account that no longer exists
  EXPECT_EQ(Figures(103).balance, M(500 - 100 - 7 + 3));
  EXPECT_EQ(Figures(euro).balance, M(80));
  const CAccountItem none = Figures(idle);
  EXPECT_EQ(none.balance, 0);
  EXPECT_EQ(none.plannedIn, 0);
  EXPECT_EQ(none.plannedOut, 0);
  // Other intervals read the sums kept since the last write, a row per day;
  // a date thousands of years out makes the days too many for rows.
  const struct {
    Date end;
    std::int64_t cash, euro;
  } ends[] = {{D(2000, 12, 31), 0, 0},   {D(2001, 1, 1) + 0.5, 500, 0},   {D(2007, 5, 9), 503, 0},
              {D(2007, 5, 10), 403, 80}, {D(2007, 6, 1) + 0.5, -604, 80}, {D(2030, 1, 1), -604, 80},
              {std::nan(""), -604, 80},  {D(2007, 5, 31), 396, 80}};
  for (bool farDate : {false, true}) {
    if (farDate) Move(3e6, 0, 103, 5);
    for (const auto& [end, cash, inEuro] : ends) {
      db.SetInterval(D(2000, 1, 1), end);
      const std::int64_t far = farDate && !(end < 3e6) ? 5 : 0;
      EXPECT_EQ(Figures(103).balance, M(cash + far)) << end << (farDate ? " far" : "");
      EXPECT_EQ(Figures(euro).balance, M(inEuro)) << end;
    }
  }
}

TEST_F(FinanceTest, BudgetCountsExpensesWithinItsDays) {
  CAccountItem card;
  card.name = "Card";
  card.record.currencyId = 101;
  card.record.budgetEnabled = 1;
  card.record.budgetStart = D(2007, 4, 1);
  card.record.budgetEnd = D(2007, 4, 30);
  card.record.budgetSum = M(100);
  const std::uint32_t id = db.AddAccount(card);
  Move(D(2007, 3, 31) + 0.9, id, 0, 1);  // the day before: out
  Move(D(2007, 4, 1), id, 0, 2);         // first day: in
  Move(D(2007, 4, 30) + 0.9, id, 0, 4);  // on the to date: in
  Move(D(2007, 5, 1), id, 0, 8);         // the day after: out
  Move(D(2007, 4, 15), id, 103, 16);     // a transfer out of the account counts too
  Move(D(2007, 4, 15), 0, id, 32);       // money in does not
  EXPECT_EQ(Figures(id).budgetUsed, M(2 + 4 + 16)) << "the working interval plays no part";
  CAccountItem item;
  db.GetAccount(id, item);
  item.record.budgetEnabled = 0;
  db.EditAccount(item);
  EXPECT_EQ(Figures(id).budgetUsed, 0);
  // A from date with a time of day excludes that day itself.
  item.record.budgetEnabled = 1;
  item.record.budgetStart = D(2007, 4, 1) + 0.5;
  db.EditAccount(item);
  EXPECT_EQ(Figures(id).budgetUsed, M(4 + 16));
}

TEST_F(FinanceTest, PlannedFlowsForecastTheInterval) {
  const std::uint32_t savings = Account("Savings");
  db.SetInterval(D(2007, 5, 1), D(2007, 5, 31));
  Plan(ScheduleRecord{}, 103, 0, 50);  // not set: counted once in every interval
  ScheduleRecord weekly;
  weekly.kind = kScheduleWeekly;
  weekly.lastProcessed = D(2007, 5, 15);  // today
  weekly.weekdays[0] = 1;                 // Mondays: 21 and 28 May
  Plan(weekly, 103, savings, 10);
  EXPECT_EQ(Figures(103).plannedOut, M(50 + 20));
  EXPECT_EQ(Figures(savings).plannedIn, M(20));
  db.SetInterval(D(2007, 4, 1), D(2007, 4, 30));
  EXPECT_EQ(Figures(103).plannedOut, M(50))
      << "an interval before last processed forecasts nothing";
  EXPECT_EQ(Stored().size(), 0u) << "listing accounts executes nothing";
}

TEST_F(FinanceTest, ExchangeRatesWorkBothWays) {
  const std::uint32_t franc = Currency("F", "Franc");  // 104
  EXPECT_EQ(db.GetExchangeRate(5, 5), 1.0);
  EXPECT_EQ(db.GetExchangeRate(101, franc), 1.0) << "a pair never set is one to one";
  db.SetExchangeRate(102, 101, 30);
  EXPECT_DOUBLE_EQ(db.GetExchangeRate(102, 101), 30);
  EXPECT_DOUBLE_EQ(db.GetExchangeRate(101, 102), 1.0 / 30);
  db.SetExchangeRate(101, franc, 0.5);
  ASSERT_EQ(db.ExchangeRates().size(), 2u);
  auto [id, entry] = *++db.ExchangeRates().begin();
  EXPECT_EQ(entry->record.currencyA, franc);
  EXPECT_EQ(entry->record.currencyB, 101u);
  EXPECT_DOUBLE_EQ(entry->record.rate, 2.0);
  EXPECT_DOUBLE_EQ(db.GetExchangeRate(101, franc), 0.5);
  // A second rate for the pair edits the one record.
  db.SetExchangeRate(franc, 101, 4);
  EXPECT_EQ(db.ExchangeRates().size(), 2u);
  EXPECT_DOUBLE_EQ(db.GetExchangeRate(101, franc), 0.25);
  // Nonsense rates are ignored.
  db.SetExchangeRate(franc, 101, 0);
  db.SetExchangeRate(franc, 101, -3);
  db.SetExchangeRate(franc, franc, 3);
  EXPECT_EQ(db.ExchangeRates().size(), 2u);
  EXPECT_DOUBLE_EQ(db.GetExchangeRate(franc, 101), 4);
  Reopen();
  EXPECT_DOUBLE_EQ(db.GetExchangeRate(franc, 101), 4);
  EXPECT_DOUBLE_EQ(db.GetExchangeRate(102, 101), 30);
}
