// TFormReports: charts of the open database over a period: expenses by
// category (a donut that opens into subcategories), incomes against expenses
// by month, account balances over time with a forecast, expenses by family
// member and by section, and budgets against spending. Each report also has
// a table of the same figures; a report can be printed or saved as PDF or PNG.
// The figures come from the reporting unit (Reports.h), in the base currency
// of the summary.
#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QtCharts/QChartView>
#include <array>
#include <string>

#include "ReportsLogic.h"

class QPieSlice;
class QPainter;

class TFormReports : public QDialog {
  Q_OBJECT

 public:
  explicit TFormReports(QWidget* parent = nullptr);
  ~TFormReports() override;

  // Shows the reports of `db` over begin..end until the user closes the
  // window. The period the window moves to is its own: the main window's
  // working interval stays as it was.
  void Execute(CDataBase& db, Date begin, Date end);
  // Execute's first step: takes the database and the period and draws the
  // selected report, without showing the window.
  void Prepare(CDataBase& db, Date begin, Date end);

  // Saves what the current tab shows: a file ending in .pdf as a one-page
  // PDF document, any other as a picture in the format its suffix names
  // (PNG when it names none). False when the file was not written.
  bool SaveReport(const QString& path);

  TReportKind CurrentReport() const;
  Date PeriodBegin() const { return FBegin; }
  Date PeriodEnd() const { return FEnd; }

  // The handlers of the controls.
  void BtPrevMonthClick();
  void BtNextMonthClick();
  void BtCalendarClick();
  void AccountsListClick();
  void BtBackClick();
  void BtPrintClick();
  void BtSaveClick();

 private:
  void CreateControls();
  void ApplyLanguage();
  void SetPeriod(Date begin, Date end);
  // Recomputes the selected report's figures and draws them.
  void ShowReport();
  // Draws the figures already computed (after a drill or a change of the
  // shown accounts).
  void DrawReport();
  void DrawCategories();
  void DrawMonthly();
  void DrawBalance();
  void DrawSubtypes(bool members);
  void DrawBudget();
  void FillTable(const TReportTable& table);
  // Puts `chart` into ReportBox, replacing (and deleting) the one before.
  void SetChart(class QChart* chart, const QString& title);
  void FillAccountsMenu();
  void SliceClicked(QPieSlice* slice);
  // Paints what the current tab shows into `page` under a heading with the
  // report's title and period.
  void PaintReport(QPainter& painter, const QRect& page);
  QString Amount(Money amount) const;

  // State: the report tag, the period's first and last day, the month names.
  std::int32_t FTag = 0;
  Date FBegin = 0.0;
  Date FEnd = 0.0;
  std::array<std::string, 12> FMonthNames;

  CDataBase* FDataBase = nullptr;  // handed in, never owned
  TReportTexts FTexts;
  std::string FTransfersNote;                 // what transfers count as, UTF-8
  std::string FCurrencyName;                  // the base currency's short name, UTF-8
  std::uint32_t FDrill = 0;                   // the category the donut shows the inside of
  std::vector<TSlice> FSlices;                // the donut's slices as drawn
  std::vector<std::uint32_t> FShownAccounts;  // balance lines (0: the total)
  TCategoryReport FCategories;
  TMonthlyReport FMonthly;
  TBalanceReport FBalance;
  TMembersReport FMembers;
  TBudgetReport FBudget;

  // The controls, each named by its objectName.
  QWidget* DatePanel = nullptr;
  QToolButton* BtPrevMonth = nullptr;
  QToolButton* BtCalendar = nullptr;
  QToolButton* BtNextMonth = nullptr;
  QGroupBox* GBCurrentDate = nullptr;
  QLabel* LbCurrentDate = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* ReportsTab = nullptr;
  QListWidget* AccountsList = nullptr;
  QTabWidget* TabControl1 = nullptr;
  QChartView* ReportBox = nullptr;
  QTableWidget* ReportTable = nullptr;
  QTabWidget* TabControl2 = nullptr;
  QLabel* LbReportTitle = nullptr;
  class CFittingLabel* LbTransfers = nullptr;
  QToolButton* BtBack = nullptr;
  QToolButton* BtAccounts = nullptr;
  QToolButton* BtPrint = nullptr;
  QToolButton* BtSave = nullptr;
};
