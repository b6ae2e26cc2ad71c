#include "Reports.h"

#include <algorithm>
#include <unordered_map>

#include "Occurrences.h"

namespace {

// Up to this many days a balance is drawn day by day, beyond it by month.
constexpr std::int32_t kDailyPointsUpTo = 92;

struct TDayRange {
  std::int32_t from;
  std::int32_t to;
  bool Holds(std::int32_t day) const { return day >= from && day <= to; }
};

TDayRange DaysOf(TReportPeriod period) {
  return {DayKeyOf(period.from), DayKeyOf(period.to)};
}

// The rate from an account's currency to the base currency, looked up once
// per account. An account that does not exist counts as currency 0, as the
// transaction tree counts it.
class CAccountRates {
 public:
  CAccountRates(CDataBase& db, std::uint32_t base) : db_(db), base_(base) {}
  Money Convert(std::uint32_t account, Money amount) {
    auto [it, added] = rates_.try_emplace(account, 1.0);
    if (added) it->second = db_.GetExchangeRate(db_.GetAccountCurrency(account), base_);
    return ConvertAmount(amount, it->second);
  }

 private:
  CDataBase& db_;
  std::uint32_t base_;
  std::unordered_map<std::uint32_t, double> rates_;
};

std::string SubTypeName(CDataBase& db, std::uint32_t id) {
  const CSubTypeIndex* entry = db.SubTypes().Find(id);
  return entry == nullptr ? std::string() : db.GetString(entry->record.nameId);
}

bool IsPaidOut(const TransactionRecord& r) {
  return IsExpense(r) && r.fromAccount >= kFirstFreeId;
}
bool IsPaidIn(const TransactionRecord& r) {
  return IsIncome(r) && r.toAccount >= kFirstFreeId;
}

template <class Figure>
bool LargerFirst(const Figure& a, const Figure& b) {
  return a.total != b.total ? a.total > b.total : a.name < b.name;
}

// Month index (year * 12 + month - 1) of a day.
int MonthIndex(Date day) {
  const CivilDate c = DecodeDate(day);
  return c.year * 12 + static_cast<int>(c.month) - 1;
}

Date LastDayOfMonthIndex(int index) {
  const int year = index / 12;
  const unsigned month = static_cast<unsigned>(index % 12) + 1;
  return EncodeDate(year, month, DaysInMonth(year, month));
}

std::vector<TSubtypeFigure> SortedFigures(CDataBase& db,
                                          const std::unordered_map<std::uint32_t, Money>& sums) {
  std::vector<TSubtypeFigure> out;
  for (const auto& [id, total] : sums) {
    if (total == 0) continue;
    out.push_back({id, SubTypeName(db, id), total});
  }
  std::sort(out.begin(), out.end(), LargerFirst<TSubtypeFigure>);
  return out;
}

}  // namespace

std::uint32_t ReportBaseCurrency(CDataBase& db) {
  const TCurrencyItems& currencies = db.GetCurrencyItems();
  if (currencies.empty()) return 0;
  std::int32_t selected = db.GetSelectedCurrency();
  if (selected < 0 || static_cast<std::size_t>(selected) >= currencies.size()) selected = 0;
  return currencies[static_cast<std::size_t>(selected)].id;
}

// ---- Expenses by category ----

