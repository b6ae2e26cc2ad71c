// The transaction commands of the main window, driven through its real
// controls and the real transaction editor.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPrintDialog>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>

#include "DialogKit.h"
#include "Include.h"
#include "MainWindowFixture.h"
#include "Settingsstorage.h"
#include "Unittransfer.h"
#include "WindowDriver.h"

namespace {

// Acts on the transaction editor as soon as it is shown modally.
void WhenEditorShows(std::function<void(TFormTransfer&)> act) {
  OnModalOf<TFormTransfer>(std::move(act));
}

class Commands : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    MakeDemo(DataPath("demo2.vlt"));
    {
      CDataBase db;  // show the Cash account, which has Bread and Salary
      db.Open(DataPath("demo2.vlt"));
      db.SetSelectedAccount(0);
    }
    form = std::make_unique<TFormMain>();
    Start(*form);
    tree = form->FundsTreeNodes();
    control = form->findChild<QTreeWidget*>("FundsTree");
  }
  void TearDown() override {
    SetConfirmationHook({});
    form.reset();
    MainWindow::TearDown();
  }
  CTransactionNode* Food(CTransactionNode* top) {
    auto it = top->children.find(foodId);
    return it == top->children.end() ? nullptr : it->second.get();
  }
  CTransactionNode* Leaf(CTransactionNode* category, std::uint32_t id) {
    auto it = category->children.find(id);
    return it == category->children.end() ? nullptr : it->second.get();
  }
  void Select(CTransactionNode* node) { control->setCurrentItem(tree->ItemOf(node)); }

  std::unique_ptr<TFormMain> form;
  CTransactionsTree* tree = nullptr;
  QTreeWidget* control = nullptr;
};

}  // namespace

TEST_F(Commands, NewStoresAndShowsTheTransactionWithItsTotals) {
  ASSERT_EQ(tree->Expenses()->sum, M(30));
  WhenEditorShows([](TFormTransfer& editor) {
    ::Find<QComboBox>(&editor, "EdDescription")->setEditText("Milk");
    ::Find<QLineEdit>(&editor, "EdSumm")->setText("12.5");
    ::Find<QPushButton>(&editor, "BtOk")->click();
  });
  form->findChild<QPushButton*>("BtNew")->click();
  EXPECT_EQ(tree->Expenses()->sum, M(42.5));
  EXPECT_EQ(form->DataBase().Transactions().size(), 5u);
  std::uint32_t milk = 0;
  form->DataBase().Transactions().ForEachDescending(
      [&](std::uint32_t id, TTransactionIndexes::Ptr) {
        milk = id;
        return false;
      });
  ASSERT_NE(Leaf(tree->Expenses(), milk), nullptr) << "no category: right under Expenses";
  EXPECT_EQ(Leaf(tree->Expenses(), milk)->sum, M(12.5));
  EXPECT_EQ(form->findChild<QLabel*>("LbBalanceValue")->text(), "-22.50 $")
      << "70 - 12.50 dollars and -40 euros at 2";
}

TEST_F(Commands, CancelPlacesNothingAndLogsNothing) {
  CCapture capture;
  WhenEditorShows([](TFormTransfer& editor) { ::Find<QPushButton>(&editor, "BtCancel")->click(); });
  form->BtNewClick();
  EXPECT_FALSE(capture.LoggedPrefix("[InsertTransaction]"));
  EXPECT_EQ(form->DataBase().Transactions().size(), 4u);
}

TEST_F(Commands, EditingTheDateOutOfTheIntervalRemovesTheRow) {
  CTransactionNode* node = Leaf(Food(tree->Expenses()), bread);
  ASSERT_NE(node, nullptr);
  Select(node);
  EXPECT_TRUE(form->findChild<QPushButton*>("BtEdit")->isEnabled());
  WhenEditorShows([](TFormTransfer& editor) {
    ::Find<QDateEdit>(&editor, "EDDate")->setDate(QDate(2006, 10, 2));
    ::Find<QPushButton>(&editor, "BtOk")->click();
  });
  form->EditClick();
  EXPECT_EQ(Leaf(Food(tree->Expenses()), bread), nullptr);
  EXPECT_EQ(tree->Expenses()->sum, 0);
  CTransactionItem stored;
  EXPECT_EQ(form->DataBase().GetTransaction(bread, stored).record.date, EncodeDate(2006, 10, 2));
}

