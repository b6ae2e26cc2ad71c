// TFormTypes: the categories window. Five tabs show the income, expense and
// transfer categories, the family members and the sections; subtypes are
// added, added below another, renamed and deleted here.
#pragma once

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>
#include <cstdint>

#include "Node.h"
#include "Omrindb.h"

class TFormTypes : public QDialog {
  Q_OBJECT

 public:
  explicit TFormTypes(QWidget* parent = nullptr);

  // Shows the window on tab `tabIndex` (0 income, 1 expense, 2 transfer,
  // 3 family members, 4 sections; another value keeps tab 0). A null
  // `linesImage` logs "[Types Directory] Not initialized!" and shows nothing.
  void Execute(CDataBase& database, const QPixmap& linesImage, int tabIndex);

  // The root code of a tab.
  static std::uint32_t RootOfTab(int tabIndex);

 private slots:
  void CategoryTabChange(int index);
  void BtAddClick();
  void BtAddSubClick();
  void BtEditClick();
  void BtDeleteClick();
  void SubTypeTreeDblClick(QTreeWidgetItem* item);
  void SubTypeTreeMouseDown(const QPoint& pos);
  // A subtype dragged below another one (nullptr: the tab's top level).
  void SubTypeTreeDragDrop(QTreeWidgetItem* dragged, QTreeWidgetItem* newParent);
  void UpdateCommands();

 private:
  // The controls, each named by its objectName.
  QTabBar* CategoryTab = nullptr;
  QTreeWidget* SubTypeTree = nullptr;
  QPushButton* BtAdd = nullptr;
  QPushButton* BtAddSub = nullptr;
  QPushButton* BtEdit = nullptr;
  QPushButton* BtDelete = nullptr;
  QPushButton* BtExit = nullptr;
  QMenu* TypesMenu = nullptr;
  QAction* Add1 = nullptr;
  QAction* AddSub1 = nullptr;
  QAction* Edit1 = nullptr;
  QAction* Delete1 = nullptr;

  // Reloads the current tab's tree, keeping the nodes that are still there.
  void LoadTree();
  CSubTypeNode* SelectedNode() const;
  // Opens the subtype editor for a new child of `parent` and shows it.
  void AddUnder(CSubTypeNode& parent);

  CDataBase* db_ = nullptr;  // the database of the current Execute
  CSubTypeNode root_;        // the current tab's root code
  QString textDeleteItem_;
  QString textDeleteOnlyItem_;
  QString textWithSubItems_;
  QString textDeleteAll_;        // the question's button that deletes the sub items too
  QString textDeleteLiftUp_;     // ... that keeps them one level higher
  QString textMovedIntoItself_;  // a drop below the item's own sub items

  // Loads the tree again and selects subtype `id` when it is shown.
  void ReloadAndSelect(std::uint32_t id);
};