TCategoryReport ExpensesByCategory(CDataBase& db, TReportPeriod period) {
  TCategoryReport report;
  report.currency = ReportBaseCurrency(db);
  const TDayRange days = DaysOf(period);
  CAccountRates rates(db, report.currency);
  std::unordered_map<std::uint32_t, Money> own;
  for (auto [id, entry] : db.Transactions()) {
    const TransactionRecord r = entry->record;
    if (!IsPaidOut(r) || !days.Holds(DayKeyOf(r.date))) continue;
    Money& sum = own[r.categoryId];
    sum = WrapAdd(sum, rates.Convert(r.fromAccount, r.amountOut));
  }

  // A category's parent as the report lists it: the stored parent, or the
  // top level (0) when the parent is a root, is not stored, or leads back to
  // the category itself (a loop, which only a damaged or foreign file holds).
  auto storedParent = [&](std::uint32_t id) -> std::uint32_t {
    const CSubTypeIndex* entry = id == 0 ? nullptr : db.SubTypes().Find(id);
    const std::uint32_t parent = entry == nullptr ? 0 : entry->record.parentId;
    return parent >= kFirstFreeId && db.SubTypes().Find(parent) != nullptr ? parent : 0;
  };
  std::unordered_map<std::uint32_t, std::uint32_t> listedParents;
  auto listedParent = [&](std::uint32_t id) -> std::uint32_t {
    auto [it, added] = listedParents.try_emplace(id, 0);
    if (!added) return it->second;
    std::uint32_t parent = storedParent(id);
    // A walk up that does not come back within as many steps as there are
    // categories never comes back.
    std::uint32_t up = parent;
    for (std::size_t step = 0; up != 0 && step <= db.SubTypes().size(); ++step) {
      if (up == id) {
        parent = 0;
        break;
      }
      up = storedParent(up);
    }
    it->second = parent;
    return parent;
  };

  // Each category's own sum goes into its total and every ancestor's. A
  // category that is not stored (deleted, or 0) counts as "no category".
  // Following listed parents always ends: a category on a loop is listed at
  // the top level.
  std::unordered_map<std::uint32_t, TCategoryFigure> figures;
  for (const auto& [category, sum] : own) {
    const std::uint32_t first = db.SubTypes().Find(category) != nullptr ? category : 0;
    figures[first].own = WrapAdd(figures[first].own, sum);
    for (std::uint32_t id = first;;) {
      TCategoryFigure& f = figures[id];
      f.id = id;
      f.total = WrapAdd(f.total, sum);
      f.parent = listedParent(id);
      if (f.parent == 0) break;
      id = f.parent;
    }
    report.total = WrapAdd(report.total, sum);
  }
  for (auto& [id, f] : figures) f.name = id == 0 ? std::string() : SubTypeName(db, id);

  // Pre-order: each parent before its subcategories, siblings by total.
  std::unordered_map<std::uint32_t, std::vector<const TCategoryFigure*>> children;
  for (const auto& [id, f] : figures)
    if (f.total != 0 || f.own != 0) children[f.id == 0 ? UINT32_MAX : f.parent].push_back(&f);
  for (auto& [parent, list] : children)
    std::sort(list.begin(), list.end(), [](const TCategoryFigure* a, const TCategoryFigure* b) {
      return LargerFirst(*a, *b);
    });
  // The top level holds the real top-level categories and "no category".
  std::vector<const TCategoryFigure*> top = children[0];
  for (const TCategoryFigure* f : children[UINT32_MAX]) top.push_back(f);
  std::sort(top.begin(), top.end(),
            [](const TCategoryFigure* a, const TCategoryFigure* b) { return LargerFirst(*a, *b); });
  std::vector<const TCategoryFigure*> stack(top.rbegin(), top.rend());
  while (!stack.empty()) {
    const TCategoryFigure* f = stack.back();
    stack.pop_back();
    report.categories.push_back(*f);
    if (f->id == 0) continue;
    auto it = children.find(f->id);
    if (it != children.end()) stack.insert(stack.end(), it->second.rbegin(), it->second.rend());
  }
  return report;
}

std::vector<const TCategoryFigure*> CategoryChildren(const TCategoryReport& report,
                                                     std::uint32_t parent) {
  if (parent < kFirstFreeId) parent = 0;
  std::vector<const TCategoryFigure*> out;
  for (const TCategoryFigure& f : report.categories)
    if (f.parent == parent) out.push_back(&f);
  return out;
}

const TCategoryFigure* FindCategory(const TCategoryReport& report, std::uint32_t id) {
  for (const TCategoryFigure& f : report.categories)
    if (f.id == id) return &f;
  return nullptr;
}

// ---- Incomes against expenses by month ----

TMonthlyReport IncomesAndExpensesByMonth(CDataBase& db, TReportPeriod period) {
  TMonthlyReport report;
  report.currency = ReportBaseCurrency(db);
  const TDayRange days = DaysOf(period);
  if (days.from > days.to) return report;
  const int firstMonth = MonthIndex(days.from);
  const int lastMonth = MonthIndex(days.to);
  for (int m = firstMonth; m <= lastMonth; ++m)
    report.months.push_back({m / 12, static_cast<unsigned>(m % 12) + 1, 0, 0, 0});
  CAccountRates rates(db, report.currency);
  // Transactions come mostly in date order: the month of the day before is
  // usually the month again, and finding a month from a day is not cheap.
  std::int32_t lastDay = INT32_MIN;
  std::size_t monthAt = 0;
  TTransactionIndexes& transactions = db.Transactions();
  for (auto [id, entry] : transactions) {
    const TransactionRecord r = transactions.RecordOf(entry);
    const std::int32_t day = DayKeyOf(r.date);
    if (!days.Holds(day)) continue;
    const bool out = IsPaidOut(r);
    if (!out && !IsPaidIn(r)) continue;
    if (day != lastDay) {
      lastDay = day;
      monthAt = static_cast<std::size_t>(MonthIndex(day) - firstMonth);
    }
    TMonthFigure& month = report.months[monthAt];
    if (out)
      month.expense = WrapAdd(month.expense, rates.Convert(r.fromAccount, r.amountOut));
    else
      month.income = WrapAdd(month.income, rates.Convert(r.toAccount, r.amountIn));
  }
  for (TMonthFigure& m : report.months) {
    m.net = WrapSub(m.income, m.expense);
    report.income = WrapAdd(report.income, m.income);
    report.expense = WrapAdd(report.expense, m.expense);
  }
  report.net = WrapSub(report.income, report.expense);
  return report;
}

