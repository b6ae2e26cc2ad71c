// Checking an account against the bank: the books' balance at the end of a
// day, the difference, and what an agreed check changes.
#include "BankCheck.h"
#include "FinanceTestUtil.h"

namespace {

class BankCheckTest : public FinanceTest {
 protected:
  void SetUp() override {
    FinanceTest::SetUp();
    giro = Account("Giro");
    savings = Account("Savings", Currency("USD", "Dollar"));
    Move(D(2026, 1, 2) + 0.5, 0, giro, 0, 1000, "Money it started with");
    Move(D(2026, 1, 10), giro, 0, 40, 0, "Groceries");
    Move(D(2026, 1, 20) + 0.9, giro, savings, 300, 330, "To savings");  // late that day
    Move(D(2026, 1, 21), savings, giro, 11, 10, "Back");
    Move(D(2026, 2, 1), giro, 0, 5, 0, "February");
  }

  CBankCheck Check(Date day, double bank) {
    CBankCheck check;
    EXPECT_TRUE(CheckAgainstBank(db, companion, giro, day, M(bank), check));
    return check;
  }

  std::vector<std::string> Since(const CBankCheck& check) {
    std::vector<std::string> texts;
    for (const CBankCheckRow& row : check.since) texts.push_back(row.description);
    return texts;
  }

  std::uint32_t giro = 0, savings = 0;
  CCompanion companion;
};

TEST_F(BankCheckTest, BooksBalanceIsTheAccountFiguresRuleAtTheEndOfTheDay) {
  const std::pair<Date, double> cases[] = {
      {D(2026, 1, 1), 0},    {D(2026, 1, 2), 1000}, {D(2026, 1, 19), 960},
      {D(2026, 1, 20), 660}, {D(2026, 1, 21), 670}, {D(2026, 1, 31) + 0.99, 670},
      {D(2026, 2, 1), 665},
  };
  for (auto [day, balance] : cases)
    EXPECT_EQ(BooksBalance(db, giro, day), M(balance)) << FormatIsoDate(day);
  // The other side of a transfer counts its own amounts.
  EXPECT_EQ(BooksBalance(db, savings, D(2026, 1, 21)), M(330 - 11));
  // The same figure the main window shows at the interval's end.
  db.SetInterval(D(2026, 1, 1), D(2026, 1, 31));
  EXPECT_EQ(Figures(giro).balance, BooksBalance(db, giro, D(2026, 1, 31)));
}

TEST_F(BankCheckTest, DifferenceAndTheTransactionsSinceTheLastAgreedDay) {
  CBankCheck check = Check(D(2026, 1, 31), 650.25);
  EXPECT_EQ(check.books, M(670));
  EXPECT_EQ(check.difference, M(-19.75));
  EXPECT_FALSE(check.Agreed());
  EXPECT_FALSE(check.lastAgreed);
  EXPECT_EQ(Since(check),
            (std::vector<std::string>{"Money it started with", "Groceries", "To savings", "Back"}));
  EXPECT_EQ(check.since[1].amount, M(-40));
  EXPECT_EQ(check.since[3].amount, M(10));
  std::string error;
  ASSERT_TRUE(RememberAgreedCheck(path, check, error));  // not agreed: nothing remembered
  companion.Load(path);
  EXPECT_FALSE(companion.LastAgreed(giro));

  check = Check(D(2026, 1, 19), 960);
  EXPECT_TRUE(check.Agreed());
  ASSERT_TRUE(RememberAgreedCheck(path, check, error)) << error;
  ASSERT_TRUE(companion.Load(path).Fine());
  ASSERT_TRUE(companion.LastAgreed(giro));
  EXPECT_EQ(companion.LastAgreed(giro)->day, D(2026, 1, 19));
  EXPECT_EQ(companion.LastAgreed(giro)->balance, M(960));
  EXPECT_FALSE(companion.LastAgreed(savings));

  check = Check(D(2026, 2, 28), 665);
  EXPECT_TRUE(check.Agreed());
  ASSERT_TRUE(check.lastAgreed);
  EXPECT_EQ(check.lastAgreed->day, D(2026, 1, 19));
  EXPECT_EQ(Since(check), (std::vector<std::string>{"To savings", "Back", "February"}));
  // A day before every agreed one lists everything up to it.
  EXPECT_EQ(Since(Check(D(2026, 1, 10), 960)),
            (std::vector<std::string>{"Money it started with", "Groceries"}));
}

TEST_F(BankCheckTest, UnknownAccountIsRefused) {
  CBankCheck check;
  EXPECT_FALSE(CheckAgainstBank(db, companion, 9999, D(2026, 1, 31), 0, check));
}

TEST(BankBalanceText, MinusSignAndTheTypedAmountRule) {
  struct Case {
    const char* text;
    TTypedAmountState state;
    double value;
  } cases[] = {
      {"1,234.56", TTypedAmountState::kComplete, 1234.56},
      {"-1,234.5", TTypedAmountState::kComplete, -1234.5},
      {" -0.01", TTypedAmountState::kComplete, -0.01},
      {"-", TTypedAmountState::kUnfinished, 0},
      {"-1,23", TTypedAmountState::kUnfinished, 0},
      {"--1", TTypedAmountState::kInvalid, 0},
      {"1-", TTypedAmountState::kInvalid, 0},
      {"1.234", TTypedAmountState::kInvalid, 0},
      {"", TTypedAmountState::kEmpty, 0},
  };
  for (const Case& c : cases) {
    const TTypedAmount amount = ReadSignedAmount(c.text, NumberFormat());
    EXPECT_EQ(amount.state, c.state) << c.text;
    if (c.state == TTypedAmountState::kComplete) {
      EXPECT_EQ(amount.value, M(c.value)) << c.text;
    }
  }
}

}  // namespace
