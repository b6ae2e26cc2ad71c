// TFormExport: collects what to write to a delimited text file (the file,
// the separator, the interval, the kind of transactions, the account, the
// category and the fields) and writes it. The window is kept for the whole
// run and keeps its choices between uses; they are stored in the settings
// too, and read back when the window is made.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <array>
#include <cstdint>
#include <string>

#include "ExportLogic.h"
#include "Omrindb.h"
#include "SeparatorGroup.h"

class TFormExport : public QDialog {
  Q_OBJECT

 public:
  explicit TFormExport(QWidget* parent = nullptr);

  // Shows the window on the interval begin..end (whole days) of `database`.
  // True when a file was written.
  bool Execute(CDataBase& database, const QPixmap& linesImage, Date begin, Date end);

  // The month names LbCurrentDate shows (January first); the regional
  // names until set.
  void SetMonthNames(const std::array<std::string, 12>& names) { FMonthNames = names; }

  // The interval the window will export.
  Date IntervalBegin() const { return FBegin; }
  Date IntervalEnd() const { return FEnd; }
  // The choices the controls show.
  TExportChoices Choices() const;

 protected:
  // Closing the window in any way keeps its choices in the settings.
  void done(int result) override;

 private slots:
  void SeparatorClick();
  void BtBrowseClick();
  void BtPrevMonthClick();
  void BtNextMonthClick();
  void BtCalendarClick();
  void BtSelCategoryClick();
  void BtClrCategoryClick();
  void BtExportClick();

 private:
  void CreateControls();
  QWidget* CreateFileTab();
  QWidget* CreateTransactionsTab();
  QWidget* CreateFieldsTab();
  void ShowChoices(const TExportChoices& choices);
  void FillAccounts();
  // Enables what the chosen file format uses (QIF: every transaction of the
  // period and account, no separator, fields or filters).
  void FormatChanged();
  void ShowInterval();
  void SetCategory(std::uint32_t id);
  bool eventFilter(QObject* watched, QEvent* event) override;

  CDataBase* FDb = nullptr;  // during Execute
  QPixmap FLines;
  TAccountItems FAccounts;        // the account list's entries after "all accounts"
  std::uint32_t FCategory = 0;    // 0 = every category
  std::string FNoCategoryText;    // shown in EdType without a category
  Date FBegin = 0.0, FEnd = 0.0;  // the interval, whole days
  std::array<std::string, 12> FMonthNames;

  // The controls, each named by its objectName.
  QTabWidget* PageControl = nullptr;
  QGroupBox* GBFileFormat = nullptr;
  QRadioButton* RbFormatText = nullptr;
  QRadioButton* RbFormatQif = nullptr;
  QGroupBox* GBSeparator = nullptr;
  QRadioButton* RbSeparator1 = nullptr;
  QRadioButton* RbSeparator2 = nullptr;
  QRadioButton* RbSeparator3 = nullptr;
  QRadioButton* RbSeparatorCustom = nullptr;
  QLineEdit* EdSeparator = nullptr;
  TSeparatorControls FSeparator;  // the controls above, with their rules
  QGroupBox* GBFileName = nullptr;
  QLineEdit* EdFileName = nullptr;
  QPushButton* BtBrowse = nullptr;
  QGroupBox* GBInterval = nullptr;
  QLabel* LbCurrentDate = nullptr;
  QToolButton* BtPrevMonth = nullptr;
  QToolButton* BtNextMonth = nullptr;
  QPushButton* BtCalendar = nullptr;
  QRadioButton* RbExpenses = nullptr;
  QRadioButton* RbIncomes = nullptr;
  QRadioButton* RbAll = nullptr;
  QComboBox* CBAccounts = nullptr;
  QLineEdit* EdType = nullptr;
  QPushButton* BtSelCategory = nullptr;
  QPushButton* BtClrCategory = nullptr;
  QCheckBox* CBSubTypes = nullptr;
  QListWidget* LBFields = nullptr;
  QComboBox* CBDateFormat = nullptr;
  QComboBox* CBDecimal = nullptr;
  QPushButton* BtExport = nullptr;
  QPushButton* BtCancel = nullptr;
};
