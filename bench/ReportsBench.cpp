// The reports on the 1,000,000-transaction database over its ten years: the
// figures alone, and the reports window computing, drawing and painting
// each report.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtCharts/QChartView>

#include "BenchData.h"
#include "Reports.h"
#include "Unitreports.h"

namespace {

CDataBase* g_db = nullptr;
const TReportPeriod kTenYears{EncodeDate(2015, 1, 1), EncodeDate(2024, 12, 31)};

void BM_Figures(benchmark::State& state) {
  const auto kind = static_cast<TReportKind>(state.range(0));
  for (auto _ : state) {
    switch (kind) {
      case kReportCategories:
        benchmark::DoNotOptimize(ExpensesByCategory(*g_db, kTenYears).total);
        break;
      case kReportMonthly:
        benchmark::DoNotOptimize(IncomesAndExpensesByMonth(*g_db, kTenYears).net);
        break;
      case kReportBalance:
        benchmark::DoNotOptimize(BalanceOverTime(*g_db, kTenYears).accounts.size());
        break;
      case kReportMembers:
      case kReportSections:
        benchmark::DoNotOptimize(ExpensesByMemberAndSection(*g_db, kTenYears).total);
        break;
      default:
        benchmark::DoNotOptimize(BudgetAgainstSpending(*g_db).accounts.size());
    }
  }
}
BENCHMARK(BM_Figures)->DenseRange(0, kReportCount - 1)->Unit(benchmark::kMillisecond);

// Choosing a report in the window: its figures, its chart and table, and
// one paint of the chart.
void BM_WindowShowsReport(benchmark::State& state) {
  TFormReports window;
  window.resize(1000, 640);
  window.Prepare(*g_db, kTenYears.from, kTenYears.to);
  window.show();
  auto* list = window.findChild<QListWidget*>("AccountsList");
  auto* box = window.findChild<QChartView*>("ReportBox");
  const int row = static_cast<int>(state.range(0));
  for (auto _ : state) {
    // Away and back, so that the report is computed again.
    state.PauseTiming();
    list->setCurrentRow(row == 0 ? 1 : 0);
    QCoreApplication::processEvents();
    state.ResumeTiming();
    list->setCurrentRow(row);
    benchmark::DoNotOptimize(box->grab().width());
  }
}
BENCHMARK(BM_WindowShowsReport)->DenseRange(0, kReportCount - 1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir home;
  setenv("XDG_CONFIG_HOME", home.path().toUtf8().constData(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  SetClock(BenchToday());
  CDataBase db;
  if (!db.Open(LargeDatabase(1000000))) return 1;
  g_db = &db;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
