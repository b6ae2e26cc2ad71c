// The categories window, the subtype editor and the subtype picker through
// their controls, and the texts every window of this folder looks up.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>
#include <QtTest/QTest>

#include "DialogKit.h"
#include "DialogsTestUtil.h"
#include "Include.h"
#include "Localizationkit.h"
#include "Logger.h"
#include "Platform.h"
#include "SubTypeTree.h"
#include "Unitcalendar.h"
#include "Uniteditsheduler.h"
#include "Unitedittype.h"
#include "Unitselecttype.h"
#include "Unittransfer.h"
#include "Unittypes.h"

namespace {

QTreeWidgetItem* ItemNamed(QTreeWidget* tree, const std::string& name) {
  for (QTreeWidgetItemIterator it(tree); *it; ++it) {
    if (SubTypeNodeOf(*it)->name == name) return *it;
  }
  return nullptr;
}

// Answers every confirmation with `answer` and keeps the questions.
class CAnswer {
 public:
  explicit CAnswer(QMessageBox::StandardButton answer) {
    SetConfirmationHook(
        [this, answer](QWidget*, const QString& text, QMessageBox::StandardButtons buttons) {
          questions.push_back(text);
          offered = buttons;
          return answer;
        });
  }
  ~CAnswer() { SetConfirmationHook(nullptr); }
  std::vector<QString> questions;
  QMessageBox::StandardButtons offered;
};

class Types : public testing::Test {
 protected:
  // Runs the categories window on `tab` with `action`.
  void Run(int tab, std::function<void(TFormTypes*)> action) {
    TFormTypes window;
    OnModal([&](QWidget*) {
      action(&window);
      Click(Find<QPushButton>(&window, "BtExit"));
    });
    window.Execute(base.db, LinesImage(), tab);
  }
  std::vector<std::string> Children(std::uint32_t parent) {
    std::vector<std::string> names;
    for (const CSubTypeItem& item : base.db.GetSubTypeItems(parent)) names.push_back(item.name);
    return names;
  }

  CTestBase base;
};

}  // namespace

