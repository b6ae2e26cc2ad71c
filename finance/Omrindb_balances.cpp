// CDataBase: account figures (balance, planned flows, budget use) and the
// exchange-rate cache.
#include <algorithm>
#include <cmath>
#include <thread>

#include "Logger.h"
#include "Omrindb.h"

namespace {

// Up to how many account-days the balances are kept a row per day (8 MB).
constexpr std::uint64_t kMaxAccountDays = 1 << 20;

// The slot of `id` among the sorted `ids`, or -1. Ids of no listed account
// (dangling references, 0) find nothing: their sums would never be read.
std::ptrdiff_t IndexOf(const std::vector<std::uint32_t>& ids, std::uint32_t id) {
  auto it = std::lower_bound(ids.begin(), ids.end(), id);
  return it != ids.end() && *it == id ? it - ids.begin() : -1;
}

// The last whole day a balance at `endDay` counts, as a whole number:
// !(day > endDay) holds for every day when endDay is NaN.
std::int64_t LastCountedDay(Date endDay) {
  if (std::isnan(endDay) || endDay >= INT32_MAX) return INT32_MAX;
  if (endDay < INT32_MIN) return std::int64_t{INT32_MIN} - 1;
  return static_cast<std::int64_t>(endDay);
}

}  // namespace

Money ConvertAmount(Money amount, double rate) {
  if (rate == 1.0) return amount;  // what the sum below gives, without a wide division
  const double fixed = std::nearbyint(rate * kMoneyOne);
  if (!std::isfinite(fixed) || std::fabs(fixed) > 9e18) return 0;
  return MulDivOrZero(amount, static_cast<Money>(fixed), kMoneyOne);
}

