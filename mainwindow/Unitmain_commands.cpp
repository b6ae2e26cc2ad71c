// TFormMain: the transaction commands (new, copy, edit, delete, quick
// expense), the view toggles and the categories window.
#include <QAction>
#include <QCursor>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <set>

#include "DialogKit.h"
#include "Include.h"
#include "Platform.h"
#include "Qtexts.h"
#include "Settingsstorage.h"
#include "Skin.h"
#include "Unitbankcheck.h"
#include "Unitbulkedit.h"
#include "Unitmain.h"
#include "Unittransfer.h"

int TFormMain::TabKind() const {
  return FCurrentTab == 0 ? kTransactionKind : kPlnTransactionKind;
}

CTransactionNode* TFormMain::SelectedNode() {
  return NodeOf(CurrentTreeControl()->currentItem());
}

void TFormMain::InsertTransaction(int kind, std::uint32_t id) {
  const bool summary = SummaryPageShown();
  if (kind == kTransactionKind) {
    CTransactionItem item;
    FDataBase->GetTransaction(id, item);
    const Date day = WholeDay(item.record.date);
    if (day < WholeDay(FDataBase->GetIntervalBegin()) ||
        day > WholeDay(FDataBase->GetIntervalEnd()))
      return;
    if (summary)
      FTransactionsTree->AddInCurrency(item.record, id, BaseCurrencyId(), *FDataBase);
    else
      FTransactionsTree->AddForAccount(item.record, id);
  } else if (kind == kPlnTransactionKind) {
    CPlnTransactionItem item;
    FDataBase->GetPlnTransaction(id, item);
    if (summary)
      FShedulerTree->AddInCurrency(item.record.transaction, id, BaseCurrencyId(), *FDataBase);
    else
      FShedulerTree->AddForAccount(item.record.transaction, id);
  } else {
    LogError("[InsertTransaction] Invalid Transaction Type: " + std::to_string(kind));
  }
}

void TFormMain::ShowAdded(int kind, std::uint32_t id) {
  if (kind == 0) return;  // the editor was cancelled: nothing was added
  InsertTransaction(kind, id);
  RefreshTotals(true);
  SelectTransaction(kind, id);
}

void TFormMain::SelectTransaction(int kind, std::uint32_t id) {
  if (kind != TabKind() || id == 0) return;
  QTreeWidget* control = CurrentTreeControl();
  CTransactionsTree* tree = CurrentTree();
  // The first row of the transaction on the screen: the incomes come first.
  QTreeWidgetItem* item = tree->ItemOf(tree->FindTransaction(id));
  if (item == nullptr) return;
  for (QTreeWidgetItem* parent = item->parent(); parent; parent = parent->parent())
    parent->setExpanded(true);
  control->setCurrentItem(item);
  control->scrollToItem(item);
}

void TFormMain::BtNewClick() {
  if (!IsDataBaseOpened()) return;
  TFormTransfer editor(this);
  const int result = editor.OpenNew(SelectedAccountId(), *FDataBase, 0, TabKind(), FLines);
  ShowAdded(result, editor.GetItemId());
}

void TFormMain::New_CopyClick() {
  CTransactionNode* node = SelectedNode();
  if (node == nullptr || !IsDataBaseOpened()) return;
  if (node->kind == NodeGroup) CurrentTree()->ShowChildren(node);
  if (node->kind == NodeGroup && node->item != nullptr && node->item->childCount() > 0) {
    node = NodeOf(node->item->child(0));
    if (node == nullptr) return;
  }
  TFormTransfer editor(this);
  int result = 0;
  if (node->kind == NodeTransaction)
    result = editor.Open(*FDataBase, node->transactionId, false, true, TabKind(), FLines);
  else
    result = editor.OpenNew(SelectedAccountId(), *FDataBase,
                            node->kind == NodeCategory ? node->subTypeId : 0, TabKind(), FLines);
  ShowAdded(result, editor.GetItemId());
}

