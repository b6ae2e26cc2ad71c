// Several transactions selected in the main window's tree: the status line,
// Edit through the bulk edit dialog and Delete, driven by the keyboard.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "DialogKit.h"
#include "MainWindowFixture.h"
#include "Unitbulkedit.h"
#include "WindowDriver.h"

namespace {

class Bulk : public DemoTree {
 protected:
  void SetUp() override {
    DemoTree::SetUp();
    // The Cash account: Salary, Bread and two more expenses.
    StartOnDemo([this](CDataBase& db) {
      CSubTypeItem drinks;
      drinks.name = "Drinks";
      drinks.record.parentId = kExpenseRoot;
      drinksId = db.AddSubType(drinks);
      for (auto [name, amount] : {std::pair{"Milk", 1.2}, {"Tea", 2.5}}) {
        CTransactionItem t;
        t.description = name;
        t.record.date = EncodeDate(2006, 9, 12);
        t.record.fromAccount = 103;
        t.record.categoryId = foodId;
        t.record.amountOut = t.record.amountIn = M(amount);
        expenses.push_back(db.AddTransaction(t));
      }
      expenses.push_back(bread);
    });
  }
  // Selects the three expenses: a click on the first of their rows, then
  // Shift+Down twice.
  void SelectExpenses() {
    QTreeWidgetItem* first = Row(bread)->parent()->child(0);
    control->scrollToItem(first);
    QTest::mouseClick(control->viewport(), Qt::LeftButton, Qt::NoModifier,
                      control->visualItemRect(first).center());
    QTest::keyClick(control, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(control, Qt::Key_Down, Qt::ShiftModifier);
  }
  TransactionRecord Stored(std::uint32_t id) {
    CTransactionItem item;
    return form->DataBase().GetTransaction(id, item).record;
  }

  std::uint32_t drinksId = 0;
  std::vector<std::uint32_t> expenses;
};

TEST_F(Bulk, SeveralRowsAreEditedAndDeletedTogether) {
  SelectExpenses();
  std::vector<std::uint32_t> selected = form->SelectedTransactionIds();
  std::sort(selected.begin(), selected.end());
  std::vector<std::uint32_t> wanted = expenses;
  std::sort(wanted.begin(), wanted.end());
  ASSERT_EQ(selected, wanted);
  EXPECT_EQ(form->SelectionText(), "3 transactions selected: expenses 33.70 $");
  EXPECT_TRUE(form->findChild<QPushButton*>("BtEdit")->isEnabled());

  OnModalOf<TFormBulkEdit>([&](TFormBulkEdit& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Change 3 transactions");
    auto* category = ::Find<QComboBox>(&dialog, "CBCategory");
    category->setCurrentIndex(category->findData(drinksId));
    Click(::Find<QPushButton>(&dialog, "BtOk"));
  });
  Key(Qt::Key_E, Qt::ControlModifier);
  for (std::uint32_t id : expenses) {
    EXPECT_EQ(Stored(id).categoryId, drinksId) << id;
    ASSERT_NE(Row(id), nullptr);
    EXPECT_EQ(NodeOf(Row(id)->parent())->subTypeId, drinksId);
  }
  EXPECT_EQ(Stored(salary).categoryId, foodId);
  EXPECT_EQ(form->SelectedTransactionIds().size(), 3u) << "the changed rows stay selected";
  EXPECT_TRUE(messages.empty());

  // All rows shown, the income among them: an expense category is refused
  // and the dialog stays until it is cancelled.
  ExpandAllRows(control);
  Key(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(form->SelectedTransactionIds().size(), 4u);
  EXPECT_EQ(form->SelectionText(), "4 transactions selected: incomes 100.00 $, expenses 33.70 $");
  OnModalOf<TFormBulkEdit>([&](TFormBulkEdit& dialog) {
    auto* category = ::Find<QComboBox>(&dialog, "CBCategory");
    category->setCurrentIndex(category->findText("Expense: Food"));
    Click(::Find<QPushButton>(&dialog, "BtOk"));
    EXPECT_TRUE(dialog.isVisible());
    Click(::Find<QPushButton>(&dialog, "BtCancel"));
  });
  Key(Qt::Key_E, Qt::ControlModifier);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0],
            "Nothing was changed:\n- 1 transaction is of another kind than the category "
            "(expense, income or transfer).");
  EXPECT_EQ(Stored(bread).categoryId, drinksId);

  SelectExpenses();
  std::vector<QString> questions;
  SetConfirmationHook([&](QWidget*, const QString& text, QMessageBox::StandardButtons) {
    questions.push_back(text);
    return QMessageBox::Yes;
  });
  Key(Qt::Key_Delete);
  EXPECT_EQ(questions, std::vector<QString>{"Delete 3 transactions?"});
  for (std::uint32_t id : expenses) {
    EXPECT_EQ(form->DataBase().Transactions().Find(id), nullptr);
    EXPECT_EQ(Row(id), nullptr);
  }
  EXPECT_NE(Row(salary), nullptr);
  EXPECT_EQ(form->SelectionText(), "");
}

}  // namespace
