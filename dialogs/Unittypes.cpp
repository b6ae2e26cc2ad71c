#include "Unittypes.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>
#include <tuple>

#include "ControlTexts.h"
#include "DialogKit.h"
#include "Include.h"
#include "Logger.h"
#include "Platform.h"
#include "Qtexts.h"
#include "SubTypeTree.h"
#include "TypesLogic.h"
#include "Unitedittype.h"

namespace {

constexpr std::uint32_t kTabRoots[] = {kIncomeRoot, kExpenseRoot, kTransferRoot, kMemberRoot,
                                       kSectionRoot};

}  // namespace

std::uint32_t TFormTypes::RootOfTab(int tabIndex) {
  return tabIndex >= 0 && tabIndex < 5 ? kTabRoots[tabIndex] : kIncomeRoot;
}

TFormTypes::TFormTypes(QWidget* parent) : QDialog(parent) {
  CategoryTab = new QTabBar(this);
  CategoryTab->setObjectName("CategoryTab");
  CategoryTab->setExpanding(false);
  // Every tab shows its whole title: a language with longer ones widens the window.
  CategoryTab->setUsesScrollButtons(false);
  for (int tab = 0; tab < 5; ++tab) CategoryTab->addTab(QString());

  auto* tree = new CSubTypeTreeControl(this);
  SubTypeTree = tree;
  SubTypeTree->setContextMenuPolicy(Qt::CustomContextMenu);
  SubTypeTree->header()->setStretchLastSection(true);

  BtAdd = MakeButton(this, "BtAdd");
  BtAddSub = MakeButton(this, "BtAddSub");
  BtEdit = MakeButton(this, "BtEdit");
  BtDelete = MakeButton(this, "BtDelete");
  BtExit = MakeButton(this, "BtExit");
  BtExit->setDefault(true);

  TypesMenu = new QMenu(this);
  TypesMenu->setObjectName("TypesMenu");
  Add1 = MakeAction(TypesMenu, "Add1");
  AddSub1 = MakeAction(TypesMenu, "AddSub1");
  Edit1 = MakeAction(TypesMenu, "Edit1");
  Delete1 = MakeAction(TypesMenu, "Delete1");

  QString addSub, close, add, del, edit;
  ApplyTexts({
      {CaptionOf(this), 7000, "Categories"},
      {Store(&addSub), 7001, "AddSub..."},
      {Store(&close), 8, "Close"},
      {Store(&add), 4, "Add..."},
      {Store(&del), 6, "Delete"},
      {Store(&edit), 5, "Edit..."},
      {TabOf(CategoryTab, 0), 7002, "Income"},
      {TabOf(CategoryTab, 1), 7003, "Expense"},
      {TabOf(CategoryTab, 2), 7004, "Transfer"},
      {TabOf(CategoryTab, 3), 7005, "Family members"},
      {TabOf(CategoryTab, 4), 7006, "Sections"},
      {Store(&textDeleteItem_), 7007, "Delete item"},
      {Store(&textDeleteOnlyItem_), 7008, "Delete only item"},
      {Store(&textWithSubItems_), 7009, "or delete it with all sub items?"},
      {Store(&textDeleteAll_), 30401, "Delete with sub items"},
      {Store(&textDeleteLiftUp_), 30402, "Delete, move sub items up"},
      {Store(&textMovedIntoItself_), 30407,
       "An item cannot be moved below itself or one of its own sub items."},
  });
  for (auto [button, action, text] : {std::tuple{BtAdd, Add1, add},
                                      {BtAddSub, AddSub1, addSub},
                                      {BtEdit, Edit1, edit},
                                      {BtDelete, Delete1, del}}) {
    button->setText(text);
    action->setText(text);
  }
  BtExit->setText(close);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(BtAdd);
  buttons->addWidget(BtAddSub);
  buttons->addWidget(BtEdit);
  buttons->addWidget(BtDelete);
  buttons->addStretch();
  buttons->addWidget(BtExit);
  auto* body = new QHBoxLayout;
  body->setSpacing(8);
  body->addWidget(SubTypeTree, 1);
  body->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(0);
  layout->addWidget(CategoryTab);
  layout->addLayout(body);
  body->setContentsMargins(0, 8, 0, 0);
  resize(460, 380);

  connect(CategoryTab, &QTabBar::currentChanged, this, &TFormTypes::CategoryTabChange);
  connect(BtAdd, &QPushButton::clicked, this, &TFormTypes::BtAddClick);
  connect(BtAddSub, &QPushButton::clicked, this, &TFormTypes::BtAddSubClick);
  connect(BtEdit, &QPushButton::clicked, this, &TFormTypes::BtEditClick);
  connect(BtDelete, &QPushButton::clicked, this, &TFormTypes::BtDeleteClick);
  connect(BtExit, &QPushButton::clicked, this, &QDialog::accept);
  connect(Add1, &QAction::triggered, this, &TFormTypes::BtAddClick);
  connect(AddSub1, &QAction::triggered, this, &TFormTypes::BtAddSubClick);
  connect(Edit1, &QAction::triggered, this, &TFormTypes::BtEditClick);
  connect(Delete1, &QAction::triggered, this, &TFormTypes::BtDeleteClick);
  connect(SubTypeTree, &QTreeWidget::itemDoubleClicked, this, &TFormTypes::SubTypeTreeDblClick);
  connect(SubTypeTree, &QTreeWidget::customContextMenuRequested, this,
          &TFormTypes::SubTypeTreeMouseDown);
  connect(SubTypeTree, &QTreeWidget::itemSelectionChanged, this, &TFormTypes::UpdateCommands);
  connect(tree, &CSubTypeTreeControl::SubTypeDropped, this, &TFormTypes::SubTypeTreeDragDrop);
  UpdateCommands();
}

