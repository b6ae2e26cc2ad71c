// Changing many transactions at once on the 1,000,000-transaction file: one
// category given to 10,000 expenses, and 10,000 transactions deleted, each
// run one batch synced once at its end. And taking steps back on that file:
// one deleted transaction, a category tree, 10,000 deleted transactions.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include "BenchData.h"
#include "BulkEditLogic.h"
#include "Filestream.h"

namespace {

constexpr int kTransactions = 1000000;
constexpr std::size_t kChanged = 10000;

// The first `count` expenses of `db` in id order whose category is not `category`.
std::vector<std::uint32_t> Expenses(CDataBase& db, std::size_t count, std::uint32_t category) {
  std::vector<std::uint32_t> ids;
  for (auto [id, entry] : db.Transactions()) {
    if (ids.size() == count) break;
    if (entry->record.toAccount == 0 && entry->record.categoryId != category) ids.push_back(id);
  }
  return ids;
}

// An expense category of `db`, or 0.
std::uint32_t ExpenseCategory(CDataBase& db) {
  const std::vector<TBulkChoice> choices = SubTypeChoices(db, kExpenseRoot);
  return choices.empty() ? 0 : choices.back().id;
}

// Runs `change` over kChanged transactions of a fresh copy per iteration,
// counting the syncs of the timed part.
template <class Change>
void RunBulk(benchmark::State& state, const char* name, Change change) {
  const std::string path = LargeDatabase(kTransactions);
  const std::string copy = path + "." + name + ".vlt";
  SetClock(BenchToday());
  std::size_t syncs = 0;
  std::size_t stored = 0;
  for (auto _ : state) {
    state.PauseTiming();
    CopyDatabase(path, copy);
    CDataBase db;
    db.Open(copy);
    const std::uint32_t category = ExpenseCategory(db);
    const std::vector<std::uint32_t> ids = Expenses(db, kChanged, category);
    syncs = 0;
    SetWriteFaultHook([&syncs](const std::string&, const char* what) {
      if (std::strcmp(what, "cannot sync") == 0) ++syncs;
      return 0;
    });
    state.ResumeTiming();
    const TBulkResult result = change(db, ids, category);
    state.PauseTiming();
    SetWriteFaultHook(nullptr);
    stored = result.stored.size();
    if (!result.Complete(ids.size())) state.SkipWithError("the bulk change was not stored whole");
    db.Close();
    state.ResumeTiming();
  }
  std::remove(copy.c_str());
  state.counters["transactions"] = static_cast<double>(stored);
  state.counters["syncs"] = static_cast<double>(syncs);
}

void BM_BulkEditCategory10k(benchmark::State& state) {
  RunBulk(state, "bulkedit",
          [](CDataBase& db, const std::vector<std::uint32_t>& ids, std::uint32_t category) {
            TBulkChange change;
            change.category = category;
            return ApplyBulkEdit(db, kTransactionKind, ids, change);
          });
}
BENCHMARK(BM_BulkEditCategory10k)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BulkDelete10k(benchmark::State& state) {
  RunBulk(state, "bulkdelete",
          [](CDataBase& db, const std::vector<std::uint32_t>& ids, std::uint32_t) {
            return ApplyBulkDelete(db, kTransactionKind, ids);
          });
}
BENCHMARK(BM_BulkDelete10k)->Unit(benchmark::kMillisecond)->Iterations(3);

// Times Undo (then Redo, when `redo`) of the step `change` makes on a fresh
// copy per iteration. The day index is built first, as the window's first
// month view builds it, so that the undo keeps it in step as well.
template <class Change>
void RunUndo(benchmark::State& state, const char* name, bool redo, Change change) {
  const std::string path = LargeDatabase(kTransactions);
  const std::string copy = path + "." + name + ".vlt";
  SetClock(BenchToday());
  std::size_t records = 0;
  for (auto _ : state) {
    state.PauseTiming();
    CopyDatabase(path, copy);
    CDataBase db;
    db.Open(copy);
    TTransactionInterval::iterator first, last;
    db.SetInterval(BenchToday() - 30, BenchToday());
    db.GetTransactions(first, last);
    change(db);
    records = db.NextUndo() ? db.NextUndo()->journal.Ops().size() : 0;
    if (redo && !db.Undo()) state.SkipWithError("the step was not undone");
    state.ResumeTiming();
    if (!(redo ? db.Redo() : db.Undo())) state.SkipWithError("the step was not replayed");
    state.PauseTiming();
    db.GetTransactions(first, last);  // the window's next view merges the index
    db.Close();
    state.ResumeTiming();
  }
  std::remove(copy.c_str());
  state.counters["changes"] = static_cast<double>(records);
}

void BM_UndoDeleteOfOneTransaction(benchmark::State& state) {
  RunUndo(state, "undo-one", false,
          [](CDataBase& db) { db.DelTransaction(Expenses(db, 1, 0).front()); });
}
BENCHMARK(BM_UndoDeleteOfOneTransaction)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_UndoDeleteOfACategoryTree(benchmark::State& state) {
  RunUndo(state, "undo-tree", false, [](CDataBase& db) {
    for (auto [id, entry] : db.SubTypes())
      if (entry->record.parentId == kExpenseRoot) {
        db.DelSubType(id, true);
        break;
      }
  });
}
BENCHMARK(BM_UndoDeleteOfACategoryTree)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_UndoBulkDelete10k(benchmark::State& state) {
  RunUndo(state, "undo-bulk", false,
          [](CDataBase& db) { ApplyBulkDelete(db, kTransactionKind, Expenses(db, kChanged, 0)); });
}
BENCHMARK(BM_UndoBulkDelete10k)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RedoBulkDelete10k(benchmark::State& state) {
  RunUndo(state, "redo-bulk", true,
          [](CDataBase& db) { ApplyBulkDelete(db, kTransactionKind, Expenses(db, kChanged, 0)); });
}
BENCHMARK(BM_RedoBulkDelete10k)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
