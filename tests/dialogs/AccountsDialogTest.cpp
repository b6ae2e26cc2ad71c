// The accounts window and the account editor through their controls.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest/QTest>

#include "DialogKit.h"
#include "DialogsTestUtil.h"
#include "Include.h"
#include "Localizationkit.h"
#include "Logger.h"
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

void SetComment(CTestBase& base, std::uint32_t id, const std::string& comment) {
  CAccountItem item;
  base.db.GetAccount(id, item).comment = comment;
  base.db.EditAccount(item);
}

int Pixels(const QImage& card, bool (*test)(QRgb)) {
  int count = 0;
  for (int y = 46; y < 66; ++y)
    for (int x = card.width() / 2; x < card.width(); ++x) count += test(card.pixel(x, y)) ? 1 : 0;
  return count;
}

}  // namespace

TEST(EditAccount, ANewAccountNeedsANameAndACurrency) {
  CTestBase base;
  TFormEditAccount editor;
  OnModal([&](QWidget*) {
    auto* ok = Find<QPushButton>(&editor, "BtOk");
    auto* currency = Find<QComboBox>(&editor, "CBCurrency");
    EXPECT_EQ(currency->currentIndex(), -1);
    TypeInto(Find<QLineEdit>(&editor, "EdName"), "Wallet");
    EXPECT_FALSE(ok->isEnabled());
    currency->setCurrentIndex(1);  // Euro
    EXPECT_TRUE(ok->isEnabled());
    Find<QLineEdit>(&editor, "EdName")->clear();
    EXPECT_FALSE(ok->isEnabled());
    TypeInto(Find<QLineEdit>(&editor, "EdName"), "Wallet");
    Click(ok);
  });
  CAccountItem item;
  base.db.GetAccount(editor.Execute(base.db, 0), item);
  EXPECT_EQ(item.name, "Wallet");
  EXPECT_EQ(item.record.currencyId, base.euro);
}

TEST(EditAccount, BudgetSumUndoesWhatIsNotAnAmount) {
  struct Case {
    const char* start;
    const char* typed;
    int backspaces;
    const char* shows;
  };
  const Case cases[] = {
      {"12.5", "x", 0, "12.5"},
      {"12.5", "-", 0, "12.5"},
      {"12.5", "49", 0, "12.54"},  // a third decimal
      {"12.5", "", 4, "1"},        // the box is never empty
      {"12345678901", "2", 0, "12345678901"},
  };
  CTestBase base;
  TFormEditAccount editor;
  OnModal([&](QWidget*) {
    Find<QCheckBox>(&editor, "CBBudgetEnabled")->setChecked(true);
    QLineEdit* sum = Find<QLineEdit>(&editor, "EdSum");
    for (const Case& c : cases) {
      sum->setText(c.start);
      sum->end(false);
      QTest::keyClicks(sum, c.typed);
      for (int i = 0; i < c.backspaces; ++i) QTest::keyClick(sum, Qt::Key_Backspace);
      EXPECT_EQ(sum->text(), c.shows) << c.start << " + " << c.typed;
    }
    Click(Find<QPushButton>(&editor, "BtCancel"));
  });
  editor.Execute(base.db, 0);
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

  // A budget that is off starts over the working interval with the sum 0.
  TFormEditAccount cash;
  OnModal([&](QWidget*) {
    EXPECT_FALSE(Find<QLineEdit>(&cash, "EdSum")->isEnabled());
    EXPECT_EQ(Find<QLineEdit>(&cash, "EdSum")->text(), "0.00");
    Find<QCheckBox>(&cash, "CBBudgetEnabled")->setChecked(true);
    TypeInto(Find<QLineEdit>(&cash, "EdSum"), "75");
    Click(Find<QPushButton>(&cash, "BtOk"));
  });
  cash.Execute(base.db, base.cash);
  CAccountItem item;
  base.db.GetAccount(base.cash, item);
  EXPECT_EQ(item.record.budgetEnabled, 1);
  EXPECT_EQ(item.record.budgetStart, base.db.GetIntervalBegin());
  EXPECT_EQ(item.record.budgetEnd, WholeDay(base.db.GetIntervalEnd()));
  EXPECT_EQ(item.record.budgetSum, M(75));
}

TEST(Accounts, CardsShowTheCommentsFirstLineAndTheBalanceInItsColour) {
  CTestBase base;
  base.AddExpense("Bread", 12.5);  // Cash: -12.50
  CTransactionItem income;
  income.record.date = EncodeDate(2007, 5, 2);
  income.record.toAccount = base.bank;
  income.record.amountIn = M(100);
  base.db.AddTransaction(income);
  auto red = [](QRgb c) { return qRed(c) > 150 && qGreen(c) < 80 && qBlue(c) < 80; };
  auto green = [](QRgb c) { return qGreen(c) > 50 && qRed(c) < 40 && qBlue(c) < 40; };
  EXPECT_GT(Pixels(Card(base, 1), red), 10);  // Cash
  EXPECT_EQ(Pixels(Card(base, 1), green), 0);
  EXPECT_GT(Pixels(Card(base, 0), green), 10);  // Bank
  EXPECT_EQ(Pixels(Card(base, 0), red), 0);

  SetComment(base, base.savings, "First line\nSecond line");
  const QImage twoLines = Card(base, 2);
  SetComment(base, base.savings, "First line");
  EXPECT_EQ(Card(base, 2), twoLines);
  SetComment(base, base.savings, "Second line");
  EXPECT_NE(Card(base, 2), twoLines);
}

TEST(Accounts, DeleteAsksWithTheAccountsUsesAndDeletesOnYes) {
  CTestBase base;
  base.AddExpense("Bread", 2);
  CPlnTransactionItem planned;
  planned.record.transaction.toAccount = base.cash;
  base.db.AddPlnTransaction(planned);
  struct Case {
    int row;
    QMessageBox::StandardButton answer;
    QString question;
    std::vector<std::string> accountsAfter;
  };
  const Case cases[] = {
      {1,
       QMessageBox::No,
       "Delete account \"Cash\"?\n\n2 transactions (planned ones included) use it; they will "
       "show without it.",
       {"Bank", "Cash", "Savings"}},
      {0, QMessageBox::Yes, "Delete account \"Bank\"?", {"Cash", "Savings"}},
  };
  for (const Case& c : cases) {
    std::vector<QString> questions;
    SetConfirmationHook([&](QWidget*, const QString& text, QMessageBox::StandardButtons) {
      questions.push_back(text);
      return c.answer;
    });
    RunAccounts(base, [&](QWidget* w) {
      List(w)->setCurrentRow(c.row);
      Click(Find<QPushButton>(w, "BtDel"));
      EXPECT_EQ(List(w)->count(), static_cast<int>(c.accountsAfter.size()));
    });
    SetConfirmationHook(nullptr);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], c.question);
    std::vector<std::string> names;
    for (const CAccountItem& item : base.db.GetAccountItems()) names.push_back(item.name);
    EXPECT_EQ(names, c.accountsAfter);
  }
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

TEST(Accounts, WithoutPictureOrIconNothingShows) {
  CTestBase base;
  std::vector<std::string> errors;
  SetLogTap([&](std::uint8_t level, const std::string& text) {
    if (level == 3) errors.push_back(text);
  });
  TFormAccounts window;
  window.Execute(base.db, QPixmap(), AccountIcon());
  window.Execute(base.db, MakeImgLines(), QIcon());
  SetLogTap(nullptr);
  EXPECT_EQ(errors, std::vector<std::string>(2, "[Accounts] Not initialized!"));
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
