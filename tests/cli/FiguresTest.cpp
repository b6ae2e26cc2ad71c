// The computed figures of accounts (balance, planned flows, budget use), the
// exchange rates and the balance table's total, through pardow-cli.
#include <gtest/gtest.h>

#include "CliTestUtil.h"
#include "VltBuilder.h"

namespace {

const double kMay1 = Day(2007, 5, 1);
const double kMay31 = Day(2007, 5, 31);

TxSpec Expense(std::uint32_t from, std::int64_t amount, double date) {
  TxSpec t;
  t.date = date;
  t.from = from;
  t.amountOut = t.amountIn = amount;
  return t;
}

TxSpec Income(std::uint32_t to, std::int64_t amount, double date) {
  TxSpec t = Expense(0, amount, date);
  t.to = to;
  return t;
}

TxSpec Transfer(std::uint32_t from, std::uint32_t to, std::int64_t out, std::int64_t in,
                double date) {
  TxSpec t = Expense(from, out, date);
  t.to = to;
  t.amountIn = in;
  return t;
}

// The line of the balance table that starts with `prefix`.
std::string LineStartingWith(const std::string& text, const std::string& prefix) {
  std::size_t at = text.find("\n" + prefix);
  if (at == std::string::npos) return "";
  return text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

TEST(BalanceTest, CountsEveryTransactionUpToTheIntervalEnd) {
  CVltBuilder b(kMay1, kMay31);
  const std::uint32_t dollar = b.Currency("$", "Dollar");
  const std::uint32_t euro = b.Currency("E", "Euro");
  const std::uint32_t a = b.Account("A", dollar);
  const std::uint32_t e = b.Account("E", euro);
  const std::uint32_t idle = b.Account("Idle", dollar);
  b.Transaction(Income(a, 10000000, Day(1990, 1, 1)));               // years before: counts
  b.Transaction(Transfer(a, e, 1000000, 800000, Day(2007, 5, 10)));  // 100 $ become 80 E
  b.Transaction(Expense(a, 300000, Day(2007, 5, 31, 23.0 / 24 + 59.0 / 1440)));  // 23:59
  b.Transaction(Expense(a, 5000000, Day(2007, 6, 1)));                           // after the end
  b.Transaction(Expense(999, 7000000, Day(2007, 5, 2)));                         // no such account
  const std::string file = TempFile("db.vlt");
  b.Write(file);

  Json d = Dump(file);
  EXPECT_EQ(ById(d["accounts"], a)["balance"], 10000000 - 1000000 - 300000);
  EXPECT_EQ(ById(d["accounts"], e)["balance"], 800000);
  EXPECT_EQ(ById(d["accounts"], idle)["balance"], 0);
  EXPECT_EQ(ById(d["accounts"], idle)["plannedIn"], 0);
  EXPECT_EQ(ById(d["accounts"], idle)["plannedOut"], 0);
}

TEST(BudgetTest, CountsExpensesFromTheFromDayThroughTheToDay) {
  CVltBuilder b(kMay1, kMay31);
  const std::uint32_t dollar = b.Currency("$", "Dollar");
  const std::uint32_t other = b.Account("Other", dollar);
  const std::uint32_t card =
      b.BudgetAccount("Card", dollar, true, Day(2007, 5, 5), Day(2007, 5, 20), 5000000);
  b.Transaction(Expense(card, 10000, Day(2007, 5, 4)));                    // day before: no
  b.Transaction(Expense(card, 20000, Day(2007, 5, 5)));                    // from day: yes
  b.Transaction(Expense(card, 40000, Day(2007, 5, 20, 0.99)));             // to day, late: yes
  b.Transaction(Expense(card, 80000, Day(2007, 5, 21)));                   // day after: no
  b.Transaction(Transfer(card, other, 160000, 160000, Day(2007, 5, 10)));  // money out: yes
  b.Transaction(Income(card, 320000, Day(2007, 5, 10)));                   // money in: no
  const std::string file = TempFile("db.vlt");
  b.Write(file);
  Json account = ById(Dump(file)["accounts"], card);
  EXPECT_EQ(account["budgetUsed"], 20000 + 40000 + 160000);
  EXPECT_EQ(account["budget"]["enabled"], true);
  EXPECT_EQ(account["budget"]["from"], "2007-05-05");
  EXPECT_EQ(account["budget"]["to"], "2007-05-20");
  EXPECT_EQ(account["budget"]["sum"], 5000000);
}

TEST(BudgetTest, IgnoresTheWorkingIntervalAndHonoursTimesOnItsDates) {
  CVltBuilder b(kMay1, kMay31);
  const std::uint32_t dollar = b.Currency("$", "Dollar");
  // April budget seen from a May interval; from date at noon excludes its
  // own day, to date at noon includes its own day.
  const std::uint32_t april =
      b.BudgetAccount("April", dollar, true, Day(2007, 4, 5, 0.5), Day(2007, 4, 20, 0.5), 0);
  const std::uint32_t off =
      b.BudgetAccount("Off", dollar, false, Day(2007, 4, 1), Day(2007, 6, 30), 100);
  b.Transaction(Expense(april, 10000, Day(2007, 4, 5, 0.9)));   // day of from: no
  b.Transaction(Expense(april, 20000, Day(2007, 4, 6)));        // yes
  b.Transaction(Expense(april, 40000, Day(2007, 4, 20, 0.9)));  // day of to: yes
  b.Transaction(Expense(off, 80000, Day(2007, 5, 6)));
  const std::string file = TempFile("db.vlt");
  b.Write(file);
  Json d = Dump(file);
  EXPECT_EQ(ById(d["accounts"], april)["budgetUsed"], 20000 + 40000);
  EXPECT_EQ(ById(d["accounts"], off)["budgetUsed"], 0);
}

TEST(RatesTest, PairsAreListedLowerIdFirstWhateverTheStoredOrientation) {
  CVltBuilder b(kMay1, kMay31);
  const std::uint32_t c1 = b.Currency("1", "One");
  const std::uint32_t c2 = b.Currency("2", "Two");
  const std::uint32_t c3 = b.Currency("3", "Three");
  b.Rate(c2, c1, 30.0);  // one unit of c2 is 30 of c1, larger id first
  b.Rate(c1, c3, 0.5);   // the other orientation
  b.Rate(c2, c1, 7.0);   // a second record of a pair: the first one wins
  b.Rate(c3, c2, 0.0);   // no usable rate: one to one
  const std::string file = TempFile("db.vlt");
  b.Write(file);
  Json rates = Dump(file)["rates"];
  ASSERT_EQ(rates.size(), 3u);
  EXPECT_EQ(rates[0]["a"], c1);
  EXPECT_EQ(rates[0]["b"], c2);
  EXPECT_DOUBLE_EQ(rates[0]["rate"].get<double>(), 1.0 / 30.0);
  EXPECT_EQ(rates[1]["a"], c1);
  EXPECT_EQ(rates[1]["b"], c3);
  EXPECT_DOUBLE_EQ(rates[1]["rate"].get<double>(), 0.5);
  EXPECT_EQ(rates[2]["a"], c2);
  EXPECT_EQ(rates[2]["b"], c3);
  EXPECT_DOUBLE_EQ(rates[2]["rate"].get<double>(), 1.0);
}

class BalanceTableTest : public testing::Test {
 protected:
  // Dollar and Euro, one dollar being worth 0.92 euro (stored the way the
  // program stores it: euro first, 1 / 0.92), an account in each.
  std::string Build(std::int32_t selectedCurrency, std::int64_t dollars, std::int64_t euros) {
    CVltBuilder b(kMay1, kMay31);
    b.SetSelection(0, selectedCurrency);
    const std::uint32_t dollar = b.Currency("$", "Dollar");
    const std::uint32_t euro = b.Currency("E", "Euro");
    b.Rate(euro, dollar, 1.0 / 0.92);
    const std::uint32_t a = b.Account("Wallet", dollar);
    const std::uint32_t e = b.Account("Bank", euro);
    if (dollars != 0) b.Transaction(Income(a, dollars, kMay1));
    if (euros != 0) b.Transaction(Income(e, euros, kMay1));
    const std::string file = TempFile("db.vlt");
    b.Write(file);
    return file;
  }
  std::string Table(const std::string& file) {
    CliResult r = RunCli({"--today", "2007-05-15", "balance", file});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
  }
};

TEST_F(BalanceTableTest, ShowsEveryAccountWithItsFigures) {
  std::string out = Table(Build(0, 100000, 10000000));
  EXPECT_NE(LineStartingWith(out, "Bank ").find("1000.00"), std::string::npos) << out;
  EXPECT_NE(LineStartingWith(out, "Wallet ").find("10.00"), std::string::npos) << out;
  EXPECT_NE(out.find("Interval: 2007-05-01 - 2007-05-31"), std::string::npos) << out;
}

TEST_F(BalanceTableTest, TotalIsInTheSelectedCurrencyWithTheRateRoundedToFourDecimals) {
  // 1000 euro at 1 / 0.92 = 1.08695... rounded to 1.0870: 1087.00, not 1086.96.
  EXPECT_EQ(LineStartingWith(Table(Build(0, 100000, 10000000)), "Total"),
            "Total in Dollar ($): 1097.00");
  // Index 1 of the list by full name is the euro: 10 dollars are 9.20 euro.
  EXPECT_EQ(LineStartingWith(Table(Build(1, 100000, 10000000)), "Total"),
            "Total in Euro (E): 1009.20");
  // A selection beyond the list falls back to the first currency.
  EXPECT_EQ(LineStartingWith(Table(Build(7, 100000, 10000000)), "Total"),
            "Total in Dollar ($): 1097.00");
}

TEST_F(BalanceTableTest, ConvertedAmountsAreCutToFourDecimalsBeforeTheyAreAdded) {
  // 0.0045 euro are 0.0045 * 1.0870 = 0.0048915 dollars, cut to 0.0048; with
  // the wallet's 0.0001 the total is 0.0049, shown 0.00. A rounded product
  // (0.0049) would make 0.0050, shown 0.01.
  EXPECT_EQ(LineStartingWith(Table(Build(0, 1, 45)), "Total"), "Total in Dollar ($): 0.00");
}

TEST(ForecastTest, PlannedFlowsCountTheOccurrencesInsideTheInterval) {
  CVltBuilder b(kMay1, kMay31);
  const std::uint32_t dollar = b.Currency("$", "Dollar");
  const std::uint32_t euro = b.Currency("E", "Euro");
  const std::uint32_t a = b.Account("A", dollar);
  const std::uint32_t e = b.Account("E", euro);
  const std::uint32_t w = b.Account("W", dollar);
  ScheduleSpec notSet;
  b.Planned(Expense(a, 500000, kMay1), notSet);  // counts once in every interval
  ScheduleSpec monthly;
  monthly.kind = 4;
  monthly.period = 10 + 50;
  monthly.lastProcessed = Day(2007, 4, 30);
  b.Planned(Transfer(a, e, 1000000, 800000, kMay1), monthly);  // amounts as stored
  ScheduleSpec mondays;
  mondays.kind = 3;
  mondays.weekdays[0] = 1;
  mondays.lastProcessed = Day(2007, 4, 1);  // April's Mondays are before the interval
  b.Planned(Expense(w, 10000, kMay1), mondays);
  const std::string file = TempFile("db.vlt");
  b.Write(file);

  Json d = Dump(file);
  EXPECT_EQ(ById(d["accounts"], a)["plannedOut"], 500000 + 1000000);
  EXPECT_EQ(ById(d["accounts"], e)["plannedIn"], 800000);
  EXPECT_EQ(ById(d["accounts"], w)["plannedOut"], 4 * 10000);  // 7, 14, 21, 28 May
  EXPECT_EQ(ById(d["accounts"], a)["balance"], 0);             // a forecast stores nothing
}

TEST(ForecastTest, IntervalEndedBeforeTheLastProcessedDayForecastsNothing) {
  CVltBuilder b(kMay1, kMay31);
  const std::uint32_t dollar = b.Currency("$", "Dollar");
  const std::uint32_t a = b.Account("A", dollar);
  ScheduleSpec daily;
  daily.kind = 3;
  daily.weekdays = {1, 1, 1, 1, 1, 1, 1};
  daily.lastProcessed = Day(2007, 6, 15);
  b.Planned(Expense(a, 10000, kMay1), daily);
  ScheduleSpec once;
  once.kind = 1;
  once.lastProcessed = Day(2007, 5, 20);
  once.onceDate = Day(2007, 5, 20);  // on its last processed day: never
  b.Planned(Expense(a, 20000, kMay1), once);
  const std::string file = TempFile("db.vlt");
  b.Write(file);
  EXPECT_EQ(ById(Dump(file)["accounts"], a)["plannedOut"], 0);
}

}  // namespace
