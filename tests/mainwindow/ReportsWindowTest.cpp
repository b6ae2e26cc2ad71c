// The reports window: opened from the main window on its working interval,
// switching reports and periods with every text in the language file, and
// each report of the demo database drawn and saved.
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QTabWidget>
#include <QTableWidget>
#include <QtCharts/QChartView>
#include <QtCharts/QPieSeries>

#include "Include.h"
#include "Localizationkit.h"
#include "MainWindowFixture.h"
#include "Unitreports.h"

namespace {

QChart* ChartOf(QWidget* window) {
  return Find<QChartView>(window, "ReportBox")->chart();
}

TEST_F(MainWindow, ReportsOpenOnTheWorkingIntervalAndKeepItsOwnPeriod) {
  MakeDemo(DataPath("demo2.vlt"));
  TFormMain form;
  Start(form);
  bool shown = false;
  OnModalOf<TFormReports>(
      [&](TFormReports& w) {
        shown = true;
        EXPECT_EQ(w.PeriodBegin(), EncodeDate(2006, 9, 1));
        EXPECT_EQ(w.PeriodEnd(), EncodeDate(2006, 9, 30));
        EXPECT_EQ(::Find<QLabel>(&w, "LbCurrentDate")->text(), "September, 2006");
        auto* list = ::Find<QListWidget>(&w, "AccountsList");
        ASSERT_EQ(list->count(), kReportCount);
        for (int row = 0; row < list->count(); ++row) {
          list->setCurrentRow(row);
          EXPECT_EQ(w.CurrentReport(), row);
          ASSERT_NE(ChartOf(&w), nullptr);
          EXPECT_FALSE(ChartOf(&w)->series().isEmpty()) << row;
          EXPECT_FALSE(ChartOf(&w)->title().isEmpty()) << row;
        }
        // Food: 30 from Cash and 50 euros (100 dollars) from the euro card.
        list->setCurrentRow(kReportCategories);
        auto* table = ::Find<QTableWidget>(&w, "ReportTable");
        ASSERT_EQ(table->rowCount(), 2);  // Food and the total
        EXPECT_EQ(table->item(0, 0)->text(), "Food");
        EXPECT_EQ(table->item(0, 1)->text(), "130.00 $");
        Click(::Find<QToolButton>(&w, "BtNextMonth"));
        EXPECT_EQ(::Find<QLabel>(&w, "LbCurrentDate")->text(), "October, 2006");
        EXPECT_TRUE(ChartOf(&w)->title().contains("No figures"))
            << ChartOf(&w)->title().toStdString();
        Click(::Find<QToolButton>(&w, "BtPrevMonth"));
        Click(::Find<QToolButton>(&w, "BtPrevMonth"));
        EXPECT_EQ(w.PeriodBegin(), EncodeDate(2006, 8, 1));
        w.reject();
      },
      &form);
  Click(Find<QToolButton>(form, "BtReports"));
  EXPECT_TRUE(shown);
  // The main window's interval is its own.
  EXPECT_EQ(Find<QLabel>(form, "LbCurrentDate")->text(), "September, 2006");
  const auto& missing = GetLocalizationKit()->GetMissingTexts();
  for (const auto& [id, text] : missing) ADD_FAILURE() << id << " = \"" << text << "\"";
}

// The demo database of 15 March 2026, made by pardow-cli.
class DemoReports : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    SetClock(EncodeDate(2026, 3, 15) + 0.5);
    file = dir.path().toStdString() + "/demo.vlt";
    QProcess cli;
    cli.start(PARDOW_CLI, {"--today", "2026-03-15", "demo", QString::fromStdString(file)});
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0);
    ASSERT_TRUE(db.Open(file));
  }
  std::string file;
  CDataBase db;
};

TEST_F(DemoReports, EveryReportDrawsTheDemoAndSavesAsPictureAndPdf) {
  TFormReports w;
  w.Prepare(db, EncodeDate(2026, 3, 1), EncodeDate(2026, 3, 31));
  w.show();
  auto* list = ::Find<QListWidget>(&w, "AccountsList");
  auto* tabs = ::Find<QTabWidget>(&w, "TabControl1");
  const QString preview = qEnvironmentVariable("PARDOW_PREVIEW_DIR");
  for (int row = 0; row < list->count(); ++row) {
    list->setCurrentRow(row);
    QCoreApplication::processEvents();
    EXPECT_FALSE(ChartOf(&w)->title().contains("No figures")) << row;
    EXPECT_GT(::Find<QTableWidget>(&w, "ReportTable")->rowCount(), 0) << row;
    // The reports that leave transfers out say so; balances and budgets count them.
    EXPECT_EQ(::Find<QLabel>(&w, "LbTransfers")->isVisible(),
              row != kReportBalance && row != kReportBudget)
        << row;
    // A saved picture carries the report's title and period above what the tab shows.
    const QString saved = dir.path() + QStringLiteral("/saved-%1.png").arg(row);
    ASSERT_TRUE(w.SaveReport(saved));
    const QImage picture(saved);
    const QWidget* shown = tabs->currentWidget();
    EXPECT_GT(picture.height(), shown->height() + 30) << row;
    int ink = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < picture.width() / 2; ++x) ink += qGray(picture.pixel(x, y)) < 100;
    EXPECT_GT(ink, 50) << "the title is drawn: " << row;
    if (preview.isEmpty()) continue;
    for (int tab : {0, 1}) {
      tabs->setCurrentIndex(tab);
      const QString name =
          QStringLiteral("/report-%1%2.png").arg(row).arg(tab == 0 ? "" : "-table");
      EXPECT_TRUE(w.SaveReport(preview + name));
    }
    tabs->setCurrentIndex(0);
    EXPECT_TRUE(w.grab().save(preview + QStringLiteral("/reports-window-%1.png").arg(row)));
  }
  // Opening a category shows its subcategories; Back returns.
  list->setCurrentRow(kReportCategories);
  auto* pie = qobject_cast<QPieSeries*>(ChartOf(&w)->series().value(0));
  ASSERT_NE(pie, nullptr);
  const int topSlices = static_cast<int>(pie->count());
  emit pie->clicked(pie->slices().first());  // the largest: Home, with subcategories
  QCoreApplication::processEvents();
  EXPECT_TRUE(::Find<QToolButton>(&w, "BtBack")->isEnabled());
  EXPECT_TRUE(ChartOf(&w)->title().contains(": ")) << ChartOf(&w)->title().toStdString();
  if (!preview.isEmpty()) {
    EXPECT_TRUE(w.SaveReport(preview + "/report-0-drilled.png"));
  }
  Click(::Find<QToolButton>(&w, "BtBack"));
  auto* top = qobject_cast<QPieSeries*>(ChartOf(&w)->series().value(0));
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->count(), topSlices);
  EXPECT_FALSE(::Find<QToolButton>(&w, "BtBack")->isEnabled());

  const QString pdf = dir.path() + "/report.pdf";
  EXPECT_TRUE(w.SaveReport(pdf));
  EXPECT_TRUE(QFile(pdf).size() > 1000);
  EXPECT_FALSE(w.SaveReport(dir.path() + "/no-such-folder/report.png"));
}

}  // namespace
