// The figures of the reports: expenses by category, incomes against expenses
// by month, account balances over time with a forecast, expenses by family
// member and by section, and budgets against spending. Each function walks
// the transactions once and answers plain structs; the reports window draws
// them and `pardow-cli report` prints them.
//
// Every amount is in one currency, the base currency of the summary
// (ReportBaseCurrency), converted the way the summary converts: with the rate
// from the account's currency (GetExchangeRate) through ConvertAmount. An
// expense is converted with its from account's currency, an income with its
// to account's. Transfers move money between the household's own accounts:
// they change balances and budgets but are neither an income nor an expense
// in the category, monthly and member reports.
//
// Periods are whole days, both ends included; a transaction counts on the
// whole day of its date. Names are the stored bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Omrindb.h"

struct TReportPeriod {
  Date from = 0.0;
  Date to = 0.0;
};

// The currency the summary shows totals in: the database's selected currency
// of the list sorted by full name, the first one when the selection is out of
// range; 0 when there is no currency.
std::uint32_t ReportBaseCurrency(CDataBase& db);

// ---- Expenses by category ----

struct TCategoryFigure {
  std::uint32_t id = 0;      // 0: expenses without a category
  std::uint32_t parent = 0;  // a root (up to 100) for a top-level category
  std::string name;
  Money own = 0;    // booked on the category itself
  Money total = 0;  // own plus all of its subcategories
};

struct TCategoryReport {
  std::uint32_t currency = 0;
  Money total = 0;
  // Every category with expenses in it or below it, each parent before its
  // subcategories; siblings by total (largest first), then by name.
  std::vector<TCategoryFigure> categories;
};

TCategoryReport ExpensesByCategory(CDataBase& db, TReportPeriod period);

// The figures whose parent is `parent` (0 or a root: the top level), in the
// report's order.
std::vector<const TCategoryFigure*> CategoryChildren(const TCategoryReport& report,
                                                     std::uint32_t parent);
// The figure of `id`, or nullptr.
const TCategoryFigure* FindCategory(const TCategoryReport& report, std::uint32_t id);

// ---- Incomes against expenses by month ----

struct TMonthFigure {
  int year = 0;
  unsigned month = 0;  // 1 to 12
  Money income = 0;
  Money expense = 0;
  Money net = 0;  // income - expense
};

struct TMonthlyReport {
  std::uint32_t currency = 0;
  std::vector<TMonthFigure> months;  // every month the period touches, in order
  Money income = 0;
  Money expense = 0;
  Money net = 0;
};

TMonthlyReport IncomesAndExpensesByMonth(CDataBase& db, TReportPeriod period);

// The months the monthly report shows for a chosen period: the twelve that
// end with its month when it lies within one month (a month alone says
// little about a trend), the period itself otherwise.
TReportPeriod MonthlyReportPeriod(TReportPeriod period);

// ---- Balances over time ----

struct TBalancePoint {
  Date day = 0.0;  // the balance at the end of this day
  Money balance = 0;
};

struct TBalanceSeries {
  std::uint32_t account = 0;  // 0: the total of all accounts
  std::string name;
  // The stored transactions; up to today when there is a forecast.
  std::vector<TBalancePoint> actual;
  // From today on (from the opening point when the period lies ahead): the
  // stored transactions plus every planned occurrence not executed yet, on
  // its day, or today when it is already due. Empty when the period ends
  // before today.
  std::vector<TBalancePoint> forecast;
};

struct TBalanceReport {
  std::uint32_t currency = 0;
  std::vector<TBalanceSeries> accounts;  // by name, as the accounts list
  TBalanceSeries total;
};

// Points: the balance before the period (at the end of the day before it),
// then at the end of each day for a period of up to 92 days, else at the end
// of each month (the last point on the period's last day), and at the end of
// today when the period holds it. The forecast adds a point at each month's
// end after the period's last day, up to the end of the `forecastMonths`-th
// month after the period's month.
TBalanceReport BalanceOverTime(CDataBase& db, TReportPeriod period, int forecastMonths = 3);

// ---- Expenses by family member and by section ----

struct TSubtypeFigure {
  std::uint32_t id = 0;  // 0: expenses without a member (section)
  std::string name;
  Money total = 0;
};

struct TMembersReport {
  std::uint32_t currency = 0;
  Money total = 0;
  std::vector<TSubtypeFigure> members;   // by total, largest first, then name
  std::vector<TSubtypeFigure> sections;  // the same
};

TMembersReport ExpensesByMemberAndSection(CDataBase& db, TReportPeriod period);

// ---- Budgets against spending ----

struct TBudgetFigure {
  std::uint32_t account = 0;
  std::string name;
  Date from = 0.0;  // the budget's own range
  Date to = 0.0;
  Money budget = 0;
  Money used = 0;  // everything paid out of the account in the budget's range
};

struct TBudgetReport {
  std::uint32_t currency = 0;
  std::vector<TBudgetFigure> accounts;  // accounts with a budget, by name
};

// The accounts list's budget figures, in the base currency: a budget has
// its own range, so the report does not depend on a period.
TBudgetReport BudgetAgainstSpending(CDataBase& db);
