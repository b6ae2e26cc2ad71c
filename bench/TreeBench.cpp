// The transaction tree: full and incremental builds of a month with 5,000
// transactions in 60 categories, grouping by name on, and sorting it.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QTreeWidget>
#include <filesystem>

#include "Node.h"

namespace {

struct MonthData {
  std::string path = (std::filesystem::temp_directory_path() / "pardow-tree-bench.vlt").string();
  CDataBase db;
  MonthData() {
    SetClock(EncodeDate(2024, 6, 30));
    db.Create(path);
    db.SetInterval(EncodeDate(2024, 6, 1), EncodeDate(2024, 6, 30));
    std::vector<std::uint32_t> categories;
    for (int i = 0; i < 60; ++i) {
      CSubTypeItem s;
      s.name = "Category " + std::to_string(i);
      s.record.parentId = i < 10 ? kExpenseRoot : categories[i % 10];
      categories.push_back(db.AddSubType(s));
    }
    for (int i = 0; i < 5000; ++i) {
      CTransactionItem t;
      t.description = "Item " + std::to_string(i % 400);  // names repeat: groups form
      t.record.date = EncodeDate(2024, 6, 1 + i % 30);
      t.record.fromAccount = 103;
      t.record.categoryId = categories[i % 60];
      t.record.amountOut = t.record.amountIn = 10000 + i;
      db.AddTransaction(t);
    }
  }
};

MonthData& Data() {
  static MonthData data;
  return data;
}

void BM_FullBuildAndTotals(benchmark::State& state) {
  QTreeWidget widget;
  CTransactionsTree tree(&widget, Data().db, "Incomings", "Expenses");
  for (auto _ : state) {
    TTransactionInterval::iterator first, last;
    Data().db.GetTransactions(first, last);
    tree.BuildForAccount(first, last, 103, true, false);
  }
  state.counters["items"] = static_cast<double>(widget.topLevelItem(1)->childCount());
}
BENCHMARK(BM_FullBuildAndTotals)->Unit(benchmark::kMillisecond);

void BM_IncrementalRebuild(benchmark::State& state) {
  QTreeWidget widget;
  CTransactionsTree tree(&widget, Data().db, "Incomings", "Expenses");
  TTransactionInterval::iterator first, last;
  Data().db.GetTransactions(first, last);
  tree.BuildForAccount(first, last, 103, true, false);
  for (auto _ : state) {
    Data().db.GetTransactions(first, last);
    tree.BuildForAccount(first, last, 103, false, false);
  }
}
BENCHMARK(BM_IncrementalRebuild)->Unit(benchmark::kMillisecond);

// One header click after another: by sum, then by name, each direction.
void BM_SortBySumAndName(benchmark::State& state) {
  CNodeTreeControl widget;
  CTransactionsTree tree(&widget, Data().db, "Incomings", "Expenses");
  TTransactionInterval::iterator first, last;
  Data().db.GetTransactions(first, last);
  tree.BuildForAccount(first, last, 103, true, false);
  tree.ResolveNames();
  bool descending = false;
  for (auto _ : state) {
    SortTree(tree, {ColSum, descending});
    SortTree(tree, {ColDescription, descending});
    descending = !descending;
  }
}
BENCHMARK(BM_SortBySumAndName)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove(Data().path);
  return 0;
}
