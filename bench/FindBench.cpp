// Finding transactions in the 1,000,000-transaction file: the first query,
// which folds every text once, and the queries of each keystroke after it.
#include <benchmark/benchmark.h>

#include "BenchData.h"
#include "Find.h"

namespace {

CFindQuery Words(const char* text) {
  CFindQuery q;
  q.text = text;
  return q;
}

CDataBase& OpenLarge() {
  static CDataBase* db = [] {
    auto* d = new CDataBase;
    d->Open(LargeDatabase(1'000'000));
    return d;
  }();
  return *db;
}

CFindIndex& WarmIndex() {
  static CFindIndex* index = [] {
    auto* i = new CFindIndex;
    i->Find(OpenLarge(), Words("x"));
    return i;
  }();
  return *index;
}

void Report(benchmark::State& state, const CFindResult& result) {
  state.counters["found"] = static_cast<double>(result.ids.size());
}

void BM_FindFirstQuery(benchmark::State& state) {
  CDataBase& db = OpenLarge();
  for (auto _ : state) {
    CFindIndex index;
    Report(state, index.Find(db, Words("purchase 4711")));
  }
}
BENCHMARK(BM_FindFirstQuery)->Unit(benchmark::kMillisecond)->Iterations(2);

// The find window reads the texts as it opens; its first key then costs
// what any later key does.
void BM_FindWindowOpens(benchmark::State& state) {
  CDataBase& db = OpenLarge();
  for (auto _ : state) {
    CFindIndex index;
    index.Prepare(db);
    state.PauseTiming();
    index.Clear();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FindWindowOpens)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_FindFirstKeyAfterOpening(benchmark::State& state) {
  CDataBase& db = OpenLarge();
  for (auto _ : state) {
    state.PauseTiming();
    CFindIndex index;
    index.Prepare(db);
    state.ResumeTiming();
    Report(state, index.Find(db, Words("p")));
  }
}
BENCHMARK(BM_FindFirstKeyAfterOpening)->Unit(benchmark::kMillisecond)->Iterations(2);

// A query per keystroke on the warm index, from typing to narrowing.
void BM_FindText(benchmark::State& state, const char* text) {
  CFindIndex& index = WarmIndex();
  for (auto _ : state) Report(state, index.Find(OpenLarge(), Words(text)));
}
BENCHMARK_CAPTURE(BM_FindText, one_letter_all_match, "p")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FindText, two_words, "number 4711")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FindText, no_match, "zebra")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FindText, accented, "NÚMBER 99 purchase")->Unit(benchmark::kMillisecond);

void BM_FindAmountAndKind(benchmark::State& state) {
  CFindIndex& index = WarmIndex();
  CFindQuery q;
  q.minAmount = 100 * kMoneyOne;
  q.maxAmount = 200 * kMoneyOne;
  q.kind = EFindKind::kExpenses;
  for (auto _ : state) Report(state, index.Find(OpenLarge(), q));
}
BENCHMARK(BM_FindAmountAndKind)->Unit(benchmark::kMillisecond);

void BM_FindEverything(benchmark::State& state) {
  CFindIndex& index = WarmIndex();
  for (auto _ : state) Report(state, index.Find(OpenLarge(), CFindQuery{}));
}
BENCHMARK(BM_FindEverything)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  SetClock(BenchToday());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