TEST_F(Commands, EditingTheSumKeepsTheRowAndItsScreenItem) {
  CTransactionNode* node = Leaf(Food(tree->Expenses()), bread);
  QTreeWidgetItem* item = tree->ItemOf(node);
  Select(node);
  WhenEditorShows([](TFormTransfer& editor) {
    ::Find<QLineEdit>(&editor, "EdSumm")->setText("31");
    ::Find<QPushButton>(&editor, "BtOk")->click();
  });
  form->findChild<QPushButton*>("BtEdit")->click();
  ASSERT_NE(Leaf(Food(tree->Expenses()), bread), nullptr);
  EXPECT_EQ(Leaf(Food(tree->Expenses()), bread)->item, item);
  EXPECT_EQ(tree->Expenses()->sum, M(31));
}

TEST_F(Commands, DeleteAsksAndKeepsTheEmptiedCategory) {
  std::vector<QString> questions;
  QMessageBox::StandardButton answer = QMessageBox::No;
  SetConfirmationHook([&](QWidget*, const QString& text, QMessageBox::StandardButtons) {
    questions.push_back(text);
    return answer;
  });
  Select(Leaf(Food(tree->Expenses()), bread));
  form->DeleteClick();
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], "Delete Transaction \"Bread\"?");
  EXPECT_NE(Leaf(Food(tree->Expenses()), bread), nullptr) << "No changes nothing";
  answer = QMessageBox::Yes;
  Select(Leaf(Food(tree->Expenses()), bread));
  form->DeleteClick();
  EXPECT_EQ(Leaf(Food(tree->Expenses()), bread), nullptr);
  ASSERT_NE(Food(tree->Expenses()), nullptr) << "the category stays until a full rebuild";
  EXPECT_EQ(Food(tree->Expenses())->sum, 0);
  CTransactionItem gone;
  EXPECT_EQ(form->DataBase().GetTransaction(bread, gone).id, 0u);
  EXPECT_EQ(form->findChild<QLabel*>("LbBalanceValue")->text(), "20.00 $");
}

TEST_F(Commands, CopyOnACategoryPresetsItAndOnATransactionCopiesIt) {
  Select(Food(tree->Expenses()));
  QString presetCategory;
  WhenEditorShows([&](TFormTransfer& editor) {
    presetCategory = ::Find<QLineEdit>(&editor, "EdType")->text();
    ::Find<QPushButton>(&editor, "BtCancel")->click();
  });
  form->New_CopyClick();
  EXPECT_EQ(presetCategory, "Food");

  Select(Leaf(Food(tree->Expenses()), bread));
  QString copiedName;
  WhenEditorShows([&](TFormTransfer& editor) {
    copiedName = ::Find<QComboBox>(&editor, "EdDescription")->currentText();
    ::Find<QPushButton>(&editor, "BtOk")->click();
  });
  form->New_CopyClick();
  EXPECT_EQ(copiedName, "Bread");
  EXPECT_EQ(form->DataBase().Transactions().size(), 5u);
  EXPECT_EQ(Food(tree->Expenses())->sum, M(60));
}

TEST_F(Commands, CommandsFollowTheSelection) {
  auto enabled = [&](const char* name) { return form->findChild<QPushButton*>(name)->isEnabled(); };
  control->setCurrentItem(nullptr);
  EXPECT_FALSE(enabled("BtNewCopy"));
  EXPECT_FALSE(enabled("BtEdit"));
  Select(Food(tree->Expenses()));
  EXPECT_TRUE(enabled("BtNewCopy"));
  EXPECT_FALSE(enabled("BtEdit"));
  EXPECT_FALSE(enabled("BtDel"));
  Select(Leaf(Food(tree->Expenses()), bread));
  EXPECT_TRUE(enabled("BtEdit"));
  EXPECT_TRUE(enabled("BtDel"));
}

