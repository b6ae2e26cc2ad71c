// CDataBase: account figures (balance, planned flows, budget use) and the
// exchange-rate cache.
#include <algorithm>
#include <cmath>
#include <thread>

#include "Logger.h"
#include "Omrindb.h"

namespace {

// Per-account running figures, found by binary search among the listed
// accounts. Ids of no listed account (dangling references, 0) find nothing:
// their sums would never be read.
struct CAccountFigures {
  std::vector<std::uint32_t> ids;  // sorted
  std::vector<Money> balance;
  std::vector<CAccountBudget> budget;

  explicit CAccountFigures(const TAccountItems& items) {
    for (const CAccountItem& item : items) ids.push_back(item.id);
    std::sort(ids.begin(), ids.end());
    balance.assign(ids.size(), 0);
    budget.resize(ids.size());
    for (const CAccountItem& item : items) {
      CAccountBudget& b = budget[Index(item.id)];
      b.from = item.record.budgetStart;
      b.to = item.record.budgetEnd;
      b.enabled = item.record.budgetEnabled != 0;
    }
  }
  // The slot of `id`, or -1.
  std::ptrdiff_t Index(std::uint32_t id) const {
    auto it = std::lower_bound(ids.begin(), ids.end(), id);
    return it != ids.end() && *it == id ? it - ids.begin() : -1;
  }
};

}  // namespace

Money ConvertAmount(Money amount, double rate) {
  if (rate == 1.0) return amount;  // what the sum below gives, without a wide division
  const double fixed = std::nearbyint(rate * kMoneyOne);
  if (!std::isfinite(fixed) || std::fabs(fixed) > 9e18) return 0;
  return MulDivOrZero(amount, static_cast<Money>(fixed), kMoneyOne);
}

TAccountItems& CDataBase::GetAccountItems() {
  accountItems.clear();
  if (!CheckOpened("GetAccountItems")) return accountItems;
  CAccountFiguresCache& cache = accountCache;
  if (cache.valid && cache.writeCount == GetWriteCount() && cache.intervalStart == intervalStart &&
      cache.intervalEnd == intervalEnd && cache.today == Today()) {
    accountItems = cache.items;
    return accountItems;
  }
  for (auto [id, entry] : accounts) accountItems.push_back(MakeItem(*this, id, *entry));
  CAccountFigures figures(accountItems);
  const Date endDay = WholeDay(intervalEnd);
  auto add = [&](const TransactionRecord& t) {
    const Date day = WholeDay(t.date);
    const std::ptrdiff_t from = figures.Index(t.fromAccount);
    if (!(day > endDay)) {
      if (from >= 0) figures.balance[from] = WrapSub(figures.balance[from], t.amountOut);
      const std::ptrdiff_t to = figures.Index(t.toAccount);
      if (to >= 0) figures.balance[to] = WrapAdd(figures.balance[to], t.amountIn);
    }
    if (from >= 0) {
      CAccountBudget& b = figures.budget[from];
      if (b.enabled && day >= b.from && day <= b.to) b.used = WrapAdd(b.used, t.amountOut);
    }
  };
  // Most transactions are held as minutes, a combination of accounts and
  // one amount: their sums are gathered per combination, with the tests on
  // the day turned into ranges of minutes once (the day of a date never goes
  // down as its minutes go up), and spread over the accounts afterwards.
  // Sums wrap, so the order of adding does not change them.
  struct CCombinationSums {
    Money moved = 0, budgeted = 0;
    std::int64_t budgetFrom = 0, budgetTo = -1;  // minutes counted for the budget
  };
  std::vector<CCombinationSums> sums(transactions.CombinationCount());
  for (std::size_t c = 0; c < sums.size(); ++c) {
    const std::ptrdiff_t from =
        figures.Index(transactions.CombinationAt(static_cast<std::uint32_t>(c)).fromAccount);
    if (from < 0 || !figures.budget[from].enabled) continue;
    const CAccountBudget& b = figures.budget[from];
    sums[c].budgetFrom = TTransactionIndexes::LastMinutesWhere(
                             [&](Date date) { return !(WholeDay(date) >= b.from); }) +
                         1;
    sums[c].budgetTo =
        TTransactionIndexes::LastMinutesWhere([&](Date date) { return WholeDay(date) <= b.to; });
  }
  const std::int64_t lastCounted =
      TTransactionIndexes::LastMinutesWhere([&](Date date) { return !(WholeDay(date) > endDay); });
  auto sumInto = [lastCounted](std::vector<CCombinationSums>& into) {
    return [&into, lastCounted](std::int32_t minutes, std::uint32_t c, std::int32_t amount) {
      CCombinationSums& sum = into[c];
      if (minutes <= lastCounted) sum.moved = WrapAdd(sum.moved, amount);
      if (minutes >= sum.budgetFrom && minutes <= sum.budgetTo)
        sum.budgeted = WrapAdd(sum.budgeted, amount);
    };
  };
  // A large table is summed by two threads, each over half of it; the
  // records held whole (few) are all added by this one.
  const bool twoThreads =
      transactions.size() >= 1'000'000 && std::thread::hardware_concurrency() > 1;
  std::vector<CCombinationSums> second = sums;  // the budgets' ranges, no sums yet
  std::vector<TransactionRecord> wholeInSecond;
  {
    std::jthread helper;
    if (twoThreads)
      helper = std::jthread([&] {
        transactions.ForEachAmount(
            sumInto(second), [&](const TransactionRecord& t) { wholeInSecond.push_back(t); }, 1, 2);
      });
    transactions.ForEachAmount(sumInto(sums), add, 0, twoThreads ? 2 : 1);
  }
  for (const TransactionRecord& t : wholeInSecond) add(t);
  if (twoThreads) {
    for (std::size_t c = 0; c < sums.size(); ++c) {
      sums[c].moved = WrapAdd(sums[c].moved, second[c].moved);
      sums[c].budgeted = WrapAdd(sums[c].budgeted, second[c].budgeted);
    }
  }
  for (std::size_t c = 0; c < sums.size(); ++c) {
    const auto& pair = transactions.CombinationAt(static_cast<std::uint32_t>(c));
    const std::ptrdiff_t from = figures.Index(pair.fromAccount);
    const std::ptrdiff_t to = figures.Index(pair.toAccount);
    if (from >= 0) {
      figures.balance[from] = WrapSub(figures.balance[from], sums[c].moved);
      figures.budget[from].used = WrapAdd(figures.budget[from].used, sums[c].budgeted);
    }
    if (to >= 0) figures.balance[to] = WrapAdd(figures.balance[to], sums[c].moved);
  }
  TPlnSummary planned;
  CalcPlnTransactions(kPlnSummary, intervalStart, planned, intervalEnd);
  for (CAccountItem& item : accountItems) {
    const std::ptrdiff_t i = figures.Index(item.id);
    item.balance = figures.balance[i];
    item.budgetUsed = figures.budget[i].used;
    auto p = planned.find(item.id);
    if (p != planned.end()) {
      item.plannedIn = p->second.in;
      item.plannedOut = p->second.out;
    }
  }
  std::stable_sort(accountItems.begin(), accountItems.end(),
                   [](const CAccountItem& a, const CAccountItem& b) { return a.name < b.name; });
  cache = {accountItems, GetWriteCount(), intervalStart, intervalEnd, Today(), true};
  return accountItems;
}