void TFormMain::EditClick() {
  if (const std::vector<std::uint32_t> ids = SelectedTransactionIds(); ids.size() > 1) {
    BulkEdit(ids);
    return;
  }
  CTransactionNode* node = SelectedNode();
  if (node == nullptr || node->kind != NodeTransaction || !IsDataBaseOpened()) return;
  TFormTransfer editor(this);
  const int result = editor.Open(*FDataBase, node->transactionId, false, false, TabKind(), FLines);
  if (result == 0) return;
  node->used = false;  // found again if it still belongs where it stands, else pruned
  InsertTransaction(result, editor.GetItemId());
  CurrentTree()->Prune();
  RefreshTotals(true);
}

void TFormMain::DeleteClick() {
  if (const std::vector<std::uint32_t> ids = SelectedTransactionIds(); ids.size() > 1) {
    BulkDelete(ids);
    return;
  }
  CTransactionNode* node = SelectedNode();
  if (node == nullptr || node->kind != NodeTransaction || !IsDataBaseOpened()) return;
  const QString question = Q(FTexts[kTextDeleteTransaction]) + " \"" +
                           StoredToQString(CurrentTree()->NameOf(node)) + "\"?";
  if (AskConfirmation(this, question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    return;
  if (!FDataBase->DelItemByKind(static_cast<std::uint8_t>(TabKind()), node->transactionId)) {
    // Not deleted: the row stays as the file still holds it.
    ShowNotDeleted(FDataBase->GetLastWriteError());
    return;
  }
  node->used = false;
  CurrentTree()->Prune();  // deletes the node and its screen item once
  RefreshTotals(false);
}

void TFormMain::FundsTreeDblClick(QTreeWidgetItem* item) {
  // The trees do not expand on double click themselves (see CreateRightSide),
  // so a row toggles exactly once.
  CTransactionNode* node = NodeOf(item);
  if (node == nullptr) return;
  if (node->kind == NodeTransaction)
    EditClick();
  else
    item->setExpanded(!item->isExpanded());
}

void TFormMain::FundsTreeMouseDown(const QPoint& position) {
  QTreeWidget* control = CurrentTreeControl();
  // A click into a selection of several rows keeps them for the menu.
  QTreeWidgetItem* item = control->itemAt(position);
  if (item != nullptr && !item->isSelected()) control->setCurrentItem(item);
  CTransactionNode* node = SelectedNode();
  const bool transaction =
      (node != nullptr && node->kind == NodeTransaction) || SelectedTransactionIds().size() > 1;
  PmNew->setEnabled(IsDataBaseOpened());
  PmNewCopy->setEnabled(node != nullptr);
  PmEdit->setEnabled(transaction);
  PmDelete->setEnabled(transaction);
  PmCheckBank->setEnabled(IsDataBaseOpened() && !SummaryPageShown() && SelectedAccountId() != 0);
  PmMakeRule->setEnabled(RuleRowId() != 0);
  FundsMenu->popup(control->viewport()->mapToGlobal(position));
}

void TFormMain::AccountsListMouseDown(const QPoint& position) {
  QListWidgetItem* item = AccountsList->itemAt(position);
  if (!IsDataBaseOpened() || item == nullptr) return;
  AccountsList->setCurrentItem(item);
  PmCheckBank->setEnabled(SelectedAccountId() != 0);
  AccountsMenu->popup(AccountsList->viewport()->mapToGlobal(position));
}

void TFormMain::CheckBankClick() {
  const std::uint32_t account = SelectedAccountId();
  if (!IsDataBaseOpened() || account == 0) return;
  TFormBankCheck window(this);
  // An agreed check is shown on the account's card.
  if (window.Execute(*FDataBase, account, Today())) {
    LoadAgreedChecks();
    AccountsList->viewport()->update();
  }
}

void TFormMain::FundsTreeGetSelectedIndex() {
  CTransactionNode* node = SelectedNode();
  const std::vector<std::uint32_t> ids = SelectedTransactionIds();
  const bool transaction = (node != nullptr && node->kind == NodeTransaction) || ids.size() > 1;
  ShowSelection(ids);
  BtNewCopy->setEnabled(node != nullptr);
  BtEdit->setEnabled(transaction);
  BtDel->setEnabled(transaction);
  // The menu items carry the shortcuts (Del, Ctrl+E, Ctrl+Alt+N): they
  // follow the selection at once, not only when the menu opens.
  BtMenuTransactionClick();
}

// ---- Several transactions at once ----

std::vector<std::uint32_t> TFormMain::SelectedTransactionIds() {
  std::vector<std::uint32_t> ids;
  std::set<std::uint32_t> seen;  // a transfer may show in both top nodes
  QTreeWidget* control = CurrentTreeControl();
  if (control == nullptr) return ids;
  for (QTreeWidgetItemIterator it(control, QTreeWidgetItemIterator::Selected); *it; ++it) {
    const CTransactionNode* node = NodeOf(*it);
    if (node != nullptr && node->kind == NodeTransaction && node->transactionId != 0 &&
        seen.insert(node->transactionId).second)
      ids.push_back(node->transactionId);
  }
  return ids;
}

void TFormMain::SelectTransactions(const std::vector<std::uint32_t>& ids) {
  const std::set<std::uint32_t> wanted(ids.begin(), ids.end());
  QTreeWidget* control = CurrentTreeControl();
  CTransactionsTree* tree = CurrentTree();
  // Rows in collapsed categories get their items first.
  FindNodeBelow(&tree->Root(), [&](CTransactionNode* node) {
    if (node->kind == NodeTransaction && wanted.count(node->transactionId) != 0) tree->ItemOf(node);
    return false;
  });
  QTreeWidgetItem* first = nullptr;
  QSignalBlocker quiet(control);  // one update of the buttons at the end
  control->clearSelection();
  for (QTreeWidgetItemIterator it(control); *it; ++it) {
    const CTransactionNode* node = NodeOf(*it);
    if (node == nullptr || node->kind != NodeTransaction || wanted.count(node->transactionId) == 0)
      continue;
    for (QTreeWidgetItem* parent = (*it)->parent(); parent; parent = parent->parent())
      parent->setExpanded(true);
    if (first == nullptr) {
      first = *it;
      control->setCurrentItem(first, 0, QItemSelectionModel::NoUpdate);
    }
    (*it)->setSelected(true);
  }
  if (first != nullptr) control->scrollToItem(first);
  quiet.unblock();
  FundsTreeGetSelectedIndex();
}

void TFormMain::BulkEdit(const std::vector<std::uint32_t>& ids) {
  if (!IsDataBaseOpened()) return;
  TFormBulkEdit dialog(this);
  TBulkResult result;
  if (!dialog.Execute(*FDataBase, TabKind(), ids, result)) return;
  // Unselected first, so that the rows pruned by the rebuild do not each
  // announce a change of the selection.
  CurrentTreeControl()->clearSelection();
  RebuildTrees(false);  // rows move between categories, groups and accounts
  SelectTransactions(result.stored);
}

void TFormMain::BulkDelete(const std::vector<std::uint32_t>& ids) {
  if (!IsDataBaseOpened()) return;
  const QString question = QString::fromStdString(GetLocalizedCount(
      30652, "Delete %1 transaction?|Delete %1 transactions?", static_cast<long long>(ids.size())));
  if (AskConfirmation(this, question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    return;
  const TBulkResult result = ApplyBulkDelete(*FDataBase, TabKind(), ids);
  if (!result.writeError.empty() || !result.synced) ShowMessage(BulkFailureText(result, true));
  if (result.stored.empty()) return;
  CurrentTreeControl()->clearSelection();
  RebuildTrees(false);
}

QString TFormMain::SelectionText() const {
  return StatusSelection->isHidden() ? QString() : StatusSelection->text();
}

void TFormMain::ShowSelection(const std::vector<std::uint32_t>& ids) {
  if (ids.size() < 2 || !IsDataBaseOpened()) {
    StatusSelection->clear();
    StatusSelection->hide();
    return;
  }
  // The rows show their sums in one currency: the base currency on the
  // summary page, the account's own otherwise. Each selected row counts
  // once, as an income or an expense by the top node it stands under.
  Money incomes = 0;
  Money expenses = 0;
  CTransactionsTree* tree = CurrentTree();
  for (QTreeWidgetItemIterator it(CurrentTreeControl(), QTreeWidgetItemIterator::Selected); *it;
       ++it) {
    const CTransactionNode* node = NodeOf(*it);
    if (node == nullptr || node->kind != NodeTransaction) continue;
    const CTransactionNode* top = node;
    while (top->parent != nullptr && top->parent != &tree->Root()) top = top->parent;
    (top == tree->Incomes() ? incomes : expenses) += node->sum;
  }
  CCurrencyItem currency;
  FDataBase->GetCurrency(
      SummaryPageShown() ? BaseCurrencyId() : FDataBase->GetAccountCurrency(SelectedAccountId()),
      currency);
  const std::string unit = currency.name.empty() ? "" : " " + currency.name;
  std::string text = GetLocalizedCount(30656, "%1 transaction selected|%1 transactions selected",
                                       static_cast<long long>(ids.size()));
  std::vector<std::string> parts;
  if (incomes != 0)
    parts.push_back(GetLocalizedText(30657, "incomes") + " " + MoneyToStr(incomes) + unit);
  if (expenses != 0 || incomes == 0)
    parts.push_back(GetLocalizedText(30662, "expenses") + " " + MoneyToStr(expenses) + unit);
  for (std::size_t k = 0; k < parts.size(); ++k) text += (k == 0 ? ": " : ", ") + parts[k];
  StatusSelection->setText(StoredToQString(text));
  StatusSelection->show();
}

void TFormMain::BtMenuTransactionClick() {
  if (!IsDataBaseOpened()) return;
  MnEdit->setEnabled(BtEdit->isEnabled());
  MnDelete->setEnabled(BtDel->isEnabled());
  MnNewCopy->setEnabled(BtNewCopy->isEnabled());
}

// ---- Quick expenses ----

void TFormMain::FillExpensesMenu() {
  ExpensesMenu->clear();
  const int count = GetSettings().GetMaximumQuickExpenses(30);
  const std::uint32_t account = SummaryPageShown() ? 0 : SelectedAccountId();
  const TLastTransactions list = FDataBase->GetLastTransactions(
      account, 0, static_cast<std::uint32_t>(std::max(count, 0)), 0, 0);
  for (std::size_t k = 0; k < list.size(); ++k) {
    LogWarning(list[k].description + " " + std::to_string(list[k].uses));
    QAction* entry = ExpensesMenu->addAction(StoredToQString(list[k].description));
    entry->setObjectName(QStringLiteral("FastExpence_%1").arg(k));
    entry->setToolTip(QString::number(list[k].transaction));
    connect(entry, &QAction::triggered, this, &TFormMain::ExpenceMenuItemClick);
  }
  if (list.empty()) {
    QAction* none = ExpensesMenu->addAction(QStringLiteral("<none>"));
    none->setObjectName(QStringLiteral("FastExpenceNone"));
    none->setEnabled(false);
  }
}

void TFormMain::BtFastExpenceClick() {
  if (!IsDataBaseOpened()) return;
  FillExpensesMenu();
  ExpensesMenu->popup(QCursor::pos());
}

void TFormMain::ExpenceMenuItemClick() {
  auto* entry = qobject_cast<QAction*>(sender());
  if (entry == nullptr) return;
  bool number = false;
  const qlonglong id = entry->toolTip().toLongLong(&number);
  if (!number || id <= 0 || id > UINT32_MAX) return;
  TFormTransfer editor(this);
  const int result =
      editor.Open(*FDataBase, static_cast<std::uint32_t>(id), true, true, kTransactionKind, FLines);
  ShowAdded(result, editor.GetItemId());
}

// ---- Toggles and the categories window ----

void TFormMain::ApplyColumnToggles() {
  QTreeWidget* control = CurrentTreeControl();
  control->setColumnHidden(ColSection, !BtSections->isChecked());
  control->setColumnHidden(ColMember, !BtMembers->isChecked());
}

void TFormMain::BtSectionsClick() {
  GetSettings().SetSectionsVisible(FCurrentTab, BtSections->isChecked());
  ApplyColumnToggles();
}

void TFormMain::BtMembersClick() {
  GetSettings().SetMemberssVisible(FCurrentTab, BtMembers->isChecked());
  ApplyColumnToggles();
}
