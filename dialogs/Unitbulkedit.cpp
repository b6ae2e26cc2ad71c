#include "Unitbulkedit.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <set>

#include "ControlTexts.h"
#include "DialogKit.h"
#include "Include.h"
#include "Platform.h"
#include "Qtexts.h"

namespace {

std::uint32_t ChosenId(const QComboBox* box) {
  return box->currentData().toUInt();
}

}  // namespace

TFormBulkEdit::TFormBulkEdit(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormBulkEdit"));
  LbHint = Named(new QLabel(this), "LbHint");
  LbHint->setWordWrap(true);
  CBCategory = MakeChoiceBox(this, "CBCategory", 320);
  CBMember = MakeChoiceBox(this, "CBMember", 320);
  CBSection = MakeChoiceBox(this, "CBSection", 320);
  CBAccount = MakeChoiceBox(this, "CBAccount", 320);
  auto* form = FForm = new QFormLayout;
  form->addRow(LocalizedText(30641, "Category:"), CBCategory);
  form->addRow(LocalizedText(30642, "Family member:"), CBMember);
  form->addRow(LocalizedText(30643, "Section:"), CBSection);
  form->addRow(LocalizedText(30644, "Account:"), CBAccount);
  const TOkCancel buttons = MakeOkCancel(this);
  BtOk = buttons.ok;
  BtCancel = buttons.cancel;
  ApplyTexts({{CaptionOf(BtOk), 1, "OK"}, {CaptionOf(BtCancel), 2, "Cancel"}});
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(LbHint);
  layout->addLayout(form);
  layout->addLayout(buttons.row);
  connect(BtOk, &QPushButton::clicked, this, &TFormBulkEdit::BtOkClick);
}

TBulkChange TFormBulkEdit::Change() const {
  TBulkChange change;
  change.category = ChosenId(CBCategory);
  change.member = ChosenId(CBMember);
  change.section = ChosenId(CBSection);
  change.account = ChosenId(CBAccount);
  return change;
}

bool TFormBulkEdit::Execute(CDataBase& db, int kind, const std::vector<std::uint32_t>& ids,
                            TBulkResult& result) {
  FDb = &db;
  FKind = kind;
  FIds = ids;
  FResult = TBulkResult();
  FCheck = nullptr;
  setWindowTitle(QString::fromStdString(GetLocalizedCount(
      30640, "Change %1 transaction|Change %1 transactions", static_cast<long long>(ids.size()))));
  std::set<std::uint32_t> roots;
  for (std::uint32_t id : ids)
    if (const auto record = StoredTransaction(db, kind, id)) roots.insert(CategoryRootFor(*record));
  Fill(db, roots, true);
  const bool accepted = exec() == QDialog::Accepted;
  result = FResult;
  return accepted && !result.stored.empty();
}

bool TFormBulkEdit::Choose(CDataBase& db, const std::set<std::uint32_t>& roots, std::size_t rows,
                           const TCheck& check, TBulkChange& change) {
  FDb = &db;
  FCheck = check;
  setWindowTitle(QString::fromStdString(GetLocalizedCount(
      30683, "Category for %1 row|Category for %1 rows", static_cast<long long>(rows))));
  Fill(db, roots, false);
  const bool accepted = exec() == QDialog::Accepted;
  FCheck = nullptr;
  change = Change();
  return accepted && !change.Empty();
}

void TFormBulkEdit::Fill(CDataBase& db, const std::set<std::uint32_t>& roots, bool accounts) {
  LbHint->setText(
      LocalizedText(30661, "Fields left at (leave as it is) keep each transaction's own value."));
  const QString keep = LocalizedText(30645, "(leave as it is)");
  for (QComboBox* box : {CBCategory, CBMember, CBSection, CBAccount}) {
    box->clear();
    box->addItem(keep, 0u);
  }
  // The categories of the kinds among the transactions, each kind's named
  // when there are several.
  for (std::uint32_t root : roots) {
    const QString prefix = roots.size() < 2 ? QString()
                           : root == kIncomeRoot
                               ? LocalizedText(30658, "Income")
                               : (root == kExpenseRoot ? LocalizedText(30659, "Expense")
                                                       : LocalizedText(30660, "Transfer"));
    for (const TBulkChoice& choice : SubTypeChoices(db, root))
      CBCategory->addItem(
          (prefix.isEmpty() ? QString() : prefix + ": ") + StoredToQString(choice.text), choice.id);
  }
  for (const TBulkChoice& choice : SubTypeChoices(db, kMemberRoot))
    CBMember->addItem(StoredToQString(choice.text), choice.id);
  for (const TBulkChoice& choice : SubTypeChoices(db, kSectionRoot))
    CBSection->addItem(StoredToQString(choice.text), choice.id);
  FForm->setRowVisible(CBAccount, accounts);
  if (accounts) {
    const TAccountItems items = db.GetAccountItems();  // a copy: GetCurrency below
    for (const CAccountItem& account : items) {
      CCurrencyItem currency;
      db.GetCurrency(account.record.currencyId, currency);
      CBAccount->addItem(StoredToQString(account.name) + QStringLiteral(" (") +
                             StoredToQString(currency.name) + ")",
                         account.id);
    }
  }
  ApplyControlIcons(this);
  adjustSize();
  CBCategory->setFocus();
}

void TFormBulkEdit::BtOkClick() {
  const TBulkChange change = Change();
  if (change.Empty()) {
    reject();
    return;
  }
  const std::vector<TBulkRefused> refused =
      FCheck ? FCheck(change) : CheckBulkEdit(*FDb, FKind, FIds, change);
  if (!refused.empty()) {
    ShowMessage(BulkRefusalText(refused));  // the dialog stays for another choice
    return;
  }
  if (FCheck) {  // choosing only: the caller stores
    accept();
    return;
  }
  FResult = ApplyBulkEdit(*FDb, FKind, FIds, change);
  if (!FResult.writeError.empty() || !FResult.synced) ShowMessage(BulkFailureText(FResult, false));
  accept();
}
