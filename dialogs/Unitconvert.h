// TFormConvert: a new database made from another program's books. Shows
// what comes over (every account with the balance the source implies, the
// numbers of categories and transactions, what stays behind and why), lets
// the user name the new database and the currency of accounts the source
// names none for, stores it, and then shows every account's stored balance
// beside the source's.
#pragma once

#include <QDialog>
#include <string>

#include "Convert.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

class TFormConvert : public QDialog {
  Q_OBJECT

 public:
  explicit TFormConvert(QWidget* parent = nullptr);

  // Shows `book`, read from the file `source`, for a new database in
  // `folder`. The new database's path when it was stored with every
  // balance equal to the source's; empty otherwise.
  std::string Execute(const CForeignBook& book, const std::string& source,
                      const std::string& folder);

  void BtCreateClick();

 private:
  void ShowAccounts(const std::vector<CAccountCheck>& accounts, bool stored);

  const CForeignBook* FBook = nullptr;  // during Execute
  std::string FFolder, FResult;

  // The controls, each named by its objectName.
  QLabel* LbSummary = nullptr;
  QTableWidget* AccountsGrid = nullptr;
  QLabel* LbNotImported = nullptr;
  QComboBox* CBCurrency = nullptr;
  QLineEdit* EdFileName = nullptr;
  QLabel* LbResult = nullptr;
  QPushButton* BtCreate = nullptr;
  QPushButton* BtCancel = nullptr;
};

// Asks for a file of another program, reads it (asking the order of day and
// month when its dates do not tell) and shows it in TFormConvert. The new
// database's path, or empty.
std::string ConvertFromAnotherProgram(QWidget* parent, const std::string& folder);