TEST_F(Commands, QuickExpenseMenuListsRecentDescriptions) {
  form->FillExpensesMenu();
  QMenu* menu = form->findChild<QMenu*>("ExpensesMenu");
  ASSERT_EQ(menu->actions().size(), 1);
  EXPECT_EQ(menu->actions()[0]->objectName(), "FastExpence_0");
  EXPECT_EQ(menu->actions()[0]->text(), "Bread");
  EXPECT_EQ(menu->actions()[0]->toolTip(), QString::number(bread));

  // A template opens as a new transaction dated today.
  QDate shownDate;
  WhenEditorShows([&](TFormTransfer& editor) {
    shownDate = ::Find<QDateEdit>(&editor, "EDDate")->date();
    ::Find<QPushButton>(&editor, "BtOk")->click();
  });
  menu->actions()[0]->trigger();
  EXPECT_EQ(shownDate, QDate(2006, 9, 20));
  EXPECT_EQ(form->DataBase().Transactions().size(), 5u);

  GetSettings().SetMaximumQuickExpenses(5);
  CDataBase& db = form->DataBase();
  for (int i = 0; i < 8; ++i) {
    CTransactionItem t;
    t.description = "Item " + std::to_string(i);
    t.record.fromAccount = 103;
    db.AddTransaction(t);
  }
  form->FillExpensesMenu();
  EXPECT_EQ(menu->actions().size(), 5);

  form->OpenDataBase("");  // nothing open: an empty account list gives "<none>"
  CDataBase fresh;
  fresh.Create(DataPath("empty.vlt"));
  fresh.Close();
  form->OpenDataBase(DataPath("empty.vlt"));
  form->FillExpensesMenu();
  ASSERT_EQ(menu->actions().size(), 1);
  EXPECT_EQ(menu->actions()[0]->objectName(), "FastExpenceNone");
  EXPECT_EQ(menu->actions()[0]->text(), "<none>");
  EXPECT_FALSE(menu->actions()[0]->isEnabled());
}

TEST_F(Commands, PrintOffersTheSelectionOnlyWhenARowIsSelected) {
  struct Case {
    const char* name;
    CTransactionNode* selected;
    QAbstractPrintDialog::PrintRange range;
  } cases[] = {
      {"nothing selected", nullptr, QAbstractPrintDialog::AllPages},
      {"Food selected", Food(tree->Expenses()), QAbstractPrintDialog::Selection},
  };
  for (const Case& c : cases) {
    control->clearSelection();
    if (c.selected != nullptr) Select(c.selected);
    QAbstractPrintDialog::PrintRange range = QAbstractPrintDialog::CurrentPage;
    bool offered = false;
    OnModal([&](QWidget* w) {
      auto* dialog = qobject_cast<QPrintDialog*>(w);
      ASSERT_NE(dialog, nullptr) << c.name;
      range = dialog->printRange();
      offered = dialog->testOption(QAbstractPrintDialog::PrintSelection);
      dialog->reject();
    });
    form->findChild<QAction*>("MnPrint")->trigger();
    EXPECT_EQ(range, c.range) << c.name;
    EXPECT_EQ(offered, c.selected != nullptr) << c.name;
  }
}

TEST_F(Commands, ReopenMenuListsTheLastFilesFirst) {
  CDataBase other;
  other.Create(DataPath("other.vlt"));
  other.Close();
  form->OpenDataBase(DataPath("other.vlt"));
  QMenu* reopen = form->findChild<QMenu*>("MnReopen");
  ASSERT_EQ(reopen->actions().size(), 2);
  EXPECT_EQ(reopen->actions()[0]->text().toStdString(), DataPath("other.vlt"));
  EXPECT_EQ(reopen->actions()[1]->objectName(), "OpenLast_1");
  reopen->actions()[1]->trigger();
  EXPECT_EQ(form->DataBase().GetFileName(), DataPath("demo2.vlt"));
  EXPECT_EQ(reopen->actions()[0]->text().toStdString(), DataPath("demo2.vlt"));
}

