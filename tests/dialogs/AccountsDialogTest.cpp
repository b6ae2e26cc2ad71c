// The accounts window and the account editor through their controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest/QTest>

#include "AccountsLogic.h"
#include "DialogKit.h"
#include "DialogsTestUtil.h"
#include "Localizationkit.h"
#include "Skin.h"
#include "Unitaccounts.h"
#include "Uniteditaccount.h"

namespace {

// Runs the accounts window (Bank, Cash, Savings) with `action`, then closes it.
void RunAccounts(CTestBase& base, const std::function<void(QWidget*)>& action) {
  TFormAccounts window;
  OnModal([&](QWidget*) {
    action(&window);
    Click(Find<QPushButton>(&window, "BtExit"));
  });
  window.Execute(base.db, MakeImgLines(), AccountIcon());
}

QListWidget* List(QWidget* w) {
  return Find<QListWidget>(w, "LBAccounts");
}

// The card of list row `row` as the window paints it (row 0 is selected).
QImage Card(CTestBase& base, int row) {
  QImage card;
  RunAccounts(base, [&](QWidget* w) {
    card = List(w)->viewport()->grab(List(w)->visualItemRect(List(w)->item(row))).toImage();
  });
  return card;
}

// Pixels of the right half of the balance line for which `test` holds.
int Pixels(const QImage& card, bool (*test)(QRgb)) {
  int count = 0;
  for (int y = 46; y < 66; ++y)
    for (int x = card.width() / 2; x < card.width(); ++x) count += test(card.pixel(x, y)) ? 1 : 0;
  return count;
}

}  // namespace

TEST(EditAccount, ANewAccountNeedsANameAndACurrencyAndBudgetsOverTheInterval) {
  CTestBase base;
  TFormEditAccount editor;
  OnModal([&](QWidget*) {
    auto* ok = Find<QPushButton>(&editor, "BtOk");
    QLineEdit* sum = Find<QLineEdit>(&editor, "EdSum");
    TypeInto(Find<QLineEdit>(&editor, "EdName"), "Wallet");
    EXPECT_FALSE(ok->isEnabled());
    Find<QComboBox>(&editor, "CBCurrency")->setCurrentIndex(1);  // Euro
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_FALSE(sum->isEnabled());
    Find<QCheckBox>(&editor, "CBBudgetEnabled")->setChecked(true);
    sum->selectAll();
    QTest::keyClick(sum, Qt::Key_Backspace);  // clearing and a letter are undone
    QTest::keyClicks(sum, "x");
    EXPECT_EQ(sum->text(), "0.00");
    Click(ok);
  });
  CAccountItem item;
  base.db.GetAccount(editor.Execute(base.db, 0), item);
  EXPECT_EQ(item.name, "Wallet");
  EXPECT_EQ(item.record.currencyId, base.euro);
  EXPECT_EQ(item.record.budgetStart, base.db.GetIntervalBegin());
  EXPECT_EQ(item.record.budgetEnd, WholeDay(base.db.GetIntervalEnd()));
  EXPECT_EQ(item.record.budgetSum, 0);
}

TEST(AccountsLogic, BudgetSumTakesAnAmountAndIsNeverEmpty) {
  const std::pair<const char*, bool> cases[] = {
      {"12.54", true},   {"1,234.5", true}, {"12.5x", false},        {"-12.5", false},
      {"12.549", false}, {"", false},       {"123456789012", false},
  };
  for (auto [after, allowed] : cases)
    EXPECT_EQ(BudgetSumTypedText("12.5", after).has_value(), allowed) << after;
}

TEST(EditAccount, BudgetIsShownAndStoredAndReversedDaysAreRefused) {
  CTestBase base;
  CAccountItem bank;
  base.db.GetAccount(base.bank, bank);
  bank.record.budgetEnabled = 1;
  bank.record.budgetStart = EncodeDate(2007, 5, 1) + 0.5;
  bank.record.budgetEnd = EncodeDate(2007, 5, 31);
  bank.record.budgetSum = 1502567;  // 150.2567: shown rounded, kept whole
  base.db.EditAccount(bank);
  CMessages messages;
  TFormEditAccount editor;
  OnModal([&](QWidget*) {
    EXPECT_TRUE(Find<QCheckBox>(&editor, "CBBudgetEnabled")->isChecked());
    EXPECT_EQ(Find<QDateEdit>(&editor, "EdFromDate")->date(), QDate(2007, 5, 1));
    EXPECT_EQ(Find<QLineEdit>(&editor, "EdSum")->text(), "150.26");
    Find<QDateEdit>(&editor, "EdToDate")->setDate(QDate(2007, 4, 30));
    Click(Find<QPushButton>(&editor, "BtOk"));
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(messages.texts,
              std::vector<std::string>{"The budget's last day is before its first day."});
    Find<QDateEdit>(&editor, "EdToDate")->setDate(QDate(2007, 6, 30));
    Click(Find<QPushButton>(&editor, "BtOk"));
  });
  EXPECT_EQ(editor.Execute(base.db, base.bank), base.bank);
  base.db.GetAccount(base.bank, bank);
  EXPECT_EQ(bank.record.budgetStart, EncodeDate(2007, 5, 1) + 0.5);
  EXPECT_EQ(bank.record.budgetEnd, EncodeDate(2007, 6, 30));
  EXPECT_EQ(bank.record.budgetSum, 1502567);
}