TReportPeriod MonthlyReportPeriod(TReportPeriod period) {
  const CivilDate b = DecodeDate(period.from), e = DecodeDate(period.to);
  if (b.year != e.year || b.month != e.month) return period;
  // The eleven months before the period's month and the month itself.
  const int first = MonthIndex(period.from) - 11;
  return {EncodeDate(first / 12, static_cast<unsigned>(first % 12) + 1, 1),
          LastDayOfMonth(period.to)};
}

// ---- Balances over time ----

TBalanceReport BalanceOverTime(CDataBase& db, TReportPeriod period, int forecastMonths) {
  TBalanceReport report;
  report.currency = ReportBaseCurrency(db);
  const TDayRange days = DaysOf(period);
  if (days.from > days.to) return report;
  const std::int32_t today = DayKeyOf(Today());
  const bool forecast = forecastMonths > 0 && days.to >= today;

  // The days the points stand for: the opening point, the period's points,
  // today when the period holds it (the actual line ends there and the
  // forecast starts there), then the month ends after the period.
  std::vector<std::int32_t> points{days.from - 1};
  if (days.to - days.from < kDailyPointsUpTo) {
    for (std::int32_t d = days.from; d <= days.to; ++d) points.push_back(d);
  } else {
    for (int m = MonthIndex(days.from); m < MonthIndex(days.to); ++m)
      points.push_back(static_cast<std::int32_t>(LastDayOfMonthIndex(m)));
    points.push_back(days.to);
  }
  if (forecast) {
    if (days.Holds(today) && !std::binary_search(points.begin(), points.end(), today))
      points.insert(std::lower_bound(points.begin(), points.end(), today), today);
    const int lastMonth = MonthIndex(days.to) + forecastMonths;
    for (int m = MonthIndex(days.to); m <= lastMonth; ++m) {
      const auto monthEnd = static_cast<std::int32_t>(LastDayOfMonthIndex(m));
      if (monthEnd > days.to) points.push_back(monthEnd);
    }
  }
  const std::int32_t lastDay = points.back();
  const std::size_t width = points.size();
  // The actual line holds the points up to today when there is a forecast,
  // every point otherwise; the forecast runs from the first point on or
  // after today.
  std::size_t actualCount = width, forecastFirst = width;
  if (forecast) {
    actualCount = static_cast<std::size_t>(std::upper_bound(points.begin(), points.end(), today) -
                                           points.begin());
    forecastFirst = static_cast<std::size_t>(std::lower_bound(points.begin(), points.end(), today) -
                                             points.begin());
  }

  // Per account (rows in id order), the change of its balance in each
  // point's span, booked and planned apart; the opening span takes
  // everything before the period.
  struct TRow {
    std::uint32_t id;
    std::uint32_t currency;
    std::string name;
  };
  std::vector<TRow> rows;
  for (auto [id, entry] : db.Accounts())
    rows.push_back({id, entry->record.currencyId, db.GetString(entry->record.nameId)});
  auto rowOf = [&](std::uint32_t account) -> std::ptrdiff_t {
    auto it = std::lower_bound(rows.begin(), rows.end(), account,
                               [](const TRow& r, std::uint32_t id) { return r.id < id; });
    return it == rows.end() || it->id != account ? -1 : it - rows.begin();
  };
  std::vector<Money> booked(rows.size() * width, 0), planned(rows.size() * width, 0);
  auto book = [&](std::vector<Money>& change, std::uint32_t account, std::int32_t day,
                  Money amount) {
    if (account < kFirstFreeId || day > lastDay) return;
    const std::ptrdiff_t row = rowOf(account);
    if (row < 0) return;
    auto span = std::lower_bound(points.begin(), points.end(), day);
    Money& cell = change[static_cast<std::size_t>(row) * width +
                         static_cast<std::size_t>(span - points.begin())];
    cell = WrapAdd(cell, amount);
  };
  for (auto [id, entry] : db.Transactions()) {
    const TransactionRecord r = entry->record;
    const std::int32_t day = DayKeyOf(r.date);
    book(booked, r.fromAccount, day, WrapSub(0, r.amountOut));
    book(booked, r.toAccount, day, r.amountIn);
  }
  if (forecast) {
    // Every occurrence not executed yet, on its own day; one already due
    // (the planned transactions were not applied since) counts today.
    const Date end = static_cast<Date>(lastDay);
    for (auto [id, entry] : db.PlnTransactions()) {
      const PlnTransactionRecord& p = entry->record;
      if (!HasScheduleKind(p.schedule)) continue;
      for (const TOccurrence& o :
           ScheduleOccurrences(p.schedule, WholeDay(p.schedule.lastProcessed), end, Today())) {
        const std::int32_t day = std::max(DayKeyOf(o.day), today);
        book(planned, p.transaction.fromAccount, day, WrapSub(0, p.transaction.amountOut));
        book(planned, p.transaction.toAccount, day, p.transaction.amountIn);
      }
    }
  }

  std::vector<Money> actualTotals(width, 0), forecastTotals(width, 0);
  for (std::size_t row = 0; row < rows.size(); ++row) {
    const double rate = db.GetExchangeRate(rows[row].currency, report.currency);
    TBalanceSeries series;
    series.account = rows[row].id;
    series.name = rows[row].name;
    Money balance = 0, plannedSum = 0;
    for (std::size_t i = 0; i < width; ++i) {
      balance = WrapAdd(balance, booked[row * width + i]);
      plannedSum = WrapAdd(plannedSum, planned[row * width + i]);
      const Date day = static_cast<Date>(points[i]);
      if (i < actualCount) {
        const Money converted = ConvertAmount(balance, rate);
        actualTotals[i] = WrapAdd(actualTotals[i], converted);
        series.actual.push_back({day, converted});
      }
      if (i >= forecastFirst) {
        const Money converted = ConvertAmount(WrapAdd(balance, plannedSum), rate);
        forecastTotals[i] = WrapAdd(forecastTotals[i], converted);
        series.forecast.push_back({day, converted});
      }
    }
    report.accounts.push_back(std::move(series));
  }
  // The accounts list's order: by name.
  std::stable_sort(
      report.accounts.begin(), report.accounts.end(),
      [](const TBalanceSeries& a, const TBalanceSeries& b) { return a.name < b.name; });
  for (std::size_t i = 0; i < width; ++i) {
    const Date day = static_cast<Date>(points[i]);
    if (i < actualCount) report.total.actual.push_back({day, actualTotals[i]});
    if (i >= forecastFirst) report.total.forecast.push_back({day, forecastTotals[i]});
  }
  return report;
}