TEST_F(Commands, HeaderClicksSortAndToggleTheDirection) {
  CDataBase& db = form->DataBase();
  // Dated so that the date order is the sum order (Bread, 30, is on the 10th).
  for (auto [amount, day] : {std::pair{5.0, 3u}, std::pair{50.0, 20u}, std::pair{1.0, 1u}}) {
    CTransactionItem t;
    t.description = "x" + std::to_string(amount);
    t.record.date = EncodeDate(2006, 9, day);
    t.record.fromAccount = 103;
    t.record.categoryId = foodId;
    t.record.amountOut = t.record.amountIn = M(amount);
    db.AddTransaction(t);
  }
  form->RebuildTrees(true);
  QTreeWidgetItem* food = Food(tree->Expenses())->item;
  food->setExpanded(true);
  auto sums = [&] {
    std::vector<Money> out;
    for (int i = 0; i < food->childCount(); ++i) out.push_back(NodeOf(food->child(i))->sum);
    return out;
  };
  form->FundsHeaderSectionClick(2);
  EXPECT_EQ(sums(), (std::vector<Money>{M(1), M(5), M(30), M(50)}));
  form->FundsHeaderSectionClick(2);
  EXPECT_TRUE(form->SortDescending());
  EXPECT_EQ(sums(), (std::vector<Money>{M(50), M(30), M(5), M(1)}));
  form->FundsHeaderSectionClick(4);  // Date, ascending
  EXPECT_FALSE(form->SortDescending());
  EXPECT_EQ(sums(), (std::vector<Money>{M(1), M(5), M(30), M(50)}));
}

TEST_F(Commands, ColumnTogglesShowMembersAndSectionsPerTab) {
  auto* members = form->findChild<QToolButton*>("BtMembers");
  EXPECT_TRUE(control->isColumnHidden(5));
  members->click();
  EXPECT_FALSE(control->isColumnHidden(5));
  EXPECT_TRUE(control->isColumnHidden(6));
  EXPECT_TRUE(GetSettings().GetMemberssVisible(0));
  EXPECT_FALSE(GetSettings().GetMemberssVisible(1));
}

TEST_F(Commands, SchedulerTabWorksOnPlannedTransactions) {
  form->findChild<QTabBar*>("TransactionsTab")->setCurrentIndex(1);
  EXPECT_EQ(form->CurrentTab(), 1);
  WhenEditorShows([](TFormTransfer& editor) {
    ::Find<QComboBox>(&editor, "EdDescription")->setEditText("Rent");
    ::Find<QLineEdit>(&editor, "EdSumm")->setText("700");
    ::Find<QPushButton>(&editor, "BtOk")->click();
  });
  form->BtNewClick();
  ASSERT_EQ(form->DataBase().PlnTransactions().size(), 1u);
  TPlnTransactionInterval::iterator first, last;
  ASSERT_TRUE(form->DataBase().GetPlnTransactions(first, last));
  const std::uint32_t rent = first->id;
  CTransactionsTree* planned = form->ShedulerTreeNodes();
  ASSERT_NE(Leaf(planned->Expenses(), rent), nullptr);
  EXPECT_EQ(planned->Expenses()->sum, M(700));
  EXPECT_EQ(tree->Expenses()->sum, M(30)) << "the Transactions tree is untouched";

  std::vector<QString> questions;
  SetConfirmationHook([&](QWidget*, const QString& text, QMessageBox::StandardButtons) {
    questions.push_back(text);
    return QMessageBox::Yes;
  });
  form->findChild<QTreeWidget*>("ShedulerTree")
      ->setCurrentItem(planned->ItemOf(Leaf(planned->Expenses(), rent)));
  form->DeleteClick();
  EXPECT_TRUE(form->DataBase().PlnTransactions().empty());
  EXPECT_EQ(Leaf(planned->Expenses(), rent), nullptr);
  ASSERT_EQ(questions.size(), 1u);
}

TEST_F(Commands, NewAndCopiedTransactionsAreSelectedAndShown) {
  WhenEditorShows([](TFormTransfer& editor) {
    ::Find<QComboBox>(&editor, "EdDescription")->setEditText("Milk");
    ::Find<QLineEdit>(&editor, "EdSumm")->setText("12.5");
    ::Find<QPushButton>(&editor, "BtOk")->click();
  });
  form->BtNewClick();
  const CTransactionNode* added = NodeOf(control->currentItem());
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(tree->NameOf(const_cast<CTransactionNode*>(added)), "Milk");
  EXPECT_TRUE(form->findChild<QPushButton*>("BtEdit")->isEnabled()) << "Ctrl+E edits it";

  Select(Leaf(Food(tree->Expenses()), bread));
  WhenEditorShows([](TFormTransfer& editor) { ::Find<QPushButton>(&editor, "BtOk")->click(); });
  form->New_CopyClick();
  const CTransactionNode* copy = NodeOf(control->currentItem());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->kind, NodeTransaction);
  EXPECT_NE(copy->transactionId, bread);
  std::uint32_t newest = 0;
  form->DataBase().Transactions().ForEachDescending(
      [&](std::uint32_t id, TTransactionIndexes::Ptr) {
        newest = id;
        return false;
      });
  EXPECT_EQ(copy->transactionId, newest);
}

