// The currencies window, the currency editor and the exchange-rate window
// through their controls. Set PARDOW_PREVIEW_DIR to keep pictures of them.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest/QTest>

#include "DialogKit.h"
#include "DialogsTestUtil.h"
#include "FileSizeLimit.h"
#include "Include.h"
#include "Localizationkit.h"
#include "Logger.h"
#include "Unitcurrences.h"
#include "Uniteditcurrences.h"
#include "Unitexchangerate.h"

namespace {

// Answers every confirmation with `answer` and keeps the questions.
class CAnswer {
 public:
  explicit CAnswer(QMessageBox::StandardButton answer) {
    SetConfirmationHook(
        [this, answer](QWidget*, const QString& text, QMessageBox::StandardButtons) {
          questions.push_back(text);
          return answer;
        });
  }
  ~CAnswer() { SetConfirmationHook(nullptr); }
  std::vector<QString> questions;
};

void Preview(QWidget* window, const char* name) {
  const QByteArray dir = qgetenv("PARDOW_PREVIEW_DIR");
  if (!dir.isEmpty()) window->grab().save(QString::fromUtf8(dir) + "/" + name + ".png");
}

class Currencies : public testing::Test {
 protected:
  // Runs window `W` (the currencies or the exchange-rate window) with `action`.
  template <class W>
  void Run(std::function<void(W*)> action) {
    W window;
    OnModal([&](QWidget*) {
      action(&window);
      Preview(&window, W::staticMetaObject.className());
      Click(Find<QPushButton>(&window, "BtExit"));
    });
    window.Execute(base.db, LinesImage());
  }
  std::uint32_t AddCurrency(const std::string& fullName, const std::string& name) {
    CCurrencyItem item;
    item.fullName = fullName;
    item.name = name;
    return base.db.AddCurrency(item);
  }
  // Clicks row `row1` of the first list and row `row2` of the second.
  void Choose(TFormExchangeRate* w, int row1, int row2) {
    for (auto [name, row] : {std::pair{"CurrenciesList1", row1}, {"CurrenciesList2", row2}}) {
      auto* list = Find<QListWidget>(w, name);
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                        list->visualItemRect(list->item(row)).center());
    }
  }

  CTestBase base;  // Dollar (101) and Euro (102), 1 $ = 0.8 €
};

}  // namespace

TEST_F(Currencies, RateBoxShowsThePairsRateAndStoresWhatTheUserTypes) {
  const std::uint32_t pound = AddCurrency("Pound", "£");  // listed Dollar, Euro, Pound
  Run<TFormExchangeRate>([&](TFormExchangeRate* w) {
    auto* rate = Find<QLineEdit>(w, "EdRateValue");
    EXPECT_FALSE(rate->isEnabled());  // both lists start on Dollar
    EXPECT_EQ(rate->text(), "1.0000");
    Choose(w, 0, 1);
    EXPECT_TRUE(rate->isEnabled());
    EXPECT_EQ(rate->text(), "0.8000");
    EXPECT_EQ(Find<QLabel>(w, "Label1")->text(), "1 $ = ");
    EXPECT_EQ(Find<QLabel>(w, "Label2")->text(), "€");
    EXPECT_EQ(Find<QLabel>(w, "LbInverseRate")->text(), "Inverse: 1 € = 1.2500 $");
    Choose(w, 1, 1);
    EXPECT_FALSE(rate->isEnabled());
    EXPECT_EQ(rate->text(), "1.0000");
    Choose(w, 2, 0);  // a pair without a rate: showing it stores nothing
    EXPECT_EQ(rate->text(), "1.0000");
    EXPECT_EQ(base.db.GetExchangeRateItems().size(), 1u);

    struct Case {
      const char* typed;  // over the whole text; "" clears it
      QString shown;
      double stored;
    };
    const Case cases[] = {
        {"2.5", "2.5", 2.5},
        {"", "", 1.0},  // cleared: one to one
        {"1.23456", "1.2345", 1.2345},
        {"0", "0", 1.0},
        {"ab-3", "3", 3.0},
        {"123456789012", "12345678901", 12345678901.0},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.typed);
      rate->selectAll();  // typed over, or cleared
      if (!*c.typed) QTest::keyClick(rate, Qt::Key_Backspace);
      QTest::keyClicks(rate, c.typed);
      EXPECT_EQ(rate->text(), c.shown);
      EXPECT_NEAR(base.db.GetExchangeRate(pound, base.dollar), c.stored, 1e-9 * c.stored);
    }
    EXPECT_EQ(Find<QLabel>(w, "LbInverseRate")->text(), "Inverse: 1 $ = 0.0000 £");
  });
}

