// Quick-expense statistics and the header string slots with the password.
#include "FinanceTestUtil.h"

namespace {
std::vector<std::string> Texts(const TLastTransactions& list) {
  std::vector<std::string> texts;
  for (const CLastTransaction& e : list) texts.push_back(e.description);
  return texts;
}
}  // namespace

TEST_F(FinanceTest, MostUsedDescriptionsInByteOrder) {
  for (int i = 0; i < 5; ++i) Move(D(2007, 5, 1), 103, 0, 1, -1, "Bus");
  for (int i = 0; i < 3; ++i) Move(D(2007, 5, 1), 103, 0, 1, -1, "bread");
  for (int i = 0; i < 4; ++i) Move(D(2007, 5, 1), 103, 0, 1, -1, "Apples");
  Move(D(2007, 5, 1), 103, 0, 1);
  Move(D(2007, 5, 1), 103, 0, 1);
  TLastTransactions list = db.GetLastTransactions(0, 0, 2, 0, 0);
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"Apples", "Bus"}));
  EXPECT_EQ(list[1].uses, 5u);
  EXPECT_EQ(Texts(db.GetLastTransactions(0, 0, 10, 0, 0)),
            (std::vector<std::string>{"", "Apples", "Bus", "bread"}));
  EXPECT_EQ(db.GetLastTransactions(0, 0, 10, 0, 0)[0].uses, 2u)
      << "empty descriptions are one entry";
  EXPECT_TRUE(db.GetLastTransactions(0, 0, 0, 0, 0).empty());
}

TEST_F(FinanceTest, StatisticsFilterByAccountsAndCategory) {
  const std::uint32_t other = Account("Other");
  Move(D(2007, 5, 1), 103, 0, 1, -1, "Expense");
  Move(D(2007, 5, 1), 103, other, 1, -1, "Transfer");
  Move(D(2007, 5, 1), 0, 103, 1, -1, "Income");
  EXPECT_EQ(Texts(db.GetLastTransactions(103, 0, 10, 0, 0)), std::vector<std::string>{"Expense"});
  EXPECT_EQ(Texts(db.GetLastTransactions(0, 103, 10, 0, 0)), std::vector<std::string>{"Income"});
  EXPECT_EQ(Texts(db.GetLastTransactions(103, other, 10, 0, 0)),
            std::vector<std::string>{"Transfer"});
  EXPECT_EQ(db.GetLastTransactions(0, 0, 10, 0, 0).size(), 3u);
  EXPECT_TRUE(db.GetLastTransactions(103, 0, 10, 1, 555).empty());
}

TEST_F(FinanceTest, StatisticsNameTheMostRecentlyCreatedTransaction) {
  Move(D(2007, 5, 20), 103, 0, 1, -1, "Taxi");
  const std::uint32_t newer = Move(D(2007, 5, 1), 103, 0, 1, -1, "Taxi");
  EXPECT_EQ(db.GetLastTransactions(0, 0, 5, 0, 0).at(0).transaction, newer);
}

TEST_F(FinanceTest, StatisticsLookAtRecentTransactionsOnly) {
  db.BeginBatch();  // one sync for the thousand adds
  Move(D(2007, 5, 1), 103, 0, 1, -1, "Ancient");
  for (int i = 0; i < 1002; ++i) Move(D(2007, 5, 1), 103, 0, 1, -1, "Recent");
  ASSERT_TRUE(db.EndBatch("test"));
  EXPECT_EQ(Texts(db.GetLastTransactions(0, 0, 5, 0, 0)), std::vector<std::string>{"Recent"});
  // Once 16 x limit descriptions are known the walk stops too.
  for (int i = 0; i < 20; ++i) Move(D(2007, 5, 1), 103, 0, 1, -1, "Item " + std::to_string(i));
  TLastTransactions one = db.GetLastTransactions(0, 0, 1, 0, 0);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].uses, 1u) << "Recent was never reached";
}

TEST_F(FinanceTest, PasswordIsStoredScrambledInSlotZero) {
  EXPECT_EQ(db.GetPassword(), "");
  EXPECT_EQ(ReadAt<std::uint32_t>(ReadFileBytes(path), 512), 0u) << "still no text in slot 0";
  EXPECT_TRUE(db.SetPassword("abc"));
  const std::uint32_t stringId = ReadAt<std::uint32_t>(ReadFileBytes(path), 512);
  EXPECT_EQ(db.GetString(stringId), "^_`");
  Reopen();
  EXPECT_EQ(db.GetPassword(), "abc");
  EXPECT_TRUE(db.SetPassword(""));
  EXPECT_EQ(db.GetPassword(), "");
  EXPECT_EQ(db.GetString(stringId), "") << "the old password text is freed";
}

TEST_F(FinanceTest, PasswordThatCannotBeStoredWholeIsRefused) {
  ASSERT_TRUE(db.SetPassword("secret"));
  // Four characters, one of which is the byte 4: it would scramble to a zero.
  EXPECT_FALSE(
      db.SetPassword(std::string("ab\x04"
                                 "c")));
  EXPECT_TRUE(capture.LoggedPrefix("[SetPassword] "));
  EXPECT_EQ(db.GetPassword(), "secret") << "the old password stays";
  // A 32-character password with a blank is the everyday case of it.
  EXPECT_FALSE(db.SetPassword("correct horse battery staple 123"));
  EXPECT_TRUE(db.SetPassword("correct horse battery staple 1234"));
  EXPECT_EQ(db.GetPassword(), "correct horse battery staple 1234");
}

TEST_F(FinanceTest, HeaderSlotsOutsideTheTableAreRefused) {
  EXPECT_EQ(db.GetLocalizedString(64, "x"), "");
  EXPECT_EQ(db.GetLocalizedString(-1, "x"), "");
  EXPECT_FALSE(db.SetLocalizedString(64, "x"));
  EXPECT_EQ(db.GetLocalizedString(5, "default"), "default");
  EXPECT_EQ(db.GetLocalizedString(5, "other"), "default") << "the first read stored the default";
  EXPECT_TRUE(db.SetLocalizedString(5, "changed"));
  EXPECT_EQ(db.GetLocalizedString(5, ""), "changed");
}