double CDataBase::GetExchangeRate(std::uint32_t a, std::uint32_t b) const {
  if (a == b) return 1.0;
  auto it = exchangeRateCache.find(CurrencyPack{std::min(a, b), std::max(a, b)});
  if (it == exchangeRateCache.end()) return 1.0;
  const double rate = it->second.rate;
  if (a < b) return rate;
  return rate > 0 ? 1.0 / rate : rate;
}

bool CDataBase::SetExchangeRate(std::uint32_t a, std::uint32_t b, double rate) {
  CChangeScope change(*this, EChangeKind::kExchangeRate);
  ClearLastWriteError();
  if (a == b || !(rate > 0) || !std::isfinite(rate)) return false;
  ExchangeRateRecord record;
  record.currencyA = std::max(a, b);
  record.currencyB = std::min(a, b);
  record.rate = a > b ? rate : 1.0 / rate;
  auto it = exchangeRateCache.find(CurrencyPack{record.currencyB, record.currencyA});
  const bool stored =
      it != exchangeRateCache.end() ? EditItem(it->second.id, record) : AddItem(record) != 0;
  LoadExchangeRates();
  return stored && SyncChanges("SetExchangeRate");
}

void CDataBase::LoadExchangeRates() {
  exchangeRateCache.clear();
  for (auto [id, entry] : exchangeRates) {
    const ExchangeRateRecord& r = entry->record;
    CurrencyPack key{r.currencyA, r.currencyB};
    double value = r.rate;
    if (!(r.currencyA < r.currencyB)) {
      key = CurrencyPack{r.currencyB, r.currencyA};
      value = r.rate > 0 ? 1.0 / r.rate : 1.0;
    }
    exchangeRateCache.emplace(key, ExRateValuePack{value, id});  // the first record wins
  }
}
