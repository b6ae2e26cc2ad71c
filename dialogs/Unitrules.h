// TFormRules: the categorizing rules of the open database in their order
// (the first that matches a transaction wins). Each change of the list is
// saved to the file kept beside the database at once. "Apply to
// transactions..." gives the stored expenses and incomes of a period what
// the rules set, in one batch, and Undo takes that whole change back.
#pragma once

#include <QDialog>
#include <cstdint>
#include <vector>

#include "Omrindb.h"
#include "RuleChanges.h"
#include "RulesLogic.h"

class QDateEdit;
class QLabel;
class QPushButton;
class QTreeWidget;

// Opens the rule editor on `prefilled` (a new rule, e.g. RuleFromRow); on
// OK appends the rule to the rules of `db` and saves them. True only when it
// was stored (then `made`, when given, receives it with its id); a failed
// save is shown to the user.
bool MakeRuleFromRow(QWidget* parent, CDataBase& db, const CImportRule& prefilled,
                     CImportRule* made = nullptr);

class TFormRules : public QDialog {
  Q_OBJECT

 public:
  explicit TFormRules(QWidget* parent = nullptr);

  // Shows the rules of `db`; from..to is the period Apply offers first.
  // True when transactions were changed (by an apply, even one undone).
  bool Execute(CDataBase& db, Date from, Date to);

  // The rules as the list shows them (as stored).
  const std::vector<CImportRule>& Rules() const { return FRules; }

 signals:
  // Stored transactions were changed (an apply or its undo).
  void TransactionsChanged();

 public slots:
  void BtAddClick();
  void BtEditClick();
  void BtDeleteClick();
  void BtUpClick();
  void BtDownClick();
  void BtApplyClick();
  void BtUndoClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Reads the rules from the file and shows them, rule `select` current.
  void LoadRules(std::uint32_t select);
  // Tells a failed save with `error`; the list shows what is stored.
  void Saved(bool saved, const std::string& error, std::uint32_t select);
  std::uint32_t CurrentId() const;
  void EnableButtons();

  CDataBase* FDb = nullptr;  // during Execute; not owned
  std::vector<CImportRule> FRules;
  std::vector<CRuleChange> FLastApply;  // what Undo takes back
  bool FChanged = false;

 public:
  // The controls, each named by its objectName.
  QTreeWidget* LvRules = nullptr;
  QPushButton* BtAdd = nullptr;
  QPushButton* BtEdit = nullptr;
  QPushButton* BtDelete = nullptr;
  QPushButton* BtUp = nullptr;
  QPushButton* BtDown = nullptr;
  QDateEdit* EdApplyFrom = nullptr;
  QDateEdit* EdApplyTo = nullptr;
  QPushButton* BtApply = nullptr;
  QPushButton* BtUndo = nullptr;
  QLabel* LbApplyResult = nullptr;
  QPushButton* BtClose = nullptr;
};
