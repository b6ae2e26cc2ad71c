// The transaction editor through its controls: the linked boxes while
// typing, the three kinds, edit and copy modes, quick-expense templates,
// planned transactions with their schedule, the subtype boxes and the
// optional fields.
#include <gtest/gtest.h>

#include <QDateEdit>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>

#include "DialogKit.h"
#include "DialogsTestUtil.h"
#include "FileSizeLimit.h"
#include "Include.h"
#include "Logger.h"
#include "Settingsstorage.h"
#include "SubTypeTree.h"
#include "Unittransfer.h"

namespace {

class Editor : public testing::Test {
 protected:
  void SetUp() override { GetSettings().SetFullEditWindow(false); }

  // Opens a new item of `type` on `account` and runs `action` in the window.
  int New(std::function<void(TFormTransfer*)> action, std::uint32_t account = 0,
          std::uint32_t preset = 0, int type = kTransactionKind) {
    TFormTransfer editor;
    OnModal([&](QWidget*) { action(&editor); });
    const int result =
        editor.OpenNew(account ? account : base.cash, base.db, preset, type, LinesImage());
    itemId = editor.GetItemId();
    return result;
  }
  int Open(std::uint32_t id, bool resetExtras, bool asNew,
           std::function<void(TFormTransfer*)> action, int type = kTransactionKind) {
    TFormTransfer editor;
    OnModal([&](QWidget*) { action(&editor); });
    const int result = editor.Open(base.db, id, resetExtras, asNew, type, LinesImage());
    itemId = editor.GetItemId();
    return result;
  }
  CTransactionItem Stored() {
    CTransactionItem item;
    return base.db.GetTransaction(itemId, item);
  }

  CTestBase base;
  std::uint32_t itemId = 0;
};

QString Text(QLineEdit* box) {
  return box->text();
}

}  // namespace

TEST_F(Editor, TypingKeepsPriceQuantityAndSumConsistent) {
  EXPECT_EQ(New([](TFormTransfer* w) {
              EXPECT_EQ(Text(Find<QLineEdit>(w, "EdPrice")), "0.00");
              EXPECT_EQ(Text(Find<QLineEdit>(w, "EdQuantity")), "1");
              EXPECT_EQ(Text(Find<QLineEdit>(w, "EdSumm")), "0.00");
              EXPECT_EQ(w->windowTitle(), "New");
              EXPECT_EQ(w->focusWidget(), Find<QLineEdit>(w, "EdPrice"));
              TypeInto(Find<QLineEdit>(w, "EdPrice"), "12.5");
              EXPECT_EQ(Text(Find<QLineEdit>(w, "EdSumm")), "12.50");
              TypeInto(Find<QLineEdit>(w, "EdQuantity"), "3");
              EXPECT_EQ(Text(Find<QLineEdit>(w, "EdSumm")), "37.50");
              TypeInto(Find<QLineEdit>(w, "EdSumm"), "40");
              EXPECT_EQ(Text(Find<QLineEdit>(w, "EdPrice")), "13.33");
              EXPECT_EQ(Text(Find<QLineEdit>(w, "EdQuantity")), "3");
              Click(Find<QPushButton>(w, "BtOk"));
            }),
            kTransactionKind);
  const CTransactionItem item = Stored();
  ASSERT_GT(item.id, 100u);
  EXPECT_EQ(item.record.fromAccount, base.cash);
  EXPECT_EQ(item.record.toAccount, 0u);
  EXPECT_EQ(item.record.amountOut, M(40));
  EXPECT_EQ(item.record.amountIn, M(40));
  EXPECT_FLOAT_EQ(item.record.quantity, 3.0f);
  EXPECT_EQ(item.record.date, EncodeDate(2007, 5, 4));
}

TEST_F(Editor, ZeroPriceAndZeroQuantityFallBack) {
  New([](TFormTransfer* w) {
    TypeInto(Find<QLineEdit>(w, "EdPrice"), "0");
    TypeInto(Find<QLineEdit>(w, "EdSumm"), "10");  // the quantity is recomputed from a price of 0
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdQuantity")), "1");
    TypeInto(Find<QLineEdit>(w, "EdQuantity"), "0");  // now the price, from a quantity of 0
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdPrice")), "0.00");
    Click(Find<QPushButton>(w, "BtCancel"));
  });
  EXPECT_TRUE(base.Transactions().empty());
}

