// The program's start on the 1,000,000-transaction database: from the
// window's construction to "Ready", and one month step to "Ready".
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "BenchData.h"
#include "Include.h"
#include "Settingsstorage.h"
#include "Unitmain.h"

namespace {

std::string g_path;  // a copy of the large database the window may change

void WaitUntilReady(TFormMain& form) {
  while (form.StatusText() != QString::fromUtf8(form.Text(kTextReady).c_str()))
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void BM_StartToReady(benchmark::State& state) {
  for (auto _ : state) {
    TFormMain form;
    form.show();
    WaitUntilReady(form);
    state.PauseTiming();
    form.close();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartToReady)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MonthStep(benchmark::State& state) {
  TFormMain form;
  form.show();
  WaitUntilReady(form);
  // From the month before the one shown: the shown one can be the month of
  // "today", after the book's last day, and steps between a full month and
  // an empty one would measure half the work.
  form.BtPrevMonthClick();
  WaitUntilReady(form);
  int direction = -1;
  for (auto _ : state) {
    if (direction < 0)
      form.BtPrevMonthClick();
    else
      form.BtNextMonthClick();
    direction = -direction;
    WaitUntilReady(form);
  }
  TTransactionInterval::iterator first, last;
  form.DataBase().GetTransactions(first, last);
  state.counters["transactions_in_month"] = static_cast<double>(last - first);
  form.close();
}
BENCHMARK(BM_MonthStep)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir home;
  setenv("XDG_CONFIG_HOME", home.path().toUtf8().constData(), 1);
  setenv("U3_APP_DATA_PATH", home.path().toUtf8().constData(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  SetClock(BenchToday());
  g_path = home.path().toStdString() + "/large.vlt";
  CopyDatabase(LargeDatabase(1000000), g_path);
  {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Omrin", "Pardow");
    settings.setValue("LastOpened", QString::fromStdString(g_path));
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
