// The bank check window: the balance box's typing rule, a check that differs,
// one that agrees and is remembered, and one that cannot be remembered.
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>

#include "BankCheckLogic.h"
#include "DialogsTestUtil.h"
#include "Unitbankcheck.h"

namespace {

TEST(BankCheckLogic, BalanceBoxTakesAMinusSignAndTheAmountRule) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      // before, after, kept (null: refused)
      {"", "-", "-"},
      {"-", "-1", "-1"},
      {"-1,23", "-1,234", "-1,234"},
      {"12", "1-2", nullptr},
      {"-1", "--1", nullptr},
      {"1.23", "1.234", nullptr},
      {"-1.2", "-1.2x", nullptr},
      {"-5", "5", "5"},
  };
  for (auto [before, after, kept] : cases) {
    const std::optional<std::string> got = BankBalanceTypedText(before, after);
    EXPECT_EQ(got.has_value(), kept != nullptr) << after;
    if (got && kept) {
      EXPECT_EQ(*got, kept) << after;
    }
  }
  EXPECT_EQ(AgreedCardText("Agreed with bank on %1", EncodeDate(2026, 1, 31) + 0.5),
            "Agreed with bank on " + FormatShortDate(EncodeDate(2026, 1, 31)));
}

class BankCheckDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    CTransactionItem t;
    t.description = "Salary";
    t.record.date = EncodeDate(2007, 4, 1);
    t.record.toAccount = base.bank;
    t.record.amountIn = M(1500);
    base.db.AddTransaction(t);
    t.description = "Rent";
    t.record.date = EncodeDate(2007, 4, 3);
    t.record.toAccount = 0;
    t.record.fromAccount = base.bank;
    t.record.amountOut = M(600.5);
    base.db.AddTransaction(t);
  }

  // Runs the window on the bank account for 30 April 2007 with `steps`.
  bool Run(const std::function<void(TFormBankCheck&)>& steps) {
    TFormBankCheck window;
    OnModalOf<TFormBankCheck>([&](TFormBankCheck& w) {
      steps(w);
      w.reject();
    });
    return window.Execute(base.db, base.bank, EncodeDate(2007, 4, 30));
  }

  static QString TextOf(QWidget& w, const char* name) { return Find<QLabel>(&w, name)->text(); }

  CTestBase base;
  CMessages messages;
};

TEST_F(BankCheckDialogTest, DifferenceIsShownAndAnAgreedCheckRemembered) {
  const std::string file = base.db.GetFileName();
  EXPECT_TRUE(Run([&](TFormBankCheck& w) {
    EXPECT_EQ(TextOf(w, "LbBooksValue"), "899.50 $");
    EXPECT_EQ(Find<QTreeWidget>(&w, "LvSince")->topLevelItemCount(), 2);
    TypeInto(Find<QLineEdit>(&w, "EdBank"), "900");
    EXPECT_EQ(TextOf(w, "LbDifferenceValue"), "0.50 $");
    Click(Find<QPushButton>(&w, "BtCheck"));
    EXPECT_TRUE(TextOf(w, "LbResult").contains("bank by 0.50 $."))
        << TextOf(w, "LbResult").toStdString();
    EXPECT_FALSE(std::filesystem::exists(CCompanion::PathFor(file)));

    // The day before the rent: the books hold the salary only.
    Find<QDateEdit>(&w, "EdDate")->setDate(QDate(2007, 4, 2));
    TypeInto(Find<QLineEdit>(&w, "EdBank"), "1,500");
    Click(Find<QPushButton>(&w, "BtCheck"));
    EXPECT_TRUE(TextOf(w, "LbResult").contains("remembered"));
    // A later day lists only what came after the agreed one.
    Find<QDateEdit>(&w, "EdDate")->setDate(QDate(2007, 4, 30));
    EXPECT_EQ(Find<QTreeWidget>(&w, "LvSince")->topLevelItemCount(), 1);
    EXPECT_TRUE(TextOf(w, "LbSince")
                    .contains(QString::fromStdString(FormatShortDate(EncodeDate(2007, 4, 2)))));
  }));
  CCompanion companion;
  ASSERT_TRUE(companion.Load(file).Fine());
  ASSERT_TRUE(companion.LastAgreed(base.bank));
  EXPECT_EQ(companion.LastAgreed(base.bank)->day, EncodeDate(2007, 4, 2));
  EXPECT_EQ(companion.LastAgreed(base.bank)->balance, M(1500));
  EXPECT_TRUE(messages.texts.empty());
}

TEST_F(BankCheckDialogTest, UnfinishedAmountIsRefusedAndAFailedWriteShown) {
  const std::string file = base.db.GetFileName();
  std::filesystem::create_directory(CCompanion::PathFor(file) + ".tmp");
  EXPECT_FALSE(Run([&](TFormBankCheck& w) {
    QLineEdit* box = Find<QLineEdit>(&w, "EdBank");
    TypeInto(box, "-");
    Click(Find<QPushButton>(&w, "BtCheck"));
    EXPECT_EQ(TextOf(w, "LbResult"), "");
    TypeInto(box, "899.50");
    Click(Find<QPushButton>(&w, "BtCheck"));
    EXPECT_EQ(TextOf(w, "LbResult"), "");
    EXPECT_EQ(box->text(), "899.50");  // the input stays
  }));
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_NE(messages.texts[0].find("could not be remembered"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(CCompanion::PathFor(file)));
}

}  // namespace
