// TFormDBSettings: sets or removes the password of the open database.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <string>

#include "Omrindb.h"

class TFormDBSettings : public QDialog {
  Q_OBJECT

 public:
  explicit TFormDBSettings(QWidget* parent = nullptr);

  // Shows the password of the open `database` ("Enabled" checked when it has
  // one) and stores the new one on OK. Answers true when a change was
  // stored; a store that fails is shown and the window stays open with the
  // old password kept.
  bool Execute(CDataBase& database);

 private slots:
  void CBPasswordEnableClick();
  void BtOKClick();

 private:
  CDataBase* FDataBase = nullptr;
  std::string FMismatch;  // the message of two different boxes

  // The controls, each named by its objectName.
  QTabWidget* PageControl = nullptr;
  QWidget* TabSecurity = nullptr;
  QGroupBox* GBPasswordCheck = nullptr;
  QCheckBox* CBPasswordEnable = nullptr;
  QLabel* LbPassword = nullptr;
  QLineEdit* EdPassword = nullptr;
  QLabel* LbConfirm = nullptr;
  QLineEdit* EdConfirm = nullptr;
  QLabel* LbPasswordNote = nullptr;
  QPushButton* BtOK = nullptr;
  QPushButton* BtCancel = nullptr;
};
