// TFormBulkEdit: gives the selected transactions one category, family
// member, section or account; a field left at "(leave as it is)" keeps
// each transaction's own value.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <set>
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

  // Chooses a category, member and section for rows not yet stored (an
  // import's): `roots` are the category roots of their kinds, `check`
  // tells why rows cannot take a choice (the dialog then stays). True with
  // `change` on OK with a choice.
  using TCheck = std::function<std::vector<TBulkRefused>(const TBulkChange&)>;
  bool Choose(CDataBase& db, const std::set<std::uint32_t>& roots, std::size_t rows,
              const TCheck& check, TBulkChange& change);

  // The change the boxes show now.
  TBulkChange Change() const;

 private:
  void BtOkClick();
  // Fills the boxes with the choices for categories under `roots` (and the
  // accounts when `accounts`).
  void Fill(CDataBase& db, const std::set<std::uint32_t>& roots, bool accounts);

  CDataBase* FDb = nullptr;
  int FKind = kTransactionKind;
  std::vector<std::uint32_t> FIds;
  TBulkResult FResult;
  TCheck FCheck;  // set while choosing for rows not yet stored

  QLabel* LbHint = nullptr;
  QComboBox* CBCategory = nullptr;
  QComboBox* CBMember = nullptr;
  QComboBox* CBSection = nullptr;
  QComboBox* CBAccount = nullptr;
  class QFormLayout* FForm = nullptr;
  QPushButton* BtOk = nullptr;
  QPushButton* BtCancel = nullptr;
};
