// TFormMain: Undo and Redo of the steps of changes, and what the trees
// showed before each step.
#include <QAction>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>

#include "DialogKit.h"
#include "Include.h"
#include "Mainlogic.h"
#include "Platform.h"
#include "Qtexts.h"
#include "Unitmain.h"

namespace {

// A node's identity inside its parent: what kind of row it is and what it
// stands for, which stays the same when an undone step brings it back.
std::uint64_t NodeKey(const CTransactionNode* node) {
  const std::uint32_t what = node->transactionId != 0 ? node->transactionId
                             : node->subTypeId != 0   ? node->subTypeId
                                                      : node->nameId;
  return (static_cast<std::uint64_t>(node->kind) << 32) | what;
}

std::vector<std::uint64_t> NodePath(const QTreeWidgetItem* item) {
  std::vector<std::uint64_t> path;
  for (; item != nullptr; item = item->parent())
    if (const CTransactionNode* node = NodeOf(item)) path.push_back(NodeKey(node));
  std::reverse(path.begin(), path.end());
  return path;
}

}  // namespace

TFormMain::CViewState TFormMain::CaptureView() {
  CViewState view;
  view.tab = FCurrentTab;
  if (QTreeWidget* control = CurrentTreeControl()) {
    // Only the expanded rows are walked into: this runs as every change
    // begins (the planned transactions looked at by each refresh too), and a
    // month of a large book holds many collapsed rows.
    std::vector<QTreeWidgetItem*> open;
    for (int i = 0; i < control->topLevelItemCount(); ++i) open.push_back(control->topLevelItem(i));
    while (!open.empty()) {
      QTreeWidgetItem* item = open.back();
      open.pop_back();
      if (!item->isExpanded()) continue;
      view.expanded.push_back(NodePath(item));
      for (int i = 0; i < item->childCount(); ++i) open.push_back(item->child(i));
    }
    std::sort(view.expanded.begin(), view.expanded.end());
  }
  view.selected = SelectedTransactionIds();
  return view;
}

void TFormMain::RestoreView(const CViewState& view) {
  if (view.tab != FCurrentTab) return;  // the other tab's rows are not shown
  QTreeWidget* control = CurrentTreeControl();
  if (control == nullptr) return;
  CTransactionsTree* tree = CurrentTree();
  for (QTreeWidgetItemIterator it(control); *it; ++it) {
    CTransactionNode* node = NodeOf(*it);
    if (node == nullptr || node->children.empty()) continue;
    const bool expanded =
        std::binary_search(view.expanded.begin(), view.expanded.end(), NodePath(*it));
    // The children get their items before the walk reaches them.
    if (expanded) tree->ShowChildren(node);
    if ((*it)->isExpanded() != expanded) (*it)->setExpanded(expanded);
  }
  if (!view.selected.empty()) SelectTransactions(view.selected);
}

void TFormMain::ShowAfterReplay() {
  FillCurrenciesList();
  FillAccountsList();  // rebuilds the trees for the selected account
  FillExpensesMenu();
  ShowUndoRedo();
  ShowUndoImport();
}

void TFormMain::ShowUndoRedo() {
  if (MnUndo == nullptr) return;  // the menus are not made yet
  const bool open = IsDataBaseOpened();
  const CChangeStep* undo = open ? FDataBase->NextUndo() : nullptr;
  const CChangeStep* redo = open ? FDataBase->NextRedo() : nullptr;
  MnUndo->setText(undo ? LocalizedText(30902, "&Undo %1").arg(Q(ChangeStepText(*undo)))
                       : LocalizedText(30900, "&Undo"));
  MnRedo->setText(redo ? LocalizedText(30903, "&Redo %1").arg(Q(ChangeStepText(*redo)))
                       : LocalizedText(30901, "&Redo"));
  MnUndo->setEnabled(undo != nullptr);
  MnRedo->setEnabled(redo != nullptr);
}

void TFormMain::UndoClick() {
  if (!IsDataBaseOpened()) return;
  const CChangeStep* step = FDataBase->NextUndo();
  if (step == nullptr) return;
  const std::uint64_t serial = step->serial;
  const std::string name = ChangeStepText(*step);
  const bool undone = FDataBase->Undo();
  if (!undone)
    ShowMessage(GetLocalizedText(30917, "This change could not be undone:") + " " + name + "\n\n" +
                FDataBase->GetLastWriteError());
  ShowAfterReplay();
  if (auto it = FViewBeforeStep.find(serial); undone && it != FViewBeforeStep.end())
    RestoreView(it->second);
}

void TFormMain::RedoClick() {
  if (!IsDataBaseOpened()) return;
  const CChangeStep* step = FDataBase->NextRedo();
  if (step == nullptr) return;
  const std::string name = ChangeStepText(*step);
  const int kind = step->focusType;
  const std::uint32_t id = step->focusId;
  const bool redone = FDataBase->Redo();
  if (!redone)
    ShowMessage(GetLocalizedText(30918, "This change could not be made again:") + " " + name +
                "\n\n" + FDataBase->GetLastWriteError());
  ShowAfterReplay();
  if (redone && (kind == kTransactionKind || kind == kPlnTransactionKind))
    SelectTransaction(kind, id);
}