void TFormTypes::Execute(CDataBase& database, const QPixmap& linesImage, int tabIndex) {
  if (linesImage.isNull()) {
    LogError("[Types Directory] Not initialized!");
    return;
  }
  db_ = &database;
  SubTypeTree->setItemDelegate(new CSubTypeDelegate(linesImage, SubTypeTree));
  SubTypeTree->clear();
  root_.Clear();
  {
    const QSignalBlocker block(CategoryTab);
    if (tabIndex >= 0 && tabIndex < CategoryTab->count()) CategoryTab->setCurrentIndex(tabIndex);
  }
  LoadTree();
  exec();
  db_ = nullptr;
}

void TFormTypes::LoadTree() {
  if (!db_) {
    LogError("[Types Directory] NULL DataBase reference!");
    return;
  }
  root_.UnmarkChildren();
  root_.subTypeId = RootOfTab(CategoryTab->currentIndex());
  LoadSubTypes(*db_, root_, *SubTypeTree);
  root_.Prune();
  UpdateCommands();
}

void TFormTypes::CategoryTabChange(int index) {
  if (index < 0) return;
  // Nodes are keyed by subtype id, so another root's nodes never match.
  SubTypeTree->clear();
  root_.Clear();
  LoadTree();
}

CSubTypeNode* TFormTypes::SelectedNode() const {
  const QList<QTreeWidgetItem*> selected = SubTypeTree->selectedItems();
  return selected.isEmpty() ? nullptr : SubTypeNodeOf(selected.front());
}

void TFormTypes::UpdateCommands() {
  const bool selected = SelectedNode() != nullptr;
  BtAdd->setEnabled(true);
  BtEdit->setEnabled(selected);
  BtDelete->setEnabled(selected);
  BtAddSub->setEnabled(selected);
  Add1->setEnabled(true);
  Edit1->setEnabled(BtEdit->isEnabled());
  Delete1->setEnabled(BtDelete->isEnabled());
  AddSub1->setEnabled(BtAddSub->isEnabled());
}

void TFormTypes::AddUnder(CSubTypeNode& parent) {
  if (!db_) return;
  TFormEditType editor(this);
  const std::uint32_t id = editor.Execute(*db_, parent.subTypeId, 0);
  if (id > kFirstFreeId) {
    CSubTypeItem item;
    db_->GetSubType(id, item);
    CSubTypeNode* node = AddSubTypeNode(parent, id, item.name, *SubTypeTree);
    SubTypeTree->setCurrentItem(node->item);
  }
  if (parent.item) parent.item->setExpanded(true);
  SubTypeTree->setFocus();
}

void TFormTypes::BtAddClick() {
  CSubTypeNode* selected = SelectedNode();
  AddUnder(selected && selected->parent ? *selected->parent : root_);
}