// ---- Expenses by family member and by section ----

TMembersReport ExpensesByMemberAndSection(CDataBase& db, TReportPeriod period) {
  TMembersReport report;
  report.currency = ReportBaseCurrency(db);
  const TDayRange days = DaysOf(period);
  CAccountRates rates(db, report.currency);
  std::unordered_map<std::uint32_t, Money> members, sections;
  for (auto [id, entry] : db.Transactions()) {
    const TransactionRecord r = entry->record;
    if (!IsPaidOut(r) || !days.Holds(DayKeyOf(r.date))) continue;
    const Money amount = rates.Convert(r.fromAccount, r.amountOut);
    Money& member = members[r.memberId >= kFirstFreeId ? r.memberId : 0];
    member = WrapAdd(member, amount);
    Money& section = sections[r.sectionId >= kFirstFreeId ? r.sectionId : 0];
    section = WrapAdd(section, amount);
    report.total = WrapAdd(report.total, amount);
  }
  // A member or section that is no longer stored counts as none.
  auto merge = [&](std::unordered_map<std::uint32_t, Money>& sums) {
    std::unordered_map<std::uint32_t, Money> out;
    for (const auto& [id, sum] : sums) {
      Money& to = out[db.SubTypes().Find(id) != nullptr ? id : 0];
      to = WrapAdd(to, sum);
    }
    return out;
  };
  report.members = SortedFigures(db, merge(members));
  report.sections = SortedFigures(db, merge(sections));
  return report;
}

// ---- Budgets against spending ----

TBudgetReport BudgetAgainstSpending(CDataBase& db) {
  TBudgetReport report;
  report.currency = ReportBaseCurrency(db);
  for (const CAccountItem& a : db.GetAccountItems()) {
    if (a.record.budgetEnabled == 0) continue;
    const double rate = db.GetExchangeRate(a.record.currencyId, report.currency);
    report.accounts.push_back({a.id, a.name, a.record.budgetStart, a.record.budgetEnd,
                               ConvertAmount(a.record.budgetSum, rate),
                               ConvertAmount(a.budgetUsed, rate)});
  }
  return report;
}
