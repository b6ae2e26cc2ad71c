// TFormEditAccount: the name, currency and comment of one account and its
// optional budget (a sum for the expenses between two days).
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <cstdint>

#include "AccountsLogic.h"
#include "Omrindb.h"

class TFormEditAccount : public QDialog {
  Q_OBJECT

 public:
  explicit TFormEditAccount(QWidget* parent = nullptr);

  // Edits account `accountId` when it is 101 or more, else creates a new
  // one. Answers the id of the stored account on OK, 0 on Cancel. When the
  // database does not store it, or the budget's days are reversed, the user
  // is told and the window stays open with the input.
  std::uint32_t Execute(CDataBase& database, std::uint32_t accountId);

 private slots:
  void EdNameChange();
  void CBBudgetEnabledClick();
  void BtOkClick();

 private:
  // The controls, each named by its objectName.
  QLabel* LbName = nullptr;
  QLineEdit* EdName = nullptr;
  QLabel* LbCurrency = nullptr;
  QComboBox* CBCurrency = nullptr;
  QLabel* LbComment = nullptr;
  QPlainTextEdit* MComment = nullptr;
  QCheckBox* CBBudgetEnabled = nullptr;
  QLabel* LbFromDate = nullptr;
  QDateEdit* EdFromDate = nullptr;
  QLabel* LbToDate = nullptr;
  QDateEdit* EdToDate = nullptr;
  QLabel* LbSum = nullptr;
  QLineEdit* EdSum = nullptr;
  QPushButton* BtOk = nullptr;
  QPushButton* BtCancel = nullptr;

  // What the budget controls hold now.
  TBudgetInput BudgetInput() const;

  CDataBase* db_ = nullptr;    // during Execute; not owned
  CAccountItem item_;          // the account as loaded (empty for a new one)
  TCurrencyItems currencies_;  // CBCurrency's entries, in its order
  QString filledName_;         // what EdName and MComment were filled with
  QString filledComment_;
  TBudgetInput filledBudget_;  // what the budget controls were filled with
  std::uint32_t storedId_ = 0;
  QString textReversedBudget_;  // told when the budget's days are reversed
};