TEST(Accounts, CardsShowTheCommentsFirstLineAndTheBalanceInItsColour) {
  CTestBase base;
  base.AddExpense("Bread", 12.5);  // Cash: -12.50
  auto red = [](QRgb c) { return qRed(c) > 150 && qGreen(c) < 80 && qBlue(c) < 80; };
  auto green = [](QRgb c) { return qGreen(c) > 50 && qRed(c) < 40 && qBlue(c) < 40; };
  EXPECT_GT(Pixels(Card(base, 1), red), 10);  // Cash
  EXPECT_EQ(Pixels(Card(base, 1), green), 0);
  EXPECT_GT(Pixels(Card(base, 0), green), 10);  // Bank: 0.00
  EXPECT_EQ(Pixels(Card(base, 0), red), 0);

  auto setComment = [&](const std::string& comment) {
    CAccountItem item;
    base.db.GetAccount(base.savings, item).comment = comment;
    base.db.EditAccount(item);
  };
  setComment("First line\nSecond line");
  const QImage twoLines = Card(base, 2);
  setComment("First line");
  EXPECT_EQ(Card(base, 2), twoLines);
  setComment("Second line");
  EXPECT_NE(Card(base, 2), twoLines);
}

TEST(Accounts, DeleteAsksWithTheAccountsUsesAndDeletesOnYes) {
  CTestBase base;
  base.AddExpense("Bread", 2);
  CPlnTransactionItem planned;
  planned.record.transaction.toAccount = base.cash;
  base.db.AddPlnTransaction(planned);
  auto ask = [&](int row, QMessageBox::StandardButton answer) {
    QString question;
    SetConfirmationHook([&](QWidget*, const QString& text, QMessageBox::StandardButtons) {
      question = text;
      return answer;
    });
    RunAccounts(base, [&](QWidget* w) {
      List(w)->setCurrentRow(row);
      Click(Find<QPushButton>(w, "BtDel"));
    });
    SetConfirmationHook(nullptr);
    return question;
  };
  EXPECT_EQ(ask(1, QMessageBox::No),
            "Delete account \"Cash\"?\n\n2 transactions (planned ones included) use it; they "
            "will show without it.");
  EXPECT_EQ(base.db.GetAccountItems().size(), 3u);
  EXPECT_EQ(ask(0, QMessageBox::Yes), "Delete account \"Bank\"?");
  EXPECT_EQ(base.db.GetAccountItems().front().name, "Cash");
}

TEST(Accounts, RightClickBelowTheCardsKeepsTheSelectionAndOpensTheMenu) {
  CTestBase base;
  RunAccounts(base, [&](QWidget* w) {
    List(w)->setCurrentRow(1);
    for (const auto& [pos, row] : {std::pair{QPoint(20, 250), 1}, {QPoint(20, 30), 0}}) {
      QTest::mouseClick(List(w)->viewport(), Qt::RightButton, {}, pos);
      QContextMenuEvent menu(QContextMenuEvent::Mouse, pos, List(w)->mapToGlobal(pos));
      QApplication::sendEvent(List(w)->viewport(), &menu);
      EXPECT_EQ(List(w)->selectedItems(), QList{List(w)->item(row)});
      EXPECT_TRUE(Find<QMenu>(w, "AccountsMenu")->isVisible());
      Find<QMenu>(w, "AccountsMenu")->hide();
    }
  });
}

TEST(Accounts, StoresThatFailAreShownAndKeepTheInput) {
  CTestBase base;
  CMessages messages;
  base.db.failStores = true;
  SetConfirmationHook(
      [](QWidget*, const QString&, QMessageBox::StandardButtons) { return QMessageBox::Yes; });
  RunAccounts(base, [&](QWidget* w) {
    for (const char* button : {"BtAdd", "BtEdit"}) {
      OnModal(
          [&](QWidget* e) {
            TypeInto(Find<QLineEdit>(e, "EdName"), "Wallet");
            Find<QComboBox>(e, "CBCurrency")->setCurrentIndex(0);
            Click(Find<QPushButton>(e, "BtOk"));
            EXPECT_TRUE(e->isVisible());
            EXPECT_EQ(Find<QLineEdit>(e, "EdName")->text(), "Wallet");
            Click(Find<QPushButton>(e, "BtCancel"));
          },
          w);
      Click(Find<QPushButton>(w, button));
    }
    Click(Find<QPushButton>(w, "BtDel"));
    EXPECT_EQ(List(w)->count(), 3);
  });
  SetConfirmationHook(nullptr);
  EXPECT_EQ(messages.texts.size(), 3u);
  EXPECT_EQ(base.db.GetAccountItems().size(), 3u);
}

TEST(LanguageFile, DefinesEveryTextOfTheAccountWindows) {
  InitLocalization(PARDOW_SOURCE_DIR "/resources/Lang/english.txt");
  {
    TFormAccounts accounts;
    TFormEditAccount editAccount;
  }
  const auto& missing = GetLocalizationKit()->GetMissingTexts();
  for (const auto& [id, text] : missing) ADD_FAILURE() << id << " = \"" << text << "\"";
}