TEST_F(Currencies, EditorNeedsBothNamesAndTakesThreeTypedCharacters) {
  const std::uint32_t longName = AddCurrency("Bitcoin", "BTCX");
  struct Case {
    const char* fullName;
    const char* typedName;
    QString shownName;
    bool canConfirm;
  };
  const Case cases[] = {
      {"Pound", "GBPX", "GBP", true},
      {"", "£", "£", false},
      {"Pound", "", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fullName + std::string("/") + c.typedName);
    TFormEditCurrency editor;
    OnModal([&](QWidget*) {
      auto* fullName = Find<QLineEdit>(&editor, "EdFullName");
      auto* name = Find<QLineEdit>(&editor, "EdName");
      fullName->clear();
      name->clear();
      QTest::keyClicks(fullName, c.fullName);
      QTest::keyClicks(name, c.typedName);
      EXPECT_EQ(name->text(), c.shownName);
      EXPECT_EQ(Find<QPushButton>(&editor, "BtOk")->isEnabled(), c.canConfirm);
      Click(Find<QPushButton>(&editor, "BtOk"));
      if (editor.isVisible()) Click(Find<QPushButton>(&editor, "BtCancel"));
    });
    const std::uint32_t id = editor.Execute(base.db, 0);
    EXPECT_EQ(id != 0, c.canConfirm);
  }
  // A stored name longer than the typing limit shows whole and is kept.
  TFormEditCurrency editor;
  OnModal([&](QWidget*) {
    EXPECT_EQ(Find<QLineEdit>(&editor, "EdName")->text(), "BTCX");
    Preview(&editor, "TFormEditCurrency");
    Click(Find<QPushButton>(&editor, "BtOk"));
  });
  EXPECT_EQ(editor.Execute(base.db, longName), longName);
}

TEST_F(Currencies, RowsAlternateByIndexStartingWithTheEvenStripe) {
  AddCurrency("Pound", "£");
  Run<TFormCurrences>([&](TFormCurrences* w) {
    auto* list = Find<QListWidget>(w, "LBCurrences");
    ASSERT_EQ(list->count(), 3);
    list->setCurrentRow(2);
    const QImage image = list->viewport()->grab().toImage();
    const int strips[] = {8, 9, 0};
    for (int row = 0; row < 3; ++row) {
      // Right of the full name and below the text's line.
      EXPECT_EQ(image.pixel(230, row * 20 + 10) & 0xffffff, StripColor(strips[row]) & 0xffffff)
          << row;
    }
  });
}

TEST_F(Currencies, DeleteQuestionCountsAccountsAndRatesAndTheRatesGoWithIt) {
  const std::uint32_t pound = AddCurrency("Pound", "\xc2\xa3");
  AddCurrency("Yen", "\xc2\xa5");
  ASSERT_TRUE(base.db.SetExchangeRate(pound, base.euro, 1.15));
  const QString oneUse = "1 account uses it; it will show without it.";
  const QString twoUses = "2 accounts use it; they will show without it.";
  const QString oneRate = "1 exchange rate to another currency is deleted with it.";
  const QString twoRates = "2 exchange rates to other currencies are deleted with it.";
  struct Case {
    int row;
    QMessageBox::StandardButton answer;
    QString question;
  };
  const Case cases[] = {
      {3, QMessageBox::No, "Delete currency \"Yen\"?"},
      {2, QMessageBox::No, "Delete currency \"Pound\"?\n\n" + oneRate},
      {1, QMessageBox::No, "Delete currency \"Euro\"?\n\n" + oneUse + "\n" + twoRates},
      {0, QMessageBox::Yes, "Delete currency \"Dollar\"?\n\n" + twoUses + "\n" + oneRate},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    Run<TFormCurrences>([&](TFormCurrences* w) {
      CAnswer answer(c.answer);
      Find<QListWidget>(w, "LBCurrences")->setCurrentRow(c.row);
      Find<QAction>(w, "Delete1")->trigger();
      ASSERT_EQ(answer.questions.size(), 1u);
      EXPECT_EQ(answer.questions[0], c.question);
    });
  }
  ASSERT_EQ(base.db.GetCurrencyItems().size(), 3u);  // used, and still deleted
  EXPECT_EQ(base.db.GetCurrencyItems()[0].fullName, "Euro");
  EXPECT_EQ(base.db.ExchangeRates().size(), 1u) << "the Dollar's rate went with it";
  EXPECT_DOUBLE_EQ(base.db.GetExchangeRate(pound, base.euro), 1.15);
}

