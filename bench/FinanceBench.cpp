// The finance database on the 1,000,000-transaction file: account figures,
// quick-expense statistics, one month's transactions, and executing a daily
// schedule left unprocessed for ten years; and 1,000 single adds, each
// synced to the medium as a person's change is.
#include <benchmark/benchmark.h>

#include "BenchData.h"
#include "Omrindb.h"

namespace {

constexpr int kTransactions = 1000000;

// The large file, opened once for all read-only benchmarks.
CDataBase& OpenLarge() {
  static CDataBase* db = [] {
    SetClock(BenchToday());
    auto* d = new CDataBase;
    d->Open(LargeDatabase(kTransactions));
    d->SetInterval(EncodeDate(2024, 12, 1), EncodeDate(2024, 12, 31));
    return d;
  }();
  return *db;
}

void BM_GetAccountItems(benchmark::State& state) {
  CDataBase& db = OpenLarge();
  for (auto _ : state) benchmark::DoNotOptimize(db.GetAccountItems().size());
}
BENCHMARK(BM_GetAccountItems)->Unit(benchmark::kMillisecond);

void BM_GetLastTransactions30(benchmark::State& state) {
  CDataBase& db = OpenLarge();
  for (auto _ : state) benchmark::DoNotOptimize(db.GetLastTransactions(0, 0, 30, 0, 0).size());
}
BENCHMARK(BM_GetLastTransactions30)->Unit(benchmark::kMillisecond);

void BM_GetTransactionsOfAMonth(benchmark::State& state) {
  CDataBase& db = OpenLarge();
  TTransactionInterval::iterator first, last;
  db.GetTransactions(first, last);  // the first query orders the whole table once
  for (auto _ : state) {
    db.GetTransactions(first, last);
    benchmark::DoNotOptimize(last - first);
  }
  state.counters["listed"] = static_cast<double>(last - first);
}
BENCHMARK(BM_GetTransactionsOfAMonth)->Unit(benchmark::kMillisecond);

// The first query after an open also orders the whole table by day.
void BM_FirstGetTransactionsAfterOpen(benchmark::State& state) {
  // A copy: the shared database above holds the file's lock.
  const std::string path = LargeDatabase(kTransactions) + ".first.vlt";
  CopyDatabase(LargeDatabase(kTransactions), path);
  SetClock(BenchToday());
  for (auto _ : state) {
    state.PauseTiming();
    CDataBase db;
    db.Open(path);
    state.ResumeTiming();
    TTransactionInterval::iterator first, last;
    db.GetTransactions(first, last);
    state.PauseTiming();
    db.Close();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstGetTransactionsAfterOpen)->Unit(benchmark::kMillisecond)->Iterations(3);

// One daily planned transaction whose last run was ten years ago: 3,652
// occurrences executed and each followed by a save of its schedule.
void BM_ApplyTenYearsOfADailySchedule(benchmark::State& state) {
  const std::string path = LargeDatabase(kTransactions);
  const std::string copy = path + ".apply.vlt";
  SetClock(BenchToday());
  std::size_t made = 0;
  for (auto _ : state) {
    state.PauseTiming();
    CopyDatabase(path, copy);
    CDataBase db;
    db.Open(copy);
    TTransactionInterval::iterator first, last;
    db.GetTransactions(first, last);  // the day index is in use, as in the program
    CPlnTransactionItem daily;
    daily.description = "Coffee";
    daily.record.schedule.kind = kScheduleEveryNDays;
    daily.record.schedule.period = 1;
    daily.record.schedule.lastProcessed = BenchToday() - 3652;
    daily.record.transaction.fromAccount = 103;
    daily.record.transaction.amountOut = daily.record.transaction.amountIn = 25000;
    db.AddPlnTransaction(daily);
    const std::size_t before = db.Transactions().size();
    state.ResumeTiming();
    db.ApplyPlnTransactions();
    state.PauseTiming();
    made = db.Transactions().size() - before;
    db.Close();
    state.ResumeTiming();
  }
  state.counters["occurrences"] = static_cast<double>(made);
}
BENCHMARK(BM_ApplyTenYearsOfADailySchedule)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

// 1,000 transactions added one by one, as a person enters them: each add
// is written and synced (fdatasync) before it returns.
void BM_ThousandSingleAdds(benchmark::State& state) {
  const std::string path = LargeDatabase(kTransactions) + ".adds.vlt";
  SetClock(BenchToday());
  for (auto _ : state) {
    state.PauseTiming();
    CDataBase db;
    db.Create(path);
    CTransactionItem t;
    t.description = "Bread";
    t.record.fromAccount = 103;
    t.record.amountOut = t.record.amountIn = 25000;
    state.ResumeTiming();
    for (int i = 0; i < 1000; ++i) {
      t.record.date = BenchToday() - i % 30;
      benchmark::DoNotOptimize(db.AddTransaction(t));
    }
    state.PauseTiming();
    db.Close();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ThousandSingleAdds)->Unit(benchmark::kMillisecond)->Iterations(3);