void TFormTypes::BtAddSubClick() {
  if (CSubTypeNode* selected = SelectedNode()) AddUnder(*selected);
}

void TFormTypes::BtEditClick() {
  CSubTypeNode* node = SelectedNode();
  if (node && db_) {
    TFormEditType editor(this);
    const std::uint32_t parentId = node->parent ? node->parent->subTypeId : root_.subTypeId;
    const std::uint32_t id = node->subTypeId;
    // The editor may also have moved it below another parent.
    if (editor.Execute(*db_, parentId, id) > kFirstFreeId) ReloadAndSelect(id);
  }
  SubTypeTree->setFocus();
}

void TFormTypes::BtDeleteClick() {
  CSubTypeNode* node = SelectedNode();
  if (node && db_) {
    const QString name = "\"" + StoredToQString(node->name) + "\"";
    // Below the question: how many transactions lose the item.
    const std::size_t uses = CountSubTypeUses(*db_, node->subTypeId);
    const QString usesLine =
        uses == 0 ? QString()
                  : "\n\n" + Q(GetLocalizedCount(
                                 24101,
                                 "%1 transaction (planned ones included) uses it or its sub "
                                 "items; it will show without it.|%1 transactions (planned ones "
                                 "included) use it or its sub items; they will show without it.",
                                 static_cast<long long>(uses)));
    bool deleted = true;
    if (!node->children.empty()) {
      const auto answer =
          AskChoice(this, textDeleteOnlyItem_ + " " + name + ", " + textWithSubItems_ + usesLine,
                    {{QMessageBox::Ok, textDeleteLiftUp_},
                     {QMessageBox::YesToAll, textDeleteAll_},
                     {QMessageBox::Cancel, QString()}});
      if (answer == QMessageBox::Ok) deleted = db_->DelSubType(node->subTypeId, false);
      if (answer == QMessageBox::YesToAll) deleted = db_->DelSubType(node->subTypeId, true);
    } else if (AskConfirmation(this, textDeleteItem_ + " " + name + "?" + usesLine,
                               QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok) {
      deleted = db_->DelSubType(node->subTypeId, false);
    }
    if (!deleted) {
      ShowNotDeleted(db_->GetLastWriteError());
    }
    LoadTree();
  }
  SubTypeTree->setFocus();
}

void TFormTypes::SubTypeTreeDblClick(QTreeWidgetItem* item) {
  if (!item) return;
  if (item->childCount() > 0) {
    item->setExpanded(!item->isExpanded());
  } else {
    SubTypeTree->setCurrentItem(item);
    BtEditClick();
  }
}

void TFormTypes::SubTypeTreeMouseDown(const QPoint& pos) {
  QTreeWidgetItem* item = SubTypeTree->itemAt(pos);
  if (!item) return;
  SubTypeTree->setCurrentItem(item);
  TypesMenu->popup(SubTypeTree->viewport()->mapToGlobal(pos));
}

void TFormTypes::ReloadAndSelect(std::uint32_t id) {
  LoadTree();
  std::vector<CSubTypeNode*> open{&root_};
  while (!open.empty()) {
    CSubTypeNode* node = open.back();
    open.pop_back();
    if (node->subTypeId == id && node->item) {
      for (QTreeWidgetItem* up = node->item->parent(); up; up = up->parent()) up->setExpanded(true);
      SubTypeTree->setCurrentItem(node->item);
      return;
    }
    for (auto& [key, child] : node->children) open.push_back(child.get());
  }
}

void TFormTypes::SubTypeTreeDragDrop(QTreeWidgetItem* dragged, QTreeWidgetItem* newParent) {
  const CSubTypeNode* node = SubTypeNodeOf(dragged);
  if (!node || !db_) return;
  const CSubTypeNode* target = SubTypeNodeOf(newParent);
  const std::uint32_t parentId = target ? target->subTypeId : root_.subTypeId;
  const std::uint32_t id = node->subTypeId;
  switch (db_->MoveSubType(id, parentId)) {
    case CDataBase::TSubTypeMove::Moved:
      break;
    case CDataBase::TSubTypeMove::WriteFailed:
      ShowNotStored(db_->GetLastWriteError());
      break;
    default:
      ShowInformation(this, textMovedIntoItself_);
      break;
  }
  ReloadAndSelect(id);
  SubTypeTree->setFocus();
}
