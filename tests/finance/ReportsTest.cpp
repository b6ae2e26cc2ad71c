// The reports' figures on hand-made books: categories three deep, a transfer
// between a dollar and a euro account, expenses without a category, a
// planned expense for the forecast and a budget. One euro is worth 1.25
// dollars; the dollar is the base currency.
#include <algorithm>

#include "FinanceTestUtil.h"
#include "Reports.h"

namespace {

class ReportsTest : public FinanceTest {
 protected:
  void SetUp() override {
    FinanceTest::SetUp();
    SetToday(2026, 3, 15);
    ASSERT_TRUE(db.SetExchangeRate(euro, dollar, 1.25));
    CAccountItem bankItem;
    bankItem.name = "Bank";
    bankItem.record.currencyId = euro;
    bankItem.record.budgetEnabled = 1;
    bankItem.record.budgetStart = D(2026, 3, 1);
    bankItem.record.budgetEnd = D(2026, 3, 31);
    bankItem.record.budgetSum = M(100);
    bank = db.AddAccount(bankItem);
    food = SubType("Food", 2);
    groceries = SubType("Groceries", food);
    fruit = SubType("Fruit", groceries);
    car = SubType("Car", 2);
    salary = SubType("Salary", 1);
    anna = SubType("Anna", 6);
    home = SubType("Home", 5);

    Spend(D(2026, 2, 20), cash, 30, food);                // before the period
    Spend(D(2026, 3, 2), cash, 10, fruit, anna, home);    // $10
    Spend(D(2026, 3, 3), bank, 20, groceries, anna);      // 20 EUR = $25
    Spend(D(2026, 3, 4) + 0.99, cash, 5, food, 0, home);  // $5, late in the day
    Spend(D(2026, 3, 31), cash, 100, car);                // $100, the last day
    Spend(D(2026, 3, 10), cash, 7, 0);                    // $7 without a category
    Book(D(2026, 3, 1), 0, cash, 1000, 1000, salary);     // income $1000
    Book(D(2026, 3, 5), cash, bank, 80, 64, 0);           // transfer: no expense
    Spend(D(2026, 4, 1), cash, 40, car);                  // after the period
  }

  void Book(Date date, std::uint32_t from, std::uint32_t to, double out, double in,
            std::uint32_t category, std::uint32_t member = 0, std::uint32_t section = 0) {
    CTransactionItem t;
    t.record.date = date;
    t.record.fromAccount = from;
    t.record.toAccount = to;
    t.record.amountOut = M(out);
    t.record.amountIn = M(in);
    t.record.categoryId = category;
    t.record.memberId = member;
    t.record.sectionId = section;
    ASSERT_NE(db.AddTransaction(t), 0u);
  }
  void Spend(Date date, std::uint32_t from, double amount, std::uint32_t category,
             std::uint32_t member = 0, std::uint32_t section = 0) {
    Book(date, from, 0, amount, amount, category, member, section);
  }

  const TReportPeriod march{D(2026, 3, 1), D(2026, 3, 31)};
  std::uint32_t dollar = 101, euro = 102, cash = 103, bank = 0;
  std::uint32_t food = 0, groceries = 0, fruit = 0, car = 0, salary = 0, anna = 0, home = 0;
};

TEST_F(ReportsTest, CategoriesSumTheirSubcategoriesInTheBaseCurrency) {
  const TCategoryReport r = ExpensesByCategory(db, march);
  EXPECT_EQ(r.currency, dollar);
  EXPECT_EQ(r.total, M(10 + 25 + 5 + 100 + 7));
  struct Row {
    std::uint32_t id, parent;
    double own, total;
  };
  // Parents before their subcategories, siblings by total.
  const std::vector<Row> expected = {{car, 0, 100, 100},
                                     {food, 0, 5, 40},
                                     {groceries, food, 25, 35},
                                     {fruit, groceries, 10, 10},
                                     {0, 0, 7, 7}};
  ASSERT_EQ(r.categories.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(r.categories[i].id, expected[i].id) << i;
    EXPECT_EQ(r.categories[i].parent, expected[i].parent) << i;
    EXPECT_EQ(r.categories[i].own, M(expected[i].own)) << i;
    EXPECT_EQ(r.categories[i].total, M(expected[i].total)) << i;
  }
  EXPECT_EQ(r.categories[2].name, "Groceries");
  EXPECT_EQ(CategoryChildren(r, 0).size(), 3u);
  ASSERT_EQ(CategoryChildren(r, food).size(), 1u);
  EXPECT_EQ(CategoryChildren(r, food)[0]->id, groceries);
}

TEST_F(ReportsTest, MonthsSplitIncomesFromExpensesAndLeaveTransfersOut) {
  const TMonthlyReport r = IncomesAndExpensesByMonth(db, {D(2026, 2, 1), D(2026, 4, 30)});
  ASSERT_EQ(r.months.size(), 3u);
  const double expense[] = {30, 147, 40}, income[] = {0, 1000, 0};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(r.months[i].month, 2 + i);
    EXPECT_EQ(r.months[i].expense, M(expense[i])) << i;
    EXPECT_EQ(r.months[i].income, M(income[i])) << i;
    EXPECT_EQ(r.months[i].net, M(income[i] - expense[i])) << i;
  }
  EXPECT_EQ(r.net, M(1000 - 217));
}