TEST_F(Editor, QuantityKeepsTheFourDecimalsItShows) {
  New([](TFormTransfer* w) {
    TypeInto(Find<QLineEdit>(w, "EdQuantity"), "1.2345");
    TypeInto(Find<QLineEdit>(w, "EdSumm"), "5");
    Click(Find<QPushButton>(w, "BtOk"));
  });
  const CTransactionItem item = Stored();
  EXPECT_FLOAT_EQ(item.record.quantity, 1.2345f);
  EXPECT_EQ(item.record.amountOut, M(5));
}

// Typing into an emptied box: what the box ends up showing is what OK stores.
TEST_F(Editor, TypedAmountsAreStoredAsShownOrRefusedAtOnce) {
  struct Case {
    EFieldType box;
    const char* typed;
    const char* shown;  // after typing
    const char* sum;    // the sum box then
  };
  const Case cases[] = {
      {efPrice, "1234567.89", "1234567.89", "1,234,567.89"},
      {efSum, "1,234,567,890.12", "1,234,567,890.1", "1,234,567,890.1"},  // 11 digits
      {efPrice, "99999999999999", "99999999999", "99,999,999,999.00"},    // 11 digits at most
      {efPrice, "-25", "25", "25.00"},                                    // no sign
      {efPrice, "abc-5", "5", "5.00"},
      {efPrice, "1.999", "1.99", "1.99"},           // two decimals
      {efQuantity, "16777217", "1677721", "0.00"},  // beyond what the file's float holds
      {efQuantity, "2.00005", "2.0000", "0.00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    std::string shownSum;
    New([&](TFormTransfer* w) {
      QLineEdit* box = c.box == efPrice ? Find<QLineEdit>(w, "EdPrice")
                       : c.box == efSum ? Find<QLineEdit>(w, "EdSumm")
                                        : Find<QLineEdit>(w, "EdQuantity");
      box->clear();
      QTest::keyClicks(box, c.typed);
      EXPECT_EQ(Text(box), c.shown);
      EXPECT_EQ(Text(Find<QLineEdit>(w, "EdSumm")), c.sum);
      shownSum = Text(Find<QLineEdit>(w, "EdSumm")).toStdString();
      QTest::keyClick(Find<QLineEdit>(w, "EdPrice"), Qt::Key_Return);  // Enter is OK
    });
    std::uint8_t error = 0;
    EXPECT_EQ(Stored().record.amountOut, StrToMoney(shownSum, error, 2));
  }
}

// The comma groups by threes here: "5,70" is shown on the way to "5,700"
// but never read as 570 or 5.70, and OK waits until the group is whole.
TEST_F(Editor, AnUnfinishedDigitGroupIsNeverReadAsAnotherNumber) {
  New([](TFormTransfer* w) {
    QLineEdit* sum = Find<QLineEdit>(w, "EdSumm");
    sum->clear();
    QTest::keyClicks(sum, "5,70");
    EXPECT_EQ(Text(sum), "5,70");
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdPrice")), "5.00");  // from "5,", which is 5
    Click(Find<QPushButton>(w, "BtOk"));
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(QToolTip::text().contains("groups of three"));  // says why
    sum->end(false);
    QTest::keyClicks(sum, "0");
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdPrice")), "5,700.00");
    Click(Find<QPushButton>(w, "BtOk"));
  });
  EXPECT_EQ(Stored().record.amountOut, M(5700));
}

TEST_F(Editor, ProductsBeyondTheLargestAmountAreRefusedWhileTyping) {
  New([](TFormTransfer* w) {
    TypeInto(Find<QLineEdit>(w, "EdPrice"), "99999999999");
    Find<QLineEdit>(w, "EdQuantity")->clear();
    QTest::keyClicks(Find<QLineEdit>(w, "EdQuantity"), "99999");
    // 99,999,999,999 x 9,999 leaves the range of an amount; x 999 does not.
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdQuantity")), "999");
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdSumm")), "99,899,999,999,001.00");
    Click(Find<QPushButton>(w, "BtOk"));
  });
  EXPECT_EQ(Stored().record.amountOut, Money{998999999990010000});
}

// Every amount the file can hold shows whole and comes back unchanged when
// the item is confirmed untouched, in each kind.
TEST_F(Editor, UntouchedStoredAmountsAreStoredUnchanged) {
  struct Case {
    std::uint32_t from, to;
    Money out, in;
    float quantity;
    const char* priceText;
  };
  const Money max = std::numeric_limits<Money>::max();
  const Case cases[] = {
      {base.cash, 0, M(1234567890.12), M(1234567890.12), 1.0f, "1,234,567,890.12"},
      {base.cash, 0, 12345, 12345, 1.0f, "1.23"},  // four decimals stay four
      {base.cash, 0, max, max, 1.0f, "922,337,203,685,477.58"},
      {base.cash, 0, M(10), M(10), 1.23456f, "8.10"},  // a float the box rounds
      {0, base.bank, M(99999999999.99), M(99999999999.99), 3.0f, "33,333,333,333.33"},
      {base.bank, base.savings, M(1234567890.12), 98765, 1.0f, "1,234,567,890.12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.priceText);
    CTransactionItem item;
    item.record.date = EncodeDate(2007, 4, 1) + 0.75;  // with a time of day
    item.record.fromAccount = c.from;
    item.record.toAccount = c.to;
    item.record.amountOut = c.out;
    item.record.amountIn = c.in;
    item.record.quantity = c.quantity;
    item.description = std::string(1500, 'd');  // longer than one may type
    item.comment = std::string(1500, 'c');
    const std::uint32_t id = base.db.AddTransaction(item);
    GetSettings().SetFullEditWindow(true);
    Open(id, false, false, [&](TFormTransfer* w) {
      EXPECT_EQ(Text(Find<QLineEdit>(w, "EdPrice")), c.priceText);
      EXPECT_EQ(Find<QComboBox>(w, "EdDescription")->currentText().size(), 1500);
      EXPECT_EQ(Find<QPlainTextEdit>(w, "MComment")->toPlainText().size(), 1500);
      // Typing does not make them longer.
      QTest::keyClick(Find<QComboBox>(w, "EdDescription")->lineEdit(), Qt::Key_End);
      QTest::keyClicks(Find<QComboBox>(w, "EdDescription")->lineEdit(), "x");
      Find<QPlainTextEdit>(w, "MComment")->moveCursor(QTextCursor::End);
      QTest::keyClicks(Find<QPlainTextEdit>(w, "MComment"), "x");
      Click(Find<QPushButton>(w, "BtOk"));
    });
    const CTransactionItem stored = Stored();
    EXPECT_EQ(stored.record.amountOut, c.out);
    EXPECT_EQ(stored.record.amountIn, c.in);
    EXPECT_EQ(stored.record.quantity, c.quantity);
    EXPECT_EQ(stored.record.date, item.record.date);
    EXPECT_EQ(stored.description, item.description);
    EXPECT_EQ(stored.comment, item.comment);
  }
}

TEST_F(Editor, AStoreThatFailsIsReportedAndKeepsTheWindowWithItsInput) {
  const std::uint32_t stored = base.AddExpense("Milk", 20);
  CPlnTransactionItem plan;
  plan.record.transaction.fromAccount = base.cash;
  const std::uint32_t planned = base.db.AddPlnTransaction(plan);
  struct Case {
    std::uint32_t id;  // 0: a new item
    int type;
  };
  for (const Case& c : {Case{0, kTransactionKind}, Case{stored, kTransactionKind},
                        Case{0, kPlnTransactionKind}, Case{planned, kPlnTransactionKind}}) {
    SCOPED_TRACE(c.id);
    CMessages messages;
    // The disk is full until the user tries again.
    auto full = std::make_unique<CFileSizeLimit>(base.db.GetFileSize());
    auto action = [&](TFormTransfer* w) {
      TypeInto(Find<QLineEdit>(w, "EdSumm"), "12.34");
      // A new text needs room in the file, even for an edit in place.
      Find<QPlainTextEdit>(w, "MComment")->setPlainText(QStringLiteral("paid in cash"));
      Click(Find<QPushButton>(w, "BtOk"));
      EXPECT_TRUE(w->isVisible());
      // One message, with the system's reason.
      EXPECT_EQ(messages.texts.size(), 1u) << ::testing::PrintToString(messages.texts);
      if (!messages.texts.empty()) {
        EXPECT_NE(messages.texts.back().find(std::strerror(EFBIG)), std::string::npos)
            << messages.texts.back();
      }
      EXPECT_EQ(Text(Find<QLineEdit>(w, "EdSumm")), "12.34");
      full.reset();
      Click(Find<QPushButton>(w, "BtOk"));  // stored now
    };
    const int result = c.id ? Open(c.id, false, false, action, c.type) : New(action, 0, 0, c.type);
    EXPECT_EQ(result, c.type);
    EXPECT_GT(itemId, 100u);
    EXPECT_EQ(messages.texts.size(), 1u);
  }
}

TEST_F(Editor, TransferInOneCurrencyMovesTheSameAmount) {
  New([this](TFormTransfer* w) {
    Find<QTabBar>(w, "TabTransaction")->setCurrentIndex(kKindTransfer);
    EXPECT_TRUE(Find<QComboBox>(w, "CBToAccount")->isVisible());
    EXPECT_EQ(Find<QLabel>(w, "LbPrice")->text(), "Sum");
    EXPECT_EQ(Find<QLabel>(w, "LbQuantity")->text(), "Exchange rate");
    Find<QComboBox>(w, "CBToAccount")
        ->setCurrentIndex(Find<QComboBox>(w, "CBToAccount")->findText("Bank"));
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdQuantity")), "1.0000");
    EXPECT_FALSE(Find<QLineEdit>(w, "EdQuantity")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>(w, "EdSumm")->isEnabled());
    TypeInto(Find<QLineEdit>(w, "EdPrice"), "50");
    Click(Find<QPushButton>(w, "BtOk"));
    (void)this;
  });
  const CTransactionItem item = Stored();
  EXPECT_EQ(item.record.fromAccount, base.cash);
  EXPECT_EQ(item.record.toAccount, base.bank);
  EXPECT_EQ(item.record.amountOut, M(50));
  EXPECT_EQ(item.record.amountIn, M(50));
  EXPECT_FLOAT_EQ(item.record.quantity, 1.0f);
}

TEST_F(Editor, TransferAcrossCurrenciesUsesTheRate) {
  New([](TFormTransfer* w) {
    Find<QTabBar>(w, "TabTransaction")->setCurrentIndex(kKindTransfer);
    Find<QComboBox>(w, "CBToAccount")
        ->setCurrentIndex(Find<QComboBox>(w, "CBToAccount")->findText("Savings"));
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdQuantity")), "0.8000");
    EXPECT_TRUE(Find<QLineEdit>(w, "EdQuantity")->isEnabled());
    EXPECT_TRUE(Find<QLineEdit>(w, "EdSumm")->isEnabled());
    TypeInto(Find<QLineEdit>(w, "EdPrice"), "100");
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdSumm")), "80.00");
    Click(Find<QPushButton>(w, "BtOk"));
  });
  const CTransactionItem item = Stored();
  EXPECT_EQ(item.record.toAccount, base.savings);
  EXPECT_EQ(item.record.amountOut, M(100));
  EXPECT_EQ(item.record.amountIn, M(80));

  // Opened again, the rate box shows amount in / amount out.
  Open(item.id, false, false, [](TFormTransfer* w) {
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdQuantity")), "0.8");
    EXPECT_EQ(Find<QLabel>(w, "LbTransactionName")->text(), "Transfer");
    Click(Find<QPushButton>(w, "BtCancel"));
  });
}

TEST_F(Editor, SwitchingTabsClearsTheCategory) {
  const std::uint32_t food = base.AddSubType("Food", kExpenseRoot);
  const std::uint32_t dairy = base.AddSubType("Dairy", food);
  New(
      [](TFormTransfer* w) {
        EXPECT_EQ(Text(Find<QLineEdit>(w, "EdType")), "Dairy");
        Find<QTabBar>(w, "TabTransaction")->setCurrentIndex(kKindIncome);
        EXPECT_EQ(Text(Find<QLineEdit>(w, "EdType")), "<none>");
        EXPECT_FALSE(Find<QComboBox>(w, "CBFromAccount")->isVisible());
        EXPECT_TRUE(Find<QComboBox>(w, "CBToAccount")->isVisible());
        TypeInto(Find<QLineEdit>(w, "EdSumm"), "7");
        Click(Find<QPushButton>(w, "BtOk"));
      },
      base.bank, dairy);
  const CTransactionItem item = Stored();
  EXPECT_EQ(item.record.categoryId, 0u);
  EXPECT_EQ(item.record.fromAccount, 0u);
  EXPECT_EQ(item.record.toAccount, base.bank);
}

TEST_F(Editor, EditModeHasNoTabsAndChangesTheItemInPlace) {
  const std::uint32_t id = base.AddExpense("Milk", 20, 2.0f);
  EXPECT_EQ(Open(id, false, false,
                 [](TFormTransfer* w) {
                   EXPECT_EQ(w->windowTitle(), "Edit");
                   EXPECT_EQ(Find<QTabBar>(w, "TabTransaction")->count(), 0);
                   EXPECT_FALSE(Find<QTabBar>(w, "TabTransaction")->isVisible());
                   EXPECT_TRUE(Find<QLabel>(w, "LbTransactionName")->isVisible());
                   EXPECT_TRUE(Find<QLabel>(w, "LbTransactionName")->font().bold());
                   EXPECT_EQ(Find<QLabel>(w, "LbTransactionName")->text(), "Expense");
                   EXPECT_EQ(Find<QComboBox>(w, "EdDescription")->currentText(), "Milk");
                   EXPECT_EQ(Text(Find<QLineEdit>(w, "EdPrice")), "10.00");
                   EXPECT_EQ(Find<QDateEdit>(w, "EDDate")->date(), QDate(2007, 4, 1));
                   TypeInto(Find<QLineEdit>(w, "EdSumm"), "30");
                   Click(Find<QPushButton>(w, "BtOk"));
                 }),
            kTransactionKind);
  EXPECT_EQ(itemId, id);
  ASSERT_EQ(base.Transactions().size(), 1u);
  EXPECT_EQ(Stored().record.amountOut, M(30));
  EXPECT_EQ(Stored().description, "Milk");
}

TEST_F(Editor, CopyModeKeepsTheTabsAndStoresANewItem) {
  CTransactionItem income;
  income.description = "Salary";
  income.record.date = EncodeDate(2007, 4, 30);
  income.record.toAccount = base.bank;
  income.record.amountOut = income.record.amountIn = M(1000);
  const std::uint32_t id = base.db.AddTransaction(income);
  Open(id, false, true, [](TFormTransfer* w) {
    EXPECT_EQ(w->windowTitle(), "New");
    EXPECT_EQ(Find<QTabBar>(w, "TabTransaction")->count(), 3);
    EXPECT_EQ(Find<QTabBar>(w, "TabTransaction")->currentIndex(), kKindIncome);
    EXPECT_EQ(Find<QDateEdit>(w, "EDDate")->date(), QDate(2007, 5, 4));
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdSumm")), "1,000.00");
    Click(Find<QPushButton>(w, "BtOk"));
  });
  EXPECT_NE(itemId, id);
  EXPECT_EQ(base.Transactions().size(), 2u);
  EXPECT_EQ(Stored().record.toAccount, base.bank);
  EXPECT_EQ(Stored().record.amountIn, M(1000));
  EXPECT_EQ(Stored().record.date, EncodeDate(2007, 5, 4));
  Open(id, false, true, [](TFormTransfer* w) { Click(Find<QPushButton>(w, "BtCancel")); });
  EXPECT_EQ(itemId, 0u);
}

TEST_F(Editor, QuickExpenseTemplateClearsTheExtras) {
  const std::uint32_t food = base.AddSubType("Food", kExpenseRoot);
  const std::uint32_t anna = base.AddSubType("Anna", kMemberRoot);
  const std::uint32_t home = base.AddSubType("Home", kSectionRoot);
  CTransactionItem item;
  item.description = "Apples";
  item.comment = "from the market";
  item.record.date = EncodeDate(2007, 4, 20);
  item.record.fromAccount = base.bank;
  item.record.amountOut = item.record.amountIn = M(30);
  item.record.quantity = 3.0f;
  item.record.categoryId = food;
  item.record.memberId = anna;
  item.record.sectionId = home;
  const std::uint32_t id = base.db.AddTransaction(item);
  GetSettings().SetFullEditWindow(true);
  Open(id, true, true, [](TFormTransfer* w) {
    EXPECT_EQ(Find<QDateEdit>(w, "EDDate")->date(), QDate(2007, 5, 4));
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdQuantity")), "1");
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdSumm")), "10.00");
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdMember")), "<none>");
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdSection")), "<none>");
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdType")), "Food");
    EXPECT_TRUE(Find<QPlainTextEdit>(w, "MComment")->toPlainText().isEmpty());
    EXPECT_EQ(Find<QComboBox>(w, "CBFromAccount")->currentText(), "Bank");
    Click(Find<QPushButton>(w, "BtOk"));
  });
  const CTransactionItem copy = Stored();
  EXPECT_NE(copy.id, id);
  EXPECT_EQ(copy.description, "Apples");
  EXPECT_EQ(copy.comment, "");
  EXPECT_FLOAT_EQ(copy.record.quantity, 1.0f);
  EXPECT_EQ(copy.record.amountOut, M(10));
  EXPECT_EQ(copy.record.categoryId, food);
  EXPECT_EQ(copy.record.memberId, 0u);
  EXPECT_EQ(copy.record.sectionId, 0u);
  EXPECT_EQ(copy.record.fromAccount, base.bank);
}

TEST_F(Editor, FullEditWindowChoosesTheHeightAndPersists) {
  New([](TFormTransfer* w) {
    EXPECT_EQ(w->height(), TFormTransfer::kShortHeight);
    EXPECT_LE(w->layout()->minimumSize().height(), w->height());
    EXPECT_FALSE(Find<QPlainTextEdit>(w, "MComment")->isVisible());
    EXPECT_FALSE(Find<QLineEdit>(w, "EdMember")->isVisible());
    EXPECT_EQ(Find<QPushButton>(w, "BtMore")->text(), "More fields -->");
    Click(Find<QPushButton>(w, "BtMore"));
    EXPECT_EQ(w->height(), TFormTransfer::kFullHeight);
    EXPECT_LE(w->layout()->minimumSize().height(), w->height());
    EXPECT_TRUE(Find<QPlainTextEdit>(w, "MComment")->isVisible());
    EXPECT_TRUE(Find<QLineEdit>(w, "EdSection")->isVisible());
    EXPECT_EQ(Find<QPushButton>(w, "BtMore")->text(), "Hide fields <--");
    Click(Find<QPushButton>(w, "BtCancel"));
  });
  EXPECT_TRUE(GetSettings().GetFullEditWindow());
  New([](TFormTransfer* w) {
    EXPECT_EQ(w->height(), TFormTransfer::kFullHeight);
    EXPECT_TRUE(Find<QPlainTextEdit>(w, "MComment")->isVisible());
    Click(Find<QPushButton>(w, "BtMore"));
    Click(Find<QPushButton>(w, "BtCancel"));
  });
  EXPECT_FALSE(GetSettings().GetFullEditWindow());
}

TEST_F(Editor, WithoutAccountsOkStaysDisabledAndSaysWhy) {
  for (const CAccountItem& account : std::vector<CAccountItem>(base.db.GetAccountItems())) {
    base.db.DelAccount(account.id);
  }
  EXPECT_EQ(New([](TFormTransfer* w) {
              EXPECT_FALSE(Find<QPushButton>(w, "BtOk")->isEnabled());
              EXPECT_TRUE(Find<QLabel>(w, "LbNoAccounts")->isVisible());
              EXPECT_FALSE(Find<QLabel>(w, "LbNoAccounts")->text().isEmpty());
              TypeInto(Find<QLineEdit>(w, "EdSumm"), "5");
              Click(Find<QPushButton>(w, "BtOk"));
              EXPECT_TRUE(w->isVisible());
              Click(Find<QPushButton>(w, "BtCancel"));
            }),
            0);
  EXPECT_TRUE(base.Transactions().empty());
}

TEST_F(Editor, MemberAndSectionArePickedFromTheirTrees) {
  const std::uint32_t anna = base.AddSubType("Anna", kMemberRoot);
  const std::uint32_t home = base.AddSubType("Home", kSectionRoot);
  base.AddSubType("Food", kExpenseRoot);
  GetSettings().SetFullEditWindow(true);
  New([](TFormTransfer* w) {
    OnModal(
        [](QWidget* picker) {
          auto* tree = Find<QTreeWidget>(picker, "SubTypeTree");
          ASSERT_EQ(tree->topLevelItemCount(), 1);
          QTreeWidgetItem* item = tree->topLevelItem(0);
          EXPECT_EQ(SubTypeNodeOf(item)->name, "Anna");
          DoubleClick(tree, item);
        },
        w);
    Click(Find<QToolButton>(w, "BtSelMember"));
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdMember")), "Anna");

    OnModal(
        [](QWidget* picker) {
          auto* tree = Find<QTreeWidget>(picker, "SubTypeTree");
          ASSERT_EQ(tree->topLevelItemCount(), 1);
          EXPECT_EQ(SubTypeNodeOf(tree->topLevelItem(0))->name, "Home");
          tree->setCurrentItem(tree->topLevelItem(0));
          Click(Find<QPushButton>(picker, "BtOK"));
        },
        w);
    QTest::keyClick(Find<QLineEdit>(w, "EdSection"), 'h');  // a typed character opens the picker
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdSection")), "Home");

    QTest::keyClick(Find<QLineEdit>(w, "EdType"), Qt::Key_Backspace);
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdType")), "<none>");
    Click(Find<QPushButton>(w, "BtOk"));
  });
  EXPECT_EQ(Stored().record.memberId, anna);
  EXPECT_EQ(Stored().record.sectionId, home);

  // Backspace clears, and the clear button too.
  Open(itemId, false, false, [](TFormTransfer* w) {
    QTest::keyClick(Find<QLineEdit>(w, "EdMember"), Qt::Key_Backspace);
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdMember")), "<none>");
    Click(Find<QToolButton>(w, "BtClrSection"));
    EXPECT_EQ(Text(Find<QLineEdit>(w, "EdSection")), "<none>");
    Click(Find<QPushButton>(w, "BtOk"));
  });
  EXPECT_EQ(Stored().record.memberId, 0u);
  EXPECT_EQ(Stored().record.sectionId, 0u);
}

TEST_F(Editor, PresetSubtypesLandInTheirBox) {
  const std::uint32_t food = base.AddSubType("Food", kExpenseRoot);
  const std::uint32_t dairy = base.AddSubType("Dairy", food);
  const std::uint32_t anna = base.AddSubType("Anna", kMemberRoot);
  New(
      [](TFormTransfer* w) {
        EXPECT_EQ(Text(Find<QLineEdit>(w, "EdType")), "Dairy");
        EXPECT_EQ(Text(Find<QLineEdit>(w, "EdMember")), "<none>");
        Click(Find<QPushButton>(w, "BtOk"));
      },
      0, dairy);
  EXPECT_EQ(Stored().record.categoryId, dairy);
  New(
      [](TFormTransfer* w) {
        EXPECT_EQ(Text(Find<QLineEdit>(w, "EdType")), "<none>");
        EXPECT_EQ(Text(Find<QLineEdit>(w, "EdMember")), "Anna");
        Click(Find<QPushButton>(w, "BtCancel"));
      },
      0, anna);
}

TEST_F(Editor, DescriptionsSuggestThoseOfTheAccountAndCategory) {
  base.AddExpense("Bread", 2);
  base.AddExpense("Apples", 3);
  CTransactionItem other;
  other.description = "Rent";
  other.record.fromAccount = base.bank;
  base.db.AddTransaction(other);
  New([](TFormTransfer* w) {
    ASSERT_EQ(Find<QComboBox>(w, "EdDescription")->count(), 2);
    EXPECT_EQ(Find<QComboBox>(w, "EdDescription")->itemText(0), "Apples");
    EXPECT_EQ(Find<QComboBox>(w, "EdDescription")->itemText(1), "Bread");
    EXPECT_TRUE(Find<QComboBox>(w, "EdDescription")->currentText().isEmpty());
    Find<QComboBox>(w, "CBFromAccount")
        ->setCurrentIndex(Find<QComboBox>(w, "CBFromAccount")->findText("Bank"));
    ASSERT_EQ(Find<QComboBox>(w, "EdDescription")->count(), 1);
    EXPECT_EQ(Find<QComboBox>(w, "EdDescription")->itemText(0), "Rent");
    Click(Find<QPushButton>(w, "BtCancel"));
  });
}

TEST_F(Editor, PlannedTransactionCarriesItsSchedule) {
  EXPECT_EQ(New(
                [](TFormTransfer* w) {
                  EXPECT_FALSE(Find<QDateEdit>(w, "EDDate")->isVisible());
                  EXPECT_TRUE(Find<QToolButton>(w, "BtSheduler")->isVisible());
                  EXPECT_EQ(Find<QLabel>(w, "LbSheduleStatus")->text(), "Not set");
                  OnModal(
                      [](QWidget* s) {
                        Click(Find<QRadioButton>(s, "RBEveryDay"));
                        TypeInto(Find<QLineEdit>(s, "EdEveryDay"), "7");
                        Find<QDateEdit>(s, "EdFirstDate")->setDate(QDate(2007, 5, 10));
                        Click(Find<QPushButton>(s, "BtOK"));
                      },
                      w);
                  Click(Find<QToolButton>(w, "BtSheduler"));
                  EXPECT_EQ(Find<QLabel>(w, "LbSheduleStatus")->text(), "Every 7 Day(s)");
                  TypeInto(Find<QLineEdit>(w, "EdSumm"), "15");
                  Click(Find<QPushButton>(w, "BtOk"));
                },
                0, 0, kPlnTransactionKind),
            kPlnTransactionKind);
  CPlnTransactionItem planned;
  base.db.GetPlnTransaction(itemId, planned);
  ASSERT_EQ(planned.id, itemId);
  EXPECT_EQ(planned.record.schedule.kind, kScheduleEveryNDays);
  EXPECT_EQ(planned.record.schedule.period, 7);
  EXPECT_EQ(planned.record.schedule.lastProcessed, EncodeDate(2007, 5, 3));
  EXPECT_EQ(planned.record.transaction.amountOut, M(15));
  EXPECT_TRUE(base.Transactions().empty());

  const std::uint32_t id = itemId;
  Open(
      id, false, false,
      [](TFormTransfer* w) {
        EXPECT_EQ(Find<QLabel>(w, "LbSheduleStatus")->text(), "Every 7 Day(s)");
        TypeInto(Find<QLineEdit>(w, "EdSumm"), "16");
        Click(Find<QPushButton>(w, "BtOk"));
      },
      kPlnTransactionKind);
  EXPECT_EQ(itemId, id);
  base.db.GetPlnTransaction(id, planned);
  EXPECT_EQ(planned.record.transaction.amountOut, M(16));
  EXPECT_EQ(planned.record.schedule.period, 7);
}

TEST_F(Editor, MissingImageOrUnknownTypeIsHandled) {
  TFormTransfer editor;
  EXPECT_EQ(editor.OpenNew(base.cash, base.db, 0, kTransactionKind, QPixmap()), 0);
  EXPECT_EQ(editor.Open(base.db, 0, false, false, kTransactionKind, QPixmap()), 0);

  std::vector<std::string> errors;
  SetLogTap([&](std::uint8_t level, const std::string& text) {
    if (level == 3) errors.push_back(text);
  });
  const std::size_t stored = base.db.Transactions().size();
  const int unknownType = 77;
  EXPECT_EQ(Open(
                base.cash, false, false,
                [](TFormTransfer* w) { Click(Find<QPushButton>(w, "BtCancel")); }, unknownType),
            0);
  SetLogTap(nullptr);
  EXPECT_EQ(errors, std::vector<std::string>{"[FormTransafer.Open] Unknown Type: 77"});
  EXPECT_EQ(base.db.Transactions().size(), stored);
}
