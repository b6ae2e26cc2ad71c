// The main window's side of the rules: a rule made from a tree row, and
// Tools / Rules..., whose apply and undo show in the tree at once.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "Companion.h"
#include "DialogKit.h"
#include "MainWindowFixture.h"
#include "Uniteditrule.h"
#include "Unitrules.h"

namespace {

class RulesCommands : public DemoTree {
 protected:
  void SetUp() override {
    DemoTree::SetUp();
    StartOnDemo([this](CDataBase& db) {
      CSubTypeItem bakery;
      bakery.name = "Bakery";
      bakery.record.parentId = kExpenseRoot;
      bakeryId = db.AddSubType(bakery);
    });
  }
  // Right-clicks the row and answers whether the menu offers a rule from it.
  bool RuleOffered(QTreeWidgetItem* row) {
    control->scrollToItem(row);
    form->FundsTreeMouseDown(control->visualItemRect(row).center());
    auto* menu = form->findChild<QMenu*>("FundsMenu");
    menu->close();
    return Find<QAction>(*form, "PmMakeRule")->isEnabled();
  }

  std::uint32_t bakeryId = 0;
};

TEST_F(RulesCommands, ARowMakesARuleThatTheRulesWindowAppliesAndUndoes) {
  ExpandAllRows(control);
  ASSERT_NE(Row(bread), nullptr);
  EXPECT_FALSE(RuleOffered(Row(bread)->parent()));  // a category
  ASSERT_TRUE(RuleOffered(Row(bread)));
  OnModalOf<TFormEditRule>([&](TFormEditRule& editor) {
    EXPECT_EQ(editor.EdRuleText->text(), "Bread");
    EXPECT_EQ(editor.CbRuleKind->currentText(), "Expense");
    EXPECT_EQ(editor.CbSetCategory->currentData().toUInt(), foodId);
    editor.CbSetCategory->setCurrentIndex(editor.CbSetCategory->findData(bakeryId));
    Click(editor.BtOk);
  });
  Find<QAction>(*form, "PmMakeRule")->trigger();
  CCompanion companion;
  companion.Load(DataPath("demo2.vlt"));
  ASSERT_EQ(companion.Rules().size(), 1u);
  EXPECT_EQ(companion.Rules()[0].set.category, bakeryId);

  SetConfirmationHook(
      [](QWidget*, const QString&, QMessageBox::StandardButtons) { return QMessageBox::Yes; });
  OnModalOf<TFormRules>([&](TFormRules& window) {
    Click(window.BtApply);
    ASSERT_NE(Row(bread), nullptr);
    EXPECT_EQ(NodeOf(Row(bread)->parent())->subTypeId, bakeryId) << "the tree follows at once";
    Click(window.BtUndo);
    ASSERT_NE(Row(bread), nullptr);
    EXPECT_EQ(NodeOf(Row(bread)->parent())->subTypeId, foodId);
    Click(window.BtClose);
  });
  Find<QAction>(*form, "MnRules")->trigger();
  EXPECT_TRUE(messages.empty());
}

}  // namespace
