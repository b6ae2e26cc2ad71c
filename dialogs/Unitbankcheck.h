// TFormBankCheck: one account set against the bank's balance for a day. The
// window shows the books' balance at the end of the day, the difference and
// the account's transactions since the last agreed day; Check remembers a
// check that comes out even in the companion file.
#pragma once

#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdint>
#include <string>

#include "BankCheck.h"
#include "Omrindb.h"

class TFormBankCheck : public QDialog {
  Q_OBJECT

 public:
  explicit TFormBankCheck(QWidget* parent = nullptr);

  // Checks account `accountId` of `database`, starting on `day`. True when
  // an agreed check was remembered. A check that could not be remembered is
  // shown to the user and the window stays open with the input.
  bool Execute(CDataBase& database, std::uint32_t accountId, Date day);

 private slots:
  void EdDateChange();
  void EdBankChange();
  void BtCheckClick();

 private:
  // Shows the books' balance, the difference and the transactions for the
  // day and amount the controls hold.
  void ShowCheck();
  // Shows the difference for the amount the bank box holds.
  void ShowDifference();

  // The controls, each named by its objectName.
  QLabel* LbAccount = nullptr;
  QLabel* LbDate = nullptr;
  QDateEdit* EdDate = nullptr;
  QLabel* LbBank = nullptr;
  QLineEdit* EdBank = nullptr;
  QLabel* LbBooks = nullptr;
  QLabel* LbBooksValue = nullptr;
  QLabel* LbDifference = nullptr;
  QLabel* LbDifferenceValue = nullptr;
  QLabel* LbSince = nullptr;
  QTreeWidget* LvSince = nullptr;
  QLabel* LbResult = nullptr;
  QPushButton* BtCheck = nullptr;
  QPushButton* BtClose = nullptr;

  CDataBase* db_ = nullptr;  // during Execute; not owned
  std::uint32_t account_ = 0;
  std::string currency_;  // the account currency's short name
  CCompanion companion_;  // the agreed checks as last read
  CBankCheck check_;      // what the window shows
  bool remembered_ = false;
  // Texts from the language file.
  std::string textSinceAgreed_, textSinceStart_, textAgreed_, textDiffers_, textNotRemembered_;
};
