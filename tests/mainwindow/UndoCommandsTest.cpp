// Undo and Redo in the main window: Ctrl+Z brings back a deleted category
// tree with its rows expanded and selected as before, and a bulk delete;
// Ctrl+Y and Ctrl+Shift+Z make them again. The items name the step.
#include <QMenu>
#include <QTest>
#include <QTreeWidget>

#include "MainWindowFixture.h"
#include "WindowDriver.h"

namespace {

class UndoCommands : public DemoTree {
 protected:
  void SetUp() override {
    DemoTree::SetUp();
    StartOnDemo([this](CDataBase& db) {
      CSubTypeItem bakery;
      bakery.name = "Bakery";
      bakery.record.parentId = foodId;
      bakeryId = db.AddSubType(bakery);
      CTransactionItem t;
      db.GetTransaction(bread, t);
      t.record.categoryId = bakeryId;
      db.EditTransaction(t);
    });
    undo = form->findChild<QAction*>("MnUndo");
    redo = form->findChild<QAction*>("MnRedo");
  }
  // The texts of the two items as the Transaction menu shows them.
  std::pair<QString, QString> MenuTexts() {
    QMetaObject::invokeMethod(form->findChild<QMenu*>("MnTransaction"), "aboutToShow");
    return {undo->text(), redo->text()};
  }
  std::uint32_t CategoryOf(std::uint32_t id) {
    CTransactionItem item;
    return form->DataBase().GetTransaction(id, item).record.categoryId;
  }

  std::uint32_t bakeryId = 0;
  QAction* undo = nullptr;
  QAction* redo = nullptr;
};

TEST_F(UndoCommands, ADeletedCategoryTreeComesBackAsItWasShown) {
  EXPECT_EQ(MenuTexts(), (std::pair<QString, QString>{"&Undo", "&Redo"}));
  control->collapseAll();
  ASSERT_NE(Row(bread), nullptr);
  for (QTreeWidgetItem* up = Row(bread)->parent(); up != nullptr; up = up->parent())
    up->setExpanded(true);
  control->setCurrentItem(Row(bread));

  CDataBase& db = form->DataBase();
  ASSERT_TRUE(db.DelSubType(foodId, true));  // as the categories window does
  form->RebuildTrees(false);
  EXPECT_EQ(db.SubTypes().Find(bakeryId), nullptr);
  EXPECT_EQ(MenuTexts().first, "&Undo Delete of 'Food'");

  control->collapseAll();
  control->clearSelection();
  Key(Qt::Key_Z, Qt::ControlModifier);
  ASSERT_NE(db.SubTypes().Find(bakeryId), nullptr);
  EXPECT_EQ(db.SubTypes().Find(bakeryId)->record.parentId, foodId);
  EXPECT_EQ(CategoryOf(bread), bakeryId);
  ASSERT_NE(Row(bread), nullptr);
  EXPECT_EQ(NodeOf(Row(bread)->parent())->subTypeId, bakeryId);
  EXPECT_TRUE(Row(bread)->parent()->isExpanded()) << "expanded as before the delete";
  EXPECT_EQ(form->SelectedTransactionIds(), std::vector<std::uint32_t>{bread});
  EXPECT_EQ(MenuTexts().second, "&Redo Delete of 'Food'");

  Key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(db.SubTypes().Find(foodId), nullptr);
  Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);  // nothing left to redo
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_NE(db.SubTypes().Find(foodId), nullptr);
  EXPECT_TRUE(messages.empty());
}

TEST_F(UndoCommands, ABulkDeleteIsOneStep) {
  ExpandAllRows(control);
  control->selectAll();
  const std::vector<std::uint32_t> rows = form->SelectedTransactionIds();
  ASSERT_EQ(rows.size(), 2u);
  SetConfirmationHook(
      [](QWidget*, const QString&, QMessageBox::StandardButtons) { return QMessageBox::Yes; });
  Key(Qt::Key_Delete);
  EXPECT_EQ(form->DataBase().Transactions().Find(bread), nullptr);
  EXPECT_EQ(MenuTexts().first, "&Undo Delete of 2 transactions");
  Key(Qt::Key_Z, Qt::ControlModifier);
  for (std::uint32_t id : rows) EXPECT_NE(Row(id), nullptr) << id;
  EXPECT_EQ(CategoryOf(bread), bakeryId);
  Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  for (std::uint32_t id : rows) EXPECT_EQ(Row(id), nullptr) << id;
}

}  // namespace
