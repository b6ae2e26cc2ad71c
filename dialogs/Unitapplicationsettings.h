// TFormApplicationSettings: the preferences of the application rather than
// of a database: how many quick-expense templates the menu lists, whether
// empty categories are shown, how many automatic backups are kept, and the
// user-interface language.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <string>

class TFormApplicationSettings : public QDialog {
  Q_OBJECT

 public:
  explicit TFormApplicationSettings(QWidget* parent = nullptr);

  // Fills the controls from the settings and shows the window. True when it
  // closed with OK, the settings then stored; a store that fails is shown
  // and the window stays open.
  bool Execute();

 private slots:
  void TBQuickExpensesChange(int position);
  void BtOkClick();

 private:
  // The language files of the program (their folder is the application-data
  // folder's Lang/), by name.
  void FillLanguages();

  std::string FLocaleFileName;   // as read when the window was shown
  int FStoredQuickExpenses = 0;  // the quick-expense count read then
  int FStoredBackupsKept = 0;    // the backup settings read then
  int FStoredBackupsSizeLimit = 0;

  // The controls, each named by its objectName.
  QTabWidget* PageControl = nullptr;
  QWidget* GeneralTab = nullptr;
  QLabel* LbMaxQuickExpenses = nullptr;
  QSlider* TBQuickExpenses = nullptr;
  QLabel* LbQuickExpensesVal = nullptr;
  QCheckBox* CbEmptyCategories = nullptr;
  QGroupBox* GBBackups = nullptr;
  QLabel* LbBackupsKept = nullptr;
  QSpinBox* SpBackupsKept = nullptr;
  QLabel* LbBackupsSizeLimit = nullptr;
  QSpinBox* SpBackupsSizeLimit = nullptr;
  QLabel* LbBackupFolder = nullptr;
  QWidget* LanguageTab = nullptr;
  QListWidget* LanguagesList = nullptr;
  QPushButton* BtOk = nullptr;
  QPushButton* BtCancel = nullptr;
};