TEST_F(Types, DeleteWithOkLiftsTheChildrenAndWithAllRemovesThem) {
  const std::uint32_t food = base.AddSubType("Food", kExpenseRoot);
  const std::uint32_t dairy = base.AddSubType("Dairy", food);
  base.AddSubType("Milk", dairy);
  base.AddSubType("Rent", kExpenseRoot);
  Run(1, [&](TFormTypes* w) {
    EXPECT_EQ(Find<QTabBar>(w, "CategoryTab")->currentIndex(), 1);
    {
      CAnswer answer(QMessageBox::Ok);
      Find<QTreeWidget>(w, "SubTypeTree")
          ->setCurrentItem(ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Food"));
      Click(Find<QPushButton>(w, "BtDelete"));
      ASSERT_EQ(answer.questions.size(), 1u);
      EXPECT_EQ(answer.questions[0], "Delete only item \"Food\", or delete it with all sub items?");
      EXPECT_TRUE(answer.offered.testFlag(QMessageBox::YesToAll));
    }
    EXPECT_EQ(Children(kExpenseRoot), (std::vector<std::string>{"Dairy", "Rent"}));
    QTreeWidgetItem* lifted = ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Dairy");
    ASSERT_NE(lifted, nullptr);
    EXPECT_EQ(lifted->parent(), nullptr);
    EXPECT_EQ(ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Food"), nullptr);
    EXPECT_EQ(SubTypeNodeOf(ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Milk"))->depth, 2);
    {
      CAnswer answer(QMessageBox::YesToAll);
      Find<QTreeWidget>(w, "SubTypeTree")->setCurrentItem(lifted);
      Click(Find<QPushButton>(w, "BtDelete"));
    }
    EXPECT_EQ(Children(kExpenseRoot), (std::vector<std::string>{"Rent"}));
    EXPECT_EQ(ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Milk"), nullptr);
    {
      CAnswer answer(QMessageBox::Cancel);
      Find<QTreeWidget>(w, "SubTypeTree")
          ->setCurrentItem(ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Rent"));
      Click(Find<QPushButton>(w, "BtDelete"));
      ASSERT_EQ(answer.questions.size(), 1u);
      EXPECT_EQ(answer.questions[0], "Delete item \"Rent\"?");
      EXPECT_FALSE(answer.offered.testFlag(QMessageBox::YesToAll));
    }
    EXPECT_EQ(Children(kExpenseRoot), (std::vector<std::string>{"Rent"}));
  });
}

TEST_F(Types, DeleteQuestionSaysHowManyTransactionsUseTheItem) {
  const std::uint32_t food = base.AddSubType("Food", kExpenseRoot);
  const std::uint32_t dairy = base.AddSubType("Dairy", food);
  const std::uint32_t anna = base.AddSubType("Anna", kMemberRoot);
  base.AddSubType("Rent", kExpenseRoot);
  auto use = [&](std::uint32_t category, std::uint32_t member) {
    CTransactionItem item;
    item.record.fromAccount = base.cash;
    item.record.categoryId = category;
    item.record.memberId = member;
    base.db.AddTransaction(item);
  };
  use(food, 0);
  use(dairy, anna);
  CPlnTransactionItem planned;
  planned.record.transaction.categoryId = dairy;
  base.db.AddPlnTransaction(planned);
  const std::string line =
      "transactions (planned ones included) use it or its sub items; they will show without it.";
  struct Case {
    int tab;
    const char* name;
    QString question;
  };
  const Case cases[] = {
      {1, "Food",
       "Delete only item \"Food\", or delete it with all sub items?\n\n3 " +
           QString::fromStdString(line)},
      {1, "Dairy", "Delete item \"Dairy\"?\n\n2 " + QString::fromStdString(line)},
      {3, "Anna",  // one use: the singular
       "Delete item \"Anna\"?\n\n1 transaction (planned ones included) uses it or its sub "
       "items; it will show without it."},
      {1, "Rent", "Delete item \"Rent\"?"},  // unused: the question alone
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Run(c.tab, [&](TFormTypes* w) {
      CAnswer answer(QMessageBox::Cancel);
      Find<QTreeWidget>(w, "SubTypeTree")
          ->setCurrentItem(ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), c.name));
      Click(Find<QPushButton>(w, "BtDelete"));
      ASSERT_EQ(answer.questions.size(), 1u);
      EXPECT_EQ(answer.questions[0], c.question);
    });
  }
}

TEST_F(Types, StoresThatFailAreReportedAndChangeNothing) {
  const std::uint32_t rent = base.AddSubType("Rent", kIncomeRoot);
  CMessages messages;
  base.db.failStores = true;
  Run(0, [&](TFormTypes* w) {
    // Add and edit: the editor stays open with the name typed.
    for (QPushButton* button : {Find<QPushButton>(w, "BtAdd"), Find<QPushButton>(w, "BtEdit")}) {
      OnModal(
          [&](QWidget* e) {
            TypeInto(Find<QLineEdit>(e, "EdName"), "Salary");
            Click(Find<QPushButton>(e, "BtOk"));
            EXPECT_TRUE(e->isVisible());
            EXPECT_EQ(Find<QLineEdit>(e, "EdName")->text(), "Salary");
            Click(Find<QPushButton>(e, "BtCancel"));
          },
          w);
      Find<QTreeWidget>(w, "SubTypeTree")
          ->setCurrentItem(ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Rent"));
      Click(button);
    }
    CAnswer answer(QMessageBox::Ok);
    Find<QTreeWidget>(w, "SubTypeTree")
        ->setCurrentItem(ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Rent"));
    Click(Find<QPushButton>(w, "BtDelete"));
    EXPECT_NE(ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Rent"), nullptr);
    EXPECT_EQ(ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Salary"), nullptr);
  });
  EXPECT_EQ(messages.texts.size(), 3u);
  EXPECT_EQ(Children(kIncomeRoot), (std::vector<std::string>{"Rent"}));
  CSubTypeItem item;
  EXPECT_EQ(base.db.GetSubType(rent, item).name, "Rent");
}

TEST(MessageBoxes, ErrorsShowTheCriticalIconAndQuestionsTheQuestionIcon) {
  InstallMessageBoxes();
  std::vector<QMessageBox::Icon> icons;
  auto answer = [&icons](QWidget* box) {
    icons.push_back(static_cast<QMessageBox*>(box)->icon());
    static_cast<QMessageBox*>(box)->done(QMessageBox::Ok);
  };
  OnModal(answer);
  ShowMessage("Can't open file");
  OnModal(answer);
  AskConfirmation(nullptr, "Delete item?", QMessageBox::Ok | QMessageBox::Cancel);
  SetMessageHook({});
  EXPECT_EQ(icons, (std::vector<QMessageBox::Icon>{QMessageBox::Critical, QMessageBox::Question}));
}

TEST_F(Types, AddMakesSiblingsAndAddSubMakesChildren) {
  Run(3, [&](TFormTypes* w) {
    EXPECT_TRUE(Find<QPushButton>(w, "BtAdd")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(w, "BtAddSub")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(w, "BtEdit")->isEnabled());
    EXPECT_FALSE(Find<QAction>(w, "Delete1")->isEnabled());
    OnModal(
        [](QWidget* e) {
          TypeInto(Find<QLineEdit>(e, "EdName"), "Anna");
          Click(Find<QPushButton>(e, "BtOk"));
        },
        w);
    Click(Find<QPushButton>(w, "BtAdd"));  // nothing selected: a top-level member
    QTreeWidgetItem* anna = ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Anna");
    ASSERT_NE(anna, nullptr);
    Find<QTreeWidget>(w, "SubTypeTree")->setCurrentItem(anna);
    EXPECT_TRUE(Find<QPushButton>(w, "BtAddSub")->isEnabled());
    EXPECT_TRUE(Find<QAction>(w, "AddSub1")->isEnabled());
    EXPECT_TRUE(Find<QAction>(w, "Edit1")->isEnabled());
    OnModal(
        [](QWidget* e) {
          TypeInto(Find<QLineEdit>(e, "EdName"), "Anna's school");
          Click(Find<QPushButton>(e, "BtOk"));
        },
        w);
    Find<QAction>(w, "AddSub1")->trigger();
    OnModal(
        [](QWidget* e) {
          TypeInto(Find<QLineEdit>(e, "EdName"), "Bob");
          Click(Find<QPushButton>(e, "BtOk"));
        },
        w);
    Find<QTreeWidget>(w, "SubTypeTree")
        ->setCurrentItem(ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Anna's school"));
    Click(Find<QPushButton>(w, "BtAdd"));  // a sibling of the selected node
  });
  ASSERT_EQ(Children(kMemberRoot), (std::vector<std::string>{"Anna"}));
  const std::uint32_t anna = base.db.GetSubTypeItems(kMemberRoot)[0].id;
  EXPECT_EQ(Children(anna), (std::vector<std::string>{"Anna's school", "Bob"}));
}

TEST_F(Types, EditRenamesAndAnEmptyNameCannotBeConfirmed) {
  const std::uint32_t rent = base.AddSubType("Rent", kIncomeRoot);
  Run(0, [&](TFormTypes* w) {
    OnModal(
        [](QWidget* e) {
          auto* name = Find<QLineEdit>(e, "EdName");
          auto* ok = Find<QPushButton>(e, "BtOk");
          EXPECT_EQ(name->text(), "Rent");
          name->clear();
          EXPECT_FALSE(ok->isEnabled());
          Click(ok);
          EXPECT_TRUE(e->isVisible());
          QTest::keyClicks(name, "Rents");
          QTest::mouseClick(Find<QLabel>(e, "LbShowQuantity"), Qt::LeftButton);
          EXPECT_TRUE(Find<QCheckBox>(e, "CBShowQuantity")->isChecked());
          Click(ok);
        },
        w);
    DoubleClick(Find<QTreeWidget>(w, "SubTypeTree"),
                ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Rent"));  // a leaf is edited
    EXPECT_NE(ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Rents"), nullptr);
  });
  CSubTypeItem item;
  base.db.GetSubType(rent, item);
  EXPECT_EQ(item.name, "Rents");
  EXPECT_EQ(item.record.showQuantity, 1);
  EXPECT_EQ(item.record.parentId, kIncomeRoot);
}

// A subtype moves below another parent of its tree, from the editor's
// parent list or by a drop in the tree; a move below its own sub items is
// refused with a word. The editor names what it edits and offers the
// quantity flag only for categories.
TEST_F(Types, SubTypesMoveByParentListOrDropAndLoopsAreRefused) {
  const std::uint32_t food = base.AddSubType("Food", kExpenseRoot);
  const std::uint32_t bread = base.AddSubType("Bread", food);
  const std::uint32_t car = base.AddSubType("Car", kExpenseRoot);
  base.AddSubType("Anna", kMemberRoot);
  struct Case {
    int tab;
    const char* name;
    QString caption;
    bool quantity;
    QStringList parents;
    const char* choose;  // the parent chosen in the list
  };
  const Case cases[] = {
      {1, "Car", "Category", true, {"(top level)", "Food", "Bread"}, "Food"},
      {1, "Bread", "Category", true, {"(top level)", "Food", "Car"}, "Car"},
      {3, "Anna", "Family member", false, {"(top level)"}, "(top level)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Run(c.tab, [&](TFormTypes* w) {
      OnModal(
          [&](QWidget* e) {
            EXPECT_EQ(e->windowTitle(), c.caption);
            EXPECT_EQ(Find<QCheckBox>(e, "CBShowQuantity")->isVisible(), c.quantity);
            auto* parents = Find<QComboBox>(e, "CBParent");
            QStringList shown;
            for (int i = 0; i < parents->count(); ++i) shown << parents->itemText(i).trimmed();
            EXPECT_EQ(shown, c.parents);
            parents->setCurrentIndex(static_cast<int>(shown.indexOf(c.choose)));
            Click(Find<QPushButton>(e, "BtOk"));
          },
          w);
      auto* tree = Find<QTreeWidget>(w, "SubTypeTree");
      tree->setCurrentItem(ItemNamed(tree, c.name));
      Click(Find<QPushButton>(w, "BtEdit"));
    });
  }
  EXPECT_EQ(Children(food), std::vector<std::string>{"Car"});
  EXPECT_EQ(Children(car), std::vector<std::string>{"Bread"});

  Run(1, [&](TFormTypes* w) {
    auto* tree = qobject_cast<CSubTypeTreeControl*>(Find<QTreeWidget>(w, "SubTypeTree"));
    ASSERT_NE(tree, nullptr);
    CAnswer answer(QMessageBox::Ok);
    emit tree->SubTypeDropped(ItemNamed(tree, "Car"), ItemNamed(tree, "Bread"));  // a loop
    EXPECT_EQ(answer.questions.size(), 1u);
    emit tree->SubTypeDropped(ItemNamed(tree, "Bread"), nullptr);  // to the top level
    EXPECT_EQ(answer.questions.size(), 1u);
    ASSERT_NE(ItemNamed(tree, "Bread"), nullptr);
    EXPECT_EQ(ItemNamed(tree, "Bread")->parent(), nullptr);
    EXPECT_EQ(tree->currentItem(), ItemNamed(tree, "Bread"));
  });
  CSubTypeItem item;
  EXPECT_EQ(base.db.GetSubType(bread, item).record.parentId, kExpenseRoot);
  EXPECT_EQ(base.db.GetSubType(car, item).record.parentId, food);
}

TEST_F(Types, DeepTreesShareTheLastStripFromTheFifthLevel) {
  std::uint32_t parent = kTransferRoot;
  for (int level = 1; level <= 6; ++level) {
    parent = base.AddSubType("Level " + std::to_string(level), parent);
  }
  Run(2, [&](TFormTypes* w) {
    const int strips[] = {3, 4, 5, 6, 7, 7};
    const int sizes[] = {10, 10, 9, 9, 9, 9};
    for (int level = 1; level <= 6; ++level) {
      const CSubTypeNode* node = SubTypeNodeOf(
          ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Level " + std::to_string(level)));
      ASSERT_NE(node, nullptr);
      EXPECT_EQ(node->depth, level);
      EXPECT_EQ(node->strip, strips[level - 1]) << level;
      EXPECT_EQ(node->fontSize, sizes[level - 1]) << level;
    }
  });
}

// A chain of 100,000 nested categories: the window shows the first 64
// levels instead of recursing through all of them.
TEST_F(Types, DeepChainIsLoadedToTheTreesDepthLimit) {
  base.db.BeginBatch();
  std::uint32_t parent = kTransferRoot;
  for (int level = 1; level <= 100000; ++level)
    parent = base.AddSubType("Level " + std::to_string(level), parent);
  ASSERT_TRUE(base.db.EndBatch("test"));
  Run(2, [&](TFormTypes* w) {
    const QTreeWidgetItem* last = ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Level 64");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(SubTypeNodeOf(last)->depth, kMaxSubTypeDepth);
    EXPECT_EQ(ItemNamed(Find<QTreeWidget>(w, "SubTypeTree"), "Level 65"), nullptr);
  });
}

TEST(Picker, DoubleClickExpandsACollapsedParentAndThenChooses) {
  CTestBase base;
  const std::uint32_t food = base.AddSubType("Food", kExpenseRoot);
  base.AddSubType("Dairy", food);
  base.AddSubType("Salary", kIncomeRoot);
  TFormSelectType picker;
  OnModal([&](QWidget*) {
    QTreeWidget* tree = Find<QTreeWidget>(&picker, "SubTypeTree");
    ASSERT_EQ(tree->topLevelItemCount(), 1);  // only the expense tree
    QTreeWidgetItem* item = tree->topLevelItem(0);
    EXPECT_TRUE(item->isExpanded());
    item->setExpanded(false);
    DoubleClick(tree, item);
    EXPECT_TRUE(item->isExpanded());
    EXPECT_TRUE(picker.isVisible());
    DoubleClick(tree, item);
  });
  EXPECT_EQ(picker.Execute(base.db, LinesImage(), kExpenseRoot), food);
}

TEST(Picker, CancelOrNoSelectionAnswersNothing) {
  CTestBase base;
  base.AddSubType("Food", kExpenseRoot);
  {
    TFormSelectType picker;
    OnModal([&](QWidget*) {
      Find<QTreeWidget>(&picker, "SubTypeTree")
          ->setCurrentItem(Find<QTreeWidget>(&picker, "SubTypeTree")->topLevelItem(0));
      Click(Find<QPushButton>(&picker, "BtCancel"));
    });
    EXPECT_EQ(picker.Execute(base.db, LinesImage(), kExpenseRoot), 0u);
  }
  {
    TFormSelectType picker;
    OnModal([&](QWidget*) { Click(Find<QPushButton>(&picker, "BtOK")); });
    EXPECT_EQ(picker.Execute(base.db, LinesImage(), kExpenseRoot), 0u);
  }
  std::vector<std::string> errors;
  SetLogTap([&](std::uint8_t level, const std::string& text) {
    if (level == 3) errors.push_back(text);
  });
  TFormSelectType picker;
  EXPECT_EQ(picker.Execute(base.db, QPixmap(), kExpenseRoot), 0u);
  TFormTypes types;
  types.Execute(base.db, QPixmap(), 0);
  SetLogTap(nullptr);
  EXPECT_EQ(errors, (std::vector<std::string>{"[Select Type] Not initialized!",
                                              "[Types Directory] Not initialized!"}));
}

TEST(LanguageFile, DefinesEveryTextOfTheseWindows) {
  InitLocalization(PARDOW_SOURCE_DIR "/resources/Lang/english.txt");
  ASSERT_TRUE(GetLocalizationKit()->IsFileRead());
  {
    TFormTransfer transfer;
    TFormEditSheduler schedule;
    TFormTypes types;
    TFormEditType editType;
    TFormSelectType selectType;
    TFormCalendar calendar;
  }
  const auto& missing = GetLocalizationKit()->GetMissingTexts();
  for (const auto& [id, text] : missing) ADD_FAILURE() << id << " = \"" << text << "\"";
  EXPECT_TRUE(missing.empty());
}
