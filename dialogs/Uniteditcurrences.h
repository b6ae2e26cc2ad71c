// TFormEditCurrency: the full name and the short name of one currency.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdint>

#include "Omrindb.h"

class TFormEditCurrency : public QDialog {
  Q_OBJECT

 public:
  explicit TFormEditCurrency(QWidget* parent = nullptr);

  // Edits currency `currencyId` when it is 101 or more, else creates a new
  // one. Answers the id of the stored currency on OK, 0 on Cancel. When the
  // database does not store it, the user is told and the window stays open
  // with the input.
  std::uint32_t Execute(CDataBase& database, std::uint32_t currencyId);

 private slots:
  void EdNameChange();
  // Stores the currency and closes; tells the user when it was not stored.
  void BtOkClick();

 private:
  // The controls, each named by its objectName.
  QLabel* LbFullName = nullptr;
  QLineEdit* EdFullName = nullptr;
  QLabel* LbName = nullptr;
  QLineEdit* EdName = nullptr;
  QPushButton* BtOk = nullptr;
  QPushButton* BtCancel = nullptr;

  CDataBase* db_ = nullptr;  // during Execute; not owned
  CCurrencyItem item_;       // the currency being edited or added
  std::uint32_t storedId_ = 0;
  QString captionEdit_;  // the caption for an existing currency
  QString captionAdd_;   // ... and for a new one
};