void CDataBase::SumAccountDays(Date endDay) {
  CAccountFiguresCache::CSums& sums = accountCache.sums;
  sums.ids.clear();
  for (const CAccountItem& item : accountItems) sums.ids.push_back(item.id);
  std::sort(sums.ids.begin(), sums.ids.end());
  const std::size_t n = sums.ids.size();
  std::vector<CAccountBudget> budget(n);
  for (const CAccountItem& item : accountItems) {
    CAccountBudget& b = budget[static_cast<std::size_t>(IndexOf(sums.ids, item.id))];
    b.from = item.record.budgetStart;
    b.to = item.record.budgetEnd;
    b.enabled = item.record.budgetEnabled != 0;
  }
  // Most transactions are held as minutes, a combination of accounts and
  // one amount. Their accounts' slots and the budget's range of minutes are
  // found once per combination (the day of a date never goes down as its
  // minutes go up).
  struct CCombination {
    std::ptrdiff_t from = -1, to = -1;
    std::int64_t budgetFrom = 0, budgetTo = -1;  // minutes counted for the budget
  };
  std::vector<CCombination> combinations(transactions.CombinationCount());
  for (std::size_t c = 0; c < combinations.size(); ++c) {
    const auto& pair = transactions.CombinationAt(static_cast<std::uint32_t>(c));
    CCombination& k = combinations[c];
    k.from = IndexOf(sums.ids, pair.fromAccount);
    k.to = IndexOf(sums.ids, pair.toAccount);
    if (k.from < 0 || !budget[static_cast<std::size_t>(k.from)].enabled) continue;
    const CAccountBudget& b = budget[static_cast<std::size_t>(k.from)];
    k.budgetFrom = TTransactionIndexes::LastMinutesWhere(
                       [&](Date date) { return !(WholeDay(date) >= b.from); }) +
                   1;
    k.budgetTo =
        TTransactionIndexes::LastMinutesWhere([&](Date date) { return WholeDay(date) <= b.to; });
  }
  // A row per day from the table's first day to its last, or, when those
  // are too many, one row of the days up to endDay.
  const std::int64_t low = transactions.LowestDayKey(), high = transactions.HighestDayKey();
  const std::uint64_t span = high >= low ? static_cast<std::uint64_t>(high - low + 1) : 0;
  const bool perDay = span > 0 && n > 0 && span * n <= kMaxAccountDays;
  struct CPart {
    std::vector<Money> moved;     // rows × n, each row the moves of its day
    std::vector<Money> budgeted;  // by combination
    std::vector<TransactionRecord> whole;
    bool outside = false;  // a day beyond the rows: the table's bounds were wrong
  };
  auto sumPart = [&](CPart& part, bool byDay, std::size_t share, std::size_t shares) {
    const std::size_t rows = byDay ? static_cast<std::size_t>(span) : 1;
    const std::int64_t countedTo = byDay ? INT32_MAX : LastCountedDay(endDay);
    part.moved.assign(rows * n, 0);
    part.budgeted.assign(combinations.size(), 0);
    transactions.ForEachAmount(
        [&](std::int32_t minutes, std::uint32_t c, std::int32_t amount) {
          const CCombination& k = combinations[c];
          const std::int64_t day = TTransactionIndexes::DayOfMinutes(minutes);
          if (day <= countedTo) {
            const std::int64_t row = byDay ? day - low : 0;
            if (row < 0 || static_cast<std::uint64_t>(row) >= rows) {
              part.outside = true;
            } else {
              Money* moved = part.moved.data() + static_cast<std::size_t>(row) * n;
              if (k.from >= 0) moved[k.from] = WrapSub(moved[k.from], amount);
              if (k.to >= 0) moved[k.to] = WrapAdd(moved[k.to], amount);
            }
          }
          if (minutes >= k.budgetFrom && minutes <= k.budgetTo)
            part.budgeted[c] = WrapAdd(part.budgeted[c], amount);
        },
        [&](const TransactionRecord& t) { part.whole.push_back(t); }, share, shares);
  };
  // A large table is summed by two threads, each over half of it. Sums
  // wrap, so the order of adding does not change them.
  const bool twoThreads =
      transactions.size() >= 1'000'000 && std::thread::hardware_concurrency() > 1;
  CPart parts[2];
  auto sumAll = [&](bool byDay) {
    parts[0] = {};
    parts[1] = {};
    std::jthread helper;
    if (twoThreads) helper = std::jthread([&] { sumPart(parts[1], byDay, 1, 2); });
    sumPart(parts[0], byDay, 0, twoThreads ? 2 : 1);
  };
  sumAll(perDay);
  sums.perDay = perDay && !parts[0].outside && !parts[1].outside;
  if (perDay && !sums.perDay) sumAll(false);
  sums.firstDay = static_cast<std::int32_t>(low);
  sums.rows = sums.perDay ? static_cast<std::size_t>(span) : 1;
  sums.countedTo = LastCountedDay(endDay);
  // The rows become running sums.
  sums.upTo = std::move(parts[0].moved);
  for (std::size_t i = 0; i < sums.upTo.size(); ++i) {
    Money& m = sums.upTo[i];
    if (twoThreads) m = WrapAdd(m, parts[1].moved[i]);
    if (i >= n) m = WrapAdd(m, sums.upTo[i - n]);
  }
  sums.budgetUsed.assign(n, 0);
  for (std::size_t c = 0; c < combinations.size(); ++c) {
    const std::ptrdiff_t from = combinations[c].from;
    if (from < 0) continue;
    Money& used = sums.budgetUsed[static_cast<std::size_t>(from)];
    used = WrapAdd(used, parts[0].budgeted[c]);
    if (twoThreads) used = WrapAdd(used, parts[1].budgeted[c]);
  }
  // The few records held whole: their budget use now, their balances for
  // each interval.
  sums.whole = std::move(parts[0].whole);
  sums.whole.insert(sums.whole.end(), parts[1].whole.begin(), parts[1].whole.end());
  for (const TransactionRecord& t : sums.whole) {
    const std::ptrdiff_t from = IndexOf(sums.ids, t.fromAccount);
    if (from < 0) continue;
    const CAccountBudget& b = budget[static_cast<std::size_t>(from)];
    const Date day = WholeDay(t.date);
    Money& used = sums.budgetUsed[static_cast<std::size_t>(from)];
    if (b.enabled && day >= b.from && day <= b.to) used = WrapAdd(used, t.amountOut);
  }
  sums.writeCount = GetWriteCount();
  sums.valid = true;
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
  const Date endDay = WholeDay(intervalEnd);
  const CAccountFiguresCache::CSums& sums = cache.sums;
  if (!sums.valid || sums.writeCount != GetWriteCount() ||
      (!sums.perDay && sums.countedTo != LastCountedDay(endDay)))
    SumAccountDays(endDay);
  // The row of the last day counted: none before the first row.
  std::vector<Money> balance(sums.ids.size(), 0);
  const std::int64_t last = LastCountedDay(endDay);
  const std::int64_t row =
      sums.perDay
          ? std::min<std::int64_t>(last - sums.firstDay, static_cast<std::int64_t>(sums.rows) - 1)
          : 0;
  if (row >= 0)
    std::copy_n(sums.upTo.begin() + static_cast<std::ptrdiff_t>(row) * balance.size(),
                balance.size(), balance.begin());
  for (const TransactionRecord& t : sums.whole) {
    if (WholeDay(t.date) > endDay) continue;
    const std::ptrdiff_t from = IndexOf(sums.ids, t.fromAccount);
    const std::ptrdiff_t to = IndexOf(sums.ids, t.toAccount);
    if (from >= 0) balance[from] = WrapSub(balance[from], t.amountOut);
    if (to >= 0) balance[to] = WrapAdd(balance[to], t.amountIn);
  }
  TPlnSummary planned;
  CalcPlnTransactions(kPlnSummary, intervalStart, planned, intervalEnd);
  for (CAccountItem& item : accountItems) {
    const auto i = static_cast<std::size_t>(IndexOf(sums.ids, item.id));
    item.balance = balance[i];
    item.budgetUsed = sums.budgetUsed[i];
    auto p = planned.find(item.id);
    if (p != planned.end()) {
      item.plannedIn = p->second.in;
      item.plannedOut = p->second.out;
    }
  }
  std::stable_sort(accountItems.begin(), accountItems.end(),
                   [](const CAccountItem& a, const CAccountItem& b) { return a.name < b.name; });
  cache.items = accountItems;
  cache.writeCount = GetWriteCount();
  cache.intervalStart = intervalStart;
  cache.intervalEnd = intervalEnd;
  cache.today = Today();
  cache.valid = true;
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