TEST_F(ReportsTest, BalancesFollowEveryMoveUpToToday) {
  const TBalanceReport r = BalanceOverTime(db, march);
  ASSERT_EQ(r.accounts.size(), 2u);  // by name: Bank, Cash
  const TBalanceSeries& bankLine = r.accounts[0];
  const TBalanceSeries& cashLine = r.accounts[1];
  EXPECT_EQ(cashLine.account, cash);
  // The day before the period, each day of March up to today (the 15th).
  ASSERT_EQ(cashLine.actual.size(), 16u);
  EXPECT_EQ(cashLine.actual.front().day, D(2026, 2, 28));
  EXPECT_EQ(cashLine.actual.front().balance, M(-30));
  EXPECT_EQ(cashLine.actual[1].balance, M(-30 + 1000));         // March 1: the salary
  EXPECT_EQ(cashLine.actual[5].balance, M(970 - 10 - 5 - 80));  // March 5: the transfer
  EXPECT_EQ(cashLine.actual.back().balance, M(875 - 7));
  EXPECT_EQ(bankLine.actual.back().balance, M((64 - 20) * 1.25));  // in dollars
  EXPECT_EQ(r.total.actual.back().balance, M(868 + 55));
  // A period that ended before today has no forecast.
  EXPECT_TRUE(BalanceOverTime(db, {D(2026, 1, 1), D(2026, 2, 28)}).total.forecast.empty());
  EXPECT_EQ(BalanceOverTime(db, {D(2026, 1, 1), D(2026, 2, 28)}).total.actual.size(), 60u);
  // Longer periods are drawn month by month.
  EXPECT_EQ(BalanceOverTime(db, {D(2025, 1, 1), D(2025, 12, 31)}).total.actual.size(), 13u);
}