TEST_F(Currencies, StoresThatFailAreShownAndKeepTheInput) {
  CMessages messages;
  base.db.failStores = true;
  Run<TFormCurrences>([&](TFormCurrences* w) {
    for (QPushButton* button : {Find<QPushButton>(w, "BtAdd"), Find<QPushButton>(w, "BtEdit")}) {
      OnModal(
          [&](QWidget* e) {
            TypeInto(Find<QLineEdit>(e, "EdFullName"), "Pound");
            TypeInto(Find<QLineEdit>(e, "EdName"), "£");
            Click(Find<QPushButton>(e, "BtOk"));
            EXPECT_TRUE(e->isVisible());
            EXPECT_EQ(Find<QLineEdit>(e, "EdFullName")->text(), "Pound");
            Click(Find<QPushButton>(e, "BtCancel"));
          },
          w);
      Click(button);
    }
    CAnswer answer(QMessageBox::Yes);
    Click(Find<QPushButton>(w, "BtDel"));
    EXPECT_EQ(Find<QListWidget>(w, "LBCurrences")->count(), 2);
  });
  EXPECT_EQ(messages.texts.size(), 3u);
  base.db.failStores = false;

  // A rate the file cannot take (a full disk): told, and the box keeps it.
  const std::uint32_t pound = AddCurrency("Pound", "£");
  Run<TFormExchangeRate>([&](TFormExchangeRate* w) {
    Choose(w, 2, 0);
    CFileSizeLimit full(static_cast<std::uint64_t>(base.db.GetFileSize()));
    TypeInto(Find<QLineEdit>(w, "EdRateValue"), "2");
    EXPECT_EQ(Find<QLineEdit>(w, "EdRateValue")->text(), "2");
  });
  EXPECT_EQ(messages.texts.size(), 4u);
  EXPECT_EQ(base.db.GetExchangeRate(pound, base.dollar), 1.0);
}

TEST_F(Currencies, WindowsWithoutAPictureLogAndShowNothing) {
  std::vector<std::string> errors;
  SetLogTap([&](std::uint8_t level, const std::string& text) {
    if (level == 3) errors.push_back(text);
  });
  TFormCurrences currencies;
  currencies.Execute(base.db, QPixmap());
  TFormExchangeRate rates;
  rates.Execute(base.db, QPixmap());
  SetLogTap(nullptr);
  EXPECT_EQ(errors, (std::vector<std::string>{"[Currences] Not initialized!",
                                              "[ExchangeRate window] Not initialized!"}));
}

TEST(LanguageFile, DefinesEveryTextOfTheCurrencyWindows) {
  InitLocalization(PARDOW_SOURCE_DIR "/resources/Lang/english.txt");
  ASSERT_TRUE(GetLocalizationKit()->IsFileRead());
  {
    TFormCurrences currencies;
    TFormEditCurrency editor;
    TFormExchangeRate rates;
  }
  const auto& missing = GetLocalizationKit()->GetMissingTexts();
  for (const auto& [id, text] : missing) ADD_FAILURE() << id << " = \"" << text << "\"";
  EXPECT_TRUE(missing.empty());
}