TEST_F(Commands, AFoundRowInACollapsedCategoryIsShownAndSelected) {
  CTransactionNode* food = Food(tree->Expenses());
  ASSERT_FALSE(food->item->isExpanded());
  EXPECT_EQ(Leaf(food, bread)->item, nullptr) << "a hidden row has no item yet";
  form->FindShowInMonth(bread);
  EXPECT_EQ(NodeOf(control->currentItem()), Leaf(food, bread));
  EXPECT_TRUE(food->item->isExpanded());
}

TEST_F(Commands, TheKeysOpenACollapsedCategoryAndWalkIntoItsRows) {
  CTransactionNode* food = Food(tree->Expenses());
  control->setCurrentItem(food->item);
  QTest::keyClick(control, Qt::Key_Right);
  EXPECT_TRUE(food->item->isExpanded());
  QTest::keyClick(control, Qt::Key_Down);
  EXPECT_EQ(NodeOf(control->currentItem()), Leaf(food, bread));
}

TEST_F(Commands, DoubleClickOnACategoryTogglesItOnce) {
  QTreeWidgetItem* food = Food(tree->Expenses())->item;
  for (bool expanded : {!food->isExpanded(), food->isExpanded()}) {
    const QPoint pos = control->visualItemRect(food).center();
    QTest::mouseClick(control->viewport(), Qt::LeftButton, {}, pos);
    QTest::mouseDClick(control->viewport(), Qt::LeftButton, {}, pos);
    QTest::mouseRelease(control->viewport(), Qt::LeftButton, {}, pos);
    EXPECT_EQ(food->isExpanded(), expanded);
  }
}

TEST_F(Commands, ShortcutsFollowTheSelectionAfterTheMenuWasOpened) {
  control->setCurrentItem(nullptr);
  form->BtMenuTransactionClick();  // the Transaction menu opens with nothing selected
  Select(Leaf(Food(tree->Expenses()), bread));
  for (const char* name : {"MnEdit", "MnDelete", "MnNewCopy"})
    EXPECT_TRUE(form->findChild<QAction*>(name)->isEnabled()) << name;
  control->setCurrentItem(nullptr);
  for (const char* name : {"MnEdit", "MnDelete", "MnNewCopy"})
    EXPECT_FALSE(form->findChild<QAction*>(name)->isEnabled()) << name;
}

TEST_F(Commands, SortIndicatorShowsTheOrderInUseAfterARefresh) {
  form->FundsHeaderSectionClick(2);
  form->FundsHeaderSectionClick(2);  // Sum, descending
  form->RefreshTotals(true);
  for (const char* name : {"FundsTree", "ShedulerTree"}) {
    QHeaderView* header = form->findChild<QTreeWidget*>(name)->header();
    EXPECT_EQ(header->sortIndicatorSection(), 2) << name;
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder) << name;
  }
}

TEST_F(Commands, ADeleteThatFailsIsReportedAndKeepsTheRow) {
  SetConfirmationHook(
      [](QWidget*, const QString&, QMessageBox::StandardButtons) { return QMessageBox::Yes; });
  Select(Leaf(Food(tree->Expenses()), bread));
  // The file no longer holds the row's transaction: its delete fails.
  ASSERT_TRUE(form->DataBase().DelTransaction(bread));
  form->DeleteClick();
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_NE(Leaf(Food(tree->Expenses()), bread), nullptr);
}

// Every slot of the window is cut off from its controls before they go.
TEST_F(Commands, NoHandlerRunsWhileTheWindowIsDestroyed) {
  std::vector<std::string> connected;
  TFormMain* window = form.get();
  for (QObject* child : window->findChildren<QObject*>()) {
    const std::string name =
        child->objectName().toStdString() + " (" + child->metaObject()->className() + ")";
    QObject::connect(child, &QObject::destroyed, [&connected, window, name](QObject* gone) {
      if (QObject::disconnect(gone, nullptr, window, nullptr)) connected.push_back(name);
    });
  }
  form.reset();
  EXPECT_TRUE(connected.empty()) << connected.front();
}