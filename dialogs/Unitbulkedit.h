// TFormBulkEdit: gives the selected transactions one category, family
// member, section or account; a field left at "(leave as it is)" keeps
// each transaction's own value.
#pragma once

#include <QDialog>
#include <cstdint>
#include <vector>

#include "BulkEditLogic.h"
#include "Omrindb.h"

class QComboBox;
class QLabel;
class QPushButton;

class TFormBulkEdit : public QDialog {
  Q_OBJECT

 public:
  explicit TFormBulkEdit(QWidget* parent = nullptr);

  // Shows the choices for transactions `ids` of `kind` (204 or 205). On OK
  // the change is checked against every transaction: one that cannot take
  // it is told to the user and the dialog stays; otherwise the change is
  // stored for all of them in one batch and a failed write is told. True
  // when something was written (`result` says what); false on Cancel or
  // an OK without a choice.
  bool Execute(CDataBase& db, int kind, const std::vector<std::uint32_t>& ids, TBulkResult& result);

  // The change the boxes show now.
  TBulkChange Change() const;

 private:
  void BtOkClick();

  CDataBase* FDb = nullptr;
  int FKind = kTransactionKind;
  std::vector<std::uint32_t> FIds;
  TBulkResult FResult;

  QLabel* LbHint = nullptr;
  QComboBox* CBCategory = nullptr;
  QComboBox* CBMember = nullptr;
  QComboBox* CBSection = nullptr;
  QComboBox* CBAccount = nullptr;
  QPushButton* BtOk = nullptr;
  QPushButton* BtCancel = nullptr;
};
