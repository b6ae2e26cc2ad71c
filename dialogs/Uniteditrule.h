// TFormEditRule: one categorizing rule, what it matches and what it sets.
// A line under the boxes says how many stored transactions the rule alone
// would change, or why it cannot be kept; OK refuses a rule that cannot.
#pragma once

#include <QDialog>
#include <memory>

#include "Omrindb.h"
#include "RuleChanges.h"
#include "RuleTypes.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

class TFormEditRule : public QDialog {
  Q_OBJECT

 public:
  explicit TFormEditRule(QWidget* parent = nullptr);

  // Shows `rule` of `db` (a new one when its id is 0). On OK the rule the
  // boxes show, which can be kept, is in `rule` with its id unchanged, and
  // true is answered; false on Cancel.
  bool Execute(CDataBase& db, CImportRule& rule);

  // Reads the boxes into `rule` (its id kept); false with the reason, in
  // the user's language, when the rule cannot be kept.
  bool ReadRule(CImportRule& rule, QString& problem) const;
  // Shows the line under the boxes for what they hold now (the boxes' own
  // changes show it a moment after typing stops).
  void ShowEffect();

 private slots:
  void RuleChanged();
  void CbRuleKindChange();
  void BtOkClick();

 private:
  void Show(const CImportRule& rule);
  void FillCategories(std::uint32_t keep);

  CDataBase* FDb = nullptr;        // during Execute; not owned
  std::uint32_t FId = 0;           // the rule's id
  QTimer* FEffectTimer = nullptr;  // shows the effect once typing pauses
  // Every stored expense and income with its texts, read once per Execute
  // for the line that counts what the rule would change.
  std::unique_ptr<CRuleSubjects> FSubjects;

 public:
  // The controls, each named by its objectName.
  QLineEdit* EdRuleText = nullptr;
  QComboBox* CbRuleField = nullptr;
  QComboBox* CbRuleMode = nullptr;
  QCheckBox* ChRuleCase = nullptr;
  QLineEdit* EdAmountFrom = nullptr;
  QLineEdit* EdAmountTo = nullptr;
  QComboBox* CbRuleKind = nullptr;
  QComboBox* CbRuleAccount = nullptr;
  QComboBox* CbSetCategory = nullptr;
  QComboBox* CbSetMember = nullptr;
  QComboBox* CbSetSection = nullptr;
  QLineEdit* EdSetDescription = nullptr;
  QLabel* LbRuleEffect = nullptr;
  QPushButton* BtOk = nullptr;
  QPushButton* BtCancel = nullptr;
};
