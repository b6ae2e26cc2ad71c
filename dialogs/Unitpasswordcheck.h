// TFormPasswordCheck: asks for the password of a protected database.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>

#include "Omrindb.h"

class TFormPasswordCheck : public QDialog {
  Q_OBJECT

 public:
  explicit TFormPasswordCheck(QWidget* parent = nullptr);

  // Asks for the password of file `fileName`; true on OK, with the answer
  // in `password` (the bytes to compare with CDataBase::GetPassword).
  bool Execute(const std::string& fileName, std::string& password);

  // Lets the user into the open `database`: a database without a password
  // passes at once; otherwise asks until the answer matches, showing
  // `invalidText` after each wrong one. False when the user cancelled.
  static bool Unlock(QWidget* parent, CDataBase& database, const std::string& invalidText);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // The controls, each named by its objectName.
  QLabel* LbFileName = nullptr;
  QLabel* LbPassword = nullptr;
  QLineEdit* EdPassword = nullptr;
  QPushButton* BtOk = nullptr;
  QPushButton* BtCancel = nullptr;
};