// The forecast starts today and counts every planned occurrence not executed
// yet on its day (one already due on today), besides the stored
// transactions after today: cash stands at 868 on March 15.
TEST_F(ReportsTest, ForecastStartsTodayWithEveryPlannedOccurrence) {
  ScheduleRecord monthly = DefaultScheduleRecord();
  monthly.kind = kScheduleMonthly;
  monthly.period = 20 + 50;  // every month on the 20th
  monthly.lastProcessed = D(2026, 3, 15);
  ScheduleRecord overdue = DefaultScheduleRecord();
  overdue.kind = kScheduleOnce;
  overdue.onceDate = D(2026, 3, 10);  // not applied since March 1
  overdue.lastProcessed = D(2026, 3, 1);
  struct Case {
    const char* what;
    TReportPeriod period;
    ScheduleRecord schedule;
    Date lastActual;  // 0: no actual point
    std::vector<std::pair<Date, double>> forecast;
  } cases[] = {
      {"the rest of this month",
       march,
       monthly,
       D(2026, 3, 15),
       {{D(2026, 3, 15), 868},
        {D(2026, 3, 19), 868},
        {D(2026, 3, 20), 818},
        {D(2026, 3, 31), 718},  // and the stored $100 of the 31st
        {D(2026, 4, 30), 628},  // the stored $40 of April 1
        {D(2026, 6, 30), 528}}},
      {"an overdue occurrence counts today",
       march,
       overdue,
       D(2026, 3, 15),
       {{D(2026, 3, 15), 818}, {D(2026, 3, 31), 718}}},
      {"a period ending mid-month",
       {D(2026, 3, 1), D(2026, 3, 20)},
       monthly,
       D(2026, 3, 15),
       {{D(2026, 3, 15), 868},
        {D(2026, 3, 20), 818},
        {D(2026, 3, 31), 718},
        {D(2026, 6, 30), 528}}},
      {"a period ahead",
       {D(2026, 4, 1), D(2026, 4, 30)},
       monthly,
       0,
       {{D(2026, 3, 31), 718}, {D(2026, 4, 19), 678}, {D(2026, 4, 20), 628}}},
      {"months up to this one",
       {D(2025, 4, 1), D(2026, 3, 31)},
       monthly,
       D(2026, 3, 15),
       {{D(2026, 3, 15), 868}, {D(2026, 3, 31), 718}, {D(2026, 4, 30), 628}}},
  };
  for (const Case& c : cases) {
    const std::uint32_t planned = Plan(c.schedule, cash, 0, 50);
    const TBalanceReport r = BalanceOverTime(db, c.period);
    const TBalanceSeries& cashLine = r.accounts[1];
    if (c.lastActual == 0)
      EXPECT_TRUE(cashLine.actual.empty()) << c.what;
    else
      EXPECT_EQ(cashLine.actual.empty() ? 0.0 : cashLine.actual.back().day, c.lastActual) << c.what;
    ASSERT_FALSE(cashLine.forecast.empty()) << c.what;
    EXPECT_EQ(cashLine.forecast.front().day, c.forecast.front().first) << c.what;
    for (const auto& [day, balance] : c.forecast) {
      auto at = std::find_if(cashLine.forecast.begin(), cashLine.forecast.end(),
                             [&](const TBalancePoint& p) { return p.day == day; });
      ASSERT_NE(at, cashLine.forecast.end()) << c.what << " " << FormatIsoDate(day);
      EXPECT_EQ(at->balance, M(balance)) << c.what << " " << FormatIsoDate(day);
    }
    EXPECT_EQ(r.total.forecast.back().day, cashLine.forecast.back().day) << c.what;
    ASSERT_TRUE(db.DelPlnTransaction(planned));
  }
}

// Categories whose parents loop (a damaged or foreign file) are listed at
// the top level with their figures, and the listed figures add up to the
// total.
TEST_F(ReportsTest, CategoriesOnALoopAreListedAtTheTopLevel) {
  const std::uint32_t a = SubType("Loop A", 2), b = SubType("Loop B", a);
  const std::uint32_t c = SubType("Below the loop", b);
  db.SubTypes().Find(a)->record.parentId = b;  // as a damaged file holds it
  Spend(D(2026, 3, 6), cash, 3, a);
  Spend(D(2026, 3, 7), cash, 4, b);
  Spend(D(2026, 3, 8), cash, 2, c);
  const TCategoryReport r = ExpensesByCategory(db, march);
  EXPECT_EQ(r.total, M(147 + 9));
  struct Row {
    std::uint32_t id, parent;
    double own, total;
  } rows[] = {{a, 0, 3, 3}, {b, 0, 4, 6}, {c, b, 2, 2}};
  for (const Row& row : rows) {
    const TCategoryFigure* f = FindCategory(r, row.id);
    ASSERT_NE(f, nullptr) << row.id;
    EXPECT_EQ(f->parent, row.parent) << row.id;
    EXPECT_EQ(f->own, M(row.own)) << row.id;
    EXPECT_EQ(f->total, M(row.total)) << row.id;
  }
  Money listed = 0;
  for (const TCategoryFigure* f : CategoryChildren(r, 0)) listed += f->total;
  EXPECT_EQ(listed, r.total);
}

TEST_F(ReportsTest, MembersSectionsAndBudgets) {
  const TMembersReport m = ExpensesByMemberAndSection(db, march);
  EXPECT_EQ(m.total, M(147));
  ASSERT_EQ(m.members.size(), 2u);
  EXPECT_EQ(m.members[0].id, 0u);  // no member: 5 + 100 + 7
  EXPECT_EQ(m.members[0].total, M(112));
  EXPECT_EQ(m.members[1].name, "Anna");
  EXPECT_EQ(m.members[1].total, M(35));
  ASSERT_EQ(m.sections.size(), 2u);
  EXPECT_EQ(m.sections[1].id, home);
  EXPECT_EQ(m.sections[1].total, M(15));

  const TBudgetReport b = BudgetAgainstSpending(db);
  ASSERT_EQ(b.accounts.size(), 1u);
  EXPECT_EQ(b.accounts[0].account, bank);
  EXPECT_EQ(b.accounts[0].budget, M(125));
  EXPECT_EQ(b.accounts[0].used, M(25));
}

}  // namespace
